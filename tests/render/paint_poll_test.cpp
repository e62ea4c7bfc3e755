// The input poll record and UserWantsOut: how often the host is asked, what
// latches, and how the record's operations set it up.
#include <gtest/gtest.h>

#include "render/input_poll.h"
#include "render/paint_canvas.h"

namespace {

int gAsked = 0;
bool gPending = false;
bool FakeInput() {
    ++gAsked;
    return gPending;
}

TInputPoll WatchingPoll(int32_t interval) {
    TInputPoll poll;
    poll.PollInit(false, false, interval);
    poll.PollWatchAnyInput();
    poll.inputPending = FakeInput;
    gAsked = 0;
    gPending = false;
    return poll;
}

TEST(InputPollRecord, StartsDisabledWithIntervalOne) {
    TInputPoll poll;
    EXPECT_FALSE(poll.enabled);
    EXPECT_EQ(poll.interval, 1);
    EXPECT_EQ(poll.callsSincePoll, 0);
    EXPECT_FALSE(UserWantsOut(poll));
}

TEST(InputPollRecord, InitEnablesWhenEitherWatchIsAsked) {
    struct Case {
        bool armStop, watchButtons, enabled;
    };
    const Case cases[] = {{false, false, false}, {true, false, true}, {false, true, true}, {true, true, true}};
    for (const Case& c : cases) {
        TInputPoll poll;
        poll.abortLatched = true;
        poll.stopRequested = true;
        poll.callsSincePoll = 9;
        poll.PollInit(c.armStop, c.watchButtons, 50);
        EXPECT_EQ(poll.enabled, c.enabled);
        EXPECT_EQ(poll.stopArmed, c.armStop);
        EXPECT_EQ(poll.watchButtonsAndKeys, c.watchButtons);
        EXPECT_EQ(poll.interval, 50);
        EXPECT_EQ(poll.callsSincePoll, 0);
        EXPECT_FALSE(poll.abortLatched);
        EXPECT_FALSE(poll.stopRequested);
    }
}

TEST(InputPollRecord, WatchAnyInputAndReset) {
    TInputPoll poll;
    poll.PollInit(true, true, 5);
    poll.PollWatchAnyInput();
    EXPECT_TRUE(poll.enabled);
    EXPECT_TRUE(poll.watchAnyInput);
    EXPECT_FALSE(poll.watchButtonsAndKeys);
    EXPECT_FALSE(poll.stopArmed);
    poll.abortLatched = true;
    poll.stopRequested = true;
    poll.callsSincePoll = 3;
    poll.PollReset();
    EXPECT_FALSE(poll.abortLatched);
    EXPECT_FALSE(poll.stopRequested);
    EXPECT_EQ(poll.callsSincePoll, 0);
    EXPECT_TRUE(poll.watchAnyInput);
}

TEST(UserWantsOut, AsksTheHostOnlyOnceTheCounterPassesTheInterval) {
    TInputPoll poll = WatchingPoll(3);
    gPending = true;
    // Calls 1..4 count 0 -> 4 without asking; the fifth finds 4 > 3.
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(UserWantsOut(poll)) << "call " << i;
    EXPECT_EQ(gAsked, 0);
    EXPECT_TRUE(UserWantsOut(poll));
    EXPECT_EQ(gAsked, 1);
    EXPECT_TRUE(poll.lastResult);
    EXPECT_EQ(poll.callsSincePoll, 0);
}

TEST(UserWantsOut, OnceLatchedEveryPollAnswersAbortWithoutAskingAgain) {
    TInputPoll poll = WatchingPoll(0);
    gPending = true;
    EXPECT_FALSE(UserWantsOut(poll));  // counter 0 -> 1
    EXPECT_TRUE(UserWantsOut(poll));   // real poll
    ASSERT_TRUE(poll.abortLatched);
    gPending = false;
    const int asked = gAsked;
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(UserWantsOut(poll));
    EXPECT_EQ(gAsked, asked);
}

TEST(UserWantsOut, NoInputNoAbort) {
    TInputPoll poll = WatchingPoll(0);
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(UserWantsOut(poll));
    EXPECT_GT(gAsked, 0);
    EXPECT_FALSE(poll.abortLatched);
}

TEST(UserWantsOut, ArmedStopRequestForcesAnAbort) {
    TInputPoll poll;
    poll.PollInit(true, false, 0);
    poll.inputPending = FakeInput;
    gAsked = 0;
    poll.stopRequested = true;
    EXPECT_TRUE(UserWantsOutNow(poll));
    EXPECT_TRUE(poll.abortLatched);
    EXPECT_EQ(gAsked, 0);
}

TEST(UserWantsOut, EnabledWithoutAnyWatchNeverAsks) {
    TInputPoll poll;
    poll.PollInit(true, false, 0);  // armed but no stop requested, nothing watched
    poll.inputPending = FakeInput;
    gAsked = 0;
    gPending = true;
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(UserWantsOut(poll));
    EXPECT_EQ(gAsked, 0);
}

TEST(UserWantsOut, ButtonAndKeyWatchAsksTheHostToo) {
    TInputPoll poll;
    poll.PollInit(false, true, 0);
    poll.inputPending = FakeInput;
    gPending = true;
    EXPECT_TRUE(UserWantsOutNow(poll));
}

TEST(UserWantsOut, ImmediatePollIgnoresTheCounter) {
    TInputPoll poll = WatchingPoll(1000);
    gPending = true;
    EXPECT_TRUE(UserWantsOutNow(poll));
    EXPECT_EQ(gAsked, 1);
}

TEST(UserWantsOut, CanvasFormUsesTheCanvasRecord) {
    TPaintCanvas canvas;
    canvas.poll = WatchingPoll(0);
    gPending = true;
    UserWantsOut(canvas);
    EXPECT_TRUE(UserWantsOut(canvas));
    EXPECT_TRUE(canvas.poll.abortLatched);
}

}  // namespace
