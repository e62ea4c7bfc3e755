#include <gtest/gtest.h>

#include <cmath>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "motion/force_terms.h"
#include "base/random.h"
#include "motion_test_support.h"

namespace {

using motion_test::MakeWalker;
using motion_test::StartRun;

void ExpectVectorNear(const TFLVector& a, const TFLVector& b, double tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

TEST(CentreTerm, IsZeroInTheMiddleAndPullsBackNearTheEdges) {
    const double edge = 0.02 * std::pow(0.75, 5.0);  // about 0.0047
    const struct {
        const char* name;
        TFLVector p0;
        TFLVector expected;
    } cases[] = {
        {"centre", {500, 400, 0}, {0, 0, 0}},
        {"right edge", {1000, 400, 0}, {-edge, 0, 0}},
        {"left edge", {0, 400, 0}, {edge, 0, 0}},
        {"bottom edge", {500, 800, 0}, {0, -edge, 0}},
        {"top edge", {500, 0, 0}, {0, edge, 0}},
        {"one width deep", {500, 400, 1000}, {0, 0, -0.02}},
        {"one width in front", {500, 400, -1000}, {0, 0, 0.02}},
        {"far right is much stronger", {2000, 400, 0}, {-0.02 * std::pow(2.25, 5.0), 0, 0}},
    };
    for (const auto& c : cases) {
        const TBrushWalker walker = MakeWalker(1, 0, 0, 10, 1000, 800);
        ExpectVectorNear(CentreTerm(walker, c.p0), c.expected, 1e-12, c.name);
    }
}

TEST(CentreTerm, AnEmptyWindowGivesNoPull) {
    const TBrushWalker walker = MakeWalker(1, 0, 0, 10, 0, 0);
    const TFLVector t = CentreTerm(walker, {5, 5, 5});
    EXPECT_EQ(t.x, 0.0);
    EXPECT_EQ(t.y, 0.0);
    EXPECT_EQ(t.z, 0.0);
}

TEST(ChaseTerm, TargetChangesExactlyWhenTheScaledStepCountCrossesAWholeNumber) {
    int targetChanges = 0;
    int periodChanges = 0;
    TFLVector previous = ChaseTarget(0.0, 1000, 800);
    for (int count = 1; count < 3000; ++count) {
        const TFLVector target = ChaseTarget(count, 1000, 800);
        const bool moved = target.x != previous.x || target.y != previous.y || target.z != previous.z;
        const bool newPeriod = std::trunc(count * 0.0039888313) != std::trunc((count - 1) * 0.0039888313);
        EXPECT_EQ(moved, newPeriod) << count;
        targetChanges += moved;
        periodChanges += newPeriod;
        previous = target;
    }
    EXPECT_EQ(targetChanges, 11);  // about every 251 steps
    EXPECT_EQ(targetChanges, periodChanges);
}

TEST(ChaseTerm, TargetsStayInTheWindowAndDepthRange) {
    for (int n = 0; n < 200; ++n) {
        const TFLVector t = ChaseTarget(n / 0.0039888313 + 0.5, 1000, 800);
        EXPECT_GE(t.x, 100.0 - 1e-9);
        EXPECT_LE(t.x, 900.0 + 1e-9);
        EXPECT_GE(t.y, 80.0 - 1e-9);
        EXPECT_LE(t.y, 720.0 + 1e-9);
        EXPECT_LE(std::fabs(t.z), 300.0 + 1e-9);
    }
}

TEST(ChaseTerm, PullsTowardsTheTargetHarderLaterInEachPeriod) {
    const struct {
        double lastStepCount;
    } cases[] = {{0.0}, {300.0}, {500.0}, {752.0}};
    for (const auto& c : cases) {
        ForceModeSharedState().lastStepCount = c.lastStepCount;
        const TBrushWalker walker = MakeWalker(1, 0, 0, 10, 1000, 800);
        const TFLVector p0{10, 20, 30};
        const TFLVector term = ChaseTerm(walker, p0);
        const double scaled = c.lastStepCount * 0.0039888313;
        const double f = scaled - std::trunc(scaled);
        EXPECT_NEAR(Length(term), 0.02 * (f * f * f + 0.2), 1e-12) << c.lastStepCount;
        const TFLVector toTarget = Normalized(ChaseTarget(c.lastStepCount, 1000, 800) - p0);
        EXPECT_NEAR(Dot(Normalized(term), toTarget), 1.0, 1e-12);
    }
    ResetForceModeSharedForTests();
}

TEST(PipeTerm, TurnsToAnAxisOrTowardsTheFixedPointByTheSecondDraw) {
    // A brush at the centre of a 1000 x 800 window at step 10.
    const TFLVector p0{500, 400, 0};
    const TFLVector towards{0, -200, -2000};  // (500, 200, -2000) - p0
    const struct {
        double low, high;
        TFLVector expected;
    } cases[] = {
        {0, 1, {1, 0, 0}}, {1, 2, {-1, 0, 0}}, {2, 3, {0, 1, 0}},
        {3, 4, {0, -1, 0}}, {4, 5, towards},   {5, 6, -towards},
    };
    for (const auto& c : cases) {
        TRandomState state;
        const auto wanted = [&c](const double* u) {
            return std::sin(6.28 * u[0] + 10.0) > 0.8 && 6.0 * u[1] >= c.low && 6.0 * u[1] < c.high;
        };
        ASSERT_TRUE(motion_test::FindStateWhere(2, wanted, &state));
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, 1000, 800);
        walker.stepCount = 10.0;
        RandomSetState(state);
        const TFLVector term = PipeTerm(walker, p0);
        EXPECT_EQ(motion_test::WordsDrawnSince(state), 2);
        EXPECT_EQ(term.x, c.expected.x) << "k in [" << c.low << ", " << c.high << ")";
        EXPECT_EQ(term.y, c.expected.y);
        EXPECT_EQ(term.z, c.expected.z);
    }
}

TEST(PipeTerm, MostStepsAddNothingAndDrawOnce) {
    TRandomState state;
    ASSERT_TRUE(motion_test::FindStateWhere(1, [](const double* u) { return std::sin(6.28 * u[0] + 10.0) <= 0.8; },
                                            &state));
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, 1000, 800);
    walker.stepCount = 10.0;
    RandomSetState(state);
    const TFLVector term = PipeTerm(walker, {500, 400, 0});
    EXPECT_EQ(motion_test::WordsDrawnSince(state), 1);
    EXPECT_EQ(Length(term), 0.0);
}

TEST(PipeTerm, KicksAboutOneStepInFive) {
    StartRun(88);
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, 1000, 800);
    int kicks = 0;
    const int steps = 10000;
    for (int s = 1; s <= steps; ++s) {
        walker.stepCount = s;
        kicks += Length(PipeTerm(walker, {500, 400, 0})) > 0.0;
    }
    EXPECT_NEAR(kicks / double{steps}, 0.2, 0.04);
}

TEST(WiggleTerm, DependsOnTheWholeStepCountOnly) {
    EXPECT_EQ(WiggleTerm(10.7).x, WiggleTerm(10.0).x);
    EXPECT_EQ(WiggleTerm(10.7).y, WiggleTerm(10.0).y);
    EXPECT_NE(WiggleTerm(11.0).x, WiggleTerm(10.0).x);
    ExpectVectorNear(WiggleTerm(0.0), {0.0, 0.01, 0.0}, 1e-15, "step 0");
    for (int s = 0; s < 1000; ++s) EXPECT_LE(Length(WiggleTerm(s)), 0.01 * std::sqrt(3.0) + 1e-15);
}

TEST(GravityTerm, PullsDownThenUpOverAbout628Steps) {
    const struct {
        double step;
        int sign;  // of the change of velocity.y (window y grows downward)
    } cases[] = {{0.0, 0}, {100.0, 1}, {300.0, 1}, {330.0, -1}, {600.0, -1}, {640.0, 1}};
    for (const auto& c : cases) {
        TBrushWalker walker = MakeWalker(1, 0, 0, 20, 1000, 800);
        walker.stepCount = c.step;
        walker.velocity = {0.6, 0.0, 0.8};
        GravityTerm(walker);
        EXPECT_EQ(walker.velocity.x, 0.6);
        EXPECT_EQ(walker.velocity.z, 0.8);
        const int sign = (walker.velocity.y > 0) - (walker.velocity.y < 0);
        EXPECT_EQ(sign, c.sign) << "step " << c.step;
        EXPECT_NEAR(walker.velocity.y, 20 * 0.001 * std::sin(0.01 * c.step), 1e-15);
    }
}

TEST(KinkTerm, LeavesAbout95StepsIn100Unchanged) {
    StartRun(55);
    TBrushWalker walker = MakeWalker(1, 0, 0, 4, 1000, 800);
    int unchanged = 0;
    const int steps = 10000;
    for (int n = 0; n < steps; ++n) {
        walker.velocity = {0.6, 0.8, 0.0};
        KinkTerm(walker);
        const TFLVector change = walker.velocity - TFLVector{0.6, 0.8, 0.0};
        if (Length(change) == 0.0) {
            ++unchanged;
        } else {
            // Each component of the kick is within +-0.5 before the scale of 10 x speed.
            EXPECT_LE(std::fabs(change.x), 20.0 + 1e-12);
            EXPECT_LE(std::fabs(change.y), 20.0 + 1e-12);
            EXPECT_LE(std::fabs(change.z), 20.0 + 1e-12);
        }
    }
    EXPECT_NEAR(unchanged / double{steps}, 0.95, 0.015);
}

TEST(TurnWander, KeepsTheWanderAUnitDirection) {
    const struct {
        TFLVector start;
        double k;
    } cases[] = {{{-0.6, -0.8, 0}, 0.1}, {{-0.6, -0.8, 0}, 0.4}, {{0, 0, 1}, 2.0}};
    for (const auto& c : cases) {
        StartRun(66);
        TBrushWalker walker = MakeWalker(1, 0, 0, 4, 1000, 800);
        walker.wander = c.start;
        const TRandomState before = RandomGetState();
        TurnWander(walker, c.k);
        EXPECT_EQ(motion_test::WordsDrawnSince(before), 3);
        EXPECT_NEAR(Length(walker.wander), 1.0, 1e-12);
        // A turn of at most k / 2 per component.
        EXPECT_LE(Length(walker.wander - c.start), c.k * std::sqrt(3.0) + 1e-12);
    }
}

TEST(TurnWander, AZeroWanderWithoutTurnBecomesTheXAxis) {
    StartRun(66);
    TBrushWalker walker = MakeWalker(1, 0, 0, 4, 1000, 800);
    walker.wander = {0, 0, 0};
    TurnWander(walker, 0.0);
    ExpectVectorNear(walker.wander, {1, 0, 0}, 0.0, "zero wander");
}

TEST(WanderTerms, ShareOneTwentiethOfTheWanderAtStepZero) {
    // At step 0 the waves have no amplitude and only the wander share is left.
    TBrushWalker walker = MakeWalker(1, 0, 0, 4, 1000, 800);
    walker.wander = {0.6, -0.8, 0.0};
    walker.stepCount = 0.0;
    ExpectVectorNear(WaveWalkTerm(walker), {0.03, -0.04, 0.0}, 1e-15, "wave walk");
    ExpectVectorNear(SwirlTerm(walker), {0.03, -0.04, 0.0}, 1e-15, "swirl");
}

TEST(JitterTerm, AddsAtMostAFifthOfRandomJitterPerComponent) {
    StartRun(67);
    TBrushWalker walker = MakeWalker(1, 0, 0, 4, 1000, 800);
    walker.wander = {0, 0, 0};
    TFLVector mean;
    const int n = 5000;
    for (int k = 0; k < n; ++k) {
        walker.stepCount = k;
        const TFLVector j = JitterTerm(walker);
        EXPECT_LE(std::fmax(std::fabs(j.x), std::fmax(std::fabs(j.y), std::fabs(j.z))), 0.2);
        mean = mean + j * (1.0 / n);
    }
    EXPECT_LT(Length(mean), 0.02);  // no drift of its own
}

}  // namespace
