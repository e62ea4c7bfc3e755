#include "presets/vbr_reader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "preset_test_files.h"
#include "record_compare.h"

namespace {

TBrushRecord ReadText(const std::string& text) {
    TBrushRecord record;
    TFLVbrHandler(text.data(), static_cast<int>(text.size())).FillRecord(record);
    return record;
}

TEST(VbrHandler, AttributeValueTextIsFoundQuotedCutAndCleaned) {
    const std::string sixtyTwo(62, 'a');
    struct Case {
        const char* what;
        std::string text;
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {"first occurrence wins", "\"brushWidth\" 0.5; \"brushWidth\" 0.7;", "brushWidth", "0.5"},
        {"spaces inside the value go", "\"globalScale\"   1 . 5 ;", "globalScale", "1.5"},
        {"no semicolon after the name", "x; \"tubes\" 1", "tubes", ""},
        {"quotes and spaces leave a name", "\"imageName\" \"my leaf.bmp\";", "imageName", "myleaf.bmp"},
        {"names are case-sensitive", "\"Tubes\" 1;", "tubes", ""},
        {"a quoted name is not found inside a longer one", "\"timeClip\" 1; \"time\" 3;", "time", "3"},
        {"an occurrence in a comment counts", "// \"time\" 4;\n\"time\" 5;", "time", "4"},
        {"a semicolon right after the name gives nothing", "\"time\";", "time", ""},
        {"the name at the very end gives nothing", "x \"time\"", "time", ""},
        {"tabs go, line breaks stay", "\"imageName\"\ta\t\nb;", "imageName", "a\nb"},
        {"the 63 bytes are cut before cleaning", "\"imageName\" " + sixtyTwo + "b;", "imageName", sixtyTwo},
        {"a long value keeps 63 cleaned-from bytes", "\"imageName\"" + std::string(70, 'x') + ";", "imageName",
         std::string(63, 'x')},
        {"an absent name", "\"brushWidth\" 1;", "softness", ""},
        {"empty text", "", "brushWidth", ""},
        {"a stray quote makes a different key", "\"brushWidth 0.25;", "brushWidth", ""},
        {"the value runs across statements to the next semicolon", "\"softness\" 1 \"glow\" 2;", "softness",
         "1glow2"},
    };
    for (const Case& c : cases) {
        const TFLVbrHandler handler(c.text.data(), static_cast<int>(c.text.size()));
        const CString64 value = handler.GetAttribute(c.name);
        EXPECT_EQ(std::string(value.CStr(), value.Length()), c.expected) << c.what;
    }
}

TEST(VbrHandler, EveryKindStoresItsValueByItsRule) {
    struct Case {
        const char* text;
        const char* name;
        double expected;  // the field as a double (flags as 0/1)
    };
    const Case cases[] = {
        // Whole: truncated toward zero, low 16 bits, signed.
        {"\"segments\" 70000;", "segments", 4464},
        {"\"segments\" -3.9;", "segments", -3},
        {"\"segments\" 65537;", "segments", 1},
        {"\"segments\" 40000;", "segments", -25536},
        {"\"segments\" -32769;", "segments", 32767},
        {"\"segments\" 1e300;", "segments", 0},
        {"\"segments\" 12abc;", "segments", 12},
        {"\"segments\" abc;", "segments", 0},
        // Whole (0, 1, 2).
        {"\"fakeShadow\" 3;", "fakeShadow", 0},
        {"\"fakeShadow\" 2.9;", "fakeShadow", 2},
        {"\"fakeShadow\" 1;", "fakeShadow", 1},
        {"\"fakeShadow\" -1;", "fakeShadow", 0},
        {"\"fakeShadow\" 65538;", "fakeShadow", 2},
        // Count: the Whole, kept as a Real.
        {"\"twigsInCluster\" 2.7;", "twigsInCluster", 2.0},
        {"\"leavesInCluster\" 70000;", "leavesInCluster", 4464.0},
        {"\"petalsInFlower\" -1.5;", "petalsInFlower", -1.0},
        // Opacity: 1 - the translucence read; absent reads opacity 1.
        {"\"translucence\" 0.25;", "translucence", 0.75},
        {"\"leafTranslucence\" 1;", "leafTranslucence", 0.0},
        {"", "flowerTranslucence", 1.0},
        // Flag: not zero.
        {"\"tubes\" 0.0001;", "tubes", 1},
        {"\"tubes\" 0;", "tubes", 0},
        {"\"tubes\" -2;", "tubes", 1},
        {"\"tubes\" yes;", "tubes", 0},
        // realLights is read and thrown away.
        {"\"realLights\" 1;", "realLights", 0},
        // Real.
        {"\"brushWidth\" 0.25;", "brushWidth", 0.25},
        {"\"stampDensity\" -5;", "stampDensity", -5},
        {"\"brushWidth\"\n  2.5;", "brushWidth", 2.5},
        {"\"brushWidth\" 1e300;", "brushWidth", 1e300},
    };
    for (const Case& c : cases) {
        const TBrushRecord record = ReadText(c.text);
        const TFLAttrInfo* info = FindBrushAttribute(c.name);
        ASSERT_NE(info, nullptr) << c.name;
        double stored = 0;
        if (info->real) stored = record.*info->real;
        if (info->flag) stored = record.*info->flag ? 1 : 0;
        if (info->whole) stored = record.*info->whole;
        EXPECT_EQ(stored, c.expected) << c.text;
    }
}

TEST(VbrHandler, NumbersOutsideTheDoubleRangeOrNotNumbersStayFinite) {
    struct Case {
        const char* text;
        const char* name;
        double expected;
    };
    const Case cases[] = {
        {"\"softness\" nan;", "softness", 0.0},
        {"\"softness\" -nan;", "softness", 0.0},
        {"\"softness\" inf;", "softness", 0.0},
        {"\"softness\" 0x10;", "softness", 0.0},
        {"\"brushWidth\" 1e999;", "brushWidth", DBL_MAX},
        {"\"brushWidth\" -1e999;", "brushWidth", -DBL_MAX},
        {"\"brushWidth\" 1e-999;", "brushWidth", 0.0},
        {"\"translucence\" 1e999;", "translucence", 1.0 - DBL_MAX},
        {"\"translucence\" -1e999;", "translucence", 1.0 + DBL_MAX},
        {"\"segments\" 1e999;", "segments", 0},
        {"\"twigsInCluster\" -1e999;", "twigsInCluster", 0},
    };
    for (const Case& c : cases) {
        const TBrushRecord record = ReadText(c.text);
        const TFLAttrInfo* info = FindBrushAttribute(c.name);
        ASSERT_NE(info, nullptr) << c.name;
        const double stored = info->real ? record.*info->real : record.*info->whole;
        EXPECT_TRUE(std::isfinite(stored)) << c.text;
        EXPECT_EQ(stored, c.expected) << c.text;
    }
}

TEST(VbrHandler, TextNamingNoAttributeGivesTheBlankRecordInEveryField) {
    // Start from values unlike both the initial and the blank ones: every
    // field must be assigned.
    TBrushRecord record;
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        if (info.real) record.*info.real = 123.0;
        if (info.flag) record.*info.flag = true;
        if (info.whole) record.*info.whole = 123;
        if (info.text) (record.*info.text).Set("stale");
    }
    const std::string text = "commands \"nothing\" here; // \"Tubes\" 1;";
    TFLVbrHandler(text.data(), static_cast<int>(text.size())).FillRecord(record);
    EXPECT_EQ(FirstDifference(record, TBrushRecord::Blank()), "");
}

TEST(VbrHandler, EveryAttributeOfTheTableIsRead) {
    // A file naming each attribute with the value 1 sets each field by its kind.
    std::string text;
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) text += std::string("setAttr \"") + table[i].name + "\" 1;\n";
    const TBrushRecord record = ReadText(text);
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        switch (info.kind) {
            case TFLAttrKind::OPACITY: EXPECT_EQ(record.*info.real, 0.0) << info.name; break;
            case TFLAttrKind::REAL:
            case TFLAttrKind::COUNT: EXPECT_EQ(record.*info.real, 1.0) << info.name; break;
            case TFLAttrKind::FLAG: EXPECT_TRUE(record.*info.flag) << info.name; break;
            case TFLAttrKind::IGNORED: EXPECT_FALSE(record.*info.flag) << info.name; break;
            case TFLAttrKind::WHOLE:
            case TFLAttrKind::WHOLE012: EXPECT_EQ(record.*info.whole, 1) << info.name; break;
            case TFLAttrKind::NAME: EXPECT_TRUE((record.*info.text).Equals("1")) << info.name; break;
        }
    }
}

TEST(ReadPreset, MissingPathsAndFoldersLeaveTheRecordUntouched) {
    TempTree tree;
    tree.MakeFolder("folder.vbr");
    const std::string paths[] = {tree.Path("absent.vbr"), tree.Path("folder.vbr"), tree.Folder(), ""};
    for (const std::string& path : paths) {
        TBrushRecord record;
        record.brushWidth = 42.0;
        EXPECT_FALSE(ReadPreset(path.c_str(), record)) << path;
        EXPECT_EQ(record.brushWidth, 42.0) << path;
        EXPECT_EQ(FirstDifference(record, [] {
                      TBrushRecord r;
                      r.brushWidth = 42.0;
                      return r;
                  }()),
                  "")
            << path;
    }
    TBrushRecord record;
    EXPECT_FALSE(ReadPreset(nullptr, record));
}

TEST(ReadPreset, ReadsTheWholeFileIncludingBytesAfterZeros) {
    TempTree tree;
    std::string bytes = "\"brushWidth\" 0.5;";
    bytes += std::string(3, '\0');
    bytes += std::string(200, 'x');  // more than one read piece
    bytes += "\"segments\" 12;\r\n\"imageName\" \"bark.bmp\";";
    const std::string path = tree.Write("plants/bark.vbr", bytes);
    TBrushRecord record;
    ASSERT_TRUE(ReadPreset(path.c_str(), record));
    EXPECT_EQ(record.brushWidth, 0.5);
    EXPECT_EQ(record.segments, 12);
    EXPECT_TRUE(record.imageName.Equals("bark.bmp"));
}

TEST(ReadPreset, AnEmptyFileGivesTheBlankRecord) {
    TempTree tree;
    const std::string path = tree.Write("empty.vbr", "");
    TBrushRecord record;
    ASSERT_TRUE(ReadPreset(path.c_str(), record));
    EXPECT_EQ(FirstDifference(record, TBrushRecord::Blank()), "");
}

TEST(ReadPreset, TextPastTheReadLimitIsNotSeen) {
    TempTree tree;
    std::string bytes = "\"brushWidth\" 0.5;";
    bytes.resize(static_cast<size_t>(kPresetReadLimit), ' ');
    bytes += "\"segments\" 12;";
    const std::string path = tree.Write("big.vbr", bytes);
    TBrushRecord record;
    ASSERT_TRUE(ReadPreset(path.c_str(), record));
    EXPECT_EQ(record.brushWidth, 0.5);
    EXPECT_EQ(record.segments, 0);
}

TEST(PresetWholeValue, KeepsTheLowSixteenBitsAtAnyMagnitude) {
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {{0, 0},           {2.9, 2},          {-2.9, -2},         {32767, 32767},
                          {32768, -32768},  {65535, -1},       {65536, 0},         {-65536, 0},
                          {-65537, -1},     {4294967297.0, 1}, {DBL_MAX, 0},       {-DBL_MAX, 0},
                          {NAN, 0},         {INFINITY, 0},     {1048576.75, 0},    {-70000, -4464}};
    for (const Case& c : cases) EXPECT_EQ(PresetWholeValue(c.in), c.out) << c.in;
}

}  // namespace
