#include "platform/tokener.h"

#include <cfloat>
#include <charconv>
#include <cstring>
#include <system_error>

namespace {

// Number texts are cut to this many bytes before conversion.
constexpr int kNumberTextLimit = 63;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int SkipSpace(const char* text, int length, int i) {
    while (i < length && IsSpace(text[i])) ++i;
    return i;
}

}  // namespace

double ReadDecimalText(const char* text, int length) {
    if (!text || length <= 0) return 0.0;
    int i = SkipSpace(text, length, 0);
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Mantissa: digits, optional point, digits; at least one digit in all.
    const int mantissaStart = i;
    int digits = 0;
    int firstNonZero = -1;  // index of the first significant digit
    int pointAt = -1;
    for (; i < length; ++i) {
        if (IsDigit(text[i])) {
            if (firstNonZero < 0 && text[i] != '0') firstNonZero = i;
            ++digits;
        } else if (text[i] == '.' && pointAt < 0) {
            pointAt = i;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0;
    const int mantissaEnd = i;
    int end = i;
    // Exponent: e or E, optional sign, at least one digit; else not part of it.
    long long exponent = 0;
    if (i < length && (text[i] == 'e' || text[i] == 'E')) {
        int j = i + 1;
        bool expNegative = false;
        if (j < length && (text[j] == '+' || text[j] == '-')) {
            expNegative = text[j] == '-';
            ++j;
        }
        if (j < length && IsDigit(text[j])) {
            for (; j < length && IsDigit(text[j]); ++j) {
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
            }
            if (expNegative) exponent = -exponent;
            end = j;
        }
    }
    if (firstNonZero < 0) return negative ? -0.0 : 0.0;

    double value = 0.0;
    const auto result = std::from_chars(text + mantissaStart, text + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // The decimal exponent of the first significant digit tells overflow
        // from underflow.
        const int point = pointAt >= 0 ? pointAt : mantissaEnd;
        const long long magnitude =
            exponent + (firstNonZero < point ? point - firstNonZero - 1 : point - firstNonZero);
        value = magnitude > 0 ? DBL_MAX : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

int32_t ReadIntegerText(const char* text, int length) {
    if (!text || length <= 0) return 0;
    int i = SkipSpace(text, length, 0);
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Digits past the int32 range only saturate, so the sum stays small.
    constexpr long long kLimit = 2147483648LL;
    long long magnitude = 0;
    for (; i < length && IsDigit(text[i]); ++i) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative) return magnitude >= kLimit ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude >= kLimit ? INT32_MAX : static_cast<int32_t>(magnitude);
}

bool CTokener::SetText(const char* text, int length) {
    ResetSearch();
    return text_.Set(text, length);
}

int CTokener::EffectiveEnd() const {
    const uint32_t past = static_cast<uint32_t>(text_.Length()) + 1;
    return static_cast<int>(searchEnd_ < past ? searchEnd_ : past);
}

bool CTokener::FindValue(const char* key, int* valueStart, int* valueLength) const {
    const int keyLength = text::Length(key);
    if (keyLength <= 0 || searchStart_ > static_cast<uint32_t>(text_.Length())) return false;
    const char* data = text_.CStr();
    const int end = EffectiveEnd();
    int from = static_cast<int>(searchStart_);
    while (from < end) {
        const int p = text_.Find(key, keyLength, from);
        if (p == 0 || p >= end) return false;
        from = p + 1;
        const int equals = p + keyLength;  // 1-based position after the key
        if (text_.CharAt(equals) != '=') continue;
        const unsigned char before = p > 1 ? static_cast<unsigned char>(data[p - 2]) : 0;
        const bool wordStart = p == 1 || p == static_cast<int>(searchStart_) || before <= 32 ||
                               static_cast<char>(before) == separator_;
        if (!wordStart) continue;
        const char separator[1] = {separator_};
        const int stop = text_.Find(separator, 1, equals + 1);
        if (stop == 0) return false;
        if (valueStart) *valueStart = equals + 1;
        if (valueLength) *valueLength = stop - (equals + 1);
        return true;
    }
    return false;
}

bool CTokener::GetInt(const char* key, int32_t* out) const {
    int start = 0;
    int length = 0;
    if (!out || !FindValue(key, &start, &length)) return false;
    *out = ReadIntegerText(text_.CStr() + start - 1, length < kNumberTextLimit ? length : kNumberTextLimit);
    return true;
}

bool CTokener::GetFloat(const char* key, double* out) const {
    int start = 0;
    int length = 0;
    if (!out || !FindValue(key, &start, &length)) return false;
    *out = ReadDecimalText(text_.CStr() + start - 1, length < kNumberTextLimit ? length : kNumberTextLimit);
    return true;
}

bool CTokener::GetString(const char* key, CDynamicString* out) const {
    int start = 0;
    int length = 0;
    if (!out || !FindValue(key, &start, &length)) return false;
    return out->Set(text_.CStr() + start - 1, length);
}

bool CTokener::FindStart(const char* text) {
    const int p = text_.Find(text, static_cast<int>(searchStart_ > 0x7FFFFFFFu ? 0x7FFFFFFF : searchStart_));
    if (p == 0) return false;
    searchStart_ = static_cast<uint32_t>(p + text::Length(text));
    return true;
}

bool CTokener::FindEnd(const char* text) {
    const int p = text_.Find(text, static_cast<int>(searchStart_ > 0x7FFFFFFFu ? 0x7FFFFFFF : searchStart_));
    searchEnd_ = p == 0 ? kTokenerTextEnd : static_cast<uint32_t>(p);
    return p != 0;
}

bool CTokener::PutValue(const char* key, const char* value) {
    CDynamicString setting(key);
    if (!setting.AppendChar('=') || !setting.Append(value)) return false;
    if (setting.CharAt(setting.Length()) != separator_ && !setting.AppendChar(separator_)) return false;
    if (searchStart_ >= 1 && searchStart_ <= static_cast<uint32_t>(text_.Length())) {
        return text_.Insert(static_cast<int>(searchStart_), setting.CStr(), setting.Length());
    }
    return text_.Append(setting.CStr(), setting.Length());
}
