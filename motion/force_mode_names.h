// The force modes as the settings panel lists them. Item id k (1 to 15) of
// the force menu shows kForceModeMenuNames[k - 1] and stores the mode k - 2.
#pragma once

#include <cstdint>

inline constexpr int32_t kForceModeMenuCount = 15;

inline constexpr const char* kForceModeMenuNames[kForceModeMenuCount] = {
    "Random Selection", "Cycle Selection", "Chaos",        "Pipes",
    "Wiggle",           "Wiggly Walk",     "Random Walk",  "Wandering Swirls",
    "Follow Edges",     "Gravity",         "Edge Repulse", "Kinks",
    "Cross Edges Flow", "Moving Orbit",    "MultiChaos"};

// The name of a stored mode value (-1 to 13); null for any other value.
inline const char* ForceModeName(int32_t mode) {
    if (mode < -1 || mode > kForceModeMenuCount - 2) return nullptr;
    return kForceModeMenuNames[mode + 1];
}
