// How many passes a frame owes: the painters take Pace brush steps a second
// by the frame timer's millisecond clock, whatever the machine's speed, at
// most kPassesPerFrame in one frame. The fastest pace is that many passes on
// every frame, whatever the clock says.
#pragma once

#include <cstdint>

constexpr int kPassesPerFrame = 20;

struct TFramePace {
    bool started = false;
    uint32_t lastMilliseconds = 0;  // the clock at the last frame
    double carry = 0.0;             // the fraction of a pass owed, in [0, 1)
};

// True for the fastest pace (a value that is not a number counts as the
// slowest, never as the fastest).
bool IsMaxPace(float pace);

// The passes owed at nowMilliseconds, keeping the fraction for the next
// frame. The first frame is owed one timer period. A pace below one step a
// second is taken as one; passes beyond the cap are dropped, not caught up,
// so that a stalled machine does not paint in bursts.
int PassesOwed(TFramePace& pace, float stepsPerSecond, uint32_t nowMilliseconds, uint32_t timerPeriod);
