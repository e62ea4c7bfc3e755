// The frame driver on the headless host's virtual window: start-up, logo
// choice, the timer, painters, the input poll and the background.
#include "shell/frame_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/random.h"
#include "hosts/headless/headless_window.h"
#include "motion/brush_walker.h"
#include "platform/offscreen.h"
#include "render/paint_canvas.h"
#include "render/stamp_span.h"
#include "shell/paint_context.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"
#include "shell/settings.h"
#include "stroke/frame_work.h"
#include "tubes/particle_cache.h"

namespace {

class FrameDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFrameDriver();
        ResetRunOverrides();
        // No profile: every run starts from the defaults.
        SetProfilePathForTests((::testing::TempDir() + "tf_frame_driver_missing.prf").c_str());
        World() = VirtualWorld{};
        World().startSeconds = 4242;
        InstallVirtualWorld();
    }
    void TearDown() override {
        ResetFrameDriver();
        ResetFrameWorkForTests();
        ResetRunOverrides();
        SetProfilePathForTests(nullptr);
    }
    static NativeWindow Handle(HeadlessWindow& w) { return static_cast<CPHostWindow*>(&w); }
    static void Frames(HeadlessWindow& w, int count) {
        for (int k = 0; k < count; ++k) {
            World().elapsedMilliseconds += kFrameTimerPeriod;
            ScreenSaverProc(Handle(w), kMsgTimer, kFrameTimerId, 0);
        }
    }
};

TEST_F(FrameDriverTest, EraseBackgroundStartsTheTimerAndOnlyTheFirstTimerTickStartsPainting) {
    HeadlessWindow window(320, 200);
    EXPECT_EQ(ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0), 1);
    EXPECT_EQ(window.TimerId(), kFrameTimerId);
    EXPECT_EQ(window.TimerPeriod(), kFrameTimerPeriod);
    EXPECT_FALSE(FrameDriver().started) << "painting starts with the first frame, not the erase";
    Frames(window, 1);
    ASSERT_TRUE(FrameDriver().started);
    TPaintContext* context = FrameDriver().context;
    // A second erase resets the timer but does not start the painting again.
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    EXPECT_EQ(window.TimerId(), kFrameTimerId);
    Frames(window, 1);
    EXPECT_EQ(FrameDriver().context, context);
    ScreenSaverProc(Handle(window), kMsgDestroy, 0, 0);
    EXPECT_FALSE(FrameDriver().started);
    EXPECT_EQ(window.TimerId(), 0u) << "destroy kills the timer";
    EXPECT_EQ(FrameDriver().context, nullptr);
    EXPECT_EQ(FrameDriver().canvas, nullptr);
}

TEST_F(FrameDriverTest, LogoFollowsTheWindowWidth) {
    const struct {
        int width;
        int logoWidth;  // 0: no logo
    } cases[] = {{399, 0}, {400, 101}, {799, 101}, {800, 112}, {1023, 112}, {1024, 144}, {1279, 144}, {1280, 178}};
    for (const auto& c : cases) {
        ResetFrameDriver();
        HeadlessWindow window(c.width, 300);
        ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
        Frames(window, 1);
        const TFrameDriver& d = FrameDriver();
        if (c.logoWidth == 0) {
            EXPECT_EQ(d.logo, nullptr) << "width " << c.width;
            continue;
        }
        ASSERT_NE(d.logo, nullptr) << "width " << c.width;
        EXPECT_EQ(d.logo->Width(), c.logoWidth) << "width " << c.width;
        EXPECT_EQ(d.logoRect.right, c.width - 8);
        EXPECT_EQ(d.logoRect.bottom, 300 - 8);
        EXPECT_EQ(d.logoRect.left, c.width - 8 - c.logoWidth);
        ASSERT_NE(d.logoScratch, nullptr);
        EXPECT_EQ(d.logoScratch->Width(), c.logoWidth);
    }
}

TEST_F(FrameDriverTest, OnePainterWithoutASecondPreset) {
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    EXPECT_EQ(FrameDriver().painterCount, 1u);
    const float before[2] = {FrameDriver().position[1][0], FrameDriver().position[1][1]};
    Frames(window, 5);
    EXPECT_EQ(FrameDriver().position[1][0], before[0]) << "painter 1 does not walk";
    EXPECT_EQ(FrameDriver().position[1][1], before[1]);
}

// With one painter the start-up takes eleven draws (a place, a direction
// and the new walker's two orbit directions) before the background takes
// its six, so a start second gives the first background of those draws.
TEST_F(FrameDriverTest, OnePainterTakesOnlyItsOwnStartDraws) {
    RunOverrides().background = 1;
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    ASSERT_EQ(FrameDriver().painterCount, 1u);
    EXPECT_EQ(FrameDriver().walker[1], nullptr) << "painter 2 gets no walker";

    TRandomState g{World().startSeconds, 1, 1};
    RandomNext(g);
    for (int k = 0; k < 11; ++k) RandomNext(g);
    double c[3];
    for (double& channel : c) channel = 0.2 * UnitFromWord(RandomNext(g)) + 0.7;
    const double* background = FrameDriver().context->canvas->shading.background;
    for (int k = 0; k < 3; ++k) {
        const double d = std::min(1.0, c[k] + 0.25 * UnitFromWord(RandomNext(g)));
        EXPECT_DOUBLE_EQ(background[k], (c[k] + d) / 2) << "channel " << k;
    }
}

TEST_F(FrameDriverTest, PendingInputEndsTheFrameAtOnce) {
    RunOverrides().pace = kMaxPace;
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 2);
    const int32_t quietBlits = window.BlitCount();
    EXPECT_GT(quietBlits, 10) << "without input a frame makes many blits (seed 4242)";

    HeadlessWindow second(320, 200);
    ResetFrameDriver();
    World().keyAfterPolls = 0;  // a key is waiting from the start
    World().polls = 0;
    ScreenSaverProc(Handle(second), kMsgEraseBackground, 0, 0);
    Frames(second, 2);
    // The first frame stops after one pass (its first step blits the whole
    // window); the second after the first painter step.
    EXPECT_LE(second.BlitCount(), 2);
    EXPECT_GE(second.BlitCount(), 1) << "the repainted background still reaches the window";
}

TEST_F(FrameDriverTest, BackgroundRepaintsAfterTenMinutes) {
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    const uint32_t first = FrameDriver().lastClearTime;
    World().elapsedMilliseconds += 599 * 1000;
    Frames(window, 1);
    EXPECT_EQ(FrameDriver().lastClearTime, first);
    World().elapsedMilliseconds += 1000;
    Frames(window, 1);
    EXPECT_EQ(FrameDriver().lastClearTime, first + 600);
}

TEST_F(FrameDriverTest, DarkAndBrightBackgroundsSetTheirDepthFade) {
    const struct {
        int32_t background;
        double nearDepth;
        double gain;
    } cases[] = {{0, -0.4, 1.5}, {1, -0.2, 1.0}};
    for (const auto& c : cases) {
        ResetFrameDriver();
        RunOverrides().background = c.background;
        HeadlessWindow window(64, 48);
        ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
        Frames(window, 1);
        const TPaintCanvas& canvas = *FrameDriver().context->canvas;
        EXPECT_TRUE(canvas.fade.enabled);
        EXPECT_DOUBLE_EQ(canvas.fade.nearDepth, c.nearDepth);
        EXPECT_DOUBLE_EQ(canvas.fade.farDepth, 1.0);
        for (double g : canvas.fade.gain) EXPECT_DOUBLE_EQ(g, c.gain);
    }
}

TEST_F(FrameDriverTest, DarkGradientChannelsStayInTheirRanges) {
    RunOverrides().background = 0;
    RunOverrides().useDepth = 1;
    HeadlessWindow window(64, 48);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    // Layer 1 holds the background copy, untouched by strokes.
    const TCanvasLayer& background = FrameDriver().context->canvas->layer[1];
    ASSERT_NE(background.pixels, nullptr);
    const uint8_t* top = background.Row(background.height - 1);
    const uint8_t* bottom = background.Row(0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_LT(top[k], 0.2 * 255 + 1);
        EXPECT_LT(bottom[k], 0.45 * 255 + 1);
    }
}

// The pixels the window shows after frames whose clock moves by step ms.
std::vector<uint8_t> Picture(const HeadlessWindow& window) {
    const CPOffscreen& screen = window.Screen();
    std::vector<uint8_t> pixels;
    for (int y = 0; y < screen.Height(); ++y)
        pixels.insert(pixels.end(), screen.Row(y), screen.Row(y) + screen.Width() * 4);
    return pixels;
}

TEST_F(FrameDriverTest, FastestPaceMakesTwentyPassesEveryFrameWhateverTheClock) {
    std::vector<uint8_t> pictures[2];
    const uint32_t steps[2] = {kFrameTimerPeriod, 1};
    for (int k = 0; k < 2; ++k) {
        ResetFrameDriver();
        World().elapsedMilliseconds = 0;
        RunOverrides().pace = kMaxPace;
        RunOverrides().forceMode[0] = 6;  // no symmetric replays, which take no walker step
        HeadlessWindow window(240, 160);
        ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
        for (int frame = 0; frame < 30; ++frame) {
            World().elapsedMilliseconds += steps[k];
            ScreenSaverProc(Handle(window), kMsgTimer, kFrameTimerId, 0);
        }
        EXPECT_EQ(FrameDriver().walker[0]->stepCount, 30 * 20) << "clock step " << steps[k];
        pictures[k] = Picture(window);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
}

TEST_F(FrameDriverTest, SlowerPacesWalkByTheClock) {
    const struct {
        float pace;
        uint32_t frameMs;
        int frames;
        double steps;  // walker steps, completions aside
    } cases[] = {{50.0f, 20, 40, 40}, {25.0f, 20, 40, 20}, {10.0f, 100, 10, 9}, {100.0f, 1000, 3, 20 + 20 + 2}};
    for (const auto& c : cases) {
        ResetFrameDriver();
        World().elapsedMilliseconds = 0;
        RunOverrides().pace = c.pace;
        RunOverrides().forceMode[0] = 6;
        // A body brush: no completion takes a pass from the walk.
        RunOverrides().preset[0] = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/basics/plainSoft.vbr";
        HeadlessWindow window(240, 160);
        ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
        for (int frame = 0; frame < c.frames; ++frame) {
            ScreenSaverProc(Handle(window), kMsgTimer, kFrameTimerId, 0);
            World().elapsedMilliseconds += c.frameMs;
        }
        ASSERT_NE(FrameDriver().walker[0], nullptr);
        EXPECT_EQ(FrameDriver().walker[0]->stepCount, c.steps) << "pace " << c.pace;
    }
}

TEST_F(FrameDriverTest, AFrameOwingNoPassStillShowsARepaintedBackground) {
    RunOverrides().pace = 1.0f;
    HeadlessWindow window(64, 48);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    EXPECT_EQ(FrameDriver().walker[0]->stepCount, 0) << "a pace of one step a second owes nothing yet";
    EXPECT_GE(window.BlitCount(), 1);
    const std::vector<uint8_t> shown = Picture(window);
    EXPECT_NE(std::count(shown.begin(), shown.end(), 0), static_cast<long>(shown.size())) << "not black";

}

TEST_F(FrameDriverTest, AFrameThatSpendsItsWorkEndsAndTheNextGoesOn) {
    RunOverrides().pace = kMaxPace;
    RunOverrides().forceMode[0] = 6;  // no symmetric replays, whose steps may paint nothing
    // A body brush lays stamps on every step.
    RunOverrides().preset[0] = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/basics/plainSoft.vbr";
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    TPaintContext& context = *FrameDriver().context;
    // Unbounded, a frame makes its 20 steps.
    int32_t points = context.slot[0].pointCount;
    Frames(window, 1);
    ASSERT_EQ(context.slot[0].pointCount, points + kPassesPerFrame) << "no stroke ends in this frame (seed 4242)";

    // With room for one stamp a frame ends after the step that lays it,
    // and every next frame paints its own step.
    FrameWork().stampCeiling = 1;
    for (int frame = 0; frame < 3; ++frame) {
        points = context.slot[0].pointCount;
        Frames(window, 1);
        EXPECT_EQ(context.slot[0].pointCount, points + 1) << "frame " << frame;
        EXPECT_GE(FrameStamps(*context.canvas), 1) << "frame " << frame;
    }
}

TEST_F(FrameDriverTest, TubeStepsCountTowardTheFramesWork) {
    RunOverrides().pace = kMaxPace;
    RunOverrides().preset[0] = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/plants/vineLeafy.vbr";
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 10);  // long enough for tubes to be growing
    TPaintContext& context = *FrameDriver().context;
    ASSERT_NE(FrameWork().tubeSteps, 0) << "tubes are growing";
    FrameWork().tubeStepCeiling = 1;
    const int32_t points = context.slot[0].pointCount;
    Frames(window, 1);
    EXPECT_GE(FrameWork().tubeSteps, 1);
    EXPECT_LT(context.slot[0].pointCount, points + kPassesPerFrame) << "the frame ends early";
}

TEST_F(FrameDriverTest, AHostilePresetStillMakesBoundedFrames) {
    // The vine sowing a million tubes a step: the cache fills at once and
    // every step grows and paints ten thousand tubes.
    RunOverrides().pace = kMaxPace;
    RunOverrides().preset[0] = std::string(TF_SOURCE_DIR) + "/tests/fuzz/corpus/render/vine_tubes_per_step.vbr";
    HeadlessWindow window(320, 200);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 1);
    TPaintContext& context = *FrameDriver().context;
    int cut = 0;
    for (int frame = 0; frame < 4; ++frame) {
        const int32_t points = context.slot[0].pointCount;
        Frames(window, 1);
        const int64_t stamps = FrameStamps(*context.canvas);
        // A frame stops within a tube span and one growth step of its ceiling.
        EXPECT_LE(stamps, kFrameStampCeiling + kMaxStampsPerSpan) << "frame " << frame;
        EXPECT_LE(FrameWork().tubeSteps, kFrameTubeStepCeiling + kParticleCacheLimit) << "frame " << frame;
        EXPECT_GT(stamps, 0) << "frame " << frame << " paints";
        if (context.slot[0].pointCount - points < kPassesPerFrame) ++cut;
    }
    EXPECT_GT(cut, 0) << "the preset asks for more than a frame's work";
}

}  // namespace
