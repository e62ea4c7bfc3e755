#include "platform/strings.h"

#include <cstring>

#include "platform/memory_block.h"

namespace text {

int Length(const char* s) {
    if (!s) return 0;
    const size_t n = std::strlen(s);
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n);
}

char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int Find(const char* haystack, int length, const char* needle, int needleLength, int from) {
    if (!haystack || !needle || needleLength <= 0 || length <= 0) return 0;
    if (from < 1) from = 1;
    const int last = length - needleLength;  // last 0-based start
    for (int i = from - 1; i <= last; ++i) {
        if (haystack[i] == needle[0] && std::memcmp(haystack + i, needle, static_cast<size_t>(needleLength)) == 0)
            return i + 1;
    }
    return 0;
}

int FindLast(const char* haystack, int length, const char* needle, int needleLength) {
    if (!haystack || !needle || needleLength <= 0 || length < needleLength) return 0;
    for (int i = length - needleLength; i >= 0; --i) {
        if (std::memcmp(haystack + i, needle, static_cast<size_t>(needleLength)) == 0) return i + 1;
    }
    return 0;
}

int Compare(const char* a, int aLength, const char* b, int bLength, bool ignoreCase) {
    const int n = aLength < bLength ? aLength : bLength;
    for (int i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(ignoreCase ? ToLowerAscii(a[i]) : a[i]);
        unsigned char cb = static_cast<unsigned char>(ignoreCase ? ToLowerAscii(b[i]) : b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

}  // namespace text

int FormatInt(long long value, char* out) {
    char digits[24];
    int n = 0;
    // Work in unsigned so the most negative value has a magnitude too.
    unsigned long long magnitude =
        value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    int length = 0;
    if (value < 0) out[length++] = '-';
    while (n > 0) out[length++] = digits[--n];
    out[length] = 0;
    return length;
}

CDynamicString::CDynamicString(CDynamicString&& other) noexcept : text_(other.text_), length_(other.length_) {
    other.text_ = nullptr;
    other.length_ = 0;
}

CDynamicString& CDynamicString::operator=(CDynamicString&& other) noexcept {
    if (this != &other) {
        Clear();
        text_ = other.text_;
        length_ = other.length_;
        other.text_ = nullptr;
        other.length_ = 0;
    }
    return *this;
}

CDynamicString::~CDynamicString() { Clear(); }

void CDynamicString::Clear() {
    MemFree(text_);
    text_ = nullptr;
    length_ = 0;
}

bool CDynamicString::Set(const char* s, int length) {
    if (!s || length <= 0) {
        Clear();
        return true;
    }
    // s may point into our own text: build the new block before freeing.
    char* fresh = static_cast<char*>(MemAllocate(static_cast<size_t>(length) + 1));
    if (!fresh) return false;
    std::memcpy(fresh, s, static_cast<size_t>(length));
    fresh[length] = 0;
    MemFree(text_);
    text_ = fresh;
    length_ = length;
    return true;
}

bool CDynamicString::Append(const char* s, int length) {
    return Insert(length_ + 1, s, length);
}

bool CDynamicString::AppendInt(long long value) {
    char digits[24];
    const int n = FormatInt(value, digits);
    return Append(digits, n);
}

bool CDynamicString::Insert(int position, const char* s, int length) {
    if (!s || length <= 0) return true;
    if (position < 1) position = 1;
    if (position > length_ + 1) position = length_ + 1;
    if (length > 0x7FFFFFFE - length_) return false;
    const int total = length_ + length;
    char* fresh = static_cast<char*>(MemAllocate(static_cast<size_t>(total) + 1));
    if (!fresh) return false;
    const int before = position - 1;
    if (before > 0) std::memcpy(fresh, text_, static_cast<size_t>(before));
    std::memcpy(fresh + before, s, static_cast<size_t>(length));
    if (length_ > before) std::memcpy(fresh + before + length, text_ + before, static_cast<size_t>(length_ - before));
    fresh[total] = 0;
    MemFree(text_);
    text_ = fresh;
    length_ = total;
    return true;
}

void CDynamicString::Delete(int position, int count) {
    if (position < 1 || position > length_ || count <= 0) return;
    if (count > length_ - position + 1) count = length_ - position + 1;
    if (count == length_) {
        Clear();
        return;
    }
    // Shrinking in place keeps the block; the exact-length rule is restored
    // by moving to a fitted block when one can be had.
    const int start = position - 1;
    std::memmove(text_ + start, text_ + start + count, static_cast<size_t>(length_ - start - count));
    length_ -= count;
    text_[length_] = 0;
    if (void* fitted = MemResize(text_, static_cast<size_t>(length_) + 1)) text_ = static_cast<char*>(fitted);
}

void CDynamicString::Truncate(int length) {
    if (length < 0 || length >= length_) return;
    Delete(length + 1, length_ - length);
}

bool CDynamicString::Substring(int position, int count, CDynamicString& out) const {
    if (position < 1 || position > length_ || count <= 0) {
        out.Clear();
        return true;
    }
    if (count > length_ - position + 1) count = length_ - position + 1;
    // Set copies before it frees, so out may be this string.
    return out.Set(text_ + position - 1, count);
}

bool CDynamicString::EndsWith(const char* s, bool ignoreCase) const {
    const int n = text::Length(s);
    return n <= length_ && text::Compare(CStr() + length_ - n, n, s, n, ignoreCase) == 0;
}

bool CDynamicString::StartsWith(const char* s, bool ignoreCase) const {
    const int n = text::Length(s);
    return n <= length_ && text::Compare(CStr(), n, s, n, ignoreCase) == 0;
}
