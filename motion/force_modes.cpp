#include "motion/force_modes.h"

#include <cmath>

#include "motion/brush_walker.h"
#include "motion/edge_following.h"
#include "motion/force_mode_shared.h"
#include "motion/force_terms.h"
#include "motion/motion_math.h"
#include "motion/orbit_modes.h"
#include "base/portable_math.h"
#include "base/random.h"

namespace {

void AddChase(TBrushWalker& walker, const TFLVector& p0) {
    TurnWander(walker, 0.1);
    walker.velocity = walker.velocity + ChaseTerm(walker, p0) * walker.StepLength();
}

}  // namespace

bool ApplyForceMode(TBrushWalker& walker, const TFLVector& p0, int32_t mode, const TPaintCanvas* canvas) {
    if (mode == kForceRandomSelection) return ApplyRandomSelection(walker, p0, canvas);
    if (mode == kForceCycleSelection) return ApplyCycleSelection(walker, p0, canvas);
    return ApplySingleForceMode(walker, p0, mode, canvas);
}

bool ApplySingleForceMode(TBrushWalker& walker, const TFLVector& p0, int32_t mode, const TPaintCanvas* canvas) {
    ForceModeShared& shared = ForceModeSharedState();
    const double speed = walker.StepLength();
    const double s = walker.stepCount;
    TFLVector& v = walker.velocity;
    switch (mode) {
        case kForceChaos:
            shared.flags.chaos = true;
            AddChase(walker, p0);
            return false;
        case kForcePipes:
            // Scaled this far the term swamps the unit velocity: a sharp turn.
            v = v + PipeTerm(walker, p0) * (100.0 * speed);
            return true;
        case kForceWiggle:
            v = v + WiggleTerm(s) * speed;
            return true;
        case kForceWigglyWalk:
            TurnWander(walker, 0.2);
            v = v + WaveWalkTerm(walker);
            return true;
        case kForceRandomWalk:
            TurnWander(walker, 0.4);
            v = v + JitterTerm(walker);
            return true;
        case kForceWanderingSwirls:
            TurnWander(walker, 0.2);
            v = v + SwirlTerm(walker);
            return true;
        case kForceFollowEdges:
            if (RandomUnit() < 0.2) shared.signFlag = !shared.signFlag;
            v = v + EdgeTerm(walker, p0, EveryNthStep(s, 100.0), canvas);
            v = v + CentreTerm(walker, p0) * speed;
            return false;
        case kForceGravity:
            GravityTerm(walker);
            return true;
        case kForceEdgeRepulse:
            v = v + CentreTerm(walker, p0) * speed;
            shared.flags.edgeRepulse = true;
            return false;
        case kForceKinks:
            KinkTerm(walker);
            return true;
        case kForceCrossEdgesFlow:
            v = v + EdgeTerm(walker, p0, true, canvas);
            return true;
        case kForceMovingOrbit:
            MovingOrbitTerm(walker, p0);
            return false;
        case kForceMultiChaos:
            // The attractors stand still between their re-draws.
            MultiAttractorTerm(walker, p0, false, 1.1 + PortableSin(0.001 * s), 1.1 + PortableCos(0.002 * s));
            return false;
        default:
            AddChase(walker, p0);
            return false;
    }
}
