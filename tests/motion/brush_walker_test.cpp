#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "motion/force_modes.h"
#include "motion/orbit_modes.h"
#include "base/random.h"
#include "motion_test_support.h"

namespace {

using motion_test::Bounds;
using motion_test::MakeWalker;
using motion_test::Position;
using motion_test::StartRun;

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;
constexpr int32_t kAllModes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -2};

int32_t StepOnce(TBrushWalker& walker, Position& p, int32_t mode, TPaintCanvas* canvas = nullptr) {
    return walker.Step(p.x, p.y, p.z, mode, canvas);
}

// A walker whose force mode adds nothing this step: Cycle Selection resting
// at its sub-mode 6, past its first steps.
TBrushWalker RestingWalker(double dx, double dy, double dz, double speed) {
    TBrushWalker walker = MakeWalker(dx, dy, dz, speed, kW, kH);
    walker.stepCount = 10.0;
    ForceModeSharedState().cycleCounter = 6;
    return walker;
}

// The walker as the frame driver starts it: a random point and direction.
struct DriverStart {
    Position p;
    TBrushWalker walker;
};
DriverStart StartLikeTheDriver(double speed, int32_t width = kW, int32_t height = kH) {
    Position p;
    p.x = static_cast<float>(RandomUnit() * width);
    p.y = static_cast<float>(RandomUnit() * height);
    const double dx = 2.0 * RandomUnit() - 1.0;
    const double dy = 2.0 * RandomUnit() - 1.0;
    const double dz = 2.0 * RandomUnit() - 1.0;
    return {p, MakeWalker(dx, dy, dz, speed, width, height)};
}

TEST(BrushWalkerConstruction, NormalisesTheDirectionAndDrawsTwoOrbitDirections) {
    const struct {
        double x, y, z;
        TFLVector expected;
    } cases[] = {
        {3.0, 4.0, 0.0, {0.6, 0.8, 0.0}},
        {0.0, 0.0, -2.0, {0.0, 0.0, -1.0}},
        {0.0, 0.0, 0.0, {0.0, 0.0, 0.0}},  // left as it is; the first step gives it a direction
        {std::nan(""), 1.0, 0.0, {0.0, 0.0, 0.0}},
    };
    for (const auto& c : cases) {
        StartRun(5);
        const TRandomState before = RandomGetState();
        TBrushWalker walker(c.x, c.y, c.z, 12.5);
        EXPECT_EQ(motion_test::WordsDrawnSince(before), 6);
        EXPECT_NEAR(walker.velocity.x, c.expected.x, 1e-12);
        EXPECT_NEAR(walker.velocity.y, c.expected.y, 1e-12);
        EXPECT_NEAR(walker.velocity.z, c.expected.z, 1e-12);
        EXPECT_NEAR(walker.wander.x, -std::sqrt(0.5), 1e-12);
        EXPECT_NEAR(walker.wander.y, -std::sqrt(0.5), 1e-12);
        EXPECT_EQ(walker.wander.z, 0.0);
        for (const TFLVector* d : {&walker.orbitDirection2, &walker.orbitDirection3}) {
            EXPECT_NEAR(Length(*d), 1.0, 1e-12);
            EXPECT_GE(std::min({d->x, d->y, d->z}), 0.0);
        }
        EXPECT_EQ(walker.speed, 12.5f);
        EXPECT_EQ(walker.weight, 1.0);
        EXPECT_EQ(walker.symmetryState, kSymmetryFree);
        EXPECT_EQ(walker.symmetryKind, kSymmetryKindLeftRight);
        EXPECT_EQ(walker.recordingLength, 0);
        EXPECT_EQ(walker.stepCount, 0.0);
    }
}

TEST(BrushWalkerStep, MovesExactlyOneStepLengthInEveryMode) {
    for (int32_t mode : kAllModes) {
        StartRun(2024);
        DriverStart s = StartLikeTheDriver(7.5);
        for (int n = 0; n < 600; ++n) {
            const int32_t stateBefore = s.walker.symmetryState;
            const Position before = s.p;
            const int32_t answer = StepOnce(s.walker, s.p, mode);
            if (stateBefore >= kSymmetryReplayLeftRight || answer == kWalkStartStroke || OrbitActive()) continue;
            const double moved = std::sqrt(std::pow(s.p.x - before.x, 2.0) + std::pow(s.p.y - before.y, 2.0) +
                                           std::pow(s.p.z - before.z, 2.0));
            ASSERT_NEAR(moved, 7.5, 2e-3) << "mode " << mode << " step " << n;
            ASSERT_NEAR(Length(s.walker.velocity), 1.0, 1e-9) << "mode " << mode;
        }
    }
}

TEST(BrushWalkerStep, ZeroVelocityAfterTheTermsBecomesTheUnitDiagonal) {
    StartRun(1);
    TBrushWalker walker = RestingWalker(0.0, 0.0, 0.0, 10.0);
    Position p{100.0f, 100.0f, 0.0f};
    EXPECT_EQ(StepOnce(walker, p, kForceCycleSelection), kWalkContinue);
    const double k = 1.0 / std::sqrt(3.0);
    EXPECT_NEAR(walker.velocity.x, k, 1e-12);
    EXPECT_NEAR(walker.velocity.y, k, 1e-12);
    EXPECT_NEAR(walker.velocity.z, k, 1e-12);
    EXPECT_NEAR(p.x, 100.0 + 10.0 * k, 1e-4);
    EXPECT_NEAR(p.y, 100.0 + 10.0 * k, 1e-4);
    EXPECT_NEAR(p.z, 10.0 * k, 1e-4);
}

TEST(BrushWalkerStep, AStepThatWouldNotMoveMovesByTheUnitVelocity) {
    const double speeds[] = {0.0, 1e-30, -5.0, std::nan("")};
    for (double speed : speeds) {
        StartRun(1);
        TBrushWalker walker = RestingWalker(1.0, 0.0, 0.0, speed);
        Position p{200.0f, 150.0f, 0.0f};
        StepOnce(walker, p, kForceCycleSelection);
        EXPECT_FLOAT_EQ(p.x, 201.0f) << speed;
        EXPECT_FLOAT_EQ(p.y, 150.0f) << speed;
    }
}

TEST(BrushWalkerStep, StepLengthIsLimitedToASaneRange) {
    const struct {
        double speed;
        double expected;
    } cases[] = {
        {20.0, 20.0},
        {0.0, 0.0},
        {-20.0, 0.0},
        {std::nan(""), 0.0},
        {1e6, 800.0},  // the larger side of the 800 x 600 bounds
        {std::numeric_limits<double>::infinity(), 800.0},
    };
    for (const auto& c : cases) {
        TBrushWalker walker = MakeWalker(1.0, 0.0, 0.0, c.speed, kW, kH);
        EXPECT_EQ(walker.StepLength(), c.expected) << c.speed;
    }
}

TEST(BrushWalkerEdges, TurnsBackOnlyWhenBeyondAnEdgeAndMovingOutward) {
    const struct {
        const char* name;
        Position p;
        TFLVector velocity;
        int axis;      // 0 x, 1 y, 2 z
        bool flips;
    } cases[] = {
        {"beyond right, moving right", {805, 300, 0}, {1, 0, 0}, 0, true},
        {"beyond right, already moving left", {805, 300, 0}, {-1, 0, 0}, 0, false},
        {"beyond left, moving left", {-3, 300, 0}, {-1, 0, 0}, 0, true},
        {"inside, moving right", {785, 300, 0}, {1, 0, 0}, 0, false},
        {"landing beyond right", {795, 300, 0}, {1, 0, 0}, 0, true},  // the new position is tested
        {"beyond bottom, moving down", {400, 610, 0}, {0, 1, 0}, 1, true},
        {"beyond top, moving up", {400, -10, 0}, {0, -1, 0}, 1, true},
        {"beyond top, moving down", {400, -10, 0}, {0, 1, 0}, 1, false},
        {"below the far depth, moving away", {400, 300, -805}, {0, 0, -1}, 2, true},
        {"beyond the near depth, moving closer", {400, 300, 401}, {0, 0, 1}, 2, true},
        {"within depth", {400, 300, 390}, {0, 0, 1}, 2, false},
    };
    for (const auto& c : cases) {
        StartRun(3);
        TBrushWalker walker = RestingWalker(c.velocity.x, c.velocity.y, c.velocity.z, 10.0);
        walker.wander = {0.6, 0.0, 0.8};
        if (c.axis == 1) walker.wander = {0.0, 0.6, 0.8};
        Position p = c.p;
        StepOnce(walker, p, kForceCycleSelection);
        const double v[3] = {walker.velocity.x, walker.velocity.y, walker.velocity.z};
        const double w[3] = {walker.wander.x, walker.wander.y, walker.wander.z};
        const double before[3] = {c.velocity.x, c.velocity.y, c.velocity.z};
        const double wanderBefore = c.axis == 1 ? 0.6 : (c.axis == 0 ? 0.6 : 0.8);
        EXPECT_EQ(v[c.axis], c.flips ? -before[c.axis] : before[c.axis]) << c.name;
        EXPECT_EQ(w[c.axis], c.flips ? -wanderBefore : wanderBefore) << c.name;
        // The position itself is never clamped: the step is taken first.
        const double moved[3] = {p.x - c.p.x, p.y - c.p.y, p.z - c.p.z};
        EXPECT_NEAR(moved[c.axis], 10.0 * before[c.axis], 1e-4) << c.name;
    }
}

TEST(BrushWalkerEdges, BounceModesStayWithinAFewStepsOfTheWindow) {
    const int32_t bounceModes[] = {2, 3, 4, 5, 6, 8, 10, 11};
    for (int32_t mode : bounceModes) {
        for (uint32_t seed : {11u, 12u, 13u}) {
            StartRun(seed);
            DriverStart s = StartLikeTheDriver(20.0);
            double worst = 0.0;
            for (int n = 0; n < 20000; ++n) {
                StepOnce(s.walker, s.p, mode);
                worst = std::max({worst, -static_cast<double>(s.p.x), s.p.x - double{kW}, -static_cast<double>(s.p.y),
                                  s.p.y - double{kH}, -kW - static_cast<double>(s.p.z), s.p.z - kW / 2.0});
            }
            EXPECT_LT(worst, 5 * 20.0) << "mode " << mode << " seed " << seed;
        }
    }
}

TEST(BrushWalkerEdges, EveryModeKeepsTheBrushAroundTheWindowWithoutRelocating) {
    for (int32_t mode : kAllModes) {
        StartRun(77);
        DriverStart s = StartLikeTheDriver(20.0);
        int inside = 0;
        int relocations = 0;
        const int steps = 20000;
        for (int n = 0; n < steps; ++n) {
            const int32_t stateBefore = s.walker.symmetryState;
            const int32_t answer = StepOnce(s.walker, s.p, mode);
            if (answer == kWalkStartStroke && stateBefore < kSymmetryReplayLeftRight) ++relocations;
            if (s.p.x >= 0 && s.p.x <= kW && s.p.y >= 0 && s.p.y <= kH) ++inside;
        }
        EXPECT_EQ(relocations, 0) << "mode " << mode;
        EXPECT_GT(inside, steps / 3) << "mode " << mode;
    }
}

TEST(BrushWalkerEdges, ALostBrushIsPutBackInTheMiddleAndStartsANewStroke) {
    const float inf = std::numeric_limits<float>::infinity();
    const Position lost[] = {
        {std::nanf(""), 300, 0}, {400, std::nanf(""), 0}, {400, 300, std::nanf("")}, {inf, 300, 0},
        {1e30f, 300, 0},         {400, -1e9f, 0},         {400, 300, 1e12f},
    };
    for (const Position& start : lost) {
        StartRun(8);
        TBrushWalker walker = MakeWalker(1.0, 0.0, 0.0, 20.0, kW, kH);
        walker.AllocateRecording(60);
        walker.symmetryState = kSymmetryRecording;
        walker.replayIndex = 10;
        Position p = start;
        EXPECT_EQ(StepOnce(walker, p, kForcePipes), kWalkStartStroke) << start.x << "," << start.y << "," << start.z;
        EXPECT_EQ(p.x, 400.0f);
        EXPECT_EQ(p.y, 300.0f);
        EXPECT_EQ(p.z, 0.0f);
        // A recording with the jump in it is given up.
        EXPECT_EQ(walker.symmetryState, kSymmetryFree);
        // And the next step walks on normally from there.
        EXPECT_EQ(StepOnce(walker, p, kForcePipes), kWalkContinue);
    }
}

TEST(BrushWalkerExtremes, OddSpeedsNeverGiveNonFinitePositions) {
    const double speeds[] = {0.0, 1e-30, 1e6, 1e30, std::nan(""), std::numeric_limits<double>::infinity(), -20.0};
    for (double speed : speeds) {
        for (int32_t mode : kAllModes) {
            StartRun(99);
            TBrushWalker walker = MakeWalker(0.3, -0.5, 0.1, speed, kW, kH);
            Position p{400.0f, 300.0f, 0.0f};
            for (int n = 0; n < 5000; ++n) {
                const int32_t answer = StepOnce(walker, p, mode);
                ASSERT_TRUE(motion_test::IsFinite(p)) << "speed " << speed << " mode " << mode << " step " << n;
                ASSERT_TRUE(answer >= 0 && answer <= 2);
                ASSERT_TRUE(std::isfinite(walker.velocity.x) && std::isfinite(walker.velocity.y) &&
                            std::isfinite(walker.velocity.z));
            }
        }
    }
}

TEST(BrushWalkerExtremes, EmptyOrOddBoundsGiveFinitePositions) {
    const TRect bounds[] = {{0, 0, 0, 0}, {0, 0, 1, 1}, {100, 100, 50, 50}, {-500, -500, 3, 2}};
    for (const TRect& r : bounds) {
        for (int32_t mode : kAllModes) {
            StartRun(4);
            TBrushWalker walker(1.0, 1.0, 0.0, 20.0);
            walker.bounds = r;
            Position p{0.0f, 0.0f, 0.0f};
            for (int n = 0; n < 2000; ++n) {
                StepOnce(walker, p, mode);
                ASSERT_TRUE(motion_test::IsFinite(p)) << "mode " << mode << " bounds " << r.right << "x" << r.bottom;
            }
        }
    }
}

TEST(BrushWalkerStep, PublishesItsStepCountForTheChaseTerm) {
    StartRun(6);
    TBrushWalker a = MakeWalker(1, 0, 0, 10, kW, kH);
    TBrushWalker b = MakeWalker(0, 1, 0, 10, kW, kH);
    a.stepCount = 500.0;
    b.stepCount = 42.0;
    Position pa{100, 100, 0};
    Position pb{300, 300, 0};
    StepOnce(a, pa, kForceWiggle);
    EXPECT_EQ(ForceModeSharedState().lastStepCount, 500.0);
    EXPECT_EQ(a.stepCount, 501.0);
    StepOnce(b, pb, kForceWiggle);
    EXPECT_EQ(ForceModeSharedState().lastStepCount, 42.0);
}

TEST(BrushWalkerStep, StepCountKeepsGrowingPastFloatPrecision) {
    StartRun(6);
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
    walker.stepCount = 16777216.0;  // 2^24
    Position p{100, 100, 0};
    StepOnce(walker, p, kForceWiggle);
    StepOnce(walker, p, kForceWiggle);
    EXPECT_EQ(walker.stepCount, 16777218.0);
}

TEST(BrushWalkerAttractors, RedrawnAtTheStartAndEvery8000StepsOfTheOrbitModes) {
    const struct {
        int32_t mode;
        double stepCount;
        bool movingOrbitFlag;
        bool redrawn;
    } cases[] = {
        {kForceWiggle, 0.0, false, true},
        {kForceWiggle, 1.0, false, true},
        {kForceWiggle, 2.0, false, false},
        {kForceWiggle, 8000.0, false, false},
        {kForceWiggle, 8000.0, true, true},  // the Moving Orbit flag of Random Selection
        {kForceMovingOrbit, 8000.0, false, true},
        {kForceMultiChaos, 16000.0, false, true},
        {kForceMultiChaos, 16001.0, false, false},
    };
    for (const auto& c : cases) {
        StartRun(31);
        ForceModeSharedState().flags.movingOrbit = c.movingOrbitFlag;
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = c.stepCount;
        for (TAttractor& a : walker.attractor) a = {-1000.0, -1000.0, 0.0};
        Position p{400, 300, 0};
        StepOnce(walker, p, c.mode);
        const double weights[3] = {0.5, 0.3, 0.6};
        for (int k = 0; k < 3; ++k) {
            const TAttractor& a = walker.attractor[k];
            if (c.redrawn) {
                // Mode 12 moves attractor 1 by about a pixel after the re-draw.
                EXPECT_GE(a.x, -2.0) << c.mode << " at " << c.stepCount;
                EXPECT_LE(a.x, kW + 2.0);
                EXPECT_GE(a.y, -2.0);
                EXPECT_LE(a.y, kH + 2.0);
                if (c.mode != kForceMovingOrbit || k != 0) {
                    EXPECT_EQ(a.weight, weights[k]);
                }
            } else {
                EXPECT_LT(a.x, -900.0) << c.mode << " at " << c.stepCount;
            }
        }
    }
}

// Fills the recording with distinct points and sets the walker to replay.
void PrepareReplay(TBrushWalker& walker, int32_t kind, int32_t state, int32_t length) {
    ASSERT_TRUE(walker.AllocateRecording(length));
    for (int32_t k = 0; k < length; ++k) walker.recording[k] = {100.0f + k, 50.0f + 2.0f * k, 3.0f + k};
    walker.symmetryKind = kind;
    walker.symmetryState = state;
    walker.replayIndex = 0;
}

TEST(BrushWalkerReplay, MirrorsTheRecordingByItsKind) {
    const struct {
        const char* name;
        int32_t kind;
        bool mirrorX, mirrorY, negateZ;
        int32_t stateAfterFirstHalf;
    } cases[] = {
        {"left-right", kSymmetryKindLeftRight, true, false, false, -1},
        {"point", kSymmetryKindPoint, true, true, true, -1},
        {"left-right then top-bottom", kSymmetryKindBoth, true, false, false, kSymmetryReplayTopBottom},
    };
    for (const auto& c : cases) {
        StartRun(9);
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        PrepareReplay(walker, c.kind, kSymmetryReplayLeftRight, 4);
        const double countBefore = walker.stepCount;
        for (int32_t k = 0; k < 4; ++k) {
            Position p{-1, -1, -1};
            const int32_t answer = StepOnce(walker, p, kForceWiggle);
            EXPECT_EQ(answer, k == 0 ? kWalkStartStroke : kWalkContinue) << c.name << " point " << k;
            EXPECT_EQ(p.x, c.mirrorX ? kW - (100.0f + k) : 100.0f + k) << c.name;
            EXPECT_EQ(p.y, c.mirrorY ? kH - (50.0f + 2.0f * k) : 50.0f + 2.0f * k) << c.name;
            EXPECT_EQ(p.z, c.negateZ ? -(3.0f + k) : 3.0f + k) << c.name;
        }
        EXPECT_EQ(walker.stepCount, countBefore) << "replay steps are not counted";
        EXPECT_EQ(walker.replayIndex, 0);
        if (c.stateAfterFirstHalf >= 0) {
            EXPECT_EQ(walker.symmetryState, c.stateAfterFirstHalf) << c.name;
            // The second half mirrors top-bottom and starts a stroke of its own.
            for (int32_t k = 0; k < 4; ++k) {
                Position p;
                EXPECT_EQ(StepOnce(walker, p, kForceWiggle), k == 0 ? kWalkStartStroke : kWalkContinue);
                EXPECT_EQ(p.x, 100.0f + k);
                EXPECT_EQ(p.y, kH - (50.0f + 2.0f * k));
            }
        }
        EXPECT_TRUE(walker.symmetryState == kSymmetryRecording || walker.symmetryState == kSymmetryFree) << c.name;
    }
}

TEST(BrushWalkerReplay, RecordedX100IsReplayedAt700InAn800WideWindow) {
    StartRun(9);
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, 800, 600);
    PrepareReplay(walker, kSymmetryKindLeftRight, kSymmetryReplayLeftRight, 3);
    walker.recording[0] = {100.0f, 20.0f, 0.0f};
    Position p;
    StepOnce(walker, p, kForceWiggle);
    EXPECT_EQ(p.x, 700.0f);
    EXPECT_EQ(p.y, 20.0f);
}

TEST(BrushWalkerReplay, TopBottomKindReplaysWithYMirrored) {
    StartRun(9);
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
    PrepareReplay(walker, kSymmetryKindTopBottom, kSymmetryReplayTopBottom, 2);
    Position p;
    EXPECT_EQ(StepOnce(walker, p, kForceWiggle), kWalkStartStroke);
    EXPECT_EQ(p.x, 100.0f);
    EXPECT_EQ(p.y, kH - 50.0f);
    EXPECT_EQ(p.z, 3.0f);
}

TEST(BrushWalkerReplay, RecordsAgainAfterAReplayMostOfTheTime) {
    int again = 0;
    const int runs = 4000;
    for (int r = 0; r < runs; ++r) {
        StartRun(1000u + static_cast<uint32_t>(r) * 2654435761u);
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        PrepareReplay(walker, kSymmetryKindLeftRight, kSymmetryReplayLeftRight, 2);
        Position p;
        StepOnce(walker, p, kForceWiggle);
        StepOnce(walker, p, kForceWiggle);
        if (walker.symmetryState == kSymmetryRecording) {
            ++again;
        } else {
            EXPECT_EQ(walker.symmetryState, kSymmetryFree);
        }
    }
    EXPECT_NEAR(again / double{runs}, 0.95, 0.02);
}

TEST(BrushWalkerRecording, FillsTheRecordingThenEndsTheStrokeAndReplaysMirrored) {
    const struct {
        int32_t kind;
        int32_t replayState;
    } cases[] = {
        {kSymmetryKindLeftRight, kSymmetryReplayLeftRight},
        {kSymmetryKindTopBottom, kSymmetryReplayTopBottom},
        {kSymmetryKindPoint, kSymmetryReplayLeftRight},
        {kSymmetryKindBoth, kSymmetryReplayLeftRight},
    };
    for (const auto& c : cases) {
        StartRun(21);
        TBrushWalker walker = MakeWalker(0.6, 0.8, 0.0, 10, kW, kH);
        ASSERT_TRUE(walker.AllocateRecording(5));
        walker.symmetryKind = c.kind;
        walker.symmetryState = kSymmetryRecording;
        Position p{300, 200, 0};
        std::vector<Position> walked;
        for (int k = 0; k < 5; ++k) {
            const int32_t answer = StepOnce(walker, p, kForceWiggle);
            EXPECT_EQ(answer, k == 4 ? kWalkEndStroke : kWalkContinue) << "kind " << c.kind << " step " << k;
            walked.push_back(p);
        }
        EXPECT_EQ(walker.symmetryState, c.replayState) << "kind " << c.kind;
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(walker.recording[k].x, walked[k].x);
            EXPECT_EQ(walker.recording[k].y, walked[k].y);
        }
        Position q;
        EXPECT_EQ(StepOnce(walker, q, kForceWiggle), kWalkStartStroke);
        const float expectX = c.kind == kSymmetryKindTopBottom ? walked[0].x : kW - walked[0].x;
        const float expectY = (c.kind == kSymmetryKindTopBottom || c.kind == kSymmetryKindPoint) ? kH - walked[0].y
                                                                                                 : walked[0].y;
        EXPECT_EQ(q.x, expectX) << "kind " << c.kind;
        EXPECT_EQ(q.y, expectY) << "kind " << c.kind;
    }
}

TEST(BrushWalkerRecording, RandomSelectionOftenStartsWithARecordingOfSensibleLength) {
    int began = 0;
    const int runs = 3000;
    for (int r = 0; r < runs; ++r) {
        StartRun(5000u + static_cast<uint32_t>(r) * 2654435761u);
        DriverStart s = StartLikeTheDriver(20.0);
        StepOnce(s.walker, s.p, kForceRandomSelection);
        if (s.walker.symmetryState == kSymmetryRecording) {
            ++began;
            EXPECT_GE(s.walker.recordingLength, 50);
            EXPECT_LE(s.walker.recordingLength, 349);
            EXPECT_EQ(s.walker.replayIndex, 1);  // this step's point is already stored
        }
    }
    // One chance in ten, plus the tiny general chance.
    EXPECT_NEAR(began / double{runs}, 0.1, 0.02);
}

TEST(BrushWalkerRecording, FreeWalkBeginsARecordingOnTwoChainedChances) {
    // Free walk begins a recording when a draw above 0.999 is followed by
    // one below 0.01; the draws after those choose the kind and length.
    const struct {
        const char* name;
        bool (*wanted)(const double*);
        bool begins;
    } cases[] = {
        {"both chances", [](const double* u) { return u[0] > 0.999 && u[1] < 0.01; }, true},
        {"only the first", [](const double* u) { return u[0] > 0.999 && u[1] >= 0.01; }, false},
        {"neither", [](const double* u) { return u[0] <= 0.999 && u[1] < 0.01; }, false},
    };
    for (const auto& c : cases) {
        TRandomState state;
        ASSERT_TRUE(motion_test::FindStateWhere(2, c.wanted, &state)) << c.name;
        ResetForceModeSharedForTests();
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
        walker.stepCount = 10.0;  // past the first steps
        RandomSetState(state);
        Position p{400, 300, 0};
        StepOnce(walker, p, kForceWiggle);
        EXPECT_EQ(walker.symmetryState == kSymmetryRecording, c.begins) << c.name;
        if (c.begins) {
            EXPECT_GE(walker.recordingLength, 50);
            EXPECT_LE(walker.recordingLength, 349);
        }
    }
}

TEST(BrushWalkerRecording, ANewRecordingReusesTheOldArrayUnlessRedrawn) {
    // Begin with the kind kept (third draw >= 0.2) and the array kept (fourth >= 0.2).
    TRandomState state;
    ASSERT_TRUE(motion_test::FindStateWhere(4, [](const double* u) {
        return u[0] > 0.999 && u[1] < 0.01 && u[2] >= 0.2 && u[3] >= 0.2;
    }, &state));
    ResetForceModeSharedForTests();
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, kW, kH);
    walker.stepCount = 10.0;
    ASSERT_TRUE(walker.AllocateRecording(77));
    walker.symmetryKind = kSymmetryKindBoth;
    const TWalkerPoint* array = walker.recording.get();
    RandomSetState(state);
    Position p{400, 300, 0};
    StepOnce(walker, p, kForceWiggle);
    EXPECT_EQ(walker.symmetryState, kSymmetryRecording);
    EXPECT_EQ(walker.recording.get(), array);
    EXPECT_EQ(walker.recordingLength, 77);
    EXPECT_EQ(walker.symmetryKind, kSymmetryKindBoth);
}

TEST(BrushWalkerDeterminism, SameSeedSamePathInEveryMode) {
    for (int32_t mode : kAllModes) {
        std::vector<Position> paths[2];
        for (int run = 0; run < 2; ++run) {
            StartRun(31337);
            DriverStart s = StartLikeTheDriver(20.0);
            for (int n = 0; n < 3000; ++n) {
                StepOnce(s.walker, s.p, mode);
                paths[run].push_back(s.p);
            }
        }
        for (size_t n = 0; n < paths[0].size(); ++n) {
            ASSERT_EQ(paths[0][n].x, paths[1][n].x) << "mode " << mode << " step " << n;
            ASSERT_EQ(paths[0][n].y, paths[1][n].y);
            ASSERT_EQ(paths[0][n].z, paths[1][n].z);
        }
        // Another seed walks elsewhere.
        StartRun(31338);
        DriverStart other = StartLikeTheDriver(20.0);
        for (int n = 0; n < 3000; ++n) StepOnce(other.walker, other.p, mode);
        EXPECT_NE(other.p.x, paths[0].back().x) << "mode " << mode;
    }
}

TEST(BrushWalkerDeterminism, TwoPaintersShareOneGeneratorAndStayReproducible) {
    std::vector<float> traces[2];
    for (int run = 0; run < 2; ++run) {
        StartRun(2718);
        DriverStart a = StartLikeTheDriver(20.0);
        DriverStart b = StartLikeTheDriver(20.0);
        for (int n = 0; n < 5000; ++n) {
            StepOnce(a.walker, a.p, kForceRandomSelection);
            StepOnce(b.walker, b.p, kForceCycleSelection);
            traces[run].push_back(a.p.x);
            traces[run].push_back(b.p.y);
        }
    }
    EXPECT_EQ(traces[0], traces[1]);
}

}  // namespace
