#include "hosts/headless/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& o, std::string& error) {
    return ParseRenderOptions(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(RenderOptions, DefaultsWhenNothingIsGiven) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_EQ(o.width, 1280);
    EXPECT_EQ(o.height, 720);
    EXPECT_EQ(o.frames, 250);
    EXPECT_FALSE(o.clock.has_value());
    EXPECT_EQ(o.out, "flourish.png");
}

TEST(RenderOptions, ReadsEveryOption) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "640x480", "--frames", "7", "--clock", "4294967295", "--out", "x.bmp", "--preset",
                       "a.vbr", "--preset2", "plants/b.vbr", "--force", "-1", "--force2", "13", "--background",
                       "dark", "--depth", "off", "--speed", "12.5", "--pace", "7.5"},
                      o, error))
        << error;
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.frames, 7);
    EXPECT_EQ(*o.clock, 4294967295u);
    EXPECT_EQ(o.out, "x.bmp");
    EXPECT_EQ(*o.preset[0], "a.vbr");
    EXPECT_EQ(*o.preset[1], "plants/b.vbr");
    EXPECT_EQ(*o.forceMode[0], -1);
    EXPECT_EQ(*o.forceMode[1], 13);
    EXPECT_EQ(*o.background, 0);
    EXPECT_EQ(*o.useDepth, 0);
    EXPECT_FLOAT_EQ(*o.speed, 12.5f);
    EXPECT_FLOAT_EQ(*o.pace, 7.5f);
}

TEST(RenderOptions, PaceMaxIsTheFastestPace) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(o.pace.has_value()) << "without --pace the profile's pace holds";
    ASSERT_TRUE(Parse({"--pace", "max"}, o, error)) << error;
    EXPECT_FLOAT_EQ(*o.pace, 1000.0f);
}

TEST(RenderOptions, RejectsBadValues) {
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "0x100"},     {"--size", "100x-5"},   {"--size", "16385x10"}, {"--size", "100"},
        {"--size", "axb"},       {"--frames", "ten"},    {"--frames", "-1"},     {"--frames", "3.5"},
        {"--clock", "-2"},       {"--clock", "soon"},    {"--force", "14"},      {"--force2", "-2"},
        {"--background", "red"}, {"--depth", "maybe"},   {"--speed", "0"},       {"--speed", "nan"},
        {"--speed", "1e9"},      {"--unknown", "1"},     {"--out"},              {"stray"},
        {"--out", ""},           {"--pace", "0"},        {"--pace", "1001"},     {"--pace", "fast"},
        {"--pace", "inf"},
    };
    for (const auto& args : bad) {
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos) << "the error is one line: " << error;
    }
}

}  // namespace
