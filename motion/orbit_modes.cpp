#include "motion/orbit_modes.h"

#include <cmath>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "motion/force_terms.h"
#include "motion/motion_math.h"
#include "base/random.h"

void RedrawAttractors(TBrushWalker& walker) {
    static constexpr double kWeights[3] = {0.5, 0.3, 0.6};
    const double w = walker.bounds.right;
    const double h = walker.bounds.bottom;
    for (int k = 0; k < 3; ++k) {
        TAttractor& a = walker.attractor[k];
        a.y = RandomUnit() * h;
        a.x = RandomUnit() * w;
        a.weight = kWeights[k];
    }
}

TFLVector AttractorTerm(const TAttractor& attractor, const TFLVector& p0) {
    TFLVector d{attractor.x - p0.x, attractor.y - p0.y, attractor.weight - p0.z};
    const double length = Length(d);
    // Far away the pull grows again slowly, so that the brush comes back.
    if (length > 270.0) d = d * (length * (1.0 / 270.0) * 0.35);
    const double p = std::pow(length, 1.8);
    if (p > 0.0) d = d * (1.0 / p);
    return d * 0.15;
}

void MoveAttractor(TAttractor& attractor, TFLVector& direction, const TRect& bounds) {
    direction.x += (RandomUnit() - 0.5) * 0.55;
    direction.y += (RandomUnit() - 0.5) * 0.55;
    direction.z += (RandomUnit() - 0.5) * 0.55;
    if (IsZeroVector(direction)) direction.x = 1.0;
    NormalizeNonZero(direction);
    attractor.x += direction.x;
    attractor.y += direction.y;
    attractor.weight += direction.z;
    // Past a bound and still moving outward: turn back, twice as fast.
    if ((attractor.x < bounds.left && direction.x < 0.0) || (attractor.x > bounds.right && direction.x > 0.0)) {
        direction.x = -2.0 * direction.x;
        attractor.x += direction.x;
    }
    if ((attractor.y < bounds.top && direction.y < 0.0) || (attractor.y > bounds.bottom && direction.y > 0.0)) {
        direction.y = -2.0 * direction.y;
        attractor.y += direction.y;
    }
    if (attractor.weight < -static_cast<double>(bounds.right) && direction.z < 0.0) {
        direction.z = -2.0 * direction.z;
        attractor.weight += direction.z;
    }
}

void MovingOrbitTerm(TBrushWalker& walker, const TFLVector& p0) {
    TurnWander(walker, 0.2);
    MoveAttractor(walker.attractor[0], walker.wander, walker.bounds);
    walker.velocity = walker.velocity + AttractorTerm(walker.attractor[0], p0) * (2.5 * walker.StepLength());
}

void MultiAttractorTerm(TBrushWalker& walker, const TFLVector& p0, bool moveAttractors, double scale1,
                        double scale2) {
    if (moveAttractors) {
        MoveAttractor(walker.attractor[0], walker.wander, walker.bounds);
        MoveAttractor(walker.attractor[1], walker.orbitDirection2, walker.bounds);
        MoveAttractor(walker.attractor[2], walker.orbitDirection3, walker.bounds);
    }
    const double speed = walker.StepLength();
    const TFLVector pull = AttractorTerm(walker.attractor[0], p0) * scale1 +
                           AttractorTerm(walker.attractor[1], p0) * scale2 + AttractorTerm(walker.attractor[2], p0);
    walker.velocity = walker.velocity + pull * speed;
}

bool OrbitActive() {
    const int32_t mode = ForceModeSharedState().orbitMode;
    return mode == kOrbitInside || mode == kOrbitSurface;
}

void ApplyOrbitConstraint(TBrushWalker& walker, TFLVector& p1) {
    ForceModeShared& shared = ForceModeSharedState();
    if (!OrbitActive()) return;
    const double w = walker.bounds.right;
    const double h = walker.bounds.bottom;

    // A new sphere now and then; the first, centred one lasts longer.
    const bool firstSphere = shared.orbitRadius == static_cast<double>(walker.bounds.bottom / 2);
    if (EveryNthStep(walker.stepCount, firstSphere ? 50000.0 : 3000.0)) {
        shared.orbitRadius = (RandomUnit() + 0.1) * h * 0.4;
        const double cx = RandomUnit() * w;
        const double cy = RandomUnit() * h;
        const double cz = RandomUnit() * h * 0.3;
        shared.orbitCentre = {cx, cy, cz};
    }
    const TFLVector centre = shared.orbitCentre;
    const double radius = shared.orbitRadius;
    TFLVector& v = walker.velocity;

    if (shared.orbitMode == kOrbitInside) {
        TFLVector d = centre - p1;
        const double distance = Length(d);
        NormalizeNonZero(d);
        const double along = Dot(d, v);
        if (distance > radius && along < 0.0) {
            // Reflect off the sphere from inside and put the brush back on it.
            v = v - d * (2.0 * along);
            p1 = centre - d * radius;
        }
        return;
    }

    // Held on the surface: project the position, then the point one unit
    // ahead, and move along the sphere between the two.
    TFLVector d = centre - p1;
    NormalizeNonZero(d);
    p1 = centre - d * radius;
    TFLVector e = centre - (p1 + v);
    NormalizeNonZero(e);
    const TFLVector ahead = centre - e * radius;
    v = ahead - p1;
    NormalizeNonZero(v);
}
