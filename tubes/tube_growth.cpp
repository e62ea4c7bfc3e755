// One growth step of every living tube, and the length correction after it.
#include "tubes/tube_growth.h"

#include <cmath>

#include "presets/brush_record.h"
#include "tubes/tube_branching.h"
#include "tubes/tube_displacement.h"
#include "tubes/tube_limits.h"
#include "tubes/tube_random.h"
#include "tubes/tube_step.h"
#include "tubes/turbulence_field.h"

namespace {

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

TTurbulenceSample Sample(const TBrushRecord& brush, double x, double y, double z, double time) {
    return SampleTurbulence(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                            static_cast<float>(time), brush.turbulenceInterpolation);
}

// The spiral turns the motion about N; it decays toward 0 by spiralDecay
// and is held to [-2, 2]. A spiral that has reached 0 stays 0: the new state
// is written 0 rather than keeping the value its slot held two states ago,
// which would bring a decayed spiral back on every other step.
void Spiral(const TBrushRecord& brush, const TFLVector& l, double s, TFLVector& V, double& next) {
    if (s == 0.0) {
        next = 0.0;
        return;
    }
    const double k = 1.0 - std::fabs(s);
    V = V * k;
    const double w = 1.0 - std::fabs(k);
    if (s > 0.0) {
        V.x -= w * l.y;
        V.y += w * l.x;
        next = s + brush.spiralDecay;
        if (next < 0.0) next = 0.0;
        if (next > 2.0) next = 2.0;
    } else {
        V.x += w * l.y;
        V.y -= w * l.x;
        next = s - brush.spiralDecay;
        if (next > 0.0) next = 0.0;
        if (next < -2.0) next = -2.0;
    }
    if (!(next == next)) next = 0.0;
}

// Turbulence types 2, 5 and 6: a world-space push sampled at the path point.
TFLVector WorldTurbulence(const TBrushRecord& brush, const TTubeStepScales& k, const TpaintParticleCacheData& C,
                          int32_t done) {
    const TFLPoint p = MakePlain(C.pathPoint);
    const double f = k.turbulenceFrequency;
    double x = p.x * f + brush.turbulenceOffsetX;
    double y = p.y * f + brush.turbulenceOffsetY;
    double z = p.z * f + brush.turbulenceOffsetZ;
    double time = brush.turbulenceSpeed * brush.time;
    double amplitude = k.turbulenceAmplitude;
    if (brush.turbulenceType == 5) {
        time -= (done + 1.0) * 0.5 / k.n;
        if (C.kind == kTubeKindLeaf) {
            const double m = brush.leafFlatness * 8.0 + 1.0;
            time *= m, amplitude *= m, x *= m, y *= m, z *= m;
        }
    } else if (brush.turbulenceType == 6) {
        double divisor = std::pow((brush.splitSizeDecay + 1.0) * 0.5, C.splitCount);
        if (C.kind == kTubeKindLeaf) divisor *= 1.0 - brush.leafFlatness * 0.5;
        if (!(divisor != 0.0) || !std::isfinite(divisor)) return {};
        time /= divisor, amplitude /= divisor, x /= divisor, y /= divisor, z /= divisor;
    }
    const TTurbulenceSample v = Sample(brush, x, y, z, time);
    return TFLVector{v.x, v.y, v.z} * amplitude;
}

}  // namespace

void GrowTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B, const TFLVector& side,
               const TFLVector& D, const TFLVector& N, double globalScale, double L, TubeParticleCache& cache) {
    (void)i;
    const TTubeStepScales k = MakeTubeStepScales(brush, globalScale);
    const TBranchingSetup setup = MakeBranchingSetup(brush, globalScale, k.n);
    const int32_t n = k.n;
    const TFLPoint a = MakePlain(A);
    const TFLPoint b = MakePlain(B);
    const TFLVector stroke = b - a;
    int32_t budget = kChildAttemptBudget;

    TChildContext ctx;
    ctx.brush = &brush;
    ctx.setup = &setup;
    ctx.scales = &k;
    ctx.side = side;
    ctx.D = D;
    ctx.N = N;
    ctx.globalScale = globalScale;
    ctx.budget = &budget;
    ctx.cache = &cache;

    const int32_t count = cache.Count();
    for (int32_t j = 0; j < count; ++j) {
        TpaintParticleCacheData& C = cache.Current(j);
        TpaintParticleCacheData& P = cache.Previous(j);
        if (C.segmentsLeft < 0) continue;

        // The last step, in local coordinates.
        const TFLVector l = ToLocal(C.pathPoint - P.pathPoint, side, D, N);
        const double lambda = Length(l);
        const TFLVector u = lambda > 0.0 ? l * (1.0 / lambda) : l;

        // Segments done: counted on the current record, and every state of a
        // tube carries the same total (written below). Counting on the
        // previous record, whose slot alternates between the sown pair's two
        // totals, would read 0, 0, 2, 2, 4, ... and place clusters, splits
        // and time limits up to a segment early.
        const int32_t done = C.segmentTotal - C.segmentsLeft;
        P.segmentTotal = C.segmentTotal;
        // Out of time?
        const double g = L - static_cast<double>(done) / n;
        if (g < 0.0) {
            cache.KillTube(j);
            continue;
        }

        ctx.u = u;
        ctx.lambda = lambda;
        ctx.done = done;
        ctx.progress = g;
        SowClusters(ctx, C, P);

        P.segmentsLeft = C.segmentsLeft - 1;
        if (P.segmentsLeft < 0 || (P.widthStep < 0.0 && !(C.width > 0.0))) {
            cache.KillTube(j);
            continue;
        }

        if (brush.depthShadow != 0.0) {
            const TFLVector h = C.drawnPoint - a;
            P.depth = brush.depthShadowType == 0 ? std::fabs(Dot(h, N)) : Length(h);
        }

        if (done + 1 >= P.nextSplit && lambda > 0.0 && P.kind == kTubeKindTube) {
            if (!SplitTube(ctx, C, P)) {
                cache.KillTube(j);
                continue;
            }
        }

        // Momentum and spiral, in local coordinates.
        TFLVector V = l * brush.momentum;
        Spiral(brush, l, C.spiral, V, P.spiral);

        if (brush.random != 0.0) {
            const int64_t c = C.randomIndex;
            V = V + TFLVector{TubeT(c), TubeT(c + 1), TubeT(c + 2)} * (brush.random * k.S);
            C.randomIndex = static_cast<int32_t>((c + 3) % 2147483647);
        }

        if (k.turbulenceAmplitude != 0.0 && brush.turbulenceType == 1) {
            const TFLVector r = a - C.pathPoint;
            const double f = k.turbulenceFrequency;
            const TTurbulenceSample v =
                Sample(brush, Dot(r, side) * f + brush.turbulenceOffsetX, Dot(r, D) * f + brush.turbulenceOffsetY,
                       Dot(r, N) * f + brush.turbulenceOffsetZ, brush.turbulenceSpeed * brush.time);
            V = V + TFLVector{v.x, v.y, v.z} * k.turbulenceAmplitude;
        }

        TFLVector W = ToWorld(V, side, D, N);
        if (k.turbulenceAmplitude != 0.0 &&
            (brush.turbulenceType == 2 || brush.turbulenceType == 5 || brush.turbulenceType == 6))
            W = W + WorldTurbulence(brush, k, C, done);

        // Ramps; a bud takes over the last segment of a tube or twig.
        P.width = C.width + C.widthStep;
        for (int ch = 0; ch < 3; ++ch) {
            P.colour[ch] = C.colour[ch] + C.colourStep[ch];
            P.transparency[ch] = Clamp01(C.transparency[ch] + C.transparencyStep[ch]);
            P.incandescence[ch] = C.incandescence[ch] + C.incandescenceStep[ch];
        }
        if (brush.buds && P.segmentsLeft == 0 && (C.kind == kTubeKindTube || C.kind == kTubeKindTwig)) {
            P.width = globalScale * brush.budSize;
            P.colour[0] = brush.budColorR;
            P.colour[1] = brush.budColorG;
            P.colour[2] = brush.budColorB;
        }
        P.flatness = C.flatness + C.flatnessStep;
        P.twist = C.twist + brush.twistRate;

        W = W + k.F;
        if (C.kind == kTubeKindTube) {
            if (brush.pathFollow != 0.0) W = W * (1.0 - brush.pathFollow) + stroke * brush.pathFollow;
            if (brush.pathAttract != 0.0) W = W + (a - C.pathPoint) * (brush.pathAttract * k.G);
        }

        P.pathPoint = C.pathPoint + W;
        if (k.displacementActive && lambda > 0.0 && (P.kind == kTubeKindTube || P.kind == kTubeKindTwig))
            DisplaceTubePoint(brush, P, u, done + 1.0, b, side, D, N, globalScale, n);
        else
            P.drawnPoint = P.pathPoint;

        // Deflection: keep the tip off the stroke's surface.
        if (brush.deflection) {
            const double h = std::fabs(Dot(P.drawnPoint - a, N));
            const double low = globalScale * brush.deflectionMin;
            TFLVector push;
            if (h < low) {
                push = N * (low - h);
            } else if (h < globalScale * brush.deflectionMax) {
                const double speed = Length(W);
                if (speed > 0.0) {
                    const TFLVector heading = W * (1.0 / speed);
                    const double c = Dot(heading, N);
                    const double band = (brush.deflectionMax - brush.deflectionMin) * globalScale;
                    if (c < 0.0 && band != 0.0) {
                        const double q = -(1.0 - (h - low) / band) * c;
                        push = (heading + N * q) * speed - W;
                    }
                }
            }
            P.pathPoint = P.pathPoint + push;
            P.drawnPoint = P.drawnPoint + push;
        }

        P.painter = C.painter;
        if (!IsFiniteRecord(P)) cache.KillTube(j);
    }
    cache.SwapLivingArrays();
}

void FlexTubeLengths(const TBrushRecord& brush, TubeParticleCache& cache, double globalScale) {
    const int32_t n = TubeSegments(brush.segments);
    const double widthSum = (brush.tubeWidth1 + brush.tubeWidth2) * globalScale;
    const int32_t count = cache.Count();
    for (int32_t j = 0; j < count; ++j) {
        TpaintParticleCacheData& C = cache.Current(j);
        const TpaintParticleCacheData& P = cache.Previous(j);
        if (C.segmentsLeft < 0) continue;
        const TFLVector d = C.pathPoint - P.pathPoint;
        const double lambda = Length(d);
        if (lambda == 0.0) continue;

        double t = C.segmentLength;
        if (brush.segmentLengthBias != 0.0 && (C.kind == kTubeKindTube || C.kind == kTubeKindTwig)) {
            const int32_t done = P.segmentTotal - P.segmentsLeft;
            const double t0 = static_cast<double>(done) / n;
            const double t1 = t0 + 1.0 / n;
            t *= (BiasCurve(t1, brush.segmentLengthBias) - BiasCurve(t0, brush.segmentLengthBias)) * n;
        }
        if (brush.segmentWidthBias != 0.0 && widthSum != 0.0) {
            t *= (C.width + P.width) * brush.segmentWidthBias / widthSum + 1.0 - brush.segmentWidthBias;
        }
        const double sigma = t * (1.0 - brush.lengthFlex) / lambda + brush.lengthFlex;
        C.pathPoint = P.pathPoint + d * sigma;
        C.drawnPoint = C.drawnPoint - d * (1.0 - sigma);
        if (!IsFiniteRecord(C)) cache.KillTube(j);
    }
}
