// Bounds that keep the tube engine's work per call finite whatever a brush
// holds, and the checks that keep non-finite numbers out of tube records.
#pragma once

#include <cmath>
#include <cstdint>

#include "tubes/particle_cache.h"

// Segment counts (of tubes, twigs, leaves and petals) are held to this: a
// stroke's completion grows its tubes until the last one ends, so the count
// bounds how long that takes.
constexpr int32_t kMaxTubeSegments = 1000;
// Candidate children (branches and cluster members, kept or dropped out)
// one growth call may consider; far above what any brush makes in practice.
constexpr int32_t kChildAttemptBudget = 200000;
// Candidate tubes one sowing call may consider.
constexpr int32_t kSowingAttemptBudget = 2 * kParticleCacheLimit;

// trunc(v) as an int32: NaN gives 0, values beyond the range the nearest end.
inline int32_t TruncInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

inline int32_t ClampSegments(int32_t n) { return n < 1 ? 1 : (n > kMaxTubeSegments ? kMaxTubeSegments : n); }

// The brush's segments as growth uses it: at least 1, at most the cap.
inline int32_t TubeSegments(int32_t segments) { return ClampSegments(segments); }

inline bool IsFinitePoint(const TFLPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

// Every number of a record that growth or painting computes with is finite.
inline bool IsFiniteRecord(const TpaintParticleCacheData& r) {
    double sum = r.segmentLength + r.width + r.widthStep + r.spiral + r.flatness + r.flatnessStep + r.twist +
                 r.shade + r.depth;
    for (int c = 0; c < 3; ++c)
        sum += r.colour[c] + r.colourStep[c] + r.transparency[c] + r.transparencyStep[c] + r.incandescence[c] +
               r.incandescenceStep[c];
    // A sum of finite values can still overflow to infinity: that too is refused.
    return std::isfinite(sum) && IsFinitePoint(r.drawnPoint) && IsFinitePoint(r.pathPoint);
}
