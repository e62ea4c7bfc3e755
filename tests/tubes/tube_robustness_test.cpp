// Extreme and broken brush values must never crash, hang or let a
// non-finite number into a tube record; the cache limits always hold.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "tube_test_support.h"
#include "tubes/turbulence_field.h"

namespace {

using namespace tubetest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A lively brush: random counts, branching, forces and all three children.
TBrushRecord LivelyBrush() {
    TBrushRecord b = QuietBrush(9);
    b.tubesPerStep = 6;
    b.tubeRand = 0.5;
    b.lengthMin = 0.1;
    b.brushWidth = 0.5;
    b.widthRand = 0.5;
    b.random = 0.1;
    b.gravity = 0.1;
    b.branches = true;
    b.startBranches = 2;
    b.numBranches = 2;
    b.splitMaxDepth = 2;
    b.splitSizeDecay = 0.8;
    b.splitAngle = 20;
    b.twigs = true;
    b.twigLength = 0.2;
    b.numTwigClusters = 2;
    b.twigsInCluster = 2;
    b.twigBaseWidth = 0.5;
    b.twigTipWidth = 0.2;
    b.twigAngle1 = b.twigAngle2 = 60;
    b.twigStart = 0.3;
    b.leaves = true;
    b.leafSegments = 3;
    b.leafLength = 0.1;
    b.numLeafClusters = 2;
    b.leavesInCluster = 2;
    b.leafStart = 0.2;
    b.flowers = true;
    b.petalSegments = 3;
    b.petalLength = 0.1;
    b.numFlowers = 1;
    b.petalsInFlower = 5;
    b.flowerStart = 0.9;
    b.curl = 0.2;
    b.turbulence = 0.5;
    b.turbulenceType = 2;
    b.turbulenceFrequency = 0.5;
    b.deflection = true;
    b.deflectionMax = 0.2;
    return b;
}

struct ExtremeCase {
    const char* name;
    std::function<void(TBrushRecord&)> set;
};

class ExtremeBrushes : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(ExtremeBrushes, GrowWithinTheLimitsAndStayFinite) {
    TBrushRecord brush = LivelyBrush();
    GetParam().set(brush);
    TubeParticleCache cache;
    Segment s;
    int calls = 0;
    // A stroke of 12 segments, then its completion in place, as the stroke driver runs it.
    for (int i = 0; i < 12; ++i, ++calls) {
        s.A = {0.5 + 0.01 * i, 0.5, 0.0, 1.0};
        s.B = {0.51 + 0.01 * i, 0.5, 0.0, 1.0};
        Emit(brush, cache, i, 1000 + i, kNoTimeLimit, s);
        ASSERT_LE(cache.PendingCount(), kParticleCacheLimit);
        Advance(brush, cache, i, kNoTimeLimit, s);
    }
    s.A = s.B;
    while (cache.HasLiving() && calls < 3000) {
        Advance(brush, cache, calls, kNoTimeLimit, s);
        ++calls;
        ASSERT_LE(cache.Count(), kParticleCacheLimit);
        for (int j = 0; j < cache.Count(); ++j) {
            if (cache.Current(j).segmentsLeft < 0) continue;
            ASSERT_TRUE(RecordIsFinite(cache.Current(j))) << GetParam().name << " slot " << j;
            ASSERT_TRUE(RecordIsFinite(cache.Previous(j))) << GetParam().name << " slot " << j;
        }
    }
    // Every tube ends: segment counts are bounded, and so are those of the children.
    EXPECT_FALSE(cache.HasLiving()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExtremeBrushes,
    ::testing::Values(
        ExtremeCase{"many_segments", [](TBrushRecord& b) { b.segments = 4464; }},
        ExtremeCase{"huge_segment_count", [](TBrushRecord& b) { b.segments = 2000000000; }},
        ExtremeCase{"a_million_tubes_per_step", [](TBrushRecord& b) { b.tubesPerStep = 1e6; }},
        ExtremeCase{"thirty_thousand_branches",
                    [](TBrushRecord& b) {
                        b.numBranches = 30000;
                        b.startBranches = 30000;
                    }},
        ExtremeCase{"deep_splitting",
                    [](TBrushRecord& b) {
                        b.splitMaxDepth = 1e9;
                        b.startBranches = 1;
                        b.numBranches = 3;
                    }},
        ExtremeCase{"nan_lengths",
                    [](TBrushRecord& b) {
                        b.lengthMin = kNaN;
                        b.lengthMax = kNaN;
                    }},
        ExtremeCase{"nan_length_max", [](TBrushRecord& b) { b.lengthMax = kNaN; }},
        ExtremeCase{"negative_widths",
                    [](TBrushRecord& b) {
                        b.tubeWidth1 = -0.5;
                        b.tubeWidth2 = -2.0;
                    }},
        ExtremeCase{"infinite_gravity", [](TBrushRecord& b) { b.gravity = kInf; }},
        ExtremeCase{"nan_turbulence", [](TBrushRecord& b) { b.turbulence = kNaN; }},
        ExtremeCase{"huge_spiral",
                    [](TBrushRecord& b) {
                        b.spiralMin = -1e300;
                        b.spiralMax = 1e300;
                    }},
        ExtremeCase{"zero_global_scale", [](TBrushRecord& b) { b.globalScale = 0.0; }},
        ExtremeCase{"huge_clusters",
                    [](TBrushRecord& b) {
                        b.numLeafClusters = 1e12;
                        b.leavesInCluster = 1e12;
                        b.petalsInFlower = 1e12;
                    }},
        ExtremeCase{"huge_leaf_segments",
                    [](TBrushRecord& b) {
                        b.leafSegments = 2000000000;
                        b.petalSegments = 2000000000;
                    }},
        ExtremeCase{"nan_angles_and_colours",
                    [](TBrushRecord& b) {
                        b.elevationMax = kNaN;
                        b.hueRand = kNaN;
                        b.color1R = kInf;
                    }},
        ExtremeCase{"flex_and_biases",
                    [](TBrushRecord& b) {
                        b.lengthFlex = -3;
                        b.segmentLengthBias = 5;
                        b.segmentWidthBias = 1e308;
                        b.splitBias = -7;
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Robustness, NonFiniteStrokePointsSowNothing) {
    TBrushRecord brush = LivelyBrush();
    brush.startTubes = 5;
    TubeParticleCache cache;
    Segment s;
    s.A = {kNaN, 0.5, 0.0, 1.0};
    Emit(brush, cache, 0, 3, kNoTimeLimit, s);
    EXPECT_EQ(cache.PendingCount(), 0);
}

TEST(Robustness, ATubeThatMeetsANonFiniteForceEnds) {
    TBrushRecord brush = QuietBrush(10);
    TubeParticleCache cache;
    Emit(brush, cache);
    Advance(brush, cache);
    ASSERT_EQ(cache.LiveCount(), 1);
    brush.uniformForceX = kInf;
    Advance(brush, cache);
    EXPECT_EQ(cache.LiveCount(), 0);
    EXPECT_TRUE(RecordIsFinite(cache.Previous(0)));
}

}  // namespace
