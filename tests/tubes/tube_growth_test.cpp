#include "tubes/tube_growth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tube_test_support.h"
#include "tubes/turbulence_field.h"

namespace {

using namespace tubetest;

TEST(Growth, ATenSegmentTubeDiesInItsEleventhGrowthCall) {
    TBrushRecord brush = QuietBrush(10);
    TubeParticleCache cache;
    Emit(brush, cache);
    for (int call = 1; call <= 10; ++call) {
        Advance(brush, cache);
        ASSERT_EQ(cache.LiveCount(), 1) << "call " << call;
        EXPECT_EQ(cache.Current(0).segmentsLeft, 10 - call);
    }
    Advance(brush, cache);
    EXPECT_EQ(cache.LiveCount(), 0);
    EXPECT_EQ(cache.Current(0).segmentsLeft, -1);
    EXPECT_EQ(cache.Previous(0).segmentsLeft, -1);
}

TEST(Growth, WithoutMomentumOrForcesATubeStaysWhereItWasSown) {
    TBrushRecord brush = QuietBrush(6);
    brush.momentum = 0.0;
    TubeParticleCache cache;
    Emit(brush, cache);
    const TFLPoint sown = cache.PendingCurrent(0).pathPoint;
    for (int call = 1; call <= 6; ++call) {
        Advance(brush, cache);
        EXPECT_EQ(Distance(cache.Current(0).pathPoint, sown), 0.0) << call;
        EXPECT_EQ(Distance(cache.Current(0).drawnPoint, sown), 0.0) << call;
    }
}

TEST(Growth, MomentumCarriesTheFirstStepOnInAStraightLine) {
    TBrushRecord brush = QuietBrush(8);
    TubeParticleCache cache;
    Emit(brush, cache);
    const TFLVector first = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
    for (int call = 1; call <= 8; ++call) {
        Advance(brush, cache);
        const TFLVector step = cache.Current(0).pathPoint - cache.Previous(0).pathPoint;
        EXPECT_NEAR(Length(step - first), 0.0, 1e-12) << call;
    }
}

struct ForceCase {
    const char* name;
    double gravity, ufx, ufy, ufz;
    TFLVector perStepOverS;  // the world step divided by the force scale S
};

class ConstantForces : public ::testing::TestWithParam<ForceCase> {};

TEST_P(ConstantForces, PushEveryStepByTheForceTimesTheForceScale) {
    const ForceCase& c = GetParam();
    TBrushRecord brush = QuietBrush(10);
    brush.momentum = 0.0;
    brush.gravity = c.gravity;
    brush.uniformForceX = c.ufx, brush.uniformForceY = c.ufy, brush.uniformForceZ = c.ufz;
    brush.globalScale = 0.5;
    const double S = brush.lengthMax * 10.0 / 100.0 * brush.globalScale;
    TubeParticleCache cache;
    Emit(brush, cache);
    for (int call = 0; call < 3; ++call) {
        Advance(brush, cache);
        const TFLVector step = cache.Current(0).pathPoint - cache.Previous(0).pathPoint;
        EXPECT_NEAR(Length(step - c.perStepOverS * S), 0.0, 1e-12) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Forces, ConstantForces,
                         ::testing::Values(ForceCase{"gravity", 1.0, 0, 0, 0, {0, -1, 0}},
                                           ForceCase{"uniform", 0.0, 2, 0, -1, {2, 0, -1}},
                                           ForceCase{"both", 0.5, 0, 1, 0, {0, 0.5, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Growth, PathFollowTakesTheStrokeStepAndPathAttractPullsTowardA) {
    const Segment s;
    {
        TBrushRecord brush = QuietBrush(10);
        brush.momentum = 0.0;
        brush.pathFollow = 1.0;
        TubeParticleCache cache;
        Emit(brush, cache);
        Advance(brush, cache);
        const TFLVector step = cache.Current(0).pathPoint - cache.Previous(0).pathPoint;
        EXPECT_NEAR(Length(step - (s.B - s.A)), 0.0, 1e-12);
    }
    {
        TBrushRecord brush = QuietBrush(10);
        brush.momentum = 0.0;
        brush.pathAttract = 2.0;
        brush.globalScale = 3.0;  // attraction does not scale with it
        TubeParticleCache cache;
        Emit(brush, cache);
        const TFLPoint sown = cache.PendingCurrent(0).pathPoint;
        Advance(brush, cache);
        const TFLVector step = cache.Current(0).pathPoint - sown;
        const double G = brush.lengthMax * 10.0 / 100.0;
        EXPECT_NEAR(Length(step - (s.A - sown) * (2.0 * G)), 0.0, 1e-12);
    }
}

TEST(Growth, RandomJitterReplaysFromTheTubesOwnCounter) {
    TBrushRecord brush = QuietBrush(10);
    brush.momentum = 0.0;
    brush.random = 1.0;
    std::vector<TFLPoint> first, second;
    for (auto* out : {&first, &second}) {
        TubeParticleCache cache;
        Emit(brush, cache);
        for (int call = 0; call < 5; ++call) {
            Advance(brush, cache);
            out->push_back(cache.Current(0).pathPoint);
        }
    }
    for (size_t k = 0; k < first.size(); ++k) EXPECT_EQ(Distance(first[k], second[k]), 0.0);
    EXPECT_GT(Distance(first[0], first[4]), 0.0);
    // Each jitter step is at most sqrt(3) * S long.
    const double S = brush.lengthMax * 10.0 / 100.0;
    for (size_t k = 1; k < first.size(); ++k) EXPECT_LE(Distance(first[k], first[k - 1]), std::sqrt(3.0) * S + 1e-12);
}

struct SpiralCase {
    double spiral, decay, next;
};

class SpiralDecay : public ::testing::TestWithParam<SpiralCase> {};

TEST_P(SpiralDecay, DecaysClampsAndStopsAtZero) {
    const SpiralCase& c = GetParam();
    TBrushRecord brush = QuietBrush(10);
    brush.spiralDecay = c.decay;
    TubeParticleCache cache;
    TpaintParticleCacheData cur = Record({0.55, 0.5, 0.1, 1}, 5, 10);
    TpaintParticleCacheData prev = Record({0.5, 0.5, 0.1, 1}, 10, 10);
    cur.spiral = c.spiral;
    prev.spiral = 1.23;  // what the slot held two states ago
    cache.Insert(cur, prev);
    const Segment s;
    GrowTubes(brush, 0, s.A, s.B, s.side, s.D, s.N, 1.0, kNoTimeLimit, cache);
    EXPECT_NEAR(cache.Current(0).spiral, c.next, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpiralDecay,
                         ::testing::Values(SpiralCase{1.8, 0.5, 2.0}, SpiralCase{-0.3, -0.5, 0.0},
                                           SpiralCase{0.5, 0.25, 0.75}, SpiralCase{-1.0, 0.5, -1.5},
                                           SpiralCase{-1.9, 0.5, -2.0}, SpiralCase{0.2, -0.5, 0.0},
                                           // a spiral at 0 stays 0 instead of bringing back an older value
                                           SpiralCase{0.0, 0.5, 0.0}));

TEST(Growth, SpiralTurnsTheMotionAboutTheNormalBySign) {
    const Segment s;
    for (double spiral : {1.0, -1.0}) {
        TBrushRecord brush = QuietBrush(10);
        TubeParticleCache cache;
        // Last step along D (local x... the frame's second axis): local l = (0, 0.05, 0).
        TpaintParticleCacheData cur = Record({0.55, 0.5, 0.1, 1}, 5, 10);
        TpaintParticleCacheData prev = Record({0.5, 0.5, 0.1, 1}, 10, 10);
        cur.spiral = spiral;
        cache.Insert(cur, prev);
        GrowTubes(brush, 0, s.A, s.B, s.side, s.D, s.N, 1.0, kNoTimeLimit, cache);
        const TFLVector step = cache.Current(0).pathPoint - cache.Previous(0).pathPoint;
        // A full spiral (|s| = 1) turns the step a quarter turn: V.x = -s * l.y.
        EXPECT_NEAR(Dot(step, s.side), -spiral * 0.05, 1e-12);
        EXPECT_NEAR(Dot(step, s.D), 0.0, 1e-12);
        EXPECT_NEAR(Dot(step, s.N), 0.0, 1e-12);
    }
}

TEST(Growth, DeflectionLiftsALowTipExactlyToItsMinimumHeight) {
    TBrushRecord brush = QuietBrush(10);
    brush.deflection = true;
    brush.deflectionMin = 0.05;
    brush.deflectionMax = 0.3;
    brush.globalScale = 0.8;
    TubeParticleCache cache;
    InsertPair(cache, {0.5, 0.5, 0.01, 1}, {0.55, 0.5, 0.01, 1}, 5, 10);
    const Segment s;
    GrowTubes(brush, 0, s.A, s.B, s.side, s.D, s.N, brush.globalScale, kNoTimeLimit, cache);
    const TpaintParticleCacheData& tip = cache.Current(0);
    EXPECT_NEAR(tip.drawnPoint.z, 0.8 * 0.05, 1e-12);
    EXPECT_NEAR(tip.pathPoint.z, 0.8 * 0.05, 1e-12);
    EXPECT_NEAR(tip.pathPoint.x, 0.6, 1e-12);  // only lifted, not moved along
}

TEST(Growth, DeflectionBendsADescendingTipTowardTheSurface) {
    TBrushRecord brush = QuietBrush(10);
    brush.deflection = true;
    brush.deflectionMin = 0.0;
    brush.deflectionMax = 0.5;
    TubeParticleCache plain, deflected;
    InsertPair(plain, {0.5, 0.5, 0.2, 1}, {0.55, 0.5, 0.15, 1}, 5, 10);
    InsertPair(deflected, {0.5, 0.5, 0.2, 1}, {0.55, 0.5, 0.15, 1}, 5, 10);
    const Segment s;
    TBrushRecord off = brush;
    off.deflection = false;
    GrowTubes(off, 0, s.A, s.B, s.side, s.D, s.N, 1.0, kNoTimeLimit, plain);
    GrowTubes(brush, 0, s.A, s.B, s.side, s.D, s.N, 1.0, kNoTimeLimit, deflected);
    EXPECT_GT(deflected.Current(0).pathPoint.z, plain.Current(0).pathPoint.z);
    EXPECT_GT(deflected.Current(0).pathPoint.z, 0.0);
}

struct LimitCase {
    double L;
    bool aliveAfterFirstCall;
};

TEST(Growth, ATubeWhoseTimeHasRunOutDies) {
    const LimitCase cases[] = {{-0.01, false}, {0.0, true}, {0.5, true}};
    for (const LimitCase& c : cases) {
        TBrushRecord brush = QuietBrush(10);
        TubeParticleCache cache;
        Emit(brush, cache, 0, 17, c.L);
        Advance(brush, cache, 0, c.L);
        EXPECT_EQ(cache.LiveCount() == 1, c.aliveAfterFirstCall) << c.L;
    }
    // With a limit of 0.5 and ten segments, no tube outlives half its length.
    TBrushRecord brush = QuietBrush(10);
    TubeParticleCache cache;
    Emit(brush, cache, 0, 17, 0.5);
    int calls = 0;
    while (cache.HasLiving() && calls < 20) Advance(brush, cache, 0, 0.5), ++calls;
    EXPECT_LT(calls, 10);
}

TEST(Growth, AShrinkingTubeEndsWhenItsWidthIsGone) {
    TBrushRecord brush = QuietBrush(10);
    brush.tubeWidth1 = 0.02;
    brush.tubeWidth2 = -0.2;
    brush.widthLengthMap = 0;
    TubeParticleCache cache;
    Emit(brush, cache);
    int calls = 0;
    while (cache.HasLiving() && calls < 20) Advance(brush, cache), ++calls;
    EXPECT_LT(calls, 5);
}

TEST(Growth, ABudTakesOverTheLastSegment) {
    TBrushRecord brush = QuietBrush(3);
    brush.buds = true;
    brush.budSize = 0.05;
    brush.budColorR = 1.0, brush.budColorG = 0.5, brush.budColorB = 0.25;
    brush.globalScale = 2.0;
    brush.color1G = brush.color2G = 0.9;
    TubeParticleCache cache;
    Emit(brush, cache);
    for (int call = 1; call <= 3; ++call) {
        Advance(brush, cache);
        const TpaintParticleCacheData& c = cache.Current(0);
        if (c.segmentsLeft == 0) {
            EXPECT_DOUBLE_EQ(c.width, 0.1);
            EXPECT_DOUBLE_EQ(c.colour[0], 1.0);
            EXPECT_DOUBLE_EQ(c.colour[1], 0.5);
            EXPECT_DOUBLE_EQ(c.colour[2], 0.25);
        } else {
            EXPECT_NEAR(c.width, 0.04, 1e-12);
            EXPECT_DOUBLE_EQ(c.colour[1], 0.9);
        }
    }
    EXPECT_EQ(cache.Current(0).segmentsLeft, 0);
}

TEST(Growth, TransparencyRampsStayWithinZeroAndOne) {
    TBrushRecord brush = QuietBrush(4);
    brush.transparency1R = 0.5, brush.transparency2R = 3.0;
    brush.transparency1G = 0.5, brush.transparency2G = -3.0;
    TubeParticleCache cache;
    Emit(brush, cache);
    for (int call = 0; call < 4; ++call) {
        Advance(brush, cache);
        EXPECT_LE(cache.Current(0).transparency[0], 1.0);
        EXPECT_GE(cache.Current(0).transparency[1], 0.0);
    }
    EXPECT_EQ(cache.Current(0).transparency[0], 1.0);
    EXPECT_EQ(cache.Current(0).transparency[1], 0.0);
}

struct FlexCase {
    double lengthFlex;
    double momentum;
    double expectedOverSegmentLength;
};

class LengthFlex : public ::testing::TestWithParam<FlexCase> {};

TEST_P(LengthFlex, BlendsTheGrownLengthWithTheNominalOne) {
    const FlexCase& c = GetParam();
    TBrushRecord brush = QuietBrush(10);
    brush.lengthFlex = c.lengthFlex;
    brush.momentum = c.momentum;
    TubeParticleCache cache;
    Emit(brush, cache);
    const double s = cache.PendingCurrent(0).segmentLength;
    Advance(brush, cache);
    EXPECT_NEAR(Distance(cache.Current(0).pathPoint, cache.Previous(0).pathPoint), c.expectedOverSegmentLength * s,
                1e-12);
    EXPECT_NEAR(Distance(cache.Current(0).drawnPoint, cache.Previous(0).pathPoint), c.expectedOverSegmentLength * s,
                1e-12);
}

INSTANTIATE_TEST_SUITE_P(Values, LengthFlex,
                         ::testing::Values(FlexCase{0.0, 3.0, 1.0}, FlexCase{1.0, 3.0, 3.0},
                                           FlexCase{0.5, 3.0, 2.0}, FlexCase{0.0, 0.25, 1.0}));

// Which turbulence types push the path and which only displace the drawn point.
struct TurbulenceCase {
    int type;
    bool movesPath;
    bool displacesDrawn;
};

class TurbulenceTypes : public ::testing::TestWithParam<TurbulenceCase> {};

TEST_P(TurbulenceTypes, ActAsForceOrAsDisplacement) {
    const TurbulenceCase& c = GetParam();
    ResetTurbulenceFieldForTests();
    TBrushRecord still = QuietBrush(10);
    still.turbulence = 5.0;
    still.turbulenceFrequency = 1.0;
    still.time = 0.3;
    still.turbulenceSpeed = 1.0;
    TBrushRecord stirred = still;
    stirred.turbulenceType = c.type;
    TubeParticleCache a, b;
    Emit(still, a);
    Emit(stirred, b);
    for (int call = 0; call < 4; ++call) {
        Advance(still, a);
        Advance(stirred, b);
    }
    const TpaintParticleCacheData& x = a.Current(0);
    const TpaintParticleCacheData& y = b.Current(0);
    EXPECT_EQ(Distance(x.pathPoint, y.pathPoint) > 1e-9, c.movesPath) << c.type;
    EXPECT_EQ(Distance(y.drawnPoint, y.pathPoint) > 1e-9, c.displacesDrawn) << c.type;
}

INSTANTIATE_TEST_SUITE_P(Types, TurbulenceTypes,
                         ::testing::Values(TurbulenceCase{1, true, false}, TurbulenceCase{2, true, false},
                                           TurbulenceCase{3, false, true}, TurbulenceCase{4, false, true},
                                           TurbulenceCase{5, true, false}, TurbulenceCase{6, true, false}));

TEST(Growth, DisplacementMovesTheDrawnPointButNotThePath) {
    TBrushRecord plain = QuietBrush(10);
    TBrushRecord curly = plain;
    curly.curl = 1.0;
    curly.curlFrequency = 2.0;
    TubeParticleCache a, b;
    Emit(plain, a);
    Emit(curly, b);
    EXPECT_GT(Distance(b.PendingCurrent(0).drawnPoint, b.PendingCurrent(0).pathPoint), 0.0);
    for (int call = 0; call < 5; ++call) {
        Advance(plain, a);
        Advance(curly, b);
        EXPECT_NEAR(Distance(a.Current(0).pathPoint, b.Current(0).pathPoint), 0.0, 1e-12);
        EXPECT_GT(Distance(b.Current(0).drawnPoint, b.Current(0).pathPoint), 0.0);
    }
}

}  // namespace
