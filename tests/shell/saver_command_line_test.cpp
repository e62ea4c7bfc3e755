#include "shell/saver_command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* line;
    TSaverMode mode;
    uintptr_t window;
};

TEST(SaverCommandLine, EveryForm) {
    const Case cases[] = {
        {"", TSaverMode::ConfigureAlone, 0},
        {"   ", TSaverMode::ConfigureAlone, 0},
        {"/s", TSaverMode::FullScreen, 0},
        {"-S", TSaverMode::FullScreen, 0},
        {"  \t/s", TSaverMode::FullScreen, 0},
        {"s", TSaverMode::FullScreen, 0},
        {"/p 1234", TSaverMode::Preview, 1234},
        {"/P 99", TSaverMode::Preview, 99},
        {"/l 42", TSaverMode::Preview, 42},
        {"-L 7", TSaverMode::Preview, 7},
        {"/p1234", TSaverMode::Preview, 1234},
        {"/p", TSaverMode::Preview, 0},
        {"/p x12", TSaverMode::Preview, 0},
        {"/c", TSaverMode::Configure, 0},
        {"/c:5678", TSaverMode::Configure, 5678},
        {"/C 5678", TSaverMode::Configure, 5678},
        {"/c:", TSaverMode::Configure, 0},
        {"/a 31", TSaverMode::Password, 31},
        {"-A", TSaverMode::Password, 0},
        {"/x", TSaverMode::ConfigureAlone, 0},
        {"/", TSaverMode::ConfigureAlone, 0},
        // The switch letter alone decides: what follows it is only the handle.
        {"/screen", TSaverMode::FullScreen, 0},
        {"/p 4294967296", TSaverMode::Preview, sizeof(uintptr_t) > 4 ? 4294967296u : 0},
        {"/p 99999999999999999999999", TSaverMode::Preview, 0},
    };
    for (const Case& c : cases) {
        const SSaverCommand command = ParseSaverCommandLine(c.line);
        EXPECT_EQ(command.mode, c.mode) << "\"" << c.line << "\"";
        EXPECT_EQ(command.window, c.window) << "\"" << c.line << "\"";
    }
}

TEST(SaverCommandLine, NullLineAsksForTheSettings) {
    const SSaverCommand command = ParseSaverCommandLine(nullptr);
    EXPECT_EQ(command.mode, TSaverMode::ConfigureAlone);
    EXPECT_EQ(command.window, 0u);
}

}  // namespace
