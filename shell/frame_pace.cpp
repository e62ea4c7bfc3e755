#include "shell/frame_pace.h"

#include <cmath>

#include "shell/settings.h"

bool IsMaxPace(float pace) { return pace >= kMaxPace; }

int PassesOwed(TFramePace& pace, float stepsPerSecond, uint32_t nowMilliseconds, uint32_t timerPeriod) {
    // Unsigned difference: the clock wraps every 49.7 days.
    const uint32_t elapsed = pace.started ? nowMilliseconds - pace.lastMilliseconds : timerPeriod;
    pace.started = true;
    pace.lastMilliseconds = nowMilliseconds;
    if (IsMaxPace(stepsPerSecond)) {
        pace.carry = 0.0;
        return kPassesPerFrame;
    }
    const double rate = std::isfinite(stepsPerSecond) && stepsPerSecond > 1.0f ? stepsPerSecond : 1.0;
    // Whole milliseconds times a rate below 1000 a second: never near overflow.
    const double owed = pace.carry + rate * static_cast<double>(elapsed) / 1000.0;
    if (owed >= kPassesPerFrame) {
        pace.carry = 0.0;
        return kPassesPerFrame;
    }
    const double passes = std::floor(owed);
    pace.carry = owed - passes;
    return static_cast<int>(passes);
}
