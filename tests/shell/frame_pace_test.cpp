// The passes a frame owes at a pace, from the elapsed milliseconds of the
// frame clock.
#include "shell/frame_pace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shell/settings.h"

namespace {

// Passes owed for frames at the given clock readings.
std::vector<int> Passes(float pace, const std::vector<uint32_t>& clock) {
    TFramePace state;
    std::vector<int> owed;
    for (uint32_t ms : clock) owed.push_back(PassesOwed(state, pace, ms, 20));
    return owed;
}

struct PaceCase {
    const char* name;
    float pace;
    std::vector<uint32_t> clock;
    std::vector<int> passes;
};

class FramePace : public ::testing::TestWithParam<PaceCase> {};

TEST_P(FramePace, OwesThePassesOfTheElapsedTime) {
    const PaceCase& c = GetParam();
    EXPECT_EQ(Passes(c.pace, c.clock), c.passes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FramePace,
    ::testing::Values(
        // 50 steps a second on a 20 ms timer: one pass a frame, the first
        // frame owed one timer period.
        PaceCase{"OneAFrame", 50.0f, {5000, 5020, 5040, 5060}, {1, 1, 1, 1}},
        // 25 a second: the half pass is carried to the next frame.
        PaceCase{"FractionCarried", 25.0f, {0, 20, 40, 60, 80, 100}, {0, 1, 0, 1, 0, 1}},
        // Late frames owe more; the time, not the frame count, sets the pace.
        PaceCase{"LateFramesOweMore", 100.0f, {0, 20, 70, 75, 100}, {2, 2, 5, 0, 3}},
        // A stall owes at most 20, and what is beyond is dropped, not caught up.
        PaceCase{"CapOfTwenty", 200.0f, {0, 5000, 5050, 5100}, {4, 20, 10, 10}},
        // Just below the fastest pace the clock still rules.
        PaceCase{"BelowMaxFollowsTheClock", 999.0f, {0, 20, 20, 30}, {19, 20, 0, 9}},
        // The fastest pace is 20 passes on every frame, whatever the clock.
        PaceCase{"MaxIsTwentyEveryFrame", kMaxPace, {0, 0, 1, 5000, 5001}, {20, 20, 20, 20, 20}},
        PaceCase{"AboveMaxIsMax", 5000.0f, {0, 0}, {20, 20}},
        // The clock wraps every 49.7 days; the unsigned difference carries on.
        PaceCase{"ClockWraps", 50.0f, {4294967276u, 0u, 20u}, {1, 1, 1}},
        // A pace below one, zero, negative or not a number is one step a second.
        PaceCase{"ZeroIsOneASecond", 0.0f, {0, 500, 1000, 1500}, {0, 0, 1, 0}},
        PaceCase{"NaNIsOneASecond", std::nanf(""), {0, 980, 1980}, {0, 1, 1}}),
    [](const ::testing::TestParamInfo<PaceCase>& info) { return std::string(info.param.name); });

TEST(FramePace, SaverSecondsGiveThePaceInPasses) {
    // Over ten seconds of 20 ms frames the painters take pace × 10 steps.
    for (float pace : {1.0f, 7.0f, 12.5f, 30.0f, 333.0f}) {
        TFramePace state;
        long total = 0;
        for (uint32_t frame = 1; frame <= 500; ++frame) total += PassesOwed(state, pace, frame * 20, 20);
        EXPECT_NEAR(total, pace * 10.0, 1.0) << "pace " << pace;
    }
}

TEST(FramePace, OnlyTheFastestPaceIsMax) {
    EXPECT_TRUE(IsMaxPace(kMaxPace));
    EXPECT_FALSE(IsMaxPace(kDefaultPace));
    EXPECT_FALSE(IsMaxPace(std::nanf("")));
    EXPECT_LT(kDefaultPace, kMaxPace);
}

}  // namespace
