// Small vector and schedule helpers of the walker and its force terms.
#pragma once

#include <cmath>

#include "base/geometry.h"

// Normalises v when its length is not 0 (and finite); otherwise leaves it.
inline void NormalizeNonZero(TFLVector& v) {
    const double length = std::sqrt(SquaredLength(v));
    if (length > 0.0 && std::isfinite(length)) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    }
}

inline bool IsFiniteVector(const TFLVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

inline bool IsZeroVector(const TFLVector& v) { return v.x == 0.0 && v.y == 0.0 && v.z == 0.0; }

// True on the steps whose whole step count is a multiple of period.
inline bool EveryNthStep(double stepCount, double period) {
    return std::fmod(std::trunc(stepCount), period) == 0.0;
}
