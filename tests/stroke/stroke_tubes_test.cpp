// Painting the tube segments held in a stroke's particle cache, and the
// tube brushes' way through the driver with the real tube engine.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/random.h"
#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/stroke_driver.h"
#include "stroke/stroke_tubes.h"
#include "shell/paint_context.h"
#include "stroke_test_support.h"

namespace {

TpaintParticleCacheData Record(double x, double y, int32_t left, int32_t total, int32_t kind = kTubeKindTube) {
    TpaintParticleCacheData r;
    r.drawnPoint = {x, y, 0.0, 1.0};
    r.pathPoint = r.drawnPoint;
    r.width = 0.01;
    r.colour[0] = 0.5;
    r.transparency[1] = 0.2;
    r.incandescence[2] = 0.8;
    r.shade = 1.0;
    r.segmentsLeft = left;
    r.segmentTotal = total;
    r.kind = kind;
    r.clusterSeed = 17;
    return r;
}

struct TubeFixture {
    TubeFixture() {
        brush.tubes = true;
        brush.timeClip = false;
        brush.gapSize = 0.0;
        brush.gapRand = 0.0;
        brush.segments = 10;
        brush.lengthMax = 0.5;
        brush.tubeWidth1 = 0.1;
        brush.tubeWidth2 = 0.1;
        brush.rootFade = 0.0;
        brush.tipFade = 0.0;
        brush.depthShadow = 0.0;
        brush.time = 0.0;
        canvas.width = canvas.height = 100;
        canvas.referenceWidth = canvas.referenceHeight = 100;
        canvas.spanStamper = RecordingStamper;
        RecordedSpans().clear();
    }
    // A tube that has grown from (x, 0.5) to (x + 0.01, 0.5): its previous
    // state done segments in, its current one further on.
    void AddTube(double x, int32_t done, int32_t kind = kTubeKindTube, int32_t total = 10) {
        stroke.particles.Insert(Record(x + 0.01, 0.5, total - done - 1, total, kind),
                                Record(x, 0.5, total - done, total, kind));
    }
    void Paint() { PaintTubeSegments(brush, segment, canvas, stroke); }

    TBrushRecord brush;
    TPaintCanvas canvas;
    TboundingBox stroke;
    TStrokeSegment segment;
};

TEST(TubeSegments, EveryLivingTubeIsStampedFromItsPreviousToItsCurrentPoint) {
    TubeFixture f;
    f.AddTube(0.1, 2);
    f.AddTube(0.3, 4);
    f.stroke.particles.KillTube(1);
    f.AddTube(0.5, 0);
    f.Paint();
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].args.start.point.x, 0.1);
    EXPECT_EQ(spans[0].args.end.point.x, 0.11);
    EXPECT_EQ(spans[1].args.start.point.x, 0.5);
    EXPECT_EQ(spans[0].args.run, &f.stroke.particles.Current(0).painter);
    EXPECT_EQ(spans[0].args.start.colour[0], 0.5);
    EXPECT_EQ(spans[0].args.end.incandescence[2], 0.8);
    EXPECT_TRUE(spans[0].args.lightGiven);
    // The stroke's box covers what was painted, dead tubes aside.
    EXPECT_TRUE(f.stroke.ContainsPoint(0.11, 0.5, 0.0));
    EXPECT_TRUE(f.stroke.ContainsPoint(0.51, 0.5, 0.0));
}

TEST(TubeSegments, NothingWithoutTubesOrParticles) {
    TubeFixture f;
    f.Paint();
    f.AddTube(0.1, 1);
    f.brush.tubes = false;
    f.Paint();
    EXPECT_TRUE(RecordedSpans().empty());
}

TEST(TubeSegments, TheFirstSegmentOfATubeBeginsItsOwnRun) {
    TubeFixture f;
    f.AddTube(0.1, 0);
    f.AddTube(0.2, 3);
    f.stroke.particles.Current(0).painter.runState = 1;
    f.stroke.particles.Current(1).painter.runState = 1;
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 2u);
    EXPECT_EQ(RecordedSpans()[0].runStateAtCall, 0);
    EXPECT_EQ(RecordedSpans()[1].runStateAtCall, 1);
}

TEST(TubeSegments, TextureSpansTheTubeWithItsEndCaps) {
    TubeFixture f;
    f.brush.time = 2.0;
    f.brush.flowSpeed = 0.5;
    f.AddTube(0.1, 4);
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    // a = b = 0.1 / (2 x 0.5) = 0.1: v = (done / 10 + 0.1) / 1.2, less the flow 1.0.
    EXPECT_NEAR(RecordedSpans()[0].args.start.texture, (0.4 + 0.1) / 1.2 - 1.0, 1e-12);
    EXPECT_NEAR(RecordedSpans()[0].args.end.texture, (0.5 + 0.1) / 1.2 - 1.0, 1e-12);
}

TEST(TubeSegments, GapPhaseComesFromTheTubesSeed) {
    TubeFixture f;
    f.brush.gapRand = 1.0;
    f.brush.gapSpacing = 2.0;
    f.AddTube(0.1, 4);
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    const double phase = 2.0 * (NoiseValue(17) + 1.0) * 0.5;
    EXPECT_NEAR(RecordedSpans()[0].args.start.texture, 0.5 / 1.2 + phase, 1e-12);
}

TEST(TubeSegments, ImageLeavesAndPetalsRunTheirTextureDownTheLeaf) {
    TubeFixture f;
    f.brush.leafSegments = 4;
    f.brush.petalSegments = 5;
    f.brush.imageHandle[1] = 1;
    f.brush.imageHandle[2] = 2;
    f.AddTube(0.1, 1, kTubeKindLeaf, 4);
    f.AddTube(0.2, 2, kTubeKindPetal, 5);
    f.AddTube(0.3, 2, kTubeKindTwig);
    f.Paint();
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_DOUBLE_EQ(spans[0].args.start.texture, 1.0 - 1.0 / 4);
    EXPECT_DOUBLE_EQ(spans[0].args.end.texture, 1.0 - 2.0 / 4);
    EXPECT_EQ(spans[0].args.kind, TStampSpanKind::leaf);
    EXPECT_EQ(spans[0].args.translucence, f.brush.leafTranslucence);
    EXPECT_DOUBLE_EQ(spans[1].args.start.texture, 1.0 - 2.0 / 5);
    EXPECT_EQ(spans[1].args.kind, TStampSpanKind::petal);
    EXPECT_EQ(spans[1].args.translucence, f.brush.flowerTranslucence);
    EXPECT_EQ(spans[2].args.kind, TStampSpanKind::body);
    EXPECT_EQ(spans[2].args.translucence, f.brush.translucence);
}

TEST(TubeSegments, DepthShadowDarkensTubesNearTheGround) {
    TubeFixture f;
    f.brush.depthShadow = 0.5;
    f.brush.depthShadowType = 1;
    f.brush.depthShadowDepth = 0.1;
    f.brush.globalScale = 1.0;  // H = 0.1
    f.AddTube(0.1, 3);
    f.stroke.particles.Previous(0).depth = 0.05;
    f.stroke.particles.Current(0).depth = 0.2;
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_DOUBLE_EQ(RecordedSpans()[0].args.start.brightness, 0.5 + 0.5 * 0.5);
    EXPECT_DOUBLE_EQ(RecordedSpans()[0].args.end.brightness, 1.0);
}

TEST(TubeFade, LengthsAndExponent) {
    struct Case {
        double root, tip;
        double rootLength, tipLength, exponent;
    };
    const Case cases[] = {
        {0.0, 0.0, 0.0, 0.0, 1.0},
        {0.2, 0.5, 2.0, 5.0, 1.0},
        {1.5, 0.5, 10.0, 5.0, 6.0},
        {1.2, 1.4, 10.0, 10.0, 5.0},
    };
    for (const Case& c : cases) {
        TBrushRecord b;
        b.segments = 10;
        b.rootFade = c.root;
        b.tipFade = c.tip;
        const TTubeFades f = TubeFades(b);
        EXPECT_DOUBLE_EQ(f.rootLength, c.rootLength) << c.root << " " << c.tip;
        EXPECT_DOUBLE_EQ(f.tipLength, c.tipLength) << c.root << " " << c.tip;
        EXPECT_DOUBLE_EQ(f.exponent, c.exponent) << c.root << " " << c.tip;
    }
}

TEST(TubeFade, FactorRisesFromTheRootAndFallsToTheTip) {
    TTubeFades fades;
    fades.rootLength = 2.0;
    fades.tipLength = 4.0;
    EXPECT_DOUBLE_EQ(TubeFadeFactor(fades, 0.0, 10.0), 0.0);
    EXPECT_DOUBLE_EQ(TubeFadeFactor(fades, 1.0, 10.0), 0.5);
    EXPECT_DOUBLE_EQ(TubeFadeFactor(fades, 5.0, 10.0), 1.0);
    EXPECT_DOUBLE_EQ(TubeFadeFactor(fades, 9.0, 10.0), 0.25);
    fades.exponent = 2.0;
    EXPECT_DOUBLE_EQ(TubeFadeFactor(fades, 1.0, 10.0), 0.25);
}

TEST(TubeFade, FadedEndsLoseIncandescenceAndTurnTransparent) {
    TubeFixture f;
    f.brush.rootFade = 0.2;  // root fade over 2 segments
    f.AddTube(0.1, 0);
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    const TStampSpanArgs& a = RecordedSpans()[0].args;
    // Start: done 0, factor 0; end: done 1, factor 0.5.
    EXPECT_DOUBLE_EQ(a.start.incandescence[2], 0.0);
    EXPECT_DOUBLE_EQ(a.start.transparency[1], 1.0);
    EXPECT_DOUBLE_EQ(a.end.incandescence[2], 0.4);
    EXPECT_DOUBLE_EQ(a.end.transparency[1], (0.2 - 1.0) * 0.5 + 1.0);
}

TEST(TubeSegments, TubesWithBrokenNumbersAreNotStamped) {
    TubeFixture f;
    f.AddTube(0.1, 2);
    f.AddTube(0.2, 2);
    f.stroke.particles.Current(0).width = std::nan("");
    f.stroke.particles.Previous(1).drawnPoint.x = 1e300;
    f.AddTube(0.3, 2);
    f.Paint();
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_EQ(RecordedSpans()[0].args.start.point.x, 0.3);
}

TEST(TubeSegments, PendingInputStopsAfterTheTubeInHand) {
    TubeFixture f;
    for (int k = 0; k < 5; ++k) f.AddTube(0.1 * k, 2);
    f.canvas.poll.enabled = true;
    f.canvas.poll.abortLatched = true;
    f.canvas.poll.interval = 100;
    f.Paint();
    EXPECT_EQ(RecordedSpans().size(), 1u);
}

// With the real tube engine.
struct TubeBrushFixture {
    TubeBrushFixture() : pixels(160 * 120 * 4, 0) {
        context.canvas->SetExternalLayer(0, pixels.data(), 160, 120, 0, false);
        context.canvas->spanStamper = RecordingStamper;
        RecordedSpans().clear();
        TBrushRecord& b = *context.slot[0].brush;
        b.tubes = true;
        b.tubeCompletion = true;
        b.timeClip = false;
        b.gapSize = 0.0;
    }
    std::vector<uint8_t> pixels;
    TPaintContext context;
    TRect changed{};
};

TEST(TubeBrushStroke, PaintsTubesAndNotTheBodyAndFinishesThemOnCompletion) {
    TubeBrushFixture f;
    f.context.StartStroke({0.2, 0.3, 0, 1}, 0);
    for (int k = 1; k <= 6; ++k) f.context.ContinueStroke(f.changed, {0.2 + 0.02 * k, 0.3, 0, 1}, 0);
    const size_t whileStroking = RecordedSpans().size();
    EXPECT_GT(whileStroking, 0u);
    for (const TRecordedSpan& r : RecordedSpans()) EXPECT_NE(r.args.run, &f.context.slot[0].stroke->run);
    EXPECT_FALSE(f.context.slot[0].stroke->IsEmpty());
    f.context.CompleteStroke(f.changed, {0.32, 0.3, 0, 1}, 0);
    EXPECT_GT(RecordedSpans().size(), whileStroking);
    EXPECT_FALSE(f.context.slot[0].stroke->particles.HasLiving());
    EXPECT_EQ(f.context.slot[0].stroke->particles.Count(), 0);
}

TEST(TubeBrushStroke, PendingInputEndsTheCompletionAndStillClearsTheTubes) {
    TubeBrushFixture f;
    f.context.StartStroke({0.2, 0.3, 0, 1}, 0);
    for (int k = 1; k <= 4; ++k) f.context.ContinueStroke(f.changed, {0.2 + 0.02 * k, 0.3, 0, 1}, 0);
    ASSERT_TRUE(f.context.slot[0].stroke->particles.HasLiving());
    RecordedSpans().clear();
    TInputPoll& poll = f.context.canvas->poll;
    poll.enabled = true;
    poll.abortLatched = true;
    poll.interval = 1000;
    f.context.CompleteStroke(f.changed, {0.28, 0.3, 0, 1}, 0);
    EXPECT_TRUE(RecordedSpans().empty());
    EXPECT_EQ(f.context.slot[0].stroke->particles.Count(), 0);
}

TEST(TubeBrushStroke, ExtremeTubeValuesFinish) {
    struct Case {
        const char* what;
        double TBrushRecord::*field;
        double value;
    };
    const Case cases[] = {
        {"huge tube count", &TBrushRecord::tubesPerStep, 1e300},
        {"negative tube count", &TBrushRecord::tubesPerStep, -5},
        {"huge length", &TBrushRecord::lengthMax, 1e300},
        {"not a number width", &TBrushRecord::tubeWidth1, std::nan("")},
        {"infinite flow", &TBrushRecord::flowSpeed, INFINITY},
        {"huge stamp density", &TBrushRecord::stampDensity, 1e300},
    };
    for (const Case& c : cases) {
        TubeBrushFixture f;
        f.context.slot[0].brush->*c.field = c.value;
        f.context.StartStroke({0.2, 0.3, 0, 1}, 0);
        for (int k = 1; k <= 3; ++k) f.context.ContinueStroke(f.changed, {0.2 + 0.02 * k, 0.3, 0, 1}, 0);
        f.context.CompleteStroke(f.changed, {0.26, 0.3, 0, 1}, 0);
        EXPECT_EQ(f.context.slot[0].stroke->particles.Count(), 0) << c.what;
        for (const TRecordedSpan& r : RecordedSpans()) {
            ASSERT_TRUE(std::isfinite(r.args.start.width)) << c.what;
            ASSERT_TRUE(std::isfinite(r.args.end.point.x)) << c.what;
        }
    }
}

TEST(TubeBrushStroke, HugeCountsAreHeldAndTheStrokeFinishes) {
    struct Case {
        const char* what;
        int32_t TBrushRecord::*field;
        int32_t value;
    };
    const Case cases[] = {
        {"start tubes", &TBrushRecord::startTubes, 2000000000},
        {"segments", &TBrushRecord::segments, 2000000000},
        {"branches", &TBrushRecord::numBranches, 2000000000},
    };
    for (const Case& c : cases) {
        TubeBrushFixture f;
        f.context.slot[0].brush->*c.field = c.value;
        f.context.StartStroke({0.2, 0.3, 0, 1}, 0);
        f.context.ContinueStroke(f.changed, {0.22, 0.3, 0, 1}, 0);
        f.context.CompleteStroke(f.changed, {0.22, 0.3, 0, 1}, 0);
        EXPECT_EQ(f.context.slot[0].stroke->particles.Count(), 0) << c.what;
        EXPECT_EQ(f.context.slot[0].brush->*c.field, c.value) << "the painter's brush is left alone";
    }
}

}  // namespace
