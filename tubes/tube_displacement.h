// The sideways displacement of a tube state: the drawn point is the path
// point pushed across the tube by curl, wiggle, noise and the displacing
// turbulence types 3 and 4. Stateless: nothing is carried between states.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "tubes/particle_cache.h"

struct TBrushRecord;

// Writes record.drawnPoint from record.pathPoint. u is the tube's direction
// in the frame's local coordinates, t the segments done at this state,
// reference the stroke point the type-3 turbulence is measured from, n the
// brush's segments.
void DisplaceTubePoint(const TBrushRecord& brush, TpaintParticleCacheData& record, const TFLVector& u, double t,
                       const TFLPoint& reference, const TFLVector& side, const TFLVector& D, const TFLVector& N,
                       double globalScale, int32_t n);
