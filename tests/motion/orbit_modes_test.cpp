#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

TEST(AttractorTerm, PullsTowardsTheAttractorWeakerWithDistanceUpTo270) {
    const TAttractor a{500, 400, 0.5};
    const struct {
        double distance;
        double magnitude;
    } cases[] = {
        {10.0, 0.15 * std::pow(10.0, -0.8)},
        {100.0, 0.15 * std::pow(100.0, -0.8)},
        {269.0, 0.15 * std::pow(269.0, -0.8)},
        // Beyond 270 the pull grows again, slowly, so a far brush comes back.
        {300.0, 0.15 * 0.35 / 270.0 * std::pow(300.0, 0.2)},
        {3000.0, 0.15 * 0.35 / 270.0 * std::pow(3000.0, 0.2)},
    };
    for (const auto& c : cases) {
        const TFLVector dir = Normalized(TFLVector{3, -4, 0});
        const TFLVector p0 = TFLVector{a.x, a.y, a.weight} - dir * c.distance;
        const TFLVector t = AttractorTerm(a, p0);
        EXPECT_NEAR(Length(t), c.magnitude, 1e-12) << c.distance;
        EXPECT_NEAR(Dot(Normalized(t), dir), 1.0, 1e-12) << c.distance;
    }
    const TFLVector at = AttractorTerm(a, {500, 400, 0.5});
    EXPECT_EQ(Length(at), 0.0);
}

TEST(MoveAttractor, WandersAStepAtATimeAndStaysInTheBounds) {
    StartRun(61);
    const TRect bounds{0, 0, kW, kH};
    TAttractor a{500, 400, 0.5};
    TFLVector direction{0, 0, -1};
    double low[3] = {1e9, 1e9, 1e9};
    double high[3] = {-1e9, -1e9, -1e9};
    for (int n = 0; n < 100000; ++n) {
        const TAttractor before = a;
        MoveAttractor(a, direction, bounds);
        const double step = std::sqrt(std::pow(a.x - before.x, 2) + std::pow(a.y - before.y, 2) +
                                      std::pow(a.weight - before.weight, 2));
        ASSERT_LE(step, std::sqrt(3.0) + 1e-9);
        low[0] = std::min(low[0], a.x);
        high[0] = std::max(high[0], a.x);
        low[1] = std::min(low[1], a.y);
        high[1] = std::max(high[1], a.y);
        low[2] = std::min(low[2], a.weight);
        high[2] = std::max(high[2], a.weight);
    }
    EXPECT_GE(low[0], -3.0);
    EXPECT_LE(high[0], kW + 3.0);
    EXPECT_GE(low[1], -3.0);
    EXPECT_LE(high[1], kH + 3.0);
    EXPECT_GE(low[2], -kW - 3.0);  // depth turns back only below -W
    // It really wanders.
    EXPECT_GT(high[0] - low[0], 150.0);
    EXPECT_GT(high[1] - low[1], 150.0);
}

TEST(MoveAttractor, TurnsBackFromBeyondABoundTwiceAsFast) {
    StartRun(62);
    const TRect bounds{0, 0, kW, kH};
    TAttractor a{kW + 0.5, 400, 0.5};
    TFLVector direction{1, 0, 0};
    MoveAttractor(a, direction, bounds);
    EXPECT_LT(direction.x, -1.5);  // reversed and doubled
    EXPECT_LT(a.x, kW + 0.5);
}

TEST(MovingOrbit, TheBrushCirclesTheWanderingAttractor) {
    StartRun(515);
    TBrushWalker walker = MakeWalker(0.6, 0.8, 0, 20, kW, kH);
    Position p{100, 100, 0};
    double distance = 0.0;
    TAttractor start;
    const int steps = 6000;
    for (int n = 0; n < steps; ++n) {
        walker.Step(p.x, p.y, p.z, kForceMovingOrbit, nullptr);
        if (n == 1) start = walker.attractor[0];
        distance += std::hypot(walker.attractor[0].x - p.x, walker.attractor[0].y - p.y) / steps;
    }
    EXPECT_LT(distance, 200.0);
    EXPECT_GT(std::hypot(walker.attractor[0].x - start.x, walker.attractor[0].y - start.y), 100.0);
}

TEST(MultiAttractorTerm, PullsTowardsAttractorsThatMeetAtOnePoint) {
    TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);
    for (TAttractor& a : walker.attractor) a = {700, 200, 0.5};
    walker.velocity = {0, 0, 0};
    MultiAttractorTerm(walker, {100, 100, 0.5}, false, 1.5, 0.5);
    const TFLVector toPoint = Normalized(TFLVector{600, 100, 0});
    EXPECT_NEAR(Dot(Normalized(walker.velocity), toPoint), 1.0, 1e-12);
    // Three equal pulls, weighed 1.5, 0.5 and 1, times the step length.
    const TFLVector single = AttractorTerm(walker.attractor[0], {100, 100, 0.5});
    EXPECT_NEAR(Length(walker.velocity), 20.0 * 3.0 * Length(single), 1e-12);
}

// The shared orbit as Random Selection leaves it.
void SetOrbit(int32_t mode, TFLVector centre, double radius) {
    ForceModeShared& shared = ForceModeSharedState();
    shared.orbitMode = mode;
    shared.orbitCentre = centre;
    shared.orbitRadius = radius;
}

double DistanceFrom(const Position& p, const TFLVector& c) {
    return std::sqrt(std::pow(p.x - c.x, 2) + std::pow(p.y - c.y, 2) + std::pow(p.z - c.z, 2));
}

TEST(OrbitConstraint, InsideOrbitKeepsTheBrushWithinTheSphere) {
    const TFLVector centre{500, 400, 0};
    for (int32_t mode : {kForcePipes, kForceWiggle, kForceRandomWalk, kForceChaos, kForceMultiChaos}) {
        StartRun(81);
        SetOrbit(kOrbitInside, centre, 300.0);
        TBrushWalker walker = MakeWalker(0.6, 0.8, 0.0, 20, kW, kH);
        Position p{500, 400, 0};
        for (int n = 0; n < 2900; ++n) {  // before the sphere's first re-draw
            walker.Step(p.x, p.y, p.z, mode, nullptr);
            ASSERT_LE(DistanceFrom(p, centre), 300.0 + 1e-3) << "mode " << mode << " step " << n;
        }
    }
}

TEST(OrbitConstraint, SurfaceOrbitHoldsTheBrushOnTheSphereWhereverItStarts) {
    const TFLVector centre{500, 400, 0};
    const Position starts[] = {{500, 400, 0}, {510, 400, 0}, {950, 700, 300}, {-2000, 400, 0}};
    for (const Position& start : starts) {
        for (int32_t mode : {kForceWiggle, kForcePipes, kForceMovingOrbit}) {
            StartRun(82);
            SetOrbit(kOrbitSurface, centre, 250.0);
            TBrushWalker walker = MakeWalker(0.6, 0.8, 0.0, 20, kW, kH);
            Position p = start;
            for (int n = 0; n < 2900; ++n) {
                walker.Step(p.x, p.y, p.z, mode, nullptr);
                ASSERT_TRUE(motion_test::IsFinite(p));
                if (n == 0 && start.x == 500 && start.y == 400) continue;  // from the centre: one step to reach the sphere
                ASSERT_NEAR(DistanceFrom(p, centre), 250.0, 0.05) << "mode " << mode << " step " << n;
            }
        }
    }
}

TEST(OrbitConstraint, ReflectsAnOutwardVelocityAtTheSphere) {
    StartRun(83);
    ForceModeSharedState().cycleCounter = 6;  // no force term
    SetOrbit(kOrbitInside, {500, 400, 0}, 100.0);
    TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);
    walker.stepCount = 10.0;
    Position p{590, 400, 0};
    walker.Step(p.x, p.y, p.z, kForceCycleSelection, nullptr);
    EXPECT_NEAR(p.x, 600.0, 1e-3);  // put back on the sphere
    EXPECT_NEAR(walker.velocity.x, -1.0, 1e-12);
}

TEST(OrbitConstraint, TakesThePlaceOfTheEdgeBounce) {
    StartRun(84);
    ForceModeSharedState().cycleCounter = 6;
    SetOrbit(kOrbitInside, {950, 400, 0}, 300.0);
    TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);
    walker.stepCount = 10.0;
    Position p{1005, 400, 0};  // beyond the right edge, inside the sphere
    walker.Step(p.x, p.y, p.z, kForceCycleSelection, nullptr);
    EXPECT_GT(walker.velocity.x, 0.0);
    EXPECT_NEAR(p.x, 1025.0, 1e-3);
}

TEST(OrbitConstraint, NewSphereEvery3000StepsOrEvery50000WhileCentred) {
    const struct {
        double radius;
        double step;  // the step being taken
        bool redrawn;
    } cases[] = {
        {300.0, 3000.0, true},  {300.0, 3001.0, false}, {300.0, 6000.0, true},
        {400.0, 3000.0, false}, {400.0, 50000.0, true},  {400.0, 100000.0, true},
    };
    for (const auto& c : cases) {
        StartRun(85);
        SetOrbit(kOrbitInside, {500, 400, 0}, c.radius);
        TBrushWalker walker = MakeWalker(1, 0, 0, 20, kW, kH);  // H / 2 = 400
        walker.stepCount = c.step - 1.0;
        Position p{500, 400, 0};
        walker.Step(p.x, p.y, p.z, kForceWiggle, nullptr);
        const ForceModeShared& shared = ForceModeSharedState();
        if (c.redrawn) {
            EXPECT_GE(shared.orbitRadius, 0.1 * kH * 0.4) << c.step;
            EXPECT_LT(shared.orbitRadius, 1.1 * kH * 0.4);
            EXPECT_GE(shared.orbitCentre.z, 0.0);
            EXPECT_LT(shared.orbitCentre.z, kH * 0.3);
            EXPECT_NE(shared.orbitRadius, c.radius);
        } else {
            EXPECT_EQ(shared.orbitRadius, c.radius) << c.step;
            EXPECT_EQ(shared.orbitCentre.x, 500.0);
        }
    }
}

}  // namespace
