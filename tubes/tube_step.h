// What one growth or sowing call fixes once from the brush: the segment
// count, the force and attraction scales, the constant push, the
// turbulence strength and whether states are displaced; and the frame
// helpers both use.
#pragma once

#include <cmath>
#include <cstdint>

#include "presets/brush_record.h"
#include "base/geometry.h"
#include "tubes/tube_limits.h"

struct TTubeStepScales {
    int32_t n = 1;             // the brush's segments, held to [1, kMaxTubeSegments]
    double S = 0.0;            // force scale: lengthMax * 10 / n^2 * globalScale
    double G = 0.0;            // attraction scale, without globalScale
    TFLVector F;               // uniform force plus gravity, times S
    double turbulenceAmplitude = 0.0;
    double turbulenceFrequency = 0.0;
    bool displacementActive = false;
};

inline TTubeStepScales MakeTubeStepScales(const TBrushRecord& brush, double globalScale) {
    TTubeStepScales k;
    k.n = TubeSegments(brush.segments);
    const double n2 = static_cast<double>(k.n) * k.n;
    k.G = brush.lengthMax * 10.0 / n2;
    k.S = k.G * globalScale;
    k.F = TFLVector{brush.uniformForceX, brush.uniformForceY - brush.gravity, brush.uniformForceZ} * k.S;
    if (brush.turbulenceType != 0) {
        k.turbulenceAmplitude = k.S * brush.turbulence * 0.1;
        k.turbulenceFrequency = globalScale != 0.0 ? brush.turbulenceFrequency / globalScale : 0.0;
    }
    k.displacementActive = brush.curl != 0.0 || brush.wiggle != 0.0 || brush.noise != 0.0 ||
                           (k.turbulenceAmplitude != 0.0 && (brush.turbulenceType == 3 || brush.turbulenceType == 4));
    return k;
}

inline TFLVector ToLocal(const TFLVector& v, const TFLVector& side, const TFLVector& D, const TFLVector& N) {
    return {Dot(v, side), Dot(v, D), Dot(v, N)};
}

inline TFLVector ToWorld(const TFLVector& l, const TFLVector& side, const TFLVector& D, const TFLVector& N) {
    return side * l.x + D * l.y + N * l.z;
}

// The unit local direction u turned away from itself by the elevation e at
// azimuth az around it (local coordinates).
inline TFLVector ChildDirection(const TFLVector& u, double e, double az) {
    const double q = std::fmax(0.00001, std::sqrt(u.z * u.z + u.x * u.x));
    const double se = std::sin(e);
    const double ce = std::cos(e);
    const double bx = -std::sin(az) * se;
    const double by = std::cos(az) * se;
    return {(u.z * bx - u.y * u.x * by) / q + ce * u.x, ce * u.y + q * by,
            (-u.x * bx - u.y * u.z * by) / q + ce * u.z};
}
