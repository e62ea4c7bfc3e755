// Time clipping and gaps: which pieces of a span reach the stamper.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "presets/brush_record.h"
#include "stroke/stroke_clip.h"
#include "stroke_test_support.h"

namespace {

// A span from x = 0 to x = 1, so a piece end's x is its fraction of the span.
struct SpanFixture {
    SpanFixture() {
        brush.tubes = false;
        brush.timeClip = false;
        brush.strokeTime = false;
        brush.gapSize = 0.0;
        brush.gapSpacing = 1.0;
        canvas.width = canvas.height = 100;
        canvas.referenceWidth = canvas.referenceHeight = 100;
        canvas.spanStamper = RecordingStamper;
        run.runState = 1;
        args.brush = &brush;
        args.canvas = &canvas;
        args.run = &run;
        args.start.point = {0, 0.5, 0, 1};
        args.end.point = {1, 0.5, 0, 1};
        args.start.interpolate = args.start.point;
        args.end.interpolate = args.end.point;
        args.start.width = 0.1;
        args.end.width = 0.3;
        for (int k = 0; k < 3; ++k) {
            args.start.colour[k] = 0.0;
            args.end.colour[k] = 1.0;
        }
        args.start.brightness = 1.0;
        args.end.brightness = 0.0;
        RecordedSpans().clear();
    }
    void Texture(double t0, double t1) {
        args.start.texture = t0;
        args.end.texture = t1;
    }
    void Paint() { PaintClippedSpan(args, RecordingStamper); }

    TBrushRecord brush;
    TPaintCanvas canvas;
    StampRun run;
    TStampSpanArgs args;
};

struct Piece {
    double from, to;
};

void ExpectPieces(const std::vector<Piece>& expected, const char* what) {
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(spans[i].args.start.point.x, expected[i].from, 1e-12) << what << " piece " << i;
        EXPECT_NEAR(spans[i].args.end.point.x, expected[i].to, 1e-12) << what << " piece " << i;
    }
}

TEST(GapClipping, PaintsTheFirstPartOfEveryPeriod) {
    struct Case {
        const char* what;
        double t0, t1;
        std::vector<Piece> pieces;
    };
    // gapSpacing 1, gapSize 0.25: [k, k + 0.75) is painted.
    const Case cases[] = {
        {"crossing one gap", 0.5, 1.7, {{0.0, 0.25 / 1.2}, {0.5 / 1.2, 1.0}}},
        {"inside one gap", 0.8, 0.9, {}},
        {"negative coordinates floor", -0.5, 0.5, {{0.0, 0.25}, {0.5, 1.0}}},
        {"descending coordinate", 1.7, 0.5, {{0.0, 0.7 / 1.2}, {0.95 / 1.2, 1.0}}},
        {"no gap touched", 0.1, 0.6, {{0.0, 1.0}}},
    };
    for (const Case& c : cases) {
        SpanFixture f;
        f.brush.gapSize = 0.25;
        f.Texture(c.t0, c.t1);
        f.Paint();
        ExpectPieces(c.pieces, c.what);
    }
}

TEST(GapClipping, APieceStartingInsideTheSpanBeginsANewRun) {
    SpanFixture f;
    f.brush.gapSize = 0.25;
    f.Texture(0.5, 1.7);
    f.Paint();
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].runStateAtCall, 1);  // continues the run of the last span
    EXPECT_EQ(spans[1].runStateAtCall, 0);
}

TEST(GapClipping, ASpanEndingInAGapLeavesTheNextSpanANewRun) {
    SpanFixture f;
    f.brush.gapSize = 0.25;
    f.Texture(0.5, 0.9);
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_EQ(f.run.runState, 0);
}

TEST(GapClipping, ASpanWhollyInAGapPaintsNothingAndEndsTheRun) {
    SpanFixture f;
    f.brush.gapSize = 0.25;
    f.Texture(0.8, 0.95);
    f.Paint();
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.run.runState, 0);
}

TEST(GapClipping, PiecesInterpolateColourWidthAndBrightness) {
    SpanFixture f;
    f.brush.gapSize = 0.5;
    f.Texture(0.0, 2.0);  // painted: [0, 0.5] and [1, 1.5] -> fractions [0, .25], [.5, .75]
    f.Paint();
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 2u);
    const TStampSpanArgs& second = spans[1].args;
    EXPECT_DOUBLE_EQ(second.start.colour[1], 0.5);
    EXPECT_DOUBLE_EQ(second.end.colour[2], 0.75);
    EXPECT_DOUBLE_EQ(second.start.width, 0.2);
    EXPECT_DOUBLE_EQ(second.end.width, 0.25);
    EXPECT_DOUBLE_EQ(second.start.brightness, 0.5);
    EXPECT_DOUBLE_EQ(second.start.texture, 1.0);
    EXPECT_DOUBLE_EQ(second.end.texture, 1.5);
    EXPECT_EQ(second.start.point.w, 1.0);
    // The interpolation ends stay the unclipped span's.
    EXPECT_EQ(second.start.interpolate.x, 0.0);
    EXPECT_EQ(second.end.interpolate.x, 1.0);
}

TEST(GapClipping, DegenerateSettings) {
    struct Case {
        const char* what;
        double gapSize, gapSpacing;
        size_t pieces;
    };
    const Case cases[] = {
        {"all gap", 1.0, 1.0, 0},
        {"gaps far finer than the span: painted whole", 0.5, 1e-9, 1},
        {"no spacing: no gaps", 0.5, 0.0, 1},
        {"spacing not a number: no gaps", 0.5, std::numeric_limits<double>::quiet_NaN(), 1},
        {"negative gap size: no gaps", -0.5, 1.0, 1},
    };
    for (const Case& c : cases) {
        SpanFixture f;
        f.brush.gapSize = c.gapSize;
        f.brush.gapSpacing = c.gapSpacing;
        f.Texture(0.0, 1.0);
        f.Paint();
        EXPECT_EQ(RecordedSpans().size(), c.pieces) << c.what;
    }
}

TEST(GapClipping, PeriodNumbersTooLargeToCountByOneStillEnd) {
    // Around 1e17 periods, adding 1 to a double period number changes nothing.
    SpanFixture f;
    f.brush.gapSize = 0.5;
    f.brush.gapSpacing = 1e-17;
    f.Texture(1.0, std::nextafter(std::nextafter(1.0, 2.0), 2.0));
    f.Paint();
    EXPECT_LE(RecordedSpans().size(), static_cast<size_t>(kMaxGapPieces));
}

TEST(GapClipping, ASpanOfOneCoordinateIsPaintedWholeOrNotAtAll) {
    struct Case {
        double t;
        size_t pieces;
    };
    for (const Case& c : {Case{0.3, 1}, Case{0.9, 0}}) {
        SpanFixture f;
        f.brush.gapSize = 0.25;
        f.Texture(c.t, c.t);
        f.Paint();
        ASSERT_EQ(RecordedSpans().size(), c.pieces) << c.t;
        if (c.pieces) {
            EXPECT_EQ(RecordedSpans()[0].args.end.point.x, 1.0);
        }
    }
}

TEST(TimeClipping, WindowByFlowDirectionAndStrokeTime) {
    struct Case {
        double start, end, flow;
        bool strokeTime;
        int32_t i;
        double low, high;
    };
    const Case cases[] = {
        {1, 3, 0, false, 0, -3, -1},
        {1, 3, 2, false, 0, -6, -2},
        {1, 3, -2, false, 0, -6, -2},
        {1, 3, 0.5, true, 30, -2.5, -1.5},
    };
    for (const Case& c : cases) {
        TBrushRecord b;
        b.startTime = c.start;
        b.endTime = c.end;
        b.flowSpeed = c.flow;
        b.strokeTime = c.strokeTime;
        const TTimeWindow w = TimeClipWindow(b, c.i);
        EXPECT_DOUBLE_EQ(w.low, c.low) << c.flow;
        EXPECT_DOUBLE_EQ(w.high, c.high) << c.flow;
    }
}

TEST(TimeClipping, SpansAreCutToTheWindow) {
    struct Case {
        const char* what;
        double t0, t1;
        std::vector<Piece> pieces;
        int32_t runAfter;
    };
    // Window [-1000, 0].
    const Case cases[] = {
        {"inside", -0.5, -0.25, {{0.0, 1.0}}, 1},
        {"leaving the window", -0.5, 0.5, {{0.0, 0.5}}, 0},
        {"entering the window", 0.5, -0.5, {{0.5, 1.0}}, 1},
        {"past the window", 0.2, 0.4, {}, 0},
        {"before the window", -2000, -1500, {}, 0},
    };
    for (const Case& c : cases) {
        SpanFixture f;
        f.brush.timeClip = true;
        f.brush.startTime = 0;
        f.brush.endTime = 1000;
        f.brush.flowSpeed = 1;
        f.Texture(c.t0, c.t1);
        f.Paint();
        ExpectPieces(c.pieces, c.what);
        EXPECT_EQ(f.run.runState, c.runAfter) << c.what;
    }
}

TEST(TimeClipping, StrokeTimeTapersTheStrokeInBelowTheWindowTop) {
    SpanFixture f;
    f.brush.timeClip = true;
    f.brush.strokeTime = true;
    f.brush.startTime = 0;
    f.brush.endTime = 1000;
    f.brush.flowSpeed = 1;
    f.args.start.width = 0.4;
    f.args.end.width = 0.4;
    f.Texture(-1.0, -0.25);  // 1 and 0.25 below the top (0)
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_DOUBLE_EQ(RecordedSpans()[0].args.start.width, 0.4);
    EXPECT_DOUBLE_EQ(RecordedSpans()[0].args.end.width, 2 * 0.25 * 0.4);
}

TEST(TimeClipping, UnpaintableCoordinatesPaintNothing) {
    SpanFixture f;
    f.brush.timeClip = true;
    f.Texture(std::numeric_limits<double>::quiet_NaN(), 0.0);
    f.Paint();
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.run.runState, 0);
}

TEST(SpanRouting, PlainSpansGoStraightToTheStamper) {
    SpanFixture f;
    f.Texture(0.0, 1.0);
    PaintSpan(f.args);
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_EQ(RecordedSpans()[0].args.end.width, 0.3);
    EXPECT_EQ(RecordedSpans()[0].args.start.texture, 0.0);
}

TEST(SpanRouting, TheStamperFollowsTheProjectionKind) {
    TPaintCanvas canvas;
    EXPECT_EQ(ChooseStamper(canvas), &StampSpan);
    canvas.projectionKind = 2;
    EXPECT_EQ(ChooseStamper(canvas), &StampSpanDepth);
    canvas.spanStamper = RecordingStamper;
    EXPECT_EQ(ChooseStamper(canvas), &RecordingStamper);
}

}  // namespace
