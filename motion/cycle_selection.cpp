#include <cmath>

#include "motion/brush_walker.h"
#include "motion/edge_following.h"
#include "motion/force_mode_shared.h"
#include "motion/force_modes.h"
#include "motion/motion_math.h"
#include "motion/orbit_modes.h"
#include "base/random.h"

bool ApplyCycleSelection(TBrushWalker& walker, const TFLVector& p0, const TPaintCanvas* canvas) {
    ForceModeShared& shared = ForceModeSharedState();
    const double s = walker.stepCount;
    if (s < 2.0) {
        shared.cycleCounter = static_cast<int32_t>(11.0 * RandomUnit());
        if (RandomUnit() < 0.5) shared.signFlag = !shared.signFlag;
    }
    // The counter is shared: each walker in Cycle Selection advances it.
    if (EveryNthStep(s, 1200.0)) {
        shared.cycleCounter += 1;
        if (RandomUnit() < 0.2) shared.signFlag = !shared.signFlag;
        if (shared.cycleCounter > 13) shared.cycleCounter = 0;
    }
    switch (shared.cycleCounter) {
        case 0: return ApplySingleForceMode(walker, p0, kForceWigglyWalk, canvas);
        case 1: return ApplySingleForceMode(walker, p0, kForceRandomWalk, canvas);
        case 2: return ApplySingleForceMode(walker, p0, kForceWanderingSwirls, canvas);
        case 3: return ApplySingleForceMode(walker, p0, kForceChaos, canvas);
        case 4:
            shared.flags.chaos = false;
            return ApplySingleForceMode(walker, p0, kForcePipes, canvas);
        case 5: return ApplySingleForceMode(walker, p0, kForceWiggle, canvas);
        case 7:
            if (RandomUnit() < 0.2) shared.signFlag = !shared.signFlag;
            walker.velocity = walker.velocity + EdgeTerm(walker, p0, shared.signFlag, canvas);
            return true;
        case 8: return ApplySingleForceMode(walker, p0, kForceGravity, canvas);
        case 9: return ApplySingleForceMode(walker, p0, kForceEdgeRepulse, canvas);
        case 10:
            shared.flags.edgeRepulse = false;
            return ApplySingleForceMode(walker, p0, kForceKinks, canvas);
        case 11: return ApplySingleForceMode(walker, p0, kForceMovingOrbit, canvas);
        case 12:
            MultiAttractorTerm(walker, p0, true, 1.0, 1.0);
            return false;
        default:  // 6 and 13: a rest with no term
            return true;
    }
}
