// CTokener: a key and value reader over one text. Settings are written
// `key=value;` (the separator is ';' in every use); a key counts only where it
// starts the text or the search range, or follows a character of code 32 or
// less or the separator.
// Lookups see only the search range [start, end): positions count from 1 and
// an end of kTokenerTextEnd means the end of the text.
#pragma once

#include <cstdint>

#include "platform/strings.h"

constexpr uint32_t kTokenerTextEnd = 0xFFFFFFFFu;  // the end position "-1"

// Number conversion of value texts, shared by every reader of settings.
// Decimal: leading white space (space, tab, line breaks, vertical tab, form
// feed) is skipped, then optional sign, digits, optional point and fraction,
// optional exponent; reading stops at the first byte that does not fit, and
// text with no number at its start reads 0. Words such as "inf" and "nan"
// and hexadecimal forms are not numbers here, so the result is always
// finite: magnitudes past the double range saturate to the largest finite
// double and those below it read 0.
double ReadDecimalText(const char* text, int length);
// Whole: white space skipped, optional sign, decimal digits; values outside
// the int32 range saturate to its limits; no digits read 0.
int32_t ReadIntegerText(const char* text, int length);

class CTokener {
public:
    CTokener() = default;
    CTokener(const char* text, int length) { SetText(text, length); }
    virtual ~CTokener() = default;

    // The text is copied; the search range goes back to the whole text.
    bool SetText(const char* text, int length);
    const CDynamicString& Text() const { return text_; }

    char Separator() const { return separator_; }
    void SetSeparator(char separator) { separator_ = separator; }

    uint32_t SearchStart() const { return searchStart_; }
    uint32_t SearchEnd() const { return searchEnd_; }
    void SetSearchStart(uint32_t position) { searchStart_ = position < 1 ? 1 : position; }
    void SetSearchEnd(uint32_t position) { searchEnd_ = position; }
    void ResetSearch() {
        searchStart_ = 1;
        searchEnd_ = kTokenerTextEnd;
    }

    // Finds the first `key=` at a word start inside the search range that has
    // a separator after it. On success *valueStart is the 1-based position
    // of the value and *valueLength its length up to the separator.
    bool FindValue(const char* key, int* valueStart, int* valueLength) const;

    // The value of key, converted. False (out untouched) when the key is
    // not found in the search range or no separator follows it. Numbers
    // are read from the value cut to 63 bytes.
    bool GetInt(const char* key, int32_t* out) const;
    bool GetFloat(const char* key, double* out) const;
    bool GetString(const char* key, CDynamicString* out) const;
    template <int N>
    bool GetString(const char* key, CFixedString<N>* out) const {
        int start = 0;
        int length = 0;
        if (!out || !FindValue(key, &start, &length)) return false;
        out->Set(text_.CStr() + start - 1, length);
        return true;
    }

    // The search start moves just past the first occurrence of text at or
    // after it (FindStart("[") opens a block). False, and the start
    // unchanged, when there is none.
    bool FindStart(const char* text);
    // The search end moves to the first occurrence of text at or after the
    // search start. When there is none the end becomes the end of the text
    // and the answer is false.
    bool FindEnd(const char* text);

    // Writes `key=value` and the separator (not doubled when value already
    // ends with one) before the search start when that lies inside the text,
    // else at the end. Lookups then find the new setting first.
    bool PutValue(const char* key, const char* value);

protected:
    // The search end as a position no larger than one past the text.
    int EffectiveEnd() const;

    int32_t setting_ = 4;
    uint32_t searchStart_ = 1;
    uint32_t searchEnd_ = kTokenerTextEnd;
    char separator_ = ';';
    CDynamicString text_;
};
