#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "motion/force_modes.h"
#include "motion/orbit_modes.h"
#include "base/random.h"
#include "motion_test_support.h"

namespace {

using motion_test::MakeWalker;
using motion_test::Position;
using motion_test::StartRun;

constexpr int32_t kW = 1000;
constexpr int32_t kH = 800;

// Spread seeds: neighbouring seconds give strongly related first draws.
uint32_t SpreadSeed(int n) { return 7u + static_cast<uint32_t>(n) * 2654435761u; }

TEST(ForceModes, SayWhetherTheEdgeBounceApplies) {
    const struct {
        int32_t mode;
        bool bounce;
    } cases[] = {
        {kForceChaos, false},         {kForcePipes, true},           {kForceWiggle, true},
        {kForceWigglyWalk, true},     {kForceRandomWalk, true},      {kForceWanderingSwirls, true},
        {kForceFollowEdges, false},   {kForceGravity, true},         {kForceEdgeRepulse, false},
        {kForceKinks, true},          {kForceCrossEdgesFlow, true},  {kForceMovingOrbit, false},
        {kForceMultiChaos, false},    {14, false},                   {-2, false},
    };
    for (const auto& c : cases) {
        StartRun(3);
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;
        EXPECT_EQ(ApplyForceMode(walker, {500, 400, 0}, c.mode, nullptr), c.bounce) << "mode " << c.mode;
    }
}

TEST(ForceModes, SetTheSharedFlagsTheyStandFor) {
    const struct {
        int32_t mode;
        bool chaos, edgeRepulse;
    } cases[] = {
        {kForceChaos, true, false}, {kForceEdgeRepulse, false, true}, {14, false, false},
        {-2, false, false},         {kForcePipes, false, false},
    };
    for (const auto& c : cases) {
        StartRun(3);
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;
        ApplyForceMode(walker, {500, 400, 0}, c.mode, nullptr);
        EXPECT_EQ(ForceModeSharedState().flags.chaos, c.chaos) << "mode " << c.mode;
        EXPECT_EQ(ForceModeSharedState().flags.edgeRepulse, c.edgeRepulse) << "mode " << c.mode;
    }
}

std::vector<Position> Walk(int32_t mode, int steps, uint32_t seed = 404) {
    StartRun(seed);
    TBrushWalker walker = MakeWalker(0.3, 0.7, -0.1, 20, kW, kH);
    Position p{300, 200, 0};
    std::vector<Position> path;
    for (int n = 0; n < steps; ++n) {
        walker.Step(p.x, p.y, p.z, mode, nullptr);
        path.push_back(p);
    }
    return path;
}

TEST(ForceModes, UnknownModesWalkLikeChaos) {
    const std::vector<Position> chaos = Walk(kForceChaos, 2000);
    for (int32_t mode : {14, -2, 1000}) {
        const std::vector<Position> other = Walk(mode, 2000);
        for (size_t n = 0; n < chaos.size(); ++n) {
            ASSERT_EQ(other[n].x, chaos[n].x) << "mode " << mode << " step " << n;
            ASSERT_EQ(other[n].y, chaos[n].y);
        }
    }
}

// How much the heading turns from step to step, in a window so large that
// no edge is met.
struct TurnStats {
    double meanTurn = 0.0;
    double straightShare = 0.0;  // steps that did not turn at all
    double sharpShare = 0.0;     // steps that turned by more than 0.5 radians
};

TurnStats MeasureTurns(int32_t mode) {
    StartRun(4242);
    TBrushWalker walker = MakeWalker(0.6, 0.8, 0.0, 5.0, 100000, 100000);
    Position p{50000, 50000, 0};
    TurnStats stats;
    const int steps = 2000;
    for (int n = 0; n < steps; ++n) {
        const TFLVector before = walker.velocity;
        walker.Step(p.x, p.y, p.z, mode, nullptr);
        const double c = std::clamp(Dot(before, walker.velocity) / (Length(before) * Length(walker.velocity)), -1.0, 1.0);
        const double turn = std::acos(c);
        stats.meanTurn += turn / steps;
        stats.straightShare += (turn < 1e-6) / double{steps};
        stats.sharpShare += (turn > 0.5) / double{steps};
    }
    return stats;
}

TEST(ForceModes, EachModeTurnsTheBrushInItsOwnWay) {
    const struct {
        const char* name;
        int32_t mode;
        double meanLow, meanHigh;
        double straightLow, straightHigh;
        double sharpLow, sharpHigh;
    } cases[] = {
        // Pipes: straight runs broken by sharp turns to axis directions.
        {"Pipes", kForcePipes, 0.1, 0.6, 0.6, 0.95, 0.05, 0.4},
        // Wiggle: always a small turn, never a sharp one.
        {"Wiggle", kForceWiggle, 0.01, 0.1, 0.0, 0.01, 0.0, 0.0},
        // Random Walk and Wandering Swirls: steady moderate turning.
        {"Random Walk", kForceRandomWalk, 0.08, 0.4, 0.0, 0.01, 0.0, 0.05},
        {"Wandering Swirls", kForceWanderingSwirls, 0.08, 0.4, 0.0, 0.01, 0.0, 0.05},
        {"Wiggly Walk", kForceWigglyWalk, 0.15, 0.8, 0.0, 0.01, 0.1, 0.6},
        // Kinks: straight almost always, with rare sharp kicks.
        {"Kinks", kForceKinks, 0.01, 0.2, 0.9, 0.99, 0.01, 0.1},
        // Gravity and Chaos bend gently.
        {"Gravity", kForceGravity, 0.0001, 0.01, 0.0, 0.01, 0.0, 0.0},
        {"Chaos", kForceChaos, 0.0005, 0.02, 0.0, 0.01, 0.0, 0.0},
        // Without a canvas and far from the window's edges these go straight.
        {"Edge Repulse", kForceEdgeRepulse, 0.0, 0.001, 0.95, 1.0, 0.0, 0.0},
        {"Cross Edges Flow", kForceCrossEdgesFlow, 0.0, 0.001, 0.95, 1.0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        const TurnStats s = MeasureTurns(c.mode);
        EXPECT_GE(s.meanTurn, c.meanLow) << c.name;
        EXPECT_LE(s.meanTurn, c.meanHigh) << c.name;
        EXPECT_GE(s.straightShare, c.straightLow) << c.name;
        EXPECT_LE(s.straightShare, c.straightHigh) << c.name;
        EXPECT_GE(s.sharpShare, c.sharpLow) << c.name;
        EXPECT_LE(s.sharpShare, c.sharpHigh) << c.name;
    }
}

TEST(ForceModes, PipesTurnOnlyToAxisDirectionsOrTheFixedPoint) {
    StartRun(909);
    TBrushWalker walker = MakeWalker(1, 0, 0, 5, kW, kH);
    Position p{500, 400, 0};
    int turns = 0;
    for (int n = 0; n < 3000; ++n) {
        const TFLVector before = walker.velocity;
        const TFLVector p0{p.x, p.y, p.z};
        walker.Step(p.x, p.y, p.z, kForcePipes, nullptr);
        const TFLVector v = walker.velocity;
        // Unchanged but for edge bounces, which only flip signs.
        const bool kept = std::fabs(std::fabs(v.x) - std::fabs(before.x)) < 1e-9 &&
                          std::fabs(std::fabs(v.y) - std::fabs(before.y)) < 1e-9 &&
                          std::fabs(std::fabs(v.z) - std::fabs(before.z)) < 1e-9;
        if (kept) continue;
        ++turns;
        const TFLVector d = Normalized(TFLVector{kW * 0.5, kH * 0.25, -2.0 * kW} - p0);
        const TFLVector candidates[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, d, -d};
        double best = 0.0;
        for (const TFLVector& c : candidates) {
            // Compare up to a bounce of the candidate's components.
            best = std::max(best, std::fabs(v.x * c.x) + std::fabs(v.y * c.y) + std::fabs(v.z * c.z));
        }
        EXPECT_GT(best, 0.998) << "step " << n;
    }
    EXPECT_GT(turns, 100);
}

TEST(ForceModes, PipesAtTheCentreCanTurnTowardsTheFixedPointBehindTheWindow) {
    // Step 3: the recording draw, then the two pipe draws.
    TRandomState state;
    ASSERT_TRUE(motion_test::FindStateWhere(3, [](const double* u) {
        return u[0] <= 0.999 && std::sin(6.28 * u[1] + 3.0) > 0.8 && 6.0 * u[2] >= 4.0 && 6.0 * u[2] < 5.0;
    }, &state));
    ResetForceModeSharedForTests();
    TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);
    walker.stepCount = 2.0;
    RandomSetState(state);
    Position p{500, 400, 0};
    walker.Step(p.x, p.y, p.z, kForcePipes, nullptr);
    const TFLVector expected = Normalized(TFLVector{0, -200, -2000});
    EXPECT_NEAR(walker.velocity.x, expected.x, 1e-4);
    EXPECT_NEAR(walker.velocity.y, expected.y, 1e-4);
    EXPECT_NEAR(walker.velocity.z, expected.z, 1e-4);
}

TEST(ForceModes, GravitySwingsThePathDownThenUp) {
    StartRun(12);
    TBrushWalker walker = MakeWalker(1, 0, 0, 20, 100000, 100000);
    Position p{50000, 50000, 0};
    std::vector<double> vy;
    for (int n = 0; n < 700; ++n) {
        walker.Step(p.x, p.y, p.z, kForceGravity, nullptr);
        vy.push_back(walker.velocity.y);
    }
    // velocity.y grows (downward) while sin(0.01 s) > 0, peaks near step 314,
    // then falls back as the pull turns upward.
    EXPECT_GT(vy[313], 0.8);
    EXPECT_GT(vy[313], vy[100]);
    EXPECT_LT(vy[627], vy[313] - 0.5);
    const auto peak = std::max_element(vy.begin(), vy.end()) - vy.begin();
    EXPECT_NEAR(static_cast<double>(peak), 313.0, 3.0);
}

TEST(ForceModes, EdgeRepulseTurnsTheBrushBackSmoothlyWithoutBouncing) {
    StartRun(321);
    TBrushWalker walker = MakeWalker(0.8, 0.6, 0.0, 10, kW, kH);
    Position p{500, 400, 0};
    int inside = 0;
    int returns = 0;
    bool wasOutside = false;
    double worstOutside = 0.0;
    double sharpestTurn = 0.0;
    const int steps = 20000;
    for (int n = 0; n < steps; ++n) {
        const TFLVector before = walker.velocity;
        walker.Step(p.x, p.y, p.z, kForceEdgeRepulse, nullptr);
        sharpestTurn = std::max(sharpestTurn, std::acos(std::clamp(Dot(before, walker.velocity), -1.0, 1.0)));
        const double outside = std::max({0.0, -double{p.x}, p.x - double{kW}, -double{p.y}, p.y - double{kH}});
        worstOutside = std::max(worstOutside, outside);
        if (outside == 0.0) {
            ++inside;
            returns += wasOutside;
        }
        wasOutside = outside > 0.0;
    }
    EXPECT_GT(inside, steps / 2);
    EXPECT_GT(returns, 5);                  // it keeps coming back by itself
    EXPECT_LT(worstOutside, 0.3 * kW);      // turned back well before going far
    EXPECT_LT(sharpestTurn, 1.0);           // a pull, never a bounce
}

TEST(CycleSelection, FirstStepPicksASubModeAmongTheFirstEleven) {
    std::vector<int> seen(14, 0);
    for (int n = 0; n < 2000; ++n) {
        StartRun(SpreadSeed(n));
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 1.0;
        ApplyForceMode(walker, {500, 400, 0}, kForceCycleSelection, nullptr);
        const int32_t counter = ForceModeSharedState().cycleCounter;
        ASSERT_GE(counter, 0);
        ASSERT_LE(counter, 10);
        ++seen[counter];
    }
    for (int k = 0; k <= 10; ++k) EXPECT_GT(seen[k], 100) << k;
}

TEST(CycleSelection, AdvancesEvery1200StepsAndWrapsAfter13) {
    const struct {
        int32_t counter;
        double step;
        int32_t expected;
    } cases[] = {
        {5, 1200.0, 6}, {5, 1201.0, 5}, {5, 2400.0, 6}, {12, 3600.0, 13}, {13, 4800.0, 0}, {0, 1199.0, 0},
    };
    for (const auto& c : cases) {
        StartRun(3);
        ForceModeSharedState().cycleCounter = c.counter;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = c.step;
        ApplyForceMode(walker, {500, 400, 0}, kForceCycleSelection, nullptr);
        EXPECT_EQ(ForceModeSharedState().cycleCounter, c.expected) << c.counter << " at " << c.step;
    }
}

TEST(CycleSelection, BothPaintersAdvanceTheSharedCounter) {
    StartRun(3);
    ForceModeSharedState().cycleCounter = 2;
    TBrushWalker a = MakeWalker(1, 0, 0, 10, kW, kH);
    TBrushWalker b = MakeWalker(0, 1, 0, 10, kW, kH);
    a.stepCount = 1200.0;
    b.stepCount = 2400.0;
    ApplyForceMode(a, {500, 400, 0}, kForceCycleSelection, nullptr);
    ApplyForceMode(b, {500, 400, 0}, kForceCycleSelection, nullptr);
    EXPECT_EQ(ForceModeSharedState().cycleCounter, 4);
}

TEST(CycleSelection, SubModesSetAndClearTheFlagsAndTheBounce) {
    const struct {
        int32_t counter;
        bool chaosBefore, repulseBefore;
        bool chaosAfter, repulseAfter;
        bool bounce;
    } cases[] = {
        {0, false, false, false, false, true},  {3, false, false, true, false, false},
        {4, true, false, false, false, true},   {6, true, true, true, true, true},
        {7, false, false, false, false, true},  {9, false, false, false, true, false},
        {10, false, true, false, false, true},  {11, false, false, false, false, false},
        {12, false, false, false, false, false}, {13, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        StartRun(3);
        ForceModeShared& shared = ForceModeSharedState();
        shared.cycleCounter = c.counter;
        shared.flags.chaos = c.chaosBefore;
        shared.flags.edgeRepulse = c.repulseBefore;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;
        EXPECT_EQ(ApplyForceMode(walker, {500, 400, 0}, kForceCycleSelection, nullptr), c.bounce) << c.counter;
        EXPECT_EQ(shared.flags.chaos, c.chaosAfter) << c.counter;
        EXPECT_EQ(shared.flags.edgeRepulse, c.repulseAfter) << c.counter;
    }
}

TEST(CycleSelection, RestingSubModesAddNothing) {
    for (int32_t counter : {6, 13}) {
        StartRun(3);
        ForceModeSharedState().cycleCounter = counter;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;
        walker.velocity = {0.6, 0.8, 0.0};
        const TRandomState before = RandomGetState();
        ApplyForceMode(walker, {500, 400, 0}, kForceCycleSelection, nullptr);
        EXPECT_EQ(walker.velocity.x, 0.6);
        EXPECT_EQ(walker.velocity.y, 0.8);
        EXPECT_EQ(motion_test::WordsDrawnSince(before), 0);
    }
}

TEST(CycleSelection, MultiAttractorSubModeMovesTheAttractors) {
    StartRun(3);
    ForceModeSharedState().cycleCounter = 12;
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
    walker.stepCount = 10.0;
    for (TAttractor& a : walker.attractor) a = {500, 400, 0.5};
    ApplyForceMode(walker, {100, 100, 0}, kForceCycleSelection, nullptr);
    for (const TAttractor& a : walker.attractor) EXPECT_NEAR(std::hypot(a.x - 500, a.y - 400), 1.0, 0.5);
    // Mode 13 leaves them standing.
    StartRun(3);
    for (TAttractor& a : walker.attractor) a = {500, 400, 0.5};
    ApplyForceMode(walker, {100, 100, 0}, kForceMultiChaos, nullptr);
    for (const TAttractor& a : walker.attractor) {
        EXPECT_EQ(a.x, 500.0);
        EXPECT_EQ(a.y, 400.0);
    }
}

int SetFlagCount(const ForceModeFlags& f) {
    return f.chaos + f.pipes + f.wiggle + f.wanderingSwirls + f.gravity + f.wigglyWalk + f.edgeRepulse + f.kinks +
           f.followEdges + f.movingOrbit + f.multiChaos;
}

TEST(RandomSelection, FirstStepSetsOneFlagWithTheScheduledOdds) {
    struct Share {
        const char* name;
        bool ForceModeFlags::*flag;
        double expected;
        int count = 0;
    };
    Share shares[] = {
        {"Chaos", &ForceModeFlags::chaos, 2 / 24.0},
        {"Pipes", &ForceModeFlags::pipes, 3 / 24.0},
        {"Wiggle", &ForceModeFlags::wiggle, 1 / 24.0},
        {"Wandering Swirls", &ForceModeFlags::wanderingSwirls, 2 / 24.0},
        {"Gravity", &ForceModeFlags::gravity, 1 / 24.0},
        {"Wiggly Walk", &ForceModeFlags::wigglyWalk, 1 / 24.0},
        {"Edge Repulse", &ForceModeFlags::edgeRepulse, 1 / 24.0},
        {"Kinks", &ForceModeFlags::kinks, 1 / 24.0},
        {"Follow Edges", &ForceModeFlags::followEdges, 4 / 24.0},
        {"Moving Orbit", &ForceModeFlags::movingOrbit, 3 / 24.0},
        {"MultiChaos", &ForceModeFlags::multiChaos, 3 / 24.0},
    };
    int none = 0;
    int pointSymmetry = 0;
    int orbits = 0;
    int surfaceOrbits = 0;
    int centredOrbits = 0;
    const int runs = 24000;
    for (int n = 0; n < runs; ++n) {
        StartRun(SpreadSeed(n));
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        StartRandomSelection(walker);
        const ForceModeShared& shared = ForceModeSharedState();
        const int set = SetFlagCount(shared.flags);
        ASSERT_LE(set, 1);
        none += set == 0;
        for (Share& s : shares) s.count += shared.flags.*s.flag;
        pointSymmetry += walker.symmetryKind == kSymmetryKindPoint;
        if (shared.orbitMode != kOrbitNone) {
            ++orbits;
            surfaceOrbits += shared.orbitMode == kOrbitSurface;
            if (shared.orbitRadius == kH / 2) {
                ++centredOrbits;
                EXPECT_EQ(shared.orbitCentre.x, kW / 2);
                EXPECT_EQ(shared.orbitCentre.y, kH / 2);
            } else {
                EXPECT_GE(shared.orbitRadius, 0.2 * kH / 2);
                EXPECT_LT(shared.orbitRadius, 0.7 * kH / 2);
            }
        }
    }
    for (const Share& s : shares) EXPECT_NEAR(s.count / double{runs}, s.expected, 0.012) << s.name;
    EXPECT_NEAR(none / double{runs}, 2 / 24.0, 0.012);
    EXPECT_NEAR(pointSymmetry / double{runs}, 0.5, 0.03);
    EXPECT_NEAR(orbits / double{runs}, 0.1, 0.02);
    // Draws that follow each other are related in this generator, so the
    // later shares are only roughly those of independent draws.
    EXPECT_GT(surfaceOrbits, orbits / 8);
    EXPECT_LT(surfaceOrbits, orbits * 7 / 8);
    EXPECT_NEAR(centredOrbits / static_cast<double>(orbits), 0.8, 0.1);
}

TEST(RandomSelection, FirstStepOrbitChoice) {
    // Draws of the first step: flag, symmetry, sign, orbit on, orbit kind, re-centre.
    const struct {
        const char* name;
        bool (*wanted)(const double*);
        int32_t orbitMode;
        bool centred;
    } cases[] = {
        {"no orbit", [](const double* u) { return u[3] >= 0.1; }, kOrbitNone, false},
        {"surface, centred", [](const double* u) { return u[3] < 0.1 && u[4] <= 0.4 && u[5] >= 0.2; }, kOrbitSurface,
         true},
        {"inside, centred", [](const double* u) { return u[3] < 0.1 && u[4] > 0.4 && u[5] >= 0.2; }, kOrbitInside, true},
        {"inside, moved", [](const double* u) { return u[3] < 0.1 && u[4] > 0.4 && u[5] < 0.2; }, kOrbitInside, false},
    };
    for (const auto& c : cases) {
        TRandomState state;
        ASSERT_TRUE(motion_test::FindStateWhere(6, c.wanted, &state)) << c.name;
        ResetForceModeSharedForTests();
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH + 1);  // odd height: whole-number halves
        RandomSetState(state);
        StartRandomSelection(walker);
        const ForceModeShared& shared = ForceModeSharedState();
        EXPECT_EQ(shared.orbitMode, c.orbitMode) << c.name;
        if (c.orbitMode == kOrbitNone) continue;
        if (c.centred) {
            EXPECT_EQ(shared.orbitRadius, kH / 2) << c.name;
            EXPECT_EQ(shared.orbitCentre.x, kW / 2);
            EXPECT_EQ(shared.orbitCentre.y, kH / 2);
        } else {
            EXPECT_GE(shared.orbitRadius, 0.2 * (kH / 2)) << c.name;
            EXPECT_LT(shared.orbitRadius, 0.7 * (kH / 2));
        }
        EXPECT_EQ(shared.orbitCentre.z, 0.0);
    }
}

TEST(RandomSelection, RedrawFavoursFewFlags) {
    // The chance to set a flag shrinks by n / 60 with n counted flags set.
    const struct {
        const char* name;
        bool ForceModeFlags::*tested;
        int alreadySet;
        double expected;
    } cases[] = {
        {"Follow Edges, none set", &ForceModeFlags::followEdges, 0, 0.05},
        {"Follow Edges, three set", &ForceModeFlags::followEdges, 3, 0.0},
        {"Chaos, none set", &ForceModeFlags::chaos, 0, 0.08},
        {"Edge Repulse, none set", &ForceModeFlags::edgeRepulse, 0, 0.09},
        {"Edge Repulse, two set", &ForceModeFlags::edgeRepulse, 2, 0.09 - 2 / 60.0},
        {"Moving Orbit, none set", &ForceModeFlags::movingOrbit, 0, 0.05},
        {"MultiChaos, one set", &ForceModeFlags::multiChaos, 1, 0.05 - 1 / 60.0},
    };
    bool ForceModeFlags::*const fillers[] = {&ForceModeFlags::kinks, &ForceModeFlags::wigglyWalk,
                                             &ForceModeFlags::gravity};
    for (const auto& c : cases) {
        int set = 0;
        const int runs = 6000;
        for (int n = 0; n < runs; ++n) {
            StartRun(SpreadSeed(n));
            ForceModeFlags& flags = ForceModeSharedState().flags;
            for (int k = 0; k < c.alreadySet; ++k) flags.*fillers[k] = true;
            TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
            RedrawRandomSelectionFlags(walker);
            set += flags.*c.tested;
        }
        EXPECT_NEAR(set / double{runs}, c.expected, 0.015) << c.name;
    }
}

TEST(RandomSelection, RedrawClearsFlagsAndReweighsTheWalkerWhenWiggleGoes) {
    int wiggleCleared = 0;
    int kinksCleared = 0;
    const int runs = 6000;
    for (int n = 0; n < runs; ++n) {
        StartRun(SpreadSeed(n));
        ForceModeFlags& flags = ForceModeSharedState().flags;
        flags.wiggle = true;
        flags.kinks = true;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        RedrawRandomSelectionFlags(walker);
        if (!flags.wiggle) {
            ++wiggleCleared;
            EXPECT_GE(walker.weight, 0.5);
            EXPECT_LT(walker.weight, 0.65);
        } else {
            EXPECT_EQ(walker.weight, 1.0);
        }
        kinksCleared += !flags.kinks;
    }
    EXPECT_NEAR(wiggleCleared / double{runs}, 0.15, 0.02);
    EXPECT_NEAR(kinksCleared / double{runs}, 0.12, 0.02);
}

TEST(RandomSelection, RedrawsAtTheFirstStepsAndEvery6000StepsAfter12000) {
    // With no flag set and no orbit, a step draws nothing but the 12 words of a re-draw.
    const struct {
        double step;
        bool movingOrbit;
        int words;
    } cases[] = {
        {2.0, false, 12},     {3.0, false, 0},      {6000.0, false, 0},  {12000.0, false, 0},
        {18000.0, false, 12}, {18001.0, false, 0},  {24000.0, false, 12},
        // The mix keeps changing while Moving Orbit is set (its term draws 6 words).
        {18000.0, true, 6 + 12}, {18001.0, true, 6},
    };
    for (const auto& c : cases) {
        StartRun(3);
        ForceModeSharedState().flags.movingOrbit = c.movingOrbit;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = c.step;
        const TRandomState before = RandomGetState();
        ApplyForceMode(walker, {500, 400, 0}, kForceRandomSelection, nullptr);
        EXPECT_EQ(motion_test::WordsDrawnSince(before), c.words) << "step " << c.step;
    }
}

TEST(RandomSelection, GravityWithPipesIsAConstantPullAlongY) {
    const struct {
        TFLVector velocity;
        double change;
    } cases[] = {
        {{0.8, 0.0, 0.6}, -0.2},  // |x| >= |z|: upward
        {{0.6, 0.0, 0.8}, 0.2},   // downward otherwise
    };
    for (const auto& c : cases) {
        TRandomState state;
        // The pipe draw must not kick.
        ASSERT_TRUE(motion_test::FindStateWhere(1, [](const double* u) { return std::sin(6.28 * u[0] + 10.0) <= 0.8; },
                                                &state));
        ResetForceModeSharedForTests();
        ForceModeFlags& flags = ForceModeSharedState().flags;
        flags.gravity = true;
        flags.pipes = true;
        TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);
        walker.stepCount = 10.0;
        walker.velocity = c.velocity;
        RandomSetState(state);
        ApplyForceMode(walker, {500, 400, 0}, kForceRandomSelection, nullptr);
        EXPECT_NEAR(walker.velocity.y, c.change, 1e-12);
        EXPECT_EQ(walker.velocity.x, c.velocity.x);
    }
}

TEST(RandomSelection, BounceOffWhileANonBouncingTermIsSet) {
    const struct {
        const char* name;
        bool ForceModeFlags::*flag;
        bool bounce;
    } cases[] = {
        {"Chaos", &ForceModeFlags::chaos, false},         {"Edge Repulse", &ForceModeFlags::edgeRepulse, false},
        {"Moving Orbit", &ForceModeFlags::movingOrbit, false}, {"MultiChaos", &ForceModeFlags::multiChaos, false},
        {"Pipes", &ForceModeFlags::pipes, true},          {"Wiggle", &ForceModeFlags::wiggle, true},
        {"Follow Edges", &ForceModeFlags::followEdges, true}, {"Kinks", &ForceModeFlags::kinks, true},
    };
    for (const auto& c : cases) {
        StartRun(3);
        ForceModeSharedState().flags.*c.flag = true;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;
        EXPECT_EQ(ApplyForceMode(walker, {500, 400, 0}, kForceRandomSelection, nullptr), c.bounce) << c.name;
    }
}

}  // namespace
