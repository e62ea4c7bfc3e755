// A completion taken one step at a time grows the finished stroke's tubes
// exactly as far as the one-call completion: the same picture, spread over
// many steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/drand48.h"
#include "base/random.h"
#include "presets/brush_record.h"
#include "render/paint_canvas.h"
#include "shell/paint_context.h"
#include "shell/preset_loader.h"
#include "stroke/stroke_state.h"
#include "tests/common/frame_work_reset.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

struct PresetCanvas {
    explicit PresetCanvas(const char* preset) : pixels(kW * kH * 4, 0) {
        RandomResetForTests();
        Drand48ResetForTests();
        context.canvas->SetExternalLayer(0, pixels.data(), kW, kH, 0, false);
        context.canvas->FillColour(0.2, 0.3, 0.4, 0);
        const std::string root = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/";
        loaded = LoadPainterPreset(context, (root + preset).c_str(), (root + "~brushImages").c_str(), 1, nullptr, 0);
        // A small stroke across the middle, so the plants stay on the canvas.
        context.StartStroke(Point(0), 0);
        for (int k = 1; k <= kPoints; ++k) context.ContinueStroke(changed, Point(k), 0);
    }
    static TFLPoint Point(int k) { return {0.2 + 0.02 * k, 0.25 + 0.004 * k, 0, 1}; }

    static constexpr int kPoints = 12;
    std::vector<uint8_t> pixels;
    TPaintContext context;
    TRect changed{0, 0, 0, 0};
    bool loaded = false;
};

class StepwiseCompletion : public ::testing::TestWithParam<const char*> {};

TEST_P(StepwiseCompletion, GrowsAsFarAsTheOneCallCompletion) {
    PresetCanvas once(GetParam());
    PresetCanvas stepwise(GetParam());
    ASSERT_TRUE(once.loaded && stepwise.loaded) << GetParam();
    ASSERT_EQ(once.pixels, stepwise.pixels);
    ASSERT_GT(once.context.slot[0].stroke->particles.LiveCount(), 0) << "the stroke must leave tubes growing";

    const TFLPoint end = PresetCanvas::Point(PresetCanvas::kPoints);
    once.context.CompleteStroke(once.changed, end, 0);

    TRect changed{0, 0, 0, 0};
    ASSERT_TRUE(stepwise.context.BeginCompletion(changed, end, 0));
    const std::vector<uint8_t> atBegin = stepwise.pixels;
    EXPECT_EQ(atBegin, stepwise.pixels) << "beginning paints nothing";
    int steps = 0;
    std::vector<uint8_t> afterFirst;
    while (stepwise.context.StepCompletion(changed, 0)) {
        if (++steps == 1) afterFirst = stepwise.pixels;
        ASSERT_LT(steps, 20000);
    }
    EXPECT_GT(steps, 2) << "the growth is spread over steps";
    EXPECT_NE(afterFirst, atBegin) << "the first step paints";
    EXPECT_NE(afterFirst, stepwise.pixels) << "later steps paint on";
    EXPECT_EQ(once.pixels, stepwise.pixels) << "the same picture as the one-call completion";
    EXPECT_EQ(stepwise.context.slot[0].stroke->particles.Count(), 0) << "a finished completion clears its cache";
    EXPECT_FALSE(stepwise.context.StepCompletion(changed, 0));
    EXPECT_EQ(once.context.slot[0].pointCount, stepwise.context.slot[0].pointCount);
}

INSTANTIATE_TEST_SUITE_P(Presets, StepwiseCompletion,
                         ::testing::Values("plants/vineLeafy.vbr", "trees/oakSpread.vbr", "sea/kelpRibbons.vbr"));

TEST(StepwiseCompletionStart, StartingAStrokeAbandonsTheCompletion) {
    PresetCanvas c("plants/vineLeafy.vbr");
    TRect changed{0, 0, 0, 0};
    ASSERT_TRUE(c.context.BeginCompletion(changed, PresetCanvas::Point(PresetCanvas::kPoints), 0));
    c.context.StartStroke({0.5, 0.5, 0, 1}, 0);
    const std::vector<uint8_t> before = c.pixels;
    EXPECT_FALSE(c.context.StepCompletion(changed, 0));
    EXPECT_EQ(before, c.pixels);
}

TEST(StepwiseCompletionStart, ABodyBrushHasNothingToGrow) {
    PresetCanvas c("basics/plainSoft.vbr");
    TRect changed{0, 0, 0, 0};
    EXPECT_FALSE(c.context.BeginCompletion(changed, PresetCanvas::Point(PresetCanvas::kPoints), 0));
    EXPECT_FALSE(c.context.StepCompletion(changed, 0));
}

}  // namespace
