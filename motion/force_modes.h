// The force modes: how a painter's brush turns on each step. A mode adds
// its force terms to the walker's velocity before the walker normalises it
// and moves the brush.
#pragma once

#include <cstdint>

#include "base/geometry.h"

class TBrushWalker;
class TPaintCanvas;

// Force mode values as the settings store them.
enum TForceMode : int32_t {
    kForceRandomSelection = -1,
    kForceCycleSelection = 0,
    kForceChaos = 1,
    kForcePipes = 2,
    kForceWiggle = 3,
    kForceWigglyWalk = 4,
    kForceRandomWalk = 5,
    kForceWanderingSwirls = 6,
    kForceFollowEdges = 7,
    kForceGravity = 8,
    kForceEdgeRepulse = 9,
    kForceKinks = 10,
    kForceCrossEdgesFlow = 11,
    kForceMovingOrbit = 12,
    kForceMultiChaos = 13,
};

// Adds the terms of `mode` to walker.velocity. p0 is the position before the
// step; walker.stepCount already counts this step. Returns whether the edge
// bounce applies this step. Any value outside -1..13 acts as Chaos without
// setting the Chaos flag.
bool ApplyForceMode(TBrushWalker& walker, const TFLVector& p0, int32_t mode, const TPaintCanvas* canvas);

// The eleven single behaviours (1 to 13) and the fallback for other values.
bool ApplySingleForceMode(TBrushWalker& walker, const TFLVector& p0, int32_t mode, const TPaintCanvas* canvas);

// Mode 0: the behaviours one after another, advanced every 1200 steps.
bool ApplyCycleSelection(TBrushWalker& walker, const TFLVector& p0, const TPaintCanvas* canvas);

// Mode -1: the mix of behaviours chosen by the shared flags.
bool ApplyRandomSelection(TBrushWalker& walker, const TFLVector& p0, const TPaintCanvas* canvas);

// The first-step pick of Random Selection: one flag, the symmetry kind, the
// sign flag and maybe the orbit.
void StartRandomSelection(TBrushWalker& walker);

// Random Selection's re-draw of its flags; the more are set, the harder it
// is to set another.
void RedrawRandomSelectionFlags(TBrushWalker& walker);
