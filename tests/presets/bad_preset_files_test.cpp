// The malformed presets kept under tests/data/bad: each file's name says
// what it is and what must happen when it is read.
#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "presets/vbr_reader.h"
#include "record_compare.h"
#include "record_sanity.h"

namespace {

std::filesystem::path BadFolder() { return std::filesystem::path(TF_SOURCE_DIR) / "tests" / "data" / "bad"; }

TEST(BadPresetFiles, EveryOneLoadsIntoASaneRecord) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(BadFolder())) {
        if (entry.path().extension() != ".vbr") continue;
        ++files;
        TBrushRecord record;
        EXPECT_TRUE(ReadPreset(entry.path().string().c_str(), record)) << entry.path();
        EXPECT_EQ(FirstInsaneField(record), "") << entry.path();
    }
    EXPECT_GT(files, 0) << "the fixtures are missing from " << BadFolder();
}

TEST(BadPresetFiles, EachGivesTheValuesItsNameStates) {
    using Check = std::function<void(const TBrushRecord&)>;
    const std::map<std::string, Check> checks = {
        {"truncated-value.loads.vbr",
         [](const TBrushRecord& r) {
             EXPECT_EQ(r.brushWidth, 0.25);
             EXPECT_EQ(r.segments, 0) << "a value with no semicolon after it reads 0";
         }},
        {"binary-garbage.loads.vbr",
         [](const TBrushRecord& r) { EXPECT_EQ(r.segments, 0) << "the value starts with a zero byte"; }},
        {"huge-numbers.clamped.vbr",
         [](const TBrushRecord& r) {
             EXPECT_EQ(r.brushWidth, 1e300);
             EXPECT_EQ(r.globalScale, DBL_MAX);
             EXPECT_EQ(r.stampDensity, -5.0);
             EXPECT_EQ(r.softness, 0.0);
             EXPECT_EQ(r.tubesPerStep, 0.0);
             EXPECT_EQ(r.segments, 0);
             EXPECT_EQ(r.leafSegments, 0);
             EXPECT_EQ(r.translucence, DBL_MAX);
             EXPECT_EQ(r.fakeShadow, 0);
             EXPECT_EQ(r.blurIntensity, 0) << "2^31 keeps no low bits";
         }},
        {"long-name.cut-before-cleaning.vbr",
         [](const TBrushRecord& r) {
             // The value text ` "nnn...` is cut to 63 bytes; the space and the
             // quote then go, leaving 61 letters.
             EXPECT_EQ(std::string(r.imageName.CStr()), std::string(61, 'n'));
             EXPECT_EQ(std::string(r.leafImage.CStr()), std::string(31, 'a')) << "63 bytes before the spaces go";
         }},
        {"unbalanced-quotes.loads.vbr",
         [](const TBrushRecord& r) {
             EXPECT_EQ(r.brushWidth, 0.0);
             EXPECT_EQ(r.segments, 12);
             EXPECT_TRUE(r.imageName.Equals("bark.bmp"));
             EXPECT_TRUE(r.tubes);
         }},
        {"nul-bytes.loads.vbr",
         [](const TBrushRecord& r) {
             EXPECT_EQ(r.brushWidth, 0.5);
             EXPECT_EQ(r.segments, 12);
             EXPECT_EQ(r.imageName.Length(), 9);
         }},
        {"empty.blank.vbr", [](const TBrushRecord& r) { EXPECT_EQ(FirstDifference(r, TBrushRecord::Blank()), ""); }},
        {"no-semicolons.blank.vbr",
         [](const TBrushRecord& r) { EXPECT_EQ(FirstDifference(r, TBrushRecord::Blank()), ""); }},
        {"duplicates.first-wins.vbr",
         [](const TBrushRecord& r) {
             EXPECT_EQ(r.brushWidth, 0.5);
             EXPECT_EQ(r.segments, 4);
         }},
    };
    for (const auto& [name, check] : checks) {
        const std::filesystem::path path = BadFolder() / name;
        SCOPED_TRACE(name);
        TBrushRecord record;
        ASSERT_TRUE(ReadPreset(path.string().c_str(), record));
        check(record);
    }
}

}  // namespace
