#include "hosts/x11/saver_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/x11/x11_messages.h"

namespace {

bool Parse(std::vector<const char*> args, SaverOptions& o, std::string& error) {
    return ParseSaverOptions(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(SaverOptions, WindowIdsAreDecimalOrHexAndNeverZero) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t id;
    } cases[] = {{"4194311", true, 4194311}, {"0x400007", true, 0x400007}, {"0X1f", true, 0x1F},
                 {"0", false, 0},            {"0x", false, 0},             {"-5", false, 0},
                 {"12abc", false, 0},        {"", false, 0},               {"0x100000000", false, 0}};
    for (const Case& c : cases) {
        uint64_t id = 0;
        EXPECT_EQ(ParseWindowId(c.text, id), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(id, c.id) << c.text;
        }
    }
}

TEST(SaverOptions, ReadsTheHostAndRunOptionsIncludingSingleDashOnes) {
    SaverOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "640x480", "-root", "--fps", "--force", "3", "--background", "dark"}, o, error))
        << error;
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_TRUE(o.root);
    EXPECT_TRUE(o.fps);
    EXPECT_EQ(*o.forceMode[0], 3);
    EXPECT_EQ(*o.background, 0);
}

TEST(SaverOptions, RejectsBadInputWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--geometry", "12"}, {"--window-id", "abc"}, {"--root", "--window-id", "5"}, {"--speed", "0"},
        {"--geometry"},       {"stray"}};
    for (const auto& args : bad) {
        SaverOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(WinMessages, PointsPackAsMakeLParamWithNegativeCoordinatesInSixteenBits) {
    EXPECT_EQ(PackPoint(10, 20), (20 << 16) | 10);
    EXPECT_EQ(PackPoint(-1, 3), (3 << 16) | 0xFFFF);
    EXPECT_EQ(static_cast<int16_t>(PackPoint(-7, 0) & 0xFFFF), -7);
}

TEST(WinMessages, KeySymbolsMapToVirtualKeys) {
    EXPECT_EQ(VirtualKeyOf(0x0061), 'A');     // XK_a
    EXPECT_EQ(VirtualKeyOf(0x0035), '5');     // XK_5
    EXPECT_EQ(VirtualKeyOf(0xFF1B), 0x1Bu);   // XK_Escape
    EXPECT_EQ(VirtualKeyOf(0xFF0D), 0x0Du);   // XK_Return
    EXPECT_EQ(VirtualKeyOf(0xFFBE), 0x70u);   // XK_F1
    EXPECT_EQ(VirtualKeyOf(0xFF51), 0x25u);   // XK_Left
    EXPECT_EQ(VirtualKeyOf(0x12345678), 0u);
}

}  // namespace
