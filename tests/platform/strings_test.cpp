#include "platform/strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <type_traits>

#include "platform/memory_block.h"

namespace {

static_assert(std::is_trivially_copyable_v<CString16>);
static_assert(std::is_trivially_copyable_v<CString64>);
static_assert(std::is_trivially_copyable_v<CString1024>);

template <typename S>
void ExpectCutAt(int capacity) {
    const std::string longText(capacity + 20, 'x');
    S s;
    EXPECT_FALSE(s.Set(longText.c_str()));
    EXPECT_EQ(s.Length(), capacity);
    EXPECT_EQ(std::strlen(s.CStr()), static_cast<size_t>(capacity));
    const std::string exact(capacity, 'y');
    EXPECT_TRUE(s.Set(exact.c_str()));
    EXPECT_EQ(s.Length(), capacity);
    EXPECT_FALSE(s.Append("z"));
    EXPECT_EQ(s.Length(), capacity);
    EXPECT_EQ(s.CStr()[capacity - 1], 'y');
}

TEST(FixedString, CutsLongerTextSilentlyAtItsCapacity) {
    ExpectCutAt<CString16>(15);
    ExpectCutAt<CString64>(63);
    ExpectCutAt<CString256>(255);
    ExpectCutAt<CString1024>(1023);
}

TEST(FixedString, AppendFillsUpToCapacityThenStops) {
    CString16 s("0123456789");
    EXPECT_FALSE(s.Append("abcdefgh"));
    EXPECT_STREQ(s.CStr(), "0123456789abcde");
    s.Set("ab");
    EXPECT_TRUE(s.Append("cdef", 2));
    EXPECT_STREQ(s.CStr(), "abcd");
    EXPECT_TRUE(s.AppendInt(-42));
    EXPECT_STREQ(s.CStr(), "abcd-42");
}

TEST(FixedString, SetFromItsOwnTextWorks) {
    CString64 s("hello world");
    s.Set(s.CStr() + 6);
    EXPECT_STREQ(s.CStr(), "world");
    s.Append(s.CStr());
    EXPECT_STREQ(s.CStr(), "worldworld");
}

TEST(FixedString, CopiesByAssignmentAreIndependentValues) {
    struct SRecordWithName {
        CString64 name;
        int n;
    };
    SRecordWithName a{CString64("oak"), 1};
    SRecordWithName b = a;
    b.name.Append("tree");
    EXPECT_STREQ(a.name.CStr(), "oak");
    EXPECT_STREQ(b.name.CStr(), "oaktree");
}

TEST(FixedString, NullAndNegativeLengthsGiveEmptyText) {
    CString16 s("abc");
    s.Set(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s.Set("abc", -3);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s.CStr(), "");
}

struct SFindCase {
    const char* text;
    const char* needle;
    int from;
    int expected;
};

TEST(StringSearch, FindCountsFromOneAndIsCaseSensitive) {
    const SFindCase cases[] = {
        {"\"time\" 1; \"timeClip\" 2;", "\"timeClip\"", 1, 11},
        {"abcabc", "abc", 1, 1},
        {"abcabc", "abc", 2, 4},
        {"abcabc", "abc", 5, 0},
        {"abcabc", "ABC", 1, 0},
        {"abc", "abcd", 1, 0},
        {"abc", "", 1, 0},
        {"", "a", 1, 0},
        {"abc", "c", -7, 3},
    };
    for (const SFindCase& c : cases) {
        CString256 fixed(c.text);
        CDynamicString dynamic(c.text);
        EXPECT_EQ(fixed.Find(c.needle, c.from), c.expected) << c.text << " / " << c.needle;
        EXPECT_EQ(dynamic.Find(c.needle, c.from), c.expected) << c.text << " / " << c.needle;
    }
}

TEST(StringSearch, FindLastFindsTheLastOccurrence) {
    CString64 name("oak.vbr.txt");
    EXPECT_EQ(name.FindLast("."), 8);
    EXPECT_EQ(name.FindLast("#"), 0);
    CDynamicString d("a.b.c");
    EXPECT_EQ(d.FindLast("."), 4);
}

TEST(StringCompare, EqualsMayIgnoreCase) {
    CString64 s("~brushImages");
    EXPECT_TRUE(s.Equals("~BRUSHIMAGES", true));
    EXPECT_FALSE(s.Equals("~BRUSHIMAGES"));
    EXPECT_FALSE(s.Equals("~brushImage", true));
    EXPECT_TRUE(s.EndsWith("IMAGES", true));
    EXPECT_TRUE(s.StartsWith("~brush"));
    EXPECT_LT(CString16("abc").Compare("abd"), 0);
    EXPECT_GT(CString16("abc").Compare("ab"), 0);
    EXPECT_EQ(CDynamicString("Vbr").Compare("vBR", true), 0);
}

TEST(DynamicString, KeepsItsTextAtExactLength) {
    CDynamicString s("hello");
    EXPECT_EQ(MemBlockSize(s.CStr()), 6u);
    s.Append(", world");
    EXPECT_STREQ(s.CStr(), "hello, world");
    EXPECT_EQ(MemBlockSize(s.CStr()), 13u);
    s.Delete(6, 100);
    EXPECT_STREQ(s.CStr(), "hello");
    EXPECT_EQ(MemBlockSize(s.CStr()), 6u);
    const std::string big(100000, 'q');
    s.Set(big.c_str());
    EXPECT_EQ(s.Length(), 100000);
}

TEST(DynamicString, InsertDeleteAndSubstringUseOneBasedPositions) {
    CDynamicString s("abcdef");
    s.Insert(3, "XY", 2);
    EXPECT_STREQ(s.CStr(), "abXYcdef");
    s.Delete(1, 2);
    EXPECT_STREQ(s.CStr(), "XYcdef");
    CDynamicString part;
    s.Substring(3, 2, part);
    EXPECT_STREQ(part.CStr(), "cd");
    s.Substring(5, 99, s);  // into itself
    EXPECT_STREQ(s.CStr(), "ef");
    EXPECT_EQ(s.CharAt(1), 'e');
    EXPECT_EQ(s.CharAt(3), 0);
    s.Truncate(1);
    EXPECT_STREQ(s.CStr(), "e");
}

TEST(DynamicString, CopiesAndMovesOwnTheirText) {
    const uint64_t before = MemLiveBytes();
    {
        CDynamicString a("one");
        CDynamicString b = a;
        b.Append("two");
        EXPECT_STREQ(a.CStr(), "one");
        CDynamicString c = static_cast<CDynamicString&&>(b);
        EXPECT_TRUE(b.IsEmpty());
        EXPECT_STREQ(c.CStr(), "onetwo");
        a = a;
        EXPECT_STREQ(a.CStr(), "one");
    }
    EXPECT_EQ(MemLiveBytes(), before);
}

TEST(DynamicString, EmptyStringsNeedNoMemoryAndReadAsEmpty) {
    CDynamicString s;
    EXPECT_STREQ(s.CStr(), "");
    EXPECT_EQ(s.Find("a"), 0);
    s.Set("x");
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s.CStr(), "");
}

TEST(FormatInt, WritesEveryWholeNumber) {
    char out[24];
    FormatInt(LLONG_MIN, out);
    EXPECT_STREQ(out, "-9223372036854775808");
    FormatInt(0, out);
    EXPECT_STREQ(out, "0");
    EXPECT_EQ(FormatInt(1099, out), 4);
    EXPECT_STREQ(out, "1099");
}

}  // namespace
