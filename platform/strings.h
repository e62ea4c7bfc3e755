// Text in place and on the heap. CString16/64/256/1024 hold at most 15, 63,
// 255 and 1023 bytes inside the object and cut longer text silently; they are
// plain values, copied by assignment inside records. CDynamicString keeps its
// text on the heap at its exact length. Every string keeps its length and a
// terminating zero. Positions count from 1; 0 means "not found". Searches are
// byte-exact and case-sensitive; comparisons may ignore (ASCII) case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The shared operations on a text buffer of known capacity; both string
// kinds delegate here.
namespace text {
int Length(const char* s);  // strlen with null taken as ""
// 1-based position of needle in haystack[0..length) at or after from, or 0.
int Find(const char* haystack, int length, const char* needle, int needleLength, int from);
int FindLast(const char* haystack, int length, const char* needle, int needleLength);
// <0, 0, >0 like strcmp over bytes; with ignoreCase ASCII letters fold.
int Compare(const char* a, int aLength, const char* b, int bLength, bool ignoreCase);
char ToLowerAscii(char c);
}  // namespace text

// A string of at most N - 1 bytes kept in place.
template <int N>
class CFixedString {
    static_assert(N >= 2, "room for one byte and the terminator");

public:
    static constexpr int kCapacity = N - 1;

    CFixedString() = default;
    CFixedString(const char* s) { Set(s); }  // NOLINT: implicit, like a literal

    // Set and Append copy at most what fits; the result is true when nothing
    // was cut. A null text counts as empty; a negative length as 0.
    bool Set(const char* s) {
        // Copies up to the terminator or the capacity, whichever comes
        // first, without measuring all of a long text.
        int n = 0;
        if (s && s >= text_ && s < text_ + N) return Set(s, text::Length(s));  // own text: move
        if (s)
            while (n < kCapacity && s[n] != 0) {
                text_[n] = s[n];
                ++n;
            }
        length_ = n;
        text_[n] = 0;
        return !s || s[n] == 0;
    }
    bool Set(const char* s, int length) {
        if (!s || length < 0) length = 0;
        const int n = length < kCapacity ? length : kCapacity;
        // memmove: s may point into this string's own text
        if (n > 0) std::memmove(text_, s, static_cast<size_t>(n));
        length_ = n;
        text_[n] = 0;
        return n == length;
    }
    bool Append(const char* s) {
        if (!s) return true;
        if (s >= text_ && s < text_ + N) return Append(s, text::Length(s));
        int i = 0;
        while (length_ < kCapacity && s[i] != 0) text_[length_++] = s[i++];
        text_[length_] = 0;
        return s[i] == 0;
    }
    bool Append(const char* s, int length) {
        if (!s || length <= 0) return true;
        const int room = kCapacity - length_;
        const int n = length < room ? length : room;
        for (int i = 0; i < n; ++i) text_[length_ + i] = s[i];
        length_ += n;
        text_[length_] = 0;
        return n == length;
    }
    bool AppendChar(char c) { return Append(&c, 1); }
    bool AppendInt(long long value);
    template <int M>
    bool Set(const CFixedString<M>& other) { return Set(other.CStr(), other.Length()); }

    void Clear() {
        length_ = 0;
        text_[0] = 0;
    }
    // Cuts the text to length bytes (no effect when it is already shorter).
    void Truncate(int length) {
        if (length >= 0 && length < length_) {
            length_ = length;
            text_[length_] = 0;
        }
    }

    int Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    const char* CStr() const { return text_; }
    // The byte at a 1-based position, 0 outside the text.
    char CharAt(int position) const { return position >= 1 && position <= length_ ? text_[position - 1] : 0; }

    int Find(const char* needle, int fromPosition = 1) const {
        return text::Find(text_, length_, needle, text::Length(needle), fromPosition);
    }
    int FindLast(const char* needle) const { return text::FindLast(text_, length_, needle, text::Length(needle)); }
    bool Equals(const char* s, bool ignoreCase = false) const { return Compare(s, ignoreCase) == 0; }
    int Compare(const char* s, bool ignoreCase = false) const {
        return text::Compare(text_, length_, s, text::Length(s), ignoreCase);
    }
    bool EndsWith(const char* s, bool ignoreCase = false) const {
        const int n = text::Length(s);
        return n <= length_ && text::Compare(text_ + length_ - n, n, s, n, ignoreCase) == 0;
    }
    bool StartsWith(const char* s, bool ignoreCase = false) const {
        const int n = text::Length(s);
        return n <= length_ && text::Compare(text_, n, s, n, ignoreCase) == 0;
    }

private:
    int32_t length_ = 0;
    char text_[N] = {};
};

using CString16 = CFixedString<16>;
using CString64 = CFixedString<64>;
using CString256 = CFixedString<256>;
using CString1024 = CFixedString<1024>;

// Decimal text of a whole number, shared by AppendInt of both kinds.
int FormatInt(long long value, char* out);  // out needs 21 bytes; returns length

template <int N>
bool CFixedString<N>::AppendInt(long long value) {
    char digits[24];
    const int n = FormatInt(value, digits);
    return Append(digits, n);
}

// A string on the heap (a memory block) at its exact length. Operations
// that need memory report false when it cannot be had and leave the text as
// it was.
class CDynamicString {
public:
    CDynamicString() = default;
    CDynamicString(const char* s) { Set(s); }  // NOLINT: implicit, like a literal
    CDynamicString(const char* s, int length) { Set(s, length); }
    CDynamicString(const CDynamicString& other) { Set(other.CStr(), other.Length()); }
    CDynamicString& operator=(const CDynamicString& other) {
        if (this != &other) Set(other.CStr(), other.Length());
        return *this;
    }
    CDynamicString(CDynamicString&& other) noexcept;
    CDynamicString& operator=(CDynamicString&& other) noexcept;
    virtual ~CDynamicString();

    bool Set(const char* s) { return Set(s, text::Length(s)); }
    bool Set(const char* s, int length);
    bool Append(const char* s) { return Append(s, text::Length(s)); }
    bool Append(const char* s, int length);
    bool AppendChar(char c) { return Append(&c, 1); }
    bool AppendInt(long long value);
    // Removes count bytes from a 1-based position (clipped to the text).
    void Delete(int position, int count);
    // Inserts text before a 1-based position (Length() + 1 appends).
    bool Insert(int position, const char* s, int length);
    // Copies count bytes from a 1-based position (clipped) into out.
    bool Substring(int position, int count, CDynamicString& out) const;

    void Clear();
    void Truncate(int length);

    int Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    const char* CStr() const { return text_ ? text_ : ""; }
    char CharAt(int position) const { return position >= 1 && position <= length_ ? text_[position - 1] : 0; }

    int Find(const char* needle, int fromPosition = 1) const {
        return text::Find(CStr(), length_, needle, text::Length(needle), fromPosition);
    }
    int Find(const char* needle, int needleLength, int fromPosition) const {
        return text::Find(CStr(), length_, needle, needleLength, fromPosition);
    }
    int FindLast(const char* needle) const { return text::FindLast(CStr(), length_, needle, text::Length(needle)); }
    bool Equals(const char* s, bool ignoreCase = false) const { return Compare(s, ignoreCase) == 0; }
    int Compare(const char* s, bool ignoreCase = false) const {
        return text::Compare(CStr(), length_, s, text::Length(s), ignoreCase);
    }
    bool EndsWith(const char* s, bool ignoreCase = false) const;
    bool StartsWith(const char* s, bool ignoreCase = false) const;

private:
    char* text_ = nullptr;  // length_ + 1 bytes, or null when empty
    int32_t length_ = 0;
};
