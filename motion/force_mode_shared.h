// The values the force modes share between both painters' walkers for the
// whole run: the mode flags of Random Selection, the sign flag, the cycle
// counter, the orbit, and the step count of the walker that stepped last.
#pragma once

#include <cstdint>

#include "base/geometry.h"

// Orbit modes.
constexpr int32_t kOrbitNone = 0;
constexpr int32_t kOrbitInside = 1;   // the brush bounces inside a sphere
constexpr int32_t kOrbitSurface = 2;  // the brush is held on the sphere's surface

struct ForceModeFlags {
    bool chaos = false;
    bool pipes = false;
    bool wiggle = false;
    bool wanderingSwirls = false;
    bool gravity = false;
    bool wigglyWalk = false;
    bool edgeRepulse = false;
    bool kinks = false;
    bool followEdges = false;
    bool movingOrbit = false;
    bool multiChaos = false;
};

struct ForceModeShared {
    double lastStepCount = 0.0;  // step count of the walker that stepped last
    int32_t cycleCounter = 0;    // Cycle Selection's sub-mode, 0 to 13
    bool signFlag = false;       // crosses instead of follows edges where it is asked
    ForceModeFlags flags;
    int32_t orbitMode = kOrbitNone;
    TFLVector orbitCentre;
    double orbitRadius = 0.0;
};

// The one instance of the process.
ForceModeShared& ForceModeSharedState();
// Everything back to 0, as at the start of a run; for tests.
void ResetForceModeSharedForTests();
