// The wireframe preview: the twins of the stroke driver's paint operations
// that draw each body segment or moved tube segment as one line into the
// 3-D view instead of stamping it. The tubes grow exactly as when painted.
#pragma once

#include <cstdint>

#include "base/geometry.h"

struct TBrushRecord;
class TboundingBox;
class TFL3dView;
class TubeParticleCache;

void WireSegment(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                 const TFLVector& previousUp, const TFLVector& currentUp, int32_t randomIndex, TFL3dView& view,
                 TboundingBox& stroke);
void WireCompletion(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                    const TFLVector& previousUp, const TFLVector& currentUp, TFL3dView& view, TboundingBox& stroke);
// The body line of a segment; advances the texture carry even when the
// segment falls into a gap or outside the time window.
void WireBodyLine(const TBrushRecord& brush, TFL3dView& view, const TFLPoint& a, const TFLPoint& b,
                  int32_t segmentIndex, TboundingBox& stroke);
// The line of every living tube from its last drawn point to its current one.
void WireTubeLines(TFL3dView& view, TboundingBox& stroke);
