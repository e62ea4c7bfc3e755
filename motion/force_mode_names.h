// The force modes as the settings store them and the settings panel lists
// them: one row per mode, in menu order. Item id k (1 to 15) of the force
// menu shows the row of that id and stores its mode value, k - 2.
#pragma once

#include <cstdint>

#include "motion/force_modes.h"

struct ForceModeEntry {
    TForceMode mode;  // the stored value
    int32_t menuId;   // the force menu's item id
    const char* name;
};

inline constexpr ForceModeEntry kForceModes[] = {
    {kForceRandomSelection, 1, "Random Selection"},
    {kForceCycleSelection, 2, "Cycle Selection"},
    {kForceChaos, 3, "Chaos"},
    {kForcePipes, 4, "Pipes"},
    {kForceWiggle, 5, "Wiggle"},
    {kForceWigglyWalk, 6, "Wiggly Walk"},
    {kForceRandomWalk, 7, "Random Walk"},
    {kForceWanderingSwirls, 8, "Wandering Swirls"},
    {kForceFollowEdges, 9, "Follow Edges"},
    {kForceGravity, 10, "Gravity"},
    {kForceEdgeRepulse, 11, "Edge Repulse"},
    {kForceKinks, 12, "Kinks"},
    {kForceCrossEdgesFlow, 13, "Cross Edges Flow"},
    {kForceMovingOrbit, 14, "Moving Orbit"},
    {kForceMultiChaos, 15, "MultiChaos"},
};

inline constexpr int32_t kForceModeMenuCount = static_cast<int32_t>(sizeof kForceModes / sizeof kForceModes[0]);

// The row of a stored mode value (-1 to 13); null for any other value.
constexpr const ForceModeEntry* FindForceMode(int32_t mode) {
    for (const ForceModeEntry& e : kForceModes)
        if (e.mode == mode) return &e;
    return nullptr;
}

// The name of a stored mode value; null for any other value.
constexpr const char* ForceModeName(int32_t mode) {
    const ForceModeEntry* e = FindForceMode(mode);
    return e ? e->name : nullptr;
}
