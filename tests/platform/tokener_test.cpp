#include "platform/tokener.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace {

CTokener Make(const std::string& text) { return CTokener(text.data(), static_cast<int>(text.size())); }

TEST(ReadDecimalText, ReadsTheDecimalPrefixOnly) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"", 0.0},          {"abc", 0.0},        {"1.5", 1.5},         {"+2", 2.0},        {"-.5", -0.5},
        {"5.", 5.0},        {".", 0.0},          {"-", 0.0},           {"1e3", 1000.0},    {"1e", 1.0},
        {"1e+", 1.0},       {"2E-2", 0.02},      {"1.5.5", 1.5},       {"1,5", 1.0},       {"\n\t 7", 7.0},
        {"inf", 0.0},       {"-infinity", 0.0},  {"nan", 0.0},         {"NAN(123)", 0.0},  {"0x1p4", 0.0},
        {"1e999", DBL_MAX}, {"-1e999", -DBL_MAX}, {"1e-999", 0.0},     {"0.000e999", 0.0}, {"00012", 12.0},
        {"0.001e-330", 0.0}, {"12345678901234567890e300", DBL_MAX},    {"1e99999999999999999999", DBL_MAX},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
    };
    for (const Case& c : cases) {
        const double value = ReadDecimalText(c.text, static_cast<int>(std::string(c.text).size()));
        EXPECT_TRUE(std::isfinite(value)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
    // The length bounds the text: no byte past it is read.
    EXPECT_EQ(ReadDecimalText("125", 2), 12.0);
    EXPECT_EQ(ReadDecimalText(nullptr, 5), 0.0);
}

TEST(ReadIntegerText, ReadsDigitsAndSaturates) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {{"", 0},
                          {"x", 0},
                          {"42", 42},
                          {"  -12x", -12},
                          {"+7", 7},
                          {"3.9", 3},
                          {"2147483647", INT32_MAX},
                          {"2147483648", INT32_MAX},
                          {"-2147483648", INT32_MIN},
                          {"-99999999999999999999", INT32_MIN},
                          {"99999999999999999999", INT32_MAX}};
    for (const Case& c : cases) {
        EXPECT_EQ(ReadIntegerText(c.text, static_cast<int>(std::string(c.text).size())), c.expected) << c.text;
    }
}

TEST(Tokener, KeysCountOnlyAtAWordStartAndBeforeAnEqualsSign) {
    struct Case {
        const char* text;
        const char* key;
        bool found;
        int32_t value;
    };
    const Case cases[] = {
        {"id=5;", "id", true, 5},
        {"xid=3; id=4;", "id", true, 4},
        {"xid=3;", "id", false, 0},
        {"a=1;id=2;", "id", true, 2},
        {"a=1;\r\n\tid=2;", "id", true, 2},
        {"idx=5; id=6;", "id", true, 6},
        {"id =5;", "id", false, 0},
        {"id=5", "id", false, 0},
        {"", "id", false, 0},
        {"id=5;", "", false, 0},
        {"text=id=3;", "id", false, 0},
        {"[id=3;", "id", false, 0},
    };
    for (const Case& c : cases) {
        const CTokener tokener = Make(c.text);
        int32_t value = -77;
        EXPECT_EQ(tokener.GetInt(c.key, &value), c.found) << c.text;
        EXPECT_EQ(value, c.found ? c.value : -77) << c.text;
    }
}

TEST(Tokener, StringValuesKeepSpacesUpToTheSeparator) {
    const CTokener tokener = Make("text=a b; name=Preset 1;empty=;");
    CDynamicString text;
    ASSERT_TRUE(tokener.GetString("text", &text));
    EXPECT_TRUE(text.Equals("a b"));
    CString16 name;
    ASSERT_TRUE(tokener.GetString("name", &name));
    EXPECT_TRUE(name.Equals("Preset 1"));
    ASSERT_TRUE(tokener.GetString("empty", &text));
    EXPECT_TRUE(text.IsEmpty());
    CString16 shortText;
    ASSERT_TRUE(Make("text=0123456789abcdefXYZ;").GetString("text", &shortText));
    EXPECT_TRUE(shortText.Equals("0123456789abcde")) << "cut to the string's room";
}

TEST(Tokener, NumbersAreReadFromTheValue) {
    const CTokener tokener = Make("min=0.25; max=1e3; width=40junk; left=-7;");
    double real = 0;
    ASSERT_TRUE(tokener.GetFloat("min", &real));
    EXPECT_EQ(real, 0.25);
    ASSERT_TRUE(tokener.GetFloat("max", &real));
    EXPECT_EQ(real, 1000.0);
    int32_t whole = 0;
    ASSERT_TRUE(tokener.GetInt("width", &whole));
    EXPECT_EQ(whole, 40);
    ASSERT_TRUE(tokener.GetInt("left", &whole));
    EXPECT_EQ(whole, -7);
    EXPECT_FALSE(tokener.GetFloat("top", &real));
}

TEST(Tokener, ABlockBecomesTheSearchRange) {
    CTokener tokener = Make("WindowWidth=300; id=5;[class=CViewText;left=10;top=12;] id=6;[class=CViewSlider;left=99;]");
    int32_t id = 0;
    ASSERT_TRUE(tokener.GetInt("id", &id));
    EXPECT_EQ(id, 5);
    ASSERT_TRUE(tokener.FindStart("["));
    ASSERT_TRUE(tokener.FindEnd("]"));
    CString64 viewClass;
    ASSERT_TRUE(tokener.GetString("class", &viewClass));
    EXPECT_TRUE(viewClass.Equals("CViewText"));
    int32_t left = 0;
    ASSERT_TRUE(tokener.GetInt("left", &left));
    EXPECT_EQ(left, 10);
    int32_t width = 0;
    EXPECT_FALSE(tokener.GetInt("WindowWidth", &width)) << "before the block";
    EXPECT_FALSE(tokener.GetInt("id", &id)) << "after the block";

    // The next block.
    tokener.SetSearchStart(tokener.SearchEnd() + 1);
    tokener.SetSearchEnd(kTokenerTextEnd);
    ASSERT_TRUE(tokener.GetInt("id", &id));
    EXPECT_EQ(id, 6);
    ASSERT_TRUE(tokener.FindStart("["));
    ASSERT_TRUE(tokener.FindEnd("]"));
    ASSERT_TRUE(tokener.GetInt("left", &left));
    EXPECT_EQ(left, 99);
}

TEST(Tokener, FindStartAndFindEndReportWhatTheyDidNotFind) {
    CTokener tokener = Make("id=1;[class=CViewText;");
    tokener.SetSearchStart(3);
    EXPECT_FALSE(tokener.FindStart("#"));
    EXPECT_EQ(tokener.SearchStart(), 3u);
    ASSERT_TRUE(tokener.FindStart("["));
    EXPECT_EQ(tokener.SearchStart(), 7u) << "just past the bracket";
    tokener.SetSearchEnd(8);
    EXPECT_FALSE(tokener.FindEnd("]"));
    EXPECT_EQ(tokener.SearchEnd(), kTokenerTextEnd) << "an unclosed block runs to the end of the text";
    CString64 viewClass;
    EXPECT_TRUE(tokener.GetString("class", &viewClass));
    // A start past the text finds nothing at all.
    tokener.SetSearchStart(1000);
    int32_t id = 0;
    EXPECT_FALSE(tokener.GetInt("id", &id));
    EXPECT_FALSE(tokener.FindStart("i"));
}

TEST(Tokener, PutValueWritesBeforeTheStartOrAppends) {
    CTokener empty;
    ASSERT_TRUE(empty.PutValue("a", "1"));
    EXPECT_TRUE(empty.Text().Equals("a=1;"));
    ASSERT_TRUE(empty.PutValue("b", "2;"));
    EXPECT_TRUE(empty.Text().Equals("b=2;a=1;")) << "inserted at the start, separator not doubled";

    CTokener tokener = Make("speed=3;");
    tokener.SetSearchStart(100);  // outside the text: appended
    ASSERT_TRUE(tokener.PutValue("depth", "1"));
    EXPECT_TRUE(tokener.Text().Equals("speed=3;depth=1;"));
    tokener.ResetSearch();
    ASSERT_TRUE(tokener.PutValue("speed", "9"));
    int32_t speed = 0;
    ASSERT_TRUE(tokener.GetInt("speed", &speed));
    EXPECT_EQ(speed, 9) << "the new setting is found first";
}

}  // namespace
