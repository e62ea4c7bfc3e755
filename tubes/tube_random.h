// The tube engine's randomness: the noise table read by index. T(i) is the
// table value in [-1, 1], U(i) = (T(i) + 1) / 2 in [0, 1]. Indexes are
// 64-bit here so that counters plus offsets never overflow; the table
// reads |i| modulo its size.
#pragma once

#include <cstdint>

#include "base/random.h"

inline double TubeT(int64_t index) {
    int64_t k = index < 0 ? -index : index;
    if (k >= kNoiseTableSize) k %= kNoiseTableSize;
    return NoiseValue(static_cast<int32_t>(k));
}

inline double TubeU(int64_t index) { return (TubeT(index) + 1.0) * 0.5; }

// A child's seed from a counter: trunc(U(counter) * 65535).
inline int32_t TubeSeed(int64_t counter) { return static_cast<int32_t>(TubeU(counter) * 65535.0); }
