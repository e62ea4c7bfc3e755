#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tube_test_support.h"
#include "tubes/tube_colour.h"
#include "tubes/tube_growth.h"

namespace {

using namespace tubetest;

constexpr double kPi = 3.14159265358979323846;

struct CountCase {
    const char* name;
    double tubesPerStep;
    int startTubes;
    double tubeRand;
    std::vector<int> perSegment;
};

class SowingCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(SowingCounts, SowsTheExpectedNumberOnEachSegment) {
    const CountCase& c = GetParam();
    TBrushRecord brush = QuietBrush();
    brush.tubesPerStep = c.tubesPerStep;
    brush.startTubes = c.startTubes;
    brush.tubeRand = c.tubeRand;
    for (size_t i = 0; i < c.perSegment.size(); ++i) {
        TubeParticleCache cache;
        Emit(brush, cache, static_cast<int>(i), 300 + 7 * static_cast<int>(i));
        EXPECT_EQ(cache.PendingCount(), c.perSegment[i]) << c.name << " segment " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SowingCounts,
    ::testing::Values(CountCase{"start tubes only", 0.0, 3, 1.0, {3, 0, 0, 0, 0, 0}},
                      CountCase{"two per step evenly", 2.0, 0, 0.0, {1, 1, 1, 1, 1, 1}},
                      CountCase{"one per step evenly", 1.0, 0, 0.0, {1, 0, 1, 0, 1, 0}},
                      CountCase{"four per step evenly", 4.0, 0, 0.0, {2, 2, 2, 2, 2, 2}},
                      CountCase{"even plus start tubes", 2.0, 2, 0.0, {3, 1, 1}}),
    [](const auto& info) {
        std::string s = info.param.name;
        for (char& ch : s)
            if (ch == ' ') ch = '_';
        return s;
    });

TEST(Sowing, NothingWithoutSegments) {
    TBrushRecord brush = QuietBrush(0);
    brush.startTubes = 5;
    TubeParticleCache cache;
    Emit(brush, cache);
    EXPECT_EQ(cache.PendingCount(), 0);
}

TEST(Sowing, RandomCountsStayWithinTheirRangeAndReplayFromTheSeed) {
    TBrushRecord brush = QuietBrush();
    brush.tubesPerStep = 6.0;
    brush.startTubes = 0;
    int total = 0;
    for (int seed = 0; seed < 200; ++seed) {
        TubeParticleCache a, b;
        Emit(brush, a, 3, seed);
        Emit(brush, b, 3, seed);
        ASSERT_EQ(a.PendingCount(), b.PendingCount());
        EXPECT_LE(a.PendingCount(), 7);
        total += a.PendingCount();
        for (int t = 0; t < a.PendingCount(); ++t)
            EXPECT_EQ(0, std::memcmp(&a.PendingCurrent(t), &b.PendingCurrent(t), sizeof(TpaintParticleCacheData)));
    }
    EXPECT_NEAR(total / 200.0, 3.0, 0.6);  // uniform over 0..6
}

struct SegmentCase {
    double lengthMin, lengthMax;
    int segments;
    int expected;
};

class SegmentCounts : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentCounts, FollowTheLengthOverTheNominalSegmentLength) {
    const SegmentCase& c = GetParam();
    TBrushRecord brush = QuietBrush(c.segments);
    brush.lengthMin = c.lengthMin;
    brush.lengthMax = c.lengthMax;
    TubeParticleCache cache;
    Emit(brush, cache);
    ASSERT_EQ(cache.PendingCount(), 1);
    const TpaintParticleCacheData& cur = cache.PendingCurrent(0);
    const TpaintParticleCacheData& prev = cache.PendingPrevious(0);
    EXPECT_EQ(cur.segmentsLeft, c.expected);
    EXPECT_EQ(cur.segmentTotal, c.expected);
    EXPECT_EQ(prev.segmentTotal, c.expected + 1);
    // The first growth step reads no segments done.
    EXPECT_EQ(prev.segmentTotal - prev.segmentsLeft, 0);
    // The first step is one segment long: the length shared out over the count.
    EXPECT_NEAR(Distance(cur.pathPoint, prev.pathPoint), c.lengthMax * brush.globalScale / c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SegmentCounts,
                         ::testing::Values(SegmentCase{0.5, 0.5, 10, 10}, SegmentCase{0.5, 0.5, 1, 1},
                                           SegmentCase{0.2, 0.2, 7, 7},
                                           // segment counts are held to the engine's cap
                                           SegmentCase{0.5, 0.5, 4464, 1000}));

struct ElevationCase {
    double elevation;
    double heldAt;
};

class Elevation : public ::testing::TestWithParam<ElevationCase> {};

TEST_P(Elevation, TiltsTheFirstStepTowardTheNormal) {
    const ElevationCase& c = GetParam();
    TBrushRecord brush = QuietBrush();
    brush.elevationMin = brush.elevationMax = c.elevation;
    TubeParticleCache cache;
    Emit(brush, cache);
    ASSERT_EQ(cache.PendingCount(), 1);
    const Segment s;
    TFLVector dir = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
    Normalize(dir);
    // Azimuth 0: the horizontal part lies along the stroke direction.
    EXPECT_NEAR(Dot(dir, s.N), std::sin(c.heldAt * kPi / 2), 1e-12);
    EXPECT_NEAR(Dot(dir, s.D), std::cos(c.heldAt * kPi / 2), 1e-12);
    EXPECT_NEAR(Dot(dir, s.side), 0.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Values, Elevation,
                         ::testing::Values(ElevationCase{0.0, 0.0}, ElevationCase{0.5, 0.5},
                                           ElevationCase{1.0, 0.999}, ElevationCase{1.0009, 0.999},
                                           ElevationCase{0.998, 0.998}, ElevationCase{-0.5, -0.5}));

TEST(Sowing, AzimuthTurnsTheDirectionAroundTheNormal) {
    TBrushRecord brush = QuietBrush();
    brush.elevationMin = brush.elevationMax = 0.0;
    brush.azimuthMin = brush.azimuthMax = 0.5;  // a quarter turn: along side
    TubeParticleCache cache;
    Emit(brush, cache);
    TFLVector dir = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
    Normalize(dir);
    EXPECT_NEAR(Dot(dir, Segment{}.side), 1.0, 1e-12);
}

TEST(Sowing, TubeDirectionOneTiltsTowardTheStrokeDirection) {
    TBrushRecord brush = QuietBrush();
    brush.tubeDirection = 1;
    brush.elevationMin = brush.elevationMax = 0.999;
    TubeParticleCache cache;
    Emit(brush, cache);
    TFLVector dir = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
    Normalize(dir);
    EXPECT_GT(Dot(dir, Segment{}.D), 0.9999);
}

struct YoungCase {
    double L;
    double factor;
};

class YoungStrokes : public ::testing::TestWithParam<YoungCase> {};

TEST_P(YoungStrokes, SowThinnerTubesWithShorterSegments) {
    const YoungCase& c = GetParam();
    TBrushRecord brush = QuietBrush();
    brush.tubeWidth2 = 0.01;
    TubeParticleCache young, grown;
    Emit(brush, young, 0, 17, c.L);
    Emit(brush, grown, 0, 17, kNoTimeLimit);
    const TpaintParticleCacheData& y = young.PendingCurrent(0);
    const TpaintParticleCacheData& g = grown.PendingCurrent(0);
    EXPECT_NEAR(y.width, g.width * c.factor, 1e-12);
    EXPECT_NEAR(y.widthStep, g.widthStep * c.factor, 1e-12);
    EXPECT_NEAR(y.segmentLength, g.segmentLength * c.factor, 1e-12);
    EXPECT_EQ(y.segmentsLeft, g.segmentsLeft);  // as many segments, each shorter
}

INSTANTIATE_TEST_SUITE_P(TimeLimits, YoungStrokes,
                         ::testing::Values(YoungCase{-3.0, 0.2}, YoungCase{0.0, 0.2}, YoungCase{1.0, 0.6},
                                           YoungCase{1.5, 0.8}, YoungCase{2.0, 1.0}));

TEST(Sowing, RampsAreSharedOutOverTheSegmentsOrTheBrushSegments) {
    TBrushRecord brush = QuietBrush(10);
    brush.lengthMin = 0.1;  // fewer segments than the brush's ten
    brush.lengthMax = 0.25;
    brush.tubeWidth1 = 0.03;
    brush.tubeWidth2 = 0.01;
    brush.color1R = 1.0, brush.color2R = 0.0;
    brush.flatness1 = 0.0, brush.flatness2 = 1.0;
    for (int map : {0, 1}) {
        brush.widthLengthMap = map;
        brush.colorLengthMap = map;
        TubeParticleCache cache;
        Emit(brush, cache);
        const TpaintParticleCacheData& cur = cache.PendingCurrent(0);
        const TpaintParticleCacheData& prev = cache.PendingPrevious(0);
        const int m = cur.segmentTotal;
        ASSERT_LT(m, 10);
        const double divisor = map ? 10.0 : m;
        EXPECT_NEAR(cur.widthStep, (0.01 - 0.03) / divisor, 1e-12);
        EXPECT_NEAR(cur.colourStep[0], -1.0 / divisor, 1e-12);
        EXPECT_NEAR(cur.flatnessStep, 1.0 / m, 1e-12);  // flatness always over the tube's own segments
        // The previous record is one ramp step on.
        EXPECT_NEAR(prev.width, cur.width + cur.widthStep, 1e-12);
        EXPECT_NEAR(prev.colour[0], cur.colour[0] + cur.colourStep[0], 1e-12);
        EXPECT_NEAR(prev.flatness, cur.flatness + cur.flatnessStep, 1e-12);
    }
}

TEST(Sowing, SkippedTubesStillSpendTheirDraws) {
    // Half of these tubes have a length <= 0; the others must sit exactly
    // where the same tubes sit when every tube is long enough.
    TBrushRecord all = QuietBrush();
    all.tubesPerStep = 40;
    all.startTubes = 0;
    all.brushWidth = 0.5;
    all.lengthMin = 0.1;
    all.lengthMax = 0.5;
    TBrushRecord some = all;
    some.lengthMin = -0.5;
    TubeParticleCache a, b;
    Emit(all, a, 0, 4242);
    Emit(some, b, 0, 4242);
    ASSERT_GT(b.PendingCount(), 0);
    ASSERT_LT(b.PendingCount(), a.PendingCount());
    int k = 0;
    for (int t = 0; t < b.PendingCount(); ++t) {
        while (k < a.PendingCount() && Distance(a.PendingCurrent(k).pathPoint, b.PendingCurrent(t).pathPoint) > 1e-12)
            ++k;
        ASSERT_LT(k, a.PendingCount()) << "tube " << t << " is not among the full sowing";
        EXPECT_EQ(a.PendingCurrent(k).clusterSeed, b.PendingCurrent(t).clusterSeed);
        ++k;
    }
}

TEST(Sowing, FirstSplitFollowsTheBranchSettings) {
    TBrushRecord brush = QuietBrush(10);
    struct Case {
        bool branches;
        double startBranches;
        double splitMaxDepth;
        int lengthMap;
        int nextSplit;
        int splitCount;
    } cases[] = {
        {false, 3, 0, 0, 11, 0},  // never reached
        {true, 3, 0, 0, 0, 0},    // start branches: split at once
        {true, 1, 0, 0, 11, 0},   // no depth: never
        {true, 1, 2, 0, 3, 1},    // a third of the way: trunc(10 / 3)
        {true, 1, 3, 0, 2, 1},    // a quarter: trunc(2.5)
    };
    for (const Case& c : cases) {
        brush.branches = c.branches;
        brush.startBranches = c.startBranches;
        brush.splitMaxDepth = c.splitMaxDepth;
        brush.splitLengthMap = c.lengthMap;
        TubeParticleCache cache;
        Emit(brush, cache);
        EXPECT_EQ(cache.PendingCurrent(0).nextSplit, c.nextSplit) << c.startBranches << " " << c.splitMaxDepth;
        EXPECT_EQ(cache.PendingCurrent(0).splitCount, c.splitCount);
    }
}

TEST(Sowing, ShadeAndSeedsStayInRange) {
    TBrushRecord brush = QuietBrush();
    brush.tubesPerStep = 50;
    brush.brushWidth = 1.0;
    brush.centerShadow = 0.8;
    brush.brightnessRand = 0.5;
    brush.widthRand = 0.5;
    TubeParticleCache cache;
    Emit(brush, cache, 2, 99);
    ASSERT_GT(cache.PendingCount(), 10);
    for (int t = 0; t < cache.PendingCount(); ++t) {
        const TpaintParticleCacheData& r = cache.PendingCurrent(t);
        EXPECT_GE(r.shade, 0.0);
        EXPECT_LE(r.shade, 1.0);
        EXPECT_GE(r.randomIndex, 0);
        EXPECT_LT(r.randomIndex, 10000);
        EXPECT_EQ(r.randomIndex, r.clusterSeed);
        EXPECT_EQ(r.kind, kTubeKindTube);
        EXPECT_EQ(r.painter.runState, 0);
    }
}

TEST(Sowing, DepthIsTheDistanceFromTheStrokePointWhenAsked) {
    TBrushRecord brush = QuietBrush();
    brush.brushWidth = 1.0;
    brush.depthShadow = 0.5;
    for (int type : {0, 1}) {
        brush.depthShadowType = type;
        TubeParticleCache cache;
        Emit(brush, cache);
        const TpaintParticleCacheData& r = cache.PendingCurrent(0);
        EXPECT_NEAR(r.depth, type ? Distance(Segment{}.A, r.pathPoint) : 0.0, 1e-12);
    }
}

struct BiasCase {
    double u, b, expected;
};

TEST(BiasCurve, BendsTowardTheEnds) {
    const BiasCase cases[] = {{0.3, 0.0, 0.3},  {0.3, -1.0, 0.0},    {0.3, 1.0, 1.0},     {0.0, 0.5, 0.0},
                              {1.0, 0.5, 1.0},  {0.5, 0.5, 0.84375}, {0.5, -0.5, 0.15625}, {1.0, -0.7, 1.0},
                              {2.0, -0.5, 1.0}, {-1.0, 0.5, 0.0}};
    for (const BiasCase& c : cases) EXPECT_NEAR(BiasCurve(c.u, c.b), c.expected, 1e-12) << c.u << " " << c.b;
}

struct HsvCase {
    double rgb[3];
    float hue, saturation, value;
};

TEST(TubeColour, ConvertsToHueSaturationAndValue) {
    const HsvCase cases[] = {{{1, 0, 0}, 0, 1, 1},      {{0, 1, 0}, 120, 1, 1},       {{0, 0, 1}, 240, 1, 1},
                             {{1, 0, 1}, 300, 1, 1},    {{0.5, 0.5, 0.5}, 0, 0, 0.5}, {{0.2, 0.4, 0.4}, 180, 0.5, 0.4},
                             {{0, 0, 0}, 0, 0, 0}};
    for (const HsvCase& c : cases) {
        const THsv h = RgbToHsv(c.rgb);
        EXPECT_NEAR(h.hue, c.hue, 1e-4);
        EXPECT_NEAR(h.saturation, c.saturation, 1e-6);
        EXPECT_NEAR(h.value, c.value, 1e-6);
        double back[3];
        HsvToRgb(h, back);
        for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(back[ch], c.rgb[ch], 1e-6);
    }
}

struct JitterCase {
    double rgb[3];
    double dh, ds, dv;
    double expected[3];
};

TEST(TubeColour, JitterWrapsHueAndClampsSaturationAndValue) {
    const JitterCase cases[] = {
        {{1, 0, 0}, 120, 0, 0, {0, 1, 0}},       {{1, 0, 0}, -120, 0, 0, {0, 0, 1}},
        {{1, 0, 0}, 720, 0, 0, {1, 0, 0}},       {{1, 0, 0}, 0, -2, 0, {1, 1, 1}},
        {{1, 0, 0}, 0, 0, -3, {0, 0, 0}},        {{0.5, 0.25, 0.25}, 0, 0.5, 0, {0.5, 0, 0}},
        {{1, 0, 0}, 0, 0, 0.5, {1.5, 0, 0}},     {{0.3, 0.3, 0.3}, 90, 0.5, 0, {0.225, 0.3, 0.15}},
        {{1, 0, 0}, NAN, 0, 0, {1, 0, 0}},
    };
    for (const JitterCase& c : cases) {
        double rgb[3] = {c.rgb[0], c.rgb[1], c.rgb[2]};
        JitterColour(rgb, c.dh, c.ds, c.dv);
        for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(rgb[ch], c.expected[ch], 1e-6) << c.dh << " " << c.ds << " " << ch;
    }
}

// A cache that can take no more tubes is not sown into at all, and one that
// can take a few gets exactly those: what the merge would have dropped is
// never made.
TEST(TubeEmission, SowingStopsWhereTheCacheHasNoRoom) {
    TBrushRecord brush = QuietBrush();
    brush.tubesPerStep = 1e6;
    brush.startTubes = 0;
    const struct {
        int living;
        int sown;
    } cases[] = {{kParticleCacheLimit, 0}, {kParticleCacheLimit - 5, 5}, {0, kParticleCacheLimit}};
    for (const auto& c : cases) {
        TubeParticleCache cache;
        for (int i = 0; i < c.living; ++i) cache.Insert(Record({}, 3, 3), Record({}, 4, 4));
        Emit(brush, cache, 3);
        EXPECT_EQ(cache.PendingCount(), c.sown) << c.living << " living";
        EXPECT_FALSE(cache.HasRoom());
    }
}

}  // namespace
