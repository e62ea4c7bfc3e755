#include "shell/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ProfileCase {
    const char* name;
    const char* text;
    const char* category1;
    const char* preset1;
    const char* category2;
    const char* preset2;
    int painters;
    int forceMode1;
    int forceMode2;
    float speed;
};

class ProfileParse : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileParse, ReadsTheProfileText) {
    const ProfileCase& c = GetParam();
    SaverSettings s;
    // Start from values a profile must overwrite.
    s.Speed = 99;
    s.ForceMode1 = 7;
    ParseSettings(c.text, s);
    EXPECT_STREQ(s.Category1, c.category1);
    EXPECT_STREQ(s.PresetName1, c.preset1);
    EXPECT_STREQ(s.Category2, c.category2);
    EXPECT_STREQ(s.PresetName2, c.preset2);
    EXPECT_EQ(s.painterCount, c.painters);
    EXPECT_EQ(s.ForceMode1, c.forceMode1);
    EXPECT_EQ(s.ForceMode2, c.forceMode2);
    EXPECT_FLOAT_EQ(s.Speed, c.speed);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ProfileParse,
    ::testing::Values(
        ProfileCase{"Empty", "", "plants", "vineLeafy.vbr", "", "", 1, -1, -1, 20},
        ProfileCase{"EmptySecondPreset", "PresetName1=a.vbr;Category1=x;PresetName2=;", "x", "a.vbr", "", "", 1, -1,
                    -1, 20},
        ProfileCase{"InheritedCategory", "Category1=trees;PresetName1=oak.vbr;PresetName2=x.vbr;", "trees", "oak.vbr",
                    "trees", "x.vbr", 2, -1, -1, 20},
        ProfileCase{"KeyInsideLongerWord", "MySpeed=3;", "plants", "vineLeafy.vbr", "", "", 1, -1, -1, 20},
        ProfileCase{"LaterWholeKeyStillFound", "MySpeed=3;Speed=7.5000;", "plants", "vineLeafy.vbr", "", "", 1, -1,
                    -1, 7.5f},
        ProfileCase{"LoneOldForceMode", "ForceMode=4.0000;", "plants", "vineLeafy.vbr", "", "", 1, 4, -1, 20},
        ProfileCase{"NewKeyWinsOverOld", "ForceMode=4.0000;ForceMode1=9.0000;", "plants", "vineLeafy.vbr", "", "", 1,
                    9, -1, 20},
        ProfileCase{"OldNamesAreRead", "Category=grass;PresetName=blade.vbr;", "grass", "blade.vbr", "", "", 1, -1,
                    -1, 20},
        ProfileCase{"ValueWithoutSeparatorIsAbsent", "Speed=30", "plants", "vineLeafy.vbr", "", "", 1, -1, -1, 20},
        ProfileCase{"NotANumberReadsZero", "Speed=fast;ForceMode1=nan;", "plants", "vineLeafy.vbr", "", "", 1, 0, -1,
                    0},
        ProfileCase{"BlankBeforeKeyCounts", " Speed=12.0000;\nForceMode2=3.9;PresetName2=b.vbr;Category2=c;",
                    "plants", "vineLeafy.vbr", "c", "b.vbr", 2, -1, 3, 12}),
    [](const ::testing::TestParamInfo<ProfileCase>& info) { return std::string(info.param.name); });

TEST(ProfileFormat, WritesTheDocumentedLine) {
    SaverSettings s;
    std::strcpy(s.Category2, "plants");
    std::strcpy(s.PresetName2, "vineLeafy.vbr");
    s.painterCount = 2;
    EXPECT_EQ(FormatSettings(s),
              "Category1=plants;PresetName1=vineLeafy.vbr;Category2=plants;PresetName2=vineLeafy.vbr;"
              "Speed=20.0000;Pace=10.0000;Background=1.0000;SaveToClip=0.0000;UseDepth=1.0000;ForceMode1=-1.0000;"
              "ForceMode2=-1.0000;");
}

TEST(ProfileFormat, OnePainterLeavesOutTheSecondPainterKeys) {
    SaverSettings s;
    const std::string text = FormatSettings(s);
    EXPECT_EQ(text.find("Category2"), std::string::npos);
    EXPECT_EQ(text.find("ForceMode2"), std::string::npos);
}

TEST(ProfileParse, HugeSpeedStaysAFiniteNumber) {
    SaverSettings s;
    ParseSettings("Speed=6e54;", s);
    EXPECT_TRUE(std::isfinite(s.Speed));
    EXPECT_GT(s.Speed, 1e38f);
}

TEST(ProfileParse, SecondPresetStartingWithAZeroByteNamesNoSecondPainter) {
    SaverSettings s;
    ParseSettings(std::string("PresetName2=\0x.vbr;", 19), s);
    EXPECT_EQ(s.painterCount, 1);
    EXPECT_STREQ(s.PresetName2, "");
}

TEST(ProfileFormat, LongNamesAreCutToFit) {
    const std::string name(300, 'n');
    SaverSettings s;
    ParseSettings("PresetName1=" + name + ";", s);
    EXPECT_EQ(std::string(s.PresetName1), name.substr(0, 127));
}

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override {
        // A file of each test's own: ctest runs the tests side by side.
        path_ = ::testing::TempDir() + "tf_profile_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                ".prf";
        std::remove(path_.c_str());
        SetProfilePathForTests(path_.c_str());
    }
    void TearDown() override {
        SetProfilePathForTests(nullptr);
        std::remove(path_.c_str());
    }
    std::string path_;
};

TEST_F(ProfileFile, SaveThenLoadGivesTheSameSettings) {
    SaverSettings out;
    std::strcpy(out.Category1, "trees");
    std::strcpy(out.PresetName1, "oak.vbr");
    std::strcpy(out.Category2, "grass");
    std::strcpy(out.PresetName2, "blade.vbr");
    out.painterCount = 2;
    out.Speed = 33.25f;
    out.Pace = 7.5f;
    out.Background = 0;
    out.SaveToClip = 1;
    out.UseDepth = 0;
    out.ForceMode1 = 13;
    out.ForceMode2 = 0;
    ASSERT_TRUE(SaveSettings(out));
    SaverSettings in;
    LoadSettings(in);
    EXPECT_EQ(FormatSettings(in), FormatSettings(out));
    EXPECT_EQ(in.painterCount, 2);
    EXPECT_FLOAT_EQ(in.Pace, 7.5f);
}

TEST_F(ProfileFile, MissingProfileGivesDefaults) {
    SaverSettings s;
    s.Background = 2;
    LoadSettings(s);
    EXPECT_STREQ(s.PresetName1, "vineLeafy.vbr");
    EXPECT_STREQ(s.Category1, "plants");
    EXPECT_EQ(s.Background, 1);
    EXPECT_EQ(s.UseDepth, 1);
    EXPECT_EQ(s.ForceMode1, -1);
    EXPECT_EQ(s.repaintMinutes, 10);
    EXPECT_FLOAT_EQ(s.Pace, kDefaultPace);
}

TEST(ProfileParse, PaceIsReadAndAnAbsentPaceKeepsTheDefault) {
    SaverSettings s;
    s.Pace = 3.0f;
    ParseSettings("Speed=20.0000;", s);
    EXPECT_FLOAT_EQ(s.Pace, kDefaultPace);
    ParseSettings("Pace=1000.0000;", s);
    EXPECT_FLOAT_EQ(s.Pace, kMaxPace);
    // "Pace" inside a longer key is not the pace.
    ParseSettings("MyPace=3.0000;Pace=12.5000;", s);
    EXPECT_FLOAT_EQ(s.Pace, 12.5f);
}

TEST_F(ProfileFile, ProfileLongerThanOneReadPieceIsReadWhole) {
    // The profile is read in pieces; a key beyond the first piece still counts.
    std::ofstream(path_) << std::string(200, ' ') << "Speed=41.0000;";
    SaverSettings s;
    LoadSettings(s);
    EXPECT_FLOAT_EQ(s.Speed, 41.0f);
}

TEST_F(ProfileFile, UnwritableProfileReportsFailureAndKeepsNothingHalfWritten) {
    const std::string folder = ::testing::TempDir() + "tf_no_such_folder/x/";
    SetProfilePathForTests((folder + "TarnFLSaver.prf").c_str());
    SaverSettings s;
    EXPECT_FALSE(SaveSettings(s));
}

}  // namespace
