// Painting the stroke body of a segment: its light, its texture coordinate
// span along the stroke, and the span handed to the stamper.
#pragma once

#include <cstdint>

#include "render/light_record.h"
#include "stroke/stroke_segment.h"

struct TBrushRecord;
class TPaintCanvas;
class TboundingBox;

// The single directional light a brush lights itself with: white, from
// minus (lightDirectionX, Y, Z).
LightRecord DefaultBrushLight(const TBrushRecord& brush);

// The along-stroke texture coordinates of a body span, before the flow
// offset. length is |B - A|; carry the coordinate the last segment reached.
struct TBodyTexture {
    double start = 0.0;
    double end = 0.0;
};
TBodyTexture BodyTextureSpan(const TBrushRecord& brush, int32_t segmentIndex, double length, double carry);

// The flow offset -(time x flowSpeed); 0 when that is not a number.
double FlowOffset(const TBrushRecord& brush);

void PaintStrokeBody(const TBrushRecord& brush, const TStrokeSegment& segment, TPaintCanvas& canvas,
                     TboundingBox& stroke);
