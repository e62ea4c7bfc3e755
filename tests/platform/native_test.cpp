#include "platform/native.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include "platform/posix/host_window.h"
#endif

namespace {

TEST(PlatformProgramFolder, IsTheTestProgramsFolderWithATrailingSeparator) {
    char folder[1024];
    const int n = PlatformProgramFolder(folder, sizeof folder);
    ASSERT_GT(n, 0);
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(folder));
    EXPECT_EQ(folder[n - 1], kPathSeparator);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    char tiny[4];
    EXPECT_EQ(PlatformProgramFolder(tiny, sizeof tiny), 0);
    EXPECT_EQ(PlatformProgramFolder(nullptr, 100), 0);
}

TEST(PlatformTickCount, NeverRunsBackwards) {
    const uint32_t a = PlatformTickCount();
    const uint32_t b = PlatformTickCount();
    EXPECT_LE(a, b);
}

#ifndef _WIN32

class CFakeTarget : public CPBlitTarget {
public:
    bool Blit(const TRect&, const CPOffscreen&, const TRect&) override { return true; }
};

class CFakeWindow : public CPHostWindow {
public:
    TRect ClientRect() const override { return {0, 0, 640, 480}; }
    CPBlitTarget* Target() override { return &target; }
    CFakeTarget target;
};

TEST(PosixNative, ForwardsToTheHostWindow) {
    CFakeWindow window;
    EXPECT_EQ(PlatformSetTimer(&window, 99, 20), 99u);
    EXPECT_EQ(window.TimerPeriod(), 20u);
    EXPECT_FALSE(PlatformKillTimer(&window, 98));
    EXPECT_TRUE(PlatformKillTimer(&window, 99));
    TRect rect;
    ASSERT_TRUE(PlatformGetClientRect(&window, &rect));
    EXPECT_EQ(rect, (TRect{0, 0, 640, 480}));
    EXPECT_EQ(PlatformGetDC(&window), static_cast<NativeDC>(static_cast<CPBlitTarget*>(&window.target)));
    EXPECT_EQ(PlatformGetDC(nullptr), nullptr);
    EXPECT_FALSE(PlatformGetClientRect(nullptr, &rect));
    EXPECT_EQ(PlatformThisModule(), nullptr);
}

uint32_t gVirtualNow = 0;
bool gVirtualInput = false;

TEST(PosixNative, ClockAndInputComeFromTheHostServices) {
    PosixServices().tickCount = [] { return gVirtualNow; };
    PosixServices().inputPending = [] { return gVirtualInput; };
    gVirtualNow = 123456;
    EXPECT_EQ(PlatformTickCount(), 123456u);
    EXPECT_FALSE(PlatformInputPending());
    gVirtualInput = true;
    EXPECT_TRUE(PlatformInputPending());
    PosixServices() = PosixHostServices{};
    EXPECT_FALSE(PlatformInputPending());  // no source: never
    EXPECT_NE(PlatformTickCount(), 123456u);
}

#endif

}  // namespace
