#include "motion/force_terms.h"

#include <cmath>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "motion/motion_math.h"
#include "base/portable_math.h"
#include "base/random.h"

void TurnWander(TBrushWalker& walker, double k) {
    TFLVector& w = walker.wander;
    w.x += (RandomUnit() - 0.5) * k;
    w.y += (RandomUnit() - 0.5) * k;
    w.z += (RandomUnit() - 0.5) * k;
    if (IsZeroVector(w)) w.x = 1.0;
    NormalizeNonZero(w);
}

TFLVector ChaseTarget(double lastStepCount, double width, double height) {
    const double n = std::trunc(lastStepCount * 0.0039888313);
    return {(0.8 * PortableSin(n) + 1.0) * width * 0.5, (0.8 * PortableCos(81.4 * n) + 1.0) * height * 0.5,
            0.3 * width * PortableSin(n + 0.8)};
}

TFLVector ChaseTerm(const TBrushWalker& walker, const TFLVector& p0) {
    const double c = ForceModeSharedState().lastStepCount * 0.0039888313;
    const double f = c - std::trunc(c);
    TFLVector d = ChaseTarget(ForceModeSharedState().lastStepCount, walker.bounds.right, walker.bounds.bottom) - p0;
    NormalizeNonZero(d);
    // The pull grows within each period of the target.
    return d * (0.02 * (f * f * f + 0.2));
}

TFLVector CentreTerm(const TBrushWalker& walker, const TFLVector& p0) {
    const double w = walker.bounds.right;
    const double h = walker.bounds.bottom;
    // An empty window has no middle to return to.
    const double a = w != 0.0 ? -1.5 * (p0.x - w * 0.5) / w : 0.0;
    const double b = h != 0.0 ? -1.5 * (p0.y - h * 0.5) / h : 0.0;
    const double c = w != 0.0 ? -p0.z / w : 0.0;
    const auto fifth = [](double v) { return v * v * v * v * v; };
    return {0.02 * fifth(a), 0.02 * fifth(b), 0.02 * fifth(c)};
}

TFLVector PipeTerm(const TBrushWalker& walker, const TFLVector& p0) {
    const double u = RandomUnit();
    if (!(PortableSin(6.28 * u + walker.stepCount) > 0.8)) return {};
    const double k = 6.0 * RandomUnit();
    if (k < 1.0) return {1.0, 0.0, 0.0};
    if (k < 2.0) return {-1.0, 0.0, 0.0};
    if (k < 3.0) return {0.0, 1.0, 0.0};
    if (k < 4.0) return {0.0, -1.0, 0.0};
    const double w = walker.bounds.right;
    const double h = walker.bounds.bottom;
    const TFLVector d = TFLVector{w * 0.5, h * 0.25, -2.0 * w} - p0;
    return k < 5.0 ? d : -d;
}

TFLVector WiggleTerm(double stepCount) {
    const double n = std::trunc(stepCount);
    return {0.01 * PortableSin(0.8 * n), 0.01 * PortableCos(-0.61 * n), 0.01 * PortableSin(0.53 * n)};
}

TFLVector WaveWalkTerm(const TBrushWalker& walker) {
    const double s = walker.stepCount;
    const double a = 3.0 * PortableSin(0.02 * s);
    const double b = (PortableSin(0.5 * s) + 0.2) * s;
    const TFLVector& w = walker.wander;
    return {0.2 * a * PortableSin(b) + 0.05 * w.x, 0.2 * a * PortableCos(b) + 0.05 * w.y, 0.2 * a * PortableSin(b) + 0.05 * w.z};
}

TFLVector SwirlTerm(const TBrushWalker& walker) {
    const double t = 0.2 * walker.stepCount;
    const double a = 3.0 * PortableSin(0.1 * t);
    const TFLVector& w = walker.wander;
    return {0.2 * a * PortableSin(t) + 0.05 * w.x, 0.2 * a * PortableCos(t) + 0.05 * w.y, 0.2 * a * PortableSin(t) + 0.05 * w.z};
}

TFLVector JitterTerm(const TBrushWalker& walker) {
    const double t = 0.2 * walker.stepCount;
    const double u1 = RandomUnit();
    const double u2 = RandomUnit();
    const double u3 = RandomUnit();
    const TFLVector& w = walker.wander;
    return {0.4 * (0.5 - u1) + 0.2 * w.x * PortableSin(t), 0.4 * (0.5 - u2) + 0.2 * w.y * PortableCos(t),
            0.4 * (0.5 - u3) + 0.2 * w.z * PortableSin(t)};
}

void GravityTerm(TBrushWalker& walker) {
    // Swings between down and up over about 628 steps.
    walker.velocity.y += walker.StepLength() * 0.001 * PortableSin(0.01 * walker.stepCount);
}

void KinkTerm(TBrushWalker& walker) {
    if (!(RandomUnit() > 0.95)) return;
    TFLVector kick;
    kick.x = RandomUnit() - 0.5;
    kick.y = RandomUnit() - 0.5;
    kick.z = RandomUnit() - 0.5;
    walker.velocity = walker.velocity + kick * (10.0 * walker.StepLength());
}
