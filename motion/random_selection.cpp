#include <cmath>

#include "motion/brush_walker.h"
#include "motion/edge_following.h"
#include "motion/force_mode_shared.h"
#include "motion/force_modes.h"
#include "motion/force_terms.h"
#include "motion/motion_math.h"
#include "motion/orbit_modes.h"
#include "base/portable_math.h"
#include "base/random.h"

void StartRandomSelection(TBrushWalker& walker) {
    ForceModeShared& shared = ForceModeSharedState();
    ForceModeFlags& f = shared.flags;
    const auto k = static_cast<int32_t>(24.0 * RandomUnit());
    if (k <= 1) f.chaos = true;
    else if (k <= 4) f.pipes = true;
    else if (k == 5) f.wiggle = true;
    else if (k <= 7) f.wanderingSwirls = true;
    else if (k == 8) f.gravity = true;
    else if (k == 9) f.wigglyWalk = true;
    else if (k == 10) f.edgeRepulse = true;
    else if (k == 11) f.kinks = true;
    else if (k <= 15) f.followEdges = true;
    else if (k <= 18) f.movingOrbit = true;
    else if (k <= 21) f.multiChaos = true;

    if (RandomUnit() < 0.5) walker.symmetryKind = kSymmetryKindPoint;
    if (RandomUnit() < 0.25) shared.signFlag = !shared.signFlag;
    if (RandomUnit() < 0.1) shared.orbitMode = RandomUnit() <= 0.4 ? kOrbitSurface : kOrbitInside;
    if (OrbitActive()) {
        const int32_t halfW = walker.bounds.right / 2;
        const int32_t halfH = walker.bounds.bottom / 2;
        shared.orbitRadius = halfH;
        shared.orbitCentre = {static_cast<double>(halfW), static_cast<double>(halfH), 0.0};
        if (RandomUnit() < 0.2) {
            shared.orbitRadius = (0.2 + 0.5 * RandomUnit()) * halfH;
            const double cx = RandomUnit() * walker.bounds.right;
            const double cy = RandomUnit() * walker.bounds.bottom;
            shared.orbitCentre = {cx, cy, 0.0};
        }
    }
}

void RedrawRandomSelectionFlags(TBrushWalker& walker) {
    ForceModeShared& shared = ForceModeSharedState();
    ForceModeFlags& f = shared.flags;
    const int n = f.followEdges + f.kinks + f.edgeRepulse + f.wigglyWalk + f.gravity + f.wanderingSwirls + f.wiggle +
                  f.pipes + f.chaos;
    const double k = n / 60.0;
    // Cleared when u falls below the first value, set when it exceeds k plus the second.
    const auto redraw = [k](bool& flag, double clearBelow, double setAbove) {
        const double u = RandomUnit();
        if (u < clearBelow) flag = false;
        else if (u > k + setAbove) flag = true;
        return u;
    };
    redraw(f.followEdges, 0.02, 0.95);
    redraw(f.movingOrbit, 0.02, 0.95);
    redraw(f.multiChaos, 0.02, 0.95);
    if (RandomUnit() < 0.01) shared.signFlag = !shared.signFlag;
    redraw(f.chaos, 0.05, 0.92);
    redraw(f.gravity, 0.05, 0.95);
    redraw(f.pipes, 0.05, 0.92);
    redraw(f.wanderingSwirls, 0.05, 0.92);
    const double u = redraw(f.wiggle, 0.15, 0.95);
    if (u < 0.15) walker.weight = u + 0.5;
    redraw(f.wigglyWalk, 0.15, 0.95);
    redraw(f.edgeRepulse, 0.05, 0.91);
    redraw(f.kinks, 0.12, 0.94);
}

bool ApplyRandomSelection(TBrushWalker& walker, const TFLVector& p0, const TPaintCanvas* canvas) {
    ForceModeShared& shared = ForceModeSharedState();
    const ForceModeFlags& f = shared.flags;
    const double s = walker.stepCount;
    const double speed = walker.StepLength();
    TFLVector& v = walker.velocity;
    if (s < 2.0) StartRandomSelection(walker);

    bool bounce = true;
    if (f.followEdges) v = v + EdgeTerm(walker, p0, shared.signFlag, canvas);
    if (f.chaos) {
        TurnWander(walker, 0.1);
        v = v + ChaseTerm(walker, p0) * speed;
        bounce = false;
    }
    if (f.gravity) {
        if (f.pipes) {
            // With pipes, gravity is a constant pull along y.
            if (std::fabs(v.x) >= std::fabs(v.z)) v.y -= speed * 0.01;
            else v.y += speed * 0.01;
        } else {
            GravityTerm(walker);
        }
    }
    if (f.pipes) v = v + PipeTerm(walker, p0) * (100.0 * speed);
    if (f.wanderingSwirls) {
        TurnWander(walker, 0.2);
        v = v + SwirlTerm(walker);
    }
    if (f.wiggle) v = v + WiggleTerm(s) * speed;
    if (f.wigglyWalk) {
        TurnWander(walker, 0.2);
        v = v + WaveWalkTerm(walker);
    }
    if (f.edgeRepulse) {
        v = v + CentreTerm(walker, p0) * speed;
        bounce = false;
    }
    if (f.kinks) KinkTerm(walker);

    if (f.movingOrbit) {
        MovingOrbitTerm(walker, p0);
        bounce = false;
    } else if (f.multiChaos) {
        MultiAttractorTerm(walker, p0, true, 1.1 + PortableSin(0.01 * s), 1.1 + PortableCos(0.02 * s));
        bounce = false;
    }

    // The mix changes at the first steps and every 6000 steps after step
    // 12000, whichever flags are set, so that no mix is kept for the whole run.
    if (s < 3.0 || (s > 12000.0 && EveryNthStep(s, 6000.0))) RedrawRandomSelectionFlags(walker);
    return bounce;
}
