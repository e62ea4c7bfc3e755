// Sowing and growth of tubes. EmitTubes sows a stroke segment's new tubes
// into the cache's pending arrays; GrowTubes moves every living tube on by
// one segment (splitting it and sowing twigs, leaves and flowers on the way);
// FlexTubeLengths corrects the new segments toward their nominal length.
// All randomness is the noise table read by index.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "tubes/particle_cache.h"

struct TBrushRecord;

// Sows this segment's new tubes: i is the segment's index in the stroke,
// A and B its ends, (side, D, N) its frame, seed its noise-table index and
// L the tubes' time limit (100000 when not time clipped).
void EmitTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B, const TFLVector& side,
               const TFLVector& D, const TFLVector& N, double globalScale, double brushWidth, int32_t seed,
               double L, TubeParticleCache& cache);

// The stroke driver's form: the up vectors and the completion factor are
// passed along with the segment and have no effect on sowing.
inline void EmitTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B,
                      const TFLVector& /*previousUp*/, const TFLVector& /*currentUp*/, const TFLVector& side,
                      const TFLVector& D, const TFLVector& N, double globalScale, double brushWidth,
                      double /*completion*/, int32_t seed, double L, TubeParticleCache& cache) {
    EmitTubes(brush, i, A, B, side, D, N, globalScale, brushWidth, seed, L, cache);
}

// One growth step of every living tube, then the swap of the living arrays.
// Children go to the pending arrays. Called by AdvanceTubes.
void GrowTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B, const TFLVector& side,
               const TFLVector& D, const TFLVector& N, double globalScale, double L, TubeParticleCache& cache);

// Length correction after a step, on every living pair. Called by AdvanceTubes.
void FlexTubeLengths(const TBrushRecord& brush, TubeParticleCache& cache, double globalScale);

// The bias curve shaping u in [0, 1] by b in [-1, 1]: u at b = 0, bending
// toward 0 for negative and toward 1 for positive b.
double BiasCurve(double u, double b);
