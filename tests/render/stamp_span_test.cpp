// Laying spans as rows of stamps on a small canvas (projection off: a world
// unit is the longer canvas side in pixels).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/stamp_depth_disc.h"
#include "base/drand48.h"
#include "render/stamp_span.h"
#include "stamp_fixture.h"

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

namespace {

constexpr int32_t kWidth = 200;  // pixels per world unit
constexpr int32_t kHeight = 100;

TStampSpanArgs Span(const TBrushRecord& brush, TPaintCanvas& canvas, StampRun& run, TFLPoint a, TFLPoint b,
                    double w0, double w1) {
    TStampSpanArgs args;
    args.brush = &brush;
    args.canvas = &canvas;
    args.run = &run;
    args.start.point = args.start.interpolate = a;
    args.end.point = args.end.interpolate = b;
    args.start.width = w0;
    args.end.width = w1;
    args.translucence = 1.0;
    TFLVector d = b - a;
    Normalize(d);
    args.direction = d;
    args.up = kAxisZ;
    args.side = Normalized(Cross(d, kAxisZ));
    return args;
}

// The pixel under a world point.
double RedAt(const TTestCanvas& t, double wx, double wy) {
    return t.Get(0, static_cast<int32_t>(wx * kWidth), static_cast<int32_t>(wy * kWidth), 0);
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return a.size() == b.size() ? worst : 1000;
}

}  // namespace

TEST(StampSpan, EqualWidthsAtDensityOneAreAWidthApart) {
    TTestCanvas t(kWidth, kHeight, false);
    TBrushRecord brush = PlainBrush();
    StampRun run;
    // 0.8 world = 160 px at 4 px stamps: the start stamp and one every 4 px before the end.
    StampSpan(Span(brush, t.canvas, run, {0.1, 0.25, 0}, {0.9, 0.25, 0}, 0.02, 0.02));
    EXPECT_EQ(t.canvas.segmentStamps, 40);
    EXPECT_EQ(run.runState, 1);
    EXPECT_NEAR(run.lastWorld.x, 0.1 + 39 * 0.02, 1e-12);
    EXPECT_NEAR(run.distanceToCover, 0.02, 1e-12);
    brush.stampDensity = 2.0;
    StampRun dense;
    t.canvas.segmentStamps = 0;
    StampSpan(Span(brush, t.canvas, dense, {0.1, 0.25, 0}, {0.9, 0.25, 0}, 0.02, 0.02));
    EXPECT_EQ(t.canvas.segmentStamps, 80);
}

TEST(StampSpan, TwoHalfSpansLayTheSameStampsAsOneWhole) {
    struct TCase {
        const char* name;
        double w0, w1;
        double density;
    } cases[] = {{"equal widths", 0.02, 0.02, 1.0}, {"widening", 0.01, 0.04, 1.0}, {"narrowing dense", 0.05, 0.012, 3.0}};
    for (const TCase& c : cases) {
        TBrushRecord brush = PlainBrush();
        brush.stampDensity = c.density;
        brush.softness = 0.5;
        const TFLPoint a{0.1, 0.2, 0}, m{0.5, 0.25, 0}, b{0.9, 0.3, 0};
        TTestCanvas whole(kWidth, kHeight, false);
        StampRun wholeRun;
        StampSpan(Span(brush, whole.canvas, wholeRun, a, b, c.w0, c.w1));

        TTestCanvas halves(kWidth, kHeight, false);
        StampRun halvesRun;
        const double wm = (c.w0 + c.w1) * 0.5;
        StampSpan(Span(brush, halves.canvas, halvesRun, a, m, c.w0, wm));
        StampSpan(Span(brush, halves.canvas, halvesRun, m, b, wm, c.w1));

        EXPECT_EQ(whole.canvas.segmentStamps, halves.canvas.segmentStamps) << c.name;
        EXPECT_NEAR(wholeRun.lastWorld.x, halvesRun.lastWorld.x, 1e-9) << c.name;
        EXPECT_NEAR(wholeRun.lastWorld.y, halvesRun.lastWorld.y, 1e-9) << c.name;
        EXPECT_NEAR(wholeRun.width, halvesRun.width, 1e-9) << c.name;
        EXPECT_NEAR(wholeRun.distanceToCover, halvesRun.distanceToCover, 1e-9) << c.name;
        // Same stamps in the same order: the pictures agree to the dither step.
        EXPECT_LE(MaxDifference(whole.Snapshot(), halves.Snapshot()), 1) << c.name;
    }
}

TEST(StampSpan, ManyShortSpansCarryThePlacementAlong) {
    TBrushRecord brush = PlainBrush();
    TTestCanvas t(kWidth, kHeight, false);
    StampRun run;
    // 80 spans of 1.22 px each (97.6 px) with 4 px stamps: stamps at 0, 4, ..., 96.
    for (int i = 0; i < 80; ++i) {
        const double x0 = 0.1 + i * 0.0061, x1 = x0 + 0.0061;
        StampSpan(Span(brush, t.canvas, run, {x0, 0.25, 0}, {x1, 0.25, 0}, 0.02, 0.02));
    }
    EXPECT_EQ(t.canvas.segmentStamps, 25);
    EXPECT_NEAR(run.lastWorld.x, 0.1 + 24 * 0.02, 1e-9);
}

TEST(StampSpan, SpanEndingBehindTheEyeStartsANewRun) {
    TBrushRecord brush = PlainBrush();
    TTestCanvas t(kWidth, kHeight, false);
    StampRun run;
    StampSpan(Span(brush, t.canvas, run, {0.1, 0.25, 0}, {0.3, 0.25, 0}, 0.02, 0.02));
    const int before = t.canvas.segmentStamps;
    // Projection off: the eye is at z = 1000.
    StampSpan(Span(brush, t.canvas, run, {0.3, 0.25, 0}, {0.5, 0.25, 2000.0}, 0.02, 0.02));
    EXPECT_EQ(t.canvas.segmentStamps, before);
    EXPECT_EQ(run.runState, 0);
    // The next span begins with a stamp at its own start.
    StampSpan(Span(brush, t.canvas, run, {0.6, 0.4, 0}, {0.605, 0.4, 0}, 0.02, 0.02));
    EXPECT_EQ(t.canvas.segmentStamps, before + 1);
    EXPECT_EQ(RedAt(t, 0.6, 0.4), 255.0);
}

TEST(StampSpan, ZeroLengthSpanPaintsNothing) {
    TBrushRecord brush = PlainBrush();
    TTestCanvas t(kWidth, kHeight, false);
    StampRun run;
    bool painted = false;
    TStampSpanArgs args = Span(brush, t.canvas, run, {0.3, 0.25, 0}, {0.3, 0.25, 0}, 0.02, 0.02);
    args.painted = &painted;
    StampSpan(args);
    EXPECT_FALSE(painted);
    EXPECT_EQ(t.canvas.segmentStamps, 0);
    EXPECT_EQ(run.runState, 0);
}

TEST(StampSpan, CompletingRunForcesAStampIntoAShortSpan) {
    for (bool completing : {false, true}) {
        TBrushRecord brush = PlainBrush();
        TTestCanvas t(kWidth, kHeight, false);
        StampRun run;
        StampSpan(Span(brush, t.canvas, run, {0.1, 0.25, 0}, {0.2, 0.25, 0}, 0.02, 0.02));
        const int before = t.canvas.segmentStamps;
        TStampSpanArgs args = Span(brush, t.canvas, run, {0.2, 0.25, 0}, {0.201, 0.25, 0}, 0.02, 0.02);
        args.completing = completing;
        StampSpan(args);
        EXPECT_EQ(t.canvas.segmentStamps - before, completing ? 1 : 0) << "completing " << completing;
    }
}

TEST(StampSpan, DensityTooSmallLaysOnlyTheRunsFirstStamp) {
    TBrushRecord brush = PlainBrush();
    brush.stampDensity = 0.0;
    TTestCanvas t(kWidth, kHeight, false);
    StampRun run;
    for (int i = 0; i < 5; ++i)
        StampSpan(Span(brush, t.canvas, run, {0.1 + i * 0.1, 0.25, 0}, {0.2 + i * 0.1, 0.25, 0}, 0.02, 0.02));
    EXPECT_LE(t.canvas.segmentStamps, 5);
    EXPECT_GE(t.canvas.segmentStamps, 1);
}

TEST(StampSpan, EraseBrushRestoresTheBackground) {
    TTestCanvas t(kWidth, kHeight, true);
    t.canvas.shading.background[0] = 0.2;
    t.canvas.shading.background[1] = 0.4;
    t.canvas.shading.background[2] = 0.6;
    t.Fill(0, 51, 102, 153, 255);
    t.Fill(1, 51, 102, 153, 255);
    TBrushRecord paint = PlainBrush();
    paint.depth = true;
    StampRun run;
    TStampSpanArgs args = Span(paint, t.canvas, run, {0.1, 0.25, 0}, {0.9, 0.25, 0}, 0.04, 0.04);
    for (TStampSpanEnd* e : {&args.start, &args.end}) {
        e->colour[0] = 1.0;
        e->colour[1] = e->colour[2] = 0.0;
    }
    StampSpan(args);
    ASSERT_GT(RedAt(t, 0.5, 0.25), 200.0);
    TBrushRecord eraser = paint;
    eraser.brushType = 3;
    StampRun eraseRun;
    args.brush = &eraser;
    args.run = &eraseRun;
    StampSpan(args);
    const int32_t x = kWidth / 2, y = kWidth / 4;
    EXPECT_NEAR(t.Get(0, x, y, 0), 51.0, 1.0);
    EXPECT_NEAR(t.Get(0, x, y, 1), 102.0, 1.0);
    EXPECT_NEAR(t.Get(0, x, y, 2), 153.0, 1.0);
    EXPECT_LT(t.Get(0, x, y, 3), 255.0) << "erasing lowers alpha";
    EXPECT_EQ(t.Depth(1, x, y), kEmptyDepth);
    // Paint laid again later composes over the background, not the erased red.
    TBrushRecord faint = paint;
    StampRun again;
    args.brush = &faint;
    args.run = &again;
    for (TStampSpanEnd* e : {&args.start, &args.end})
        for (double& v : e->transparency) v = 0.9;
    StampSpan(args);
    EXPECT_LT(t.Get(0, x, y, 0), 100.0);
}

TEST(StampSpan, FlatLightingFollowsTheLightDirection) {
    struct TCase {
        float z;
        double expectRed;
    } cases[] = {{1.0f, 255.0}, {-1.0f, 0.0}};
    for (const TCase& c : cases) {
        TBrushRecord brush = PlainBrush();
        brush.illuminated = true;
        TTestCanvas t(kWidth, kHeight, false);
        StampRun run;
        LightRecord light;
        light.direction[0] = light.direction[1] = 0.0f;
        light.direction[2] = c.z;
        TStampSpanArgs args = Span(brush, t.canvas, run, {0.1, 0.25, 0}, {0.5, 0.25, 0}, 0.04, 0.04);
        args.lightGiven = true;
        args.lights = &light;
        args.lightCount = 1;
        StampSpan(args);
        EXPECT_NEAR(RedAt(t, 0.3, 0.25), c.expectRed, 1.0) << "light z " << c.z;
    }
}

TEST(StampSpan, DropShadowFallsDownAndRight) {
    TBrushRecord brush = PlainBrush();
    brush.fakeShadow = 1;
    brush.shadowOffset = 0.5;
    brush.shadowTransparency = 0.0;
    brush.shadowDiffusion = 0.0;
    TTestCanvas t(kWidth, kHeight, false);
    t.Fill(0, 200, 200, 200, 255);
    StampRun run;
    // A vertical 8 px stroke: the shadow is 4 px right and 4 px down.
    StampSpan(Span(brush, t.canvas, run, {0.5, 0.1, 0}, {0.5, 0.4, 0}, 0.04, 0.04));
    const int32_t x = kWidth / 2, y = kWidth / 4;
    EXPECT_EQ(t.Get(0, x, y, 0), 255.0);
    EXPECT_LT(t.Get(0, x + 6, y, 0), 50.0) << "shadow beside the stroke";
    EXPECT_EQ(t.Get(0, x - 6, y, 0), 200.0) << "no shadow on the other side";
}

TEST(StampSpan, CastShadowLandsWhereTheLightThrowsIt) {
    TBrushRecord brush = PlainBrush();
    brush.fakeShadow = 2;
    brush.shadowTransparency = 0.0;
    brush.shadowDiffusion = 0.0;
    TTestCanvas t(kWidth, kHeight, false);
    t.Fill(0, 200, 200, 200, 255);
    StampRun run;
    LightRecord light;
    const float k = 0.70710678f;
    light.direction[0] = k;  // toward the light: up and to the right
    light.direction[1] = 0.0f;
    light.direction[2] = k;
    // A vertical stroke 0.05 above its ground: the shadow lies 0.05 to the left (10 px).
    TStampSpanArgs args = Span(brush, t.canvas, run, {0.5, 0.1, 0}, {0.5, 0.4, 0}, 0.02, 0.02);
    args.start.groundOffset = args.end.groundOffset = 0.05;
    args.start.up = args.end.up = kAxisZ;
    args.lightGiven = true;
    args.lights = &light;
    args.lightCount = 1;
    StampSpan(args);
    const int32_t x = kWidth / 2, y = kWidth / 4;
    EXPECT_EQ(t.Get(0, x, y, 0), 255.0);
    EXPECT_LT(t.Get(0, x - 10, y, 0), 190.0) << "shadow under the light's throw";
    EXPECT_EQ(t.Get(0, x + 10, y, 0), 200.0);
}

TEST(StampSpan, AbortFromThePollStopsLayingStamps) {
    TBrushRecord brush = PlainBrush();
    TTestCanvas t(kWidth, kHeight, false);
    t.canvas.poll.enabled = true;
    t.canvas.poll.abortLatched = true;
    t.canvas.poll.interval = 1000000;
    StampRun run;
    StampSpan(Span(brush, t.canvas, run, {0.1, 0.25, 0}, {0.9, 0.25, 0}, 0.02, 0.02));
    EXPECT_EQ(t.canvas.segmentStamps, 0);
    EXPECT_EQ(RedAt(t, 0.5, 0.25), 0.0);
}

TEST(StampSpan, HostileInputsStayBoundedAndInsideTheCanvas) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    struct TCase {
        const char* name;
        TFLPoint a, b;
        double w0, w1, density, softness, colour;
    } cases[] = {
        {"NaN point", {nan, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, 1, 0, 1},
        {"infinite point", {0.1, 0.2, 0}, {inf, 0.2, 0}, 0.02, 0.02, 1, 0, 1},
        {"infinite width", {0.1, 0.2, 0}, {0.5, 0.2, 0}, inf, inf, 1, 0, 1},
        {"NaN width", {0.1, 0.2, 0}, {0.5, 0.2, 0}, nan, nan, 1, 0, 1},
        {"huge width", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 1e300, 1e300, 1, 0, 1},
        {"negative width", {0.1, 0.2, 0}, {0.5, 0.2, 0}, -1, -1, 1, 0, 1},
        {"huge density", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 1e-300, 1e-300, 1e300, 0, 1},
        {"infinite density", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, inf, 0, 1},
        {"NaN density", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, nan, 0, 1},
        {"NaN softness", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, 1, nan, 1},
        {"infinite softness", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, 1, -inf, 1},
        {"NaN colour", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, 1, 0, nan},
        {"huge colour", {0.1, 0.2, 0}, {0.5, 0.2, 0}, 0.02, 0.02, 1, 0, 1e300},
        {"huge coordinates", {1e300, -1e300, 1e300}, {-1e300, 1e300, -1e300}, 0.02, 0.02, 1, 0, 1},
        {"far off canvas", {-50, -50, 0}, {-49, -50, 0}, 0.02, 0.02, 1, 0, 1},
    };
    for (const TCase& c : cases) {
        for (bool depth : {false, true}) {
            TTestCanvas t(kWidth, kHeight, true);
            TBrushRecord brush = PlainBrush();
            brush.depth = depth;
            brush.stampDensity = c.density;
            brush.softness = c.softness;
            brush.glow = 0.5;
            brush.fakeShadow = 1;
            StampRun run;
            TStampSpanArgs args = Span(brush, t.canvas, run, c.a, c.b, c.w0, c.w1);
            for (TStampSpanEnd* e : {&args.start, &args.end})
                for (double& v : e->colour) v = c.colour;
            for (int i = 0; i < 3; ++i) {
                StampSpan(args);
                StampSpanDepth(args);
            }
            EXPECT_LE(t.canvas.segmentStamps, 6 * (kMaxStampsPerSpan + 2)) << c.name;
            EXPECT_TRUE(t.GuardIntact()) << c.name;
            for (int32_t y = 0; y < kHeight; y += 7)
                for (int32_t x = 0; x < kWidth; x += 7) ASSERT_FALSE(std::isnan(t.Depth(0, x, y))) << c.name;
        }
    }
}

TEST(StampSpanDepth, LaysDepthDiscsOnly) {
    TTestCanvas t(kWidth, kHeight, true);
    TBrushRecord brush = PlainBrush();
    StampRun run;
    StampSpanDepth(Span(brush, t.canvas, run, {0.1, 0.25, 0.1}, {0.9, 0.25, 0.1}, 0.02, 0.02));
    const int32_t x = kWidth / 2, y = kWidth / 4;
    // Projection off: depth = -z, pulled toward the eye by half a width.
    EXPECT_FLOAT_EQ(t.Depth(0, x, y), static_cast<float>(-0.1 - 0.01));
    EXPECT_EQ(t.Depth(0, x, y + 4), kEmptyDepth) << "outside the 4 px disc";
    EXPECT_EQ(t.Depth(1, x, y), kEmptyDepth);
    EXPECT_EQ(t.Get(0, x, y, 0), 0.0);
    EXPECT_EQ(run.runState, 1);
}

TEST(StampSpanDepth, DiscKeepsTheNearerDepthStrictlyInsideItsRadius) {
    TTestCanvas t(9, 9, true);
    t.Depth(0, 4, 4) = -1.0f;
    DepthDisc(t.canvas, 4.5, 4.5, 4.0, 0.25);
    EXPECT_EQ(t.Depth(0, 4, 4), -1.0f) << "nearer paint stays";
    EXPECT_EQ(t.Depth(0, 3, 4), 0.25f);
    EXPECT_EQ(t.Depth(0, 5, 5), 0.25f);
    EXPECT_EQ(t.Depth(0, 6, 4), kEmptyDepth) << "centre exactly on the radius is outside";
    EXPECT_EQ(t.Depth(0, 2, 4), kEmptyDepth);
    DepthDisc(t.canvas, -3.0, 4.5, 1e9, 0.1);
    EXPECT_EQ(t.Depth(0, 0, 0), 0.1f);
    EXPECT_TRUE(t.GuardIntact());
}

TEST(StampSpanDepth, TinyDiscsAreLaidByChance) {
    TTestCanvas t(200, 200, true);
    Srand48(4242);
    int laid = 0;
    const int tries = 4000;
    for (int i = 0; i < tries; ++i) {
        const double x = (i % 200) + 0.5, y = (i / 200) * 5 + 0.5;
        DepthDisc(t.canvas, x, y, 0.4, 0.0);
        if (t.Depth(0, i % 200, (i / 200) * 5) == 0.0f) ++laid;
    }
    // Probability 0.4 / 0.8 = 1/2; 4000 tries put 3 sigma at about 95.
    EXPECT_NEAR(laid, tries / 2, 150);
}
