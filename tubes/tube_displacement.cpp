#include "tubes/tube_displacement.h"

#include <cmath>

#include "base/random.h"
#include "presets/brush_record.h"
#include "tubes/turbulence_field.h"

namespace {
constexpr double kTwoPi = 6.28318530717958647692;
}

void DisplaceTubePoint(const TBrushRecord& brush, TpaintParticleCacheData& record, const TFLVector& u, double t,
                       const TFLPoint& reference, const TFLVector& side, const TFLVector& D, const TFLVector& N,
                       double globalScale, int32_t n) {
    const double q = std::fmax(0.00001, std::sqrt(u.x * u.x + u.y * u.y));
    const double s = t / (n > 0 ? n : 1);  // 0 at the base, 1 at the tip
    const double w = record.width;
    const TFLPoint path = MakePlain(record.pathPoint);

    // Two sideways amounts: a along the first axis, b along the second.
    double a = 0.0;
    double b = 0.0;
    if (brush.curl != 0.0) {
        const double amplitude = w * brush.curl * 10.0;
        const double phase = (brush.curlFrequency * s * s + brush.curlOffset) * kTwoPi;
        a += std::cos(phase) * amplitude;
        b += std::sin(phase) * amplitude;
    }
    if (brush.wiggle != 0.0) {
        a += std::sin((s * brush.wiggleFrequency + brush.wiggleOffset) * kTwoPi) * w * brush.wiggle * 10.0;
    }
    if (brush.noise != 0.0) {
        const double x = (record.clusterSeed * 0.001 + s) * brush.noiseFrequency + brush.noiseOffset;
        const double amplitude = w * brush.noise * 10.0;
        a += (Noise1(x * 3.14 + 0.11) * 0.2 + Noise1(x)) * amplitude;
        b += (Noise1(x * 3.14 + 0.61) * 0.2 + Noise1(x + 0.231)) * amplitude;
    }

    const bool turbulent = brush.turbulence != 0.0 && (brush.turbulenceType == 3 || brush.turbulenceType == 4);
    const double f = globalScale != 0.0 ? brush.turbulenceFrequency / globalScale : 0.0;
    const double k = globalScale * 0.1 * brush.turbulence;
    const float time = static_cast<float>(brush.turbulenceSpeed * brush.time);
    if (turbulent && brush.turbulenceType == 3) {
        const TFLVector r = reference - path;
        const TTurbulenceSample v = SampleTurbulence(static_cast<float>(Dot(r, side) * f + brush.turbulenceOffsetX),
                                                     static_cast<float>(Dot(r, D) * f + brush.turbulenceOffsetY),
                                                     static_cast<float>(Dot(r, N) * f + brush.turbulenceOffsetZ), time,
                                                     brush.turbulenceInterpolation);
        a += v.x * k;
        b += v.y * k;
    }

    // Both axes are perpendicular to u: (u.y, -u.x, 0) / q and
    // (-u.z u.x, -u.z u.y, q^2) / q, in local coordinates.
    TFLVector local{a * u.y / q, -a * u.x / q, 0.0};
    if (b != 0.0) {
        local.x += b * (-u.z * u.x) / q;
        local.y += b * (-u.z * u.y) / q;
        local.z += b * q;
    }
    TFLVector world = side * local.x + D * local.y + N * local.z;

    if (turbulent && brush.turbulenceType == 4) {
        const TTurbulenceSample v = SampleTurbulence(static_cast<float>(path.x * f + brush.turbulenceOffsetX),
                                                     static_cast<float>(path.y * f + brush.turbulenceOffsetY),
                                                     static_cast<float>(path.z * f + brush.turbulenceOffsetZ), time,
                                                     brush.turbulenceInterpolation);
        world = world + TFLVector{v.x * k, v.y * k, v.z * k};
    }

    // The displacement grows in over the first segments × delay.
    double factor = 1.0;
    if (brush.displacementDelay != 0.0) {
        const double span = brush.segments * brush.displacementDelay;
        if (span > 0.0) factor = std::fmin(1.0, t / span);
    }
    record.drawnPoint = path + world * factor;
}
