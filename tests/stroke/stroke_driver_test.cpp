// The painter operations of the paint context: StartStroke, ContinueStroke
// and CompleteStroke, with a recording stamper standing in for the real one.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "base/random.h"
#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/stroke_driver.h"
#include "stroke/stroke_segment.h"
#include "render/view_3d.h"
#include "shell/paint_context.h"
#include "stroke_test_support.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool gInputWaits = false;
bool FakeInput() { return gInputWaits; }

// A paint context on a 200 x 100 canvas of caller-owned pixels, painting
// through the recording stamper with a plain (tube-less) brush.
struct DriverFixture {
    DriverFixture() : pixels(200 * 100 * 4, 0) {
        context.canvas->SetExternalLayer(0, pixels.data(), 200, 100, 0, false);
        context.canvas->spanStamper = RecordingStamper;
        for (TPainterSlot& s : context.slot) {
            s.brush->tubes = false;
            s.brush->timeClip = false;
            s.brush->gapSize = 0.0;
            s.brush->globalScale = 0.05;
            s.brush->brushWidth = 1.0;
        }
        RecordedSpans().clear();
        gInputWaits = false;
    }
    TBrushRecord& Brush(int painter = 0) { return *context.slot[painter].brush; }

    std::vector<uint8_t> pixels;
    TPaintContext context;
    TRect changed{0, 0, 0, 0};
};

TEST(StrokeDriver, StartStrokeBeginsAFreshStroke) {
    DriverFixture f;
    TPainterSlot& s = f.context.slot[1];
    s.pointCount = 9;
    s.stroke->run.runState = 1;
    s.stroke->textureCarry = 3.0;
    s.stroke->points.Append(SFLPoint{});
    f.context.StartStroke({0.25, 0.125, 0.0, 1.0}, 1);
    EXPECT_EQ(s.pointCount, 1);
    EXPECT_EQ(s.previousPoint.x, 0.25);
    EXPECT_EQ(s.previousPoint.y, 0.125);
    EXPECT_EQ(s.stroke->run.runState, 0);
    EXPECT_EQ(s.stroke->textureCarry, 0.0);
    EXPECT_EQ(s.stroke->points.Count(), 0);
    EXPECT_TRUE(RecordedSpans().empty());
}

TEST(StrokeDriver, ContinueStrokePaintsFromThePreviousPointAndAdvances) {
    DriverFixture f;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.4, 0.25, 0, 1}, 0);
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].args.start.point.x, 0.2);
    EXPECT_EQ(spans[0].args.end.point.x, 0.3);
    EXPECT_EQ(spans[0].args.segmentIndex, 0);
    EXPECT_EQ(spans[1].args.start.point.x, 0.3);
    EXPECT_EQ(spans[1].args.segmentIndex, 1);
    const TPainterSlot& s = f.context.slot[0];
    EXPECT_EQ(s.pointCount, 3);
    EXPECT_EQ(s.previousPoint.x, 0.4);
    EXPECT_EQ(s.previousPoint.y, 0.25);
    // The texture runs on from segment to segment.
    EXPECT_DOUBLE_EQ(spans[1].args.start.texture, spans[0].args.end.texture);
}

TEST(StrokeDriver, ChangedRectangleIsWhatTheStamperMarked) {
    DriverFixture f;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.25, 0, 1}, 0);
    // Stamps of width 0.05 (10 px) at (40, 40) and (60, 50).
    EXPECT_EQ(f.changed.left, 35);
    EXPECT_EQ(f.changed.top, 35);
    EXPECT_EQ(f.changed.right, 65);
    EXPECT_EQ(f.changed.bottom, 55);
    const TPaintCanvas& c = *f.context.canvas;
    EXPECT_EQ(f.changed.left, c.dirtyMinX);
    EXPECT_EQ(f.changed.bottom, c.dirtyMaxY);
}

TEST(StrokeDriver, ChangedRectangleIsHeldToTheCanvas) {
    DriverFixture f;
    f.context.StartStroke({-0.01, 0.01, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.99, 0.49, 0, 1}, 0);
    EXPECT_EQ(f.changed.left, 0);
    EXPECT_EQ(f.changed.top, 0);
    EXPECT_EQ(f.changed.right, 200);
    EXPECT_EQ(f.changed.bottom, 100);
}

TEST(StrokeDriver, NothingPaintedLeavesAnEmptyChangedRectangle) {
    DriverFixture f;
    f.context.canvas->spanStamper = [](const TStampSpanArgs&) {};
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.changed = {0, 0, 200, 100};
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    EXPECT_GE(f.changed.left, f.changed.right);
    EXPECT_GE(f.changed.top, f.changed.bottom);
}

TEST(StrokeDriver, PendingInputEndsPaintingAtOnce) {
    DriverFixture f;
    TInputPoll& poll = f.context.canvas->poll;
    poll.PollInit(false, false, 0);
    poll.PollWatchAnyInput();
    poll.inputPending = FakeInput;
    poll.callsSincePoll = 1;  // the next call is a real poll
    gInputWaits = true;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_TRUE(poll.abortLatched);
    // The stroke still moves on, so painting resumes from the new point.
    EXPECT_EQ(f.context.slot[0].previousPoint.x, 0.3);
    EXPECT_EQ(f.context.slot[0].pointCount, 2);
    f.context.ContinueStroke(f.changed, {0.4, 0.2, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
}

TEST(StrokeDriver, PointsThatAreNotNumbersOrFarAwayAreNotPaintedTo) {
    const TFLPoint bad[] = {{kNaN, 0.2, 0, 1}, {0.3, kInf, 0, 1}, {0.3, 0.2, 1e300, 1}, {0.3, 0.2, 0, 0}};
    for (const TFLPoint& p : bad) {
        DriverFixture f;
        f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
        f.context.ContinueStroke(f.changed, p, 0);
        EXPECT_TRUE(RecordedSpans().empty()) << p.x << " " << p.y << " " << p.z << " " << p.w;
        EXPECT_GE(f.changed.left, f.changed.right);
        // The stroke waits at its last good point.
        EXPECT_EQ(f.context.slot[0].previousPoint.x, 0.2);
        EXPECT_TRUE(std::isfinite(f.context.slot[0].currentUp.z));
        f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
        ASSERT_EQ(RecordedSpans().size(), 1u);
        EXPECT_EQ(RecordedSpans()[0].args.start.point.x, 0.2);
    }
}

TEST(StrokeDriver, BrushValuesThatAreNotNumbersNeverReachTheStamper) {
    DriverFixture f;
    TBrushRecord& b = f.Brush();
    b.softness = kNaN;
    b.flowSpeed = kInf;
    b.brushWidth = -kInf;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    ASSERT_EQ(RecordedSpans().size(), 1u);
    const TRecordedSpan& r = RecordedSpans()[0];
    const TBrushRecord initial;
    EXPECT_EQ(r.softness, initial.softness);
    EXPECT_EQ(r.flowSpeed, initial.flowSpeed);
    EXPECT_EQ(r.brushWidth, initial.brushWidth);
    EXPECT_TRUE(std::isfinite(r.args.start.width));
    EXPECT_TRUE(std::isfinite(r.args.start.texture));
    // The painter's own brush is left as it was.
    EXPECT_TRUE(std::isnan(b.softness));
}

TEST(StrokeDriver, WidthsTooLargeToBeNumbersSkipTheSegment) {
    DriverFixture f;
    f.Brush().brushWidth = 1e300;
    f.Brush().globalScale = 1e300;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.context.slot[0].pointCount, 2);
}

TEST(StrokeDriver, UpVectorIsSmoothedTowardTheStrokesOwnUp) {
    DriverFixture f;
    TPainterSlot& s = f.context.slot[0];
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    s.previousUp = {0.0, 0.6, 0.8};
    f.context.ContinueStroke(f.changed, {0.2, 0.3, 0, 1}, 0);  // moving along +y
    EXPECT_NEAR(s.currentUp.x, 0.0, 1e-12);
    EXPECT_NEAR(s.currentUp.y, 0.42, 1e-12);
    EXPECT_NEAR(s.currentUp.z, 0.86, 1e-12);
    EXPECT_EQ(s.previousUp.y, s.currentUp.y);
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_EQ(RecordedSpans()[0].args.start.up.y, 0.6);
    EXPECT_NEAR(RecordedSpans()[0].args.end.up.y, 0.42, 1e-12);
}

TEST(StrokeDriver, WithoutSmoothingTheUpVectorStays) {
    DriverFixture f;
    f.context.smoothUp = false;
    TPainterSlot& s = f.context.slot[0];
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    s.previousUp = {0.0, 0.6, 0.8};
    s.currentUp = {0.0, 0.6, 0.8};
    f.context.ContinueStroke(f.changed, {0.2, 0.3, 0, 1}, 0);
    EXPECT_EQ(s.currentUp.y, 0.6);
}

TEST(StrokeDriver, PointRecorderGetsEveryNewPoint) {
    DriverFixture f;
    TTArray<SFLPoint> recorded;
    f.context.pointRecorder = &recorded;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.25, 0.5, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.4, 0.3, 0, 1}, 0);
    ASSERT_EQ(recorded.Count(), 2);
    EXPECT_FLOAT_EQ(recorded[0].x, 0.3f);
    EXPECT_FLOAT_EQ(recorded[0].z, 0.5f);
    EXPECT_EQ(recorded[0].reserved1, 0);
    EXPECT_FLOAT_EQ(recorded[1].y, 0.3f);
}

TEST(StrokeDriver, PaintersOutOfRangeDoNothing) {
    DriverFixture f;
    f.changed = {1, 2, 3, 4};
    f.context.StartStroke({0.2, 0.2, 0, 1}, 2);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, -1);
    f.context.CompleteStroke(f.changed, {0.3, 0.2, 0, 1}, 7);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.changed, (TRect{1, 2, 3, 4}));
}

TEST(StrokeDriver, WireframeDrawsNoStampsAndChangesTheWholeCanvas) {
    DriverFixture f;
    f.context.wireframe = true;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.changed, (TRect{0, 0, 200, 100}));
}

TEST(StrokeDriver, CompleteStrokeOfABodyBrushPaintsNothing) {
    DriverFixture f;
    f.context.StartStroke({0.2, 0.2, 0, 1}, 0);
    f.context.ContinueStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    RecordedSpans().clear();
    f.context.CompleteStroke(f.changed, {0.3, 0.2, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.context.slot[0].stroke->run.runState, 3);
    EXPECT_GE(f.changed.left, f.changed.right);
    EXPECT_EQ(f.context.slot[0].pointCount, 3);
}

TEST(StrokeDriverMath, RandomIndexFollowsTheSeedNoise) {
    for (int32_t seed : {0, 1, 500, 65534}) {
        for (int32_t count : {1, 2, 1000}) {
            const int32_t r = SegmentRandomIndex(count, seed);
            EXPECT_GE(r, count - 1);
            EXPECT_LE(r, count + 65534);
            const double n = NoiseValue(seed);
            EXPECT_EQ(r, count - 1 - static_cast<int32_t>(std::trunc((n + 1.0) * 0.5 * -65535.0)));
        }
    }
}

TEST(StrokeDriverMath, TubeTimeLimit) {
    struct Case {
        const char* what;
        bool timeClip, strokeTime;
        double gapSize, time, startTime, flowSpeed;
        int32_t i;
        double limit;
    };
    const Case cases[] = {
        {"no time clipping", false, false, 0, 5, 1, 2, 0, 100000.0},
        {"time clipped", true, false, 0, 5, 1, 2, 0, 8.0},
        {"stroke time takes i / 30", true, true, 0, 5, 1, 2, 60, 6.0},
        {"gaps switch the limit off", true, false, 0.5, 5, 1, 2, 0, 100000.0},
        {"overflow to no time", true, false, 0, 1e300, -1e300, 0.0, 0, 0.0},
    };
    for (const Case& c : cases) {
        TBrushRecord b;
        b.timeClip = c.timeClip;
        b.strokeTime = c.strokeTime;
        b.gapSize = c.gapSize;
        b.time = c.time;
        b.startTime = c.startTime;
        b.flowSpeed = c.flowSpeed;
        EXPECT_NEAR(TubeTimeLimit(b, c.i), c.limit, 1e-12) << c.what;
    }
}

TEST(StrokeDriverMath, SegmentFrameIsRightHandedAndGuarded) {
    const TSegmentFrame f = SegmentFrame({0, 0, 0, 1}, {0, 2, 0, 1}, {0, 0, 3});
    EXPECT_EQ(f.direction.y, 1.0);
    EXPECT_EQ(f.up.z, 1.0);
    EXPECT_EQ(f.side.x, 1.0);  // (0,1,0) x (0,0,1)
    const TSegmentFrame still = SegmentFrame({1, 1, 0, 1}, {1, 1, 0, 1}, {0, 0, 1});
    EXPECT_EQ(still.direction.x, 0.0);
    EXPECT_EQ(still.direction.y, 0.0);
}

}  // namespace
