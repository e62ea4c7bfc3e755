// Painting the tube segments that moved: every living tube of the stroke's
// particle cache is stamped from its previous to its current point.
#pragma once

#include "stroke/stroke_segment.h"

struct TBrushRecord;
class TPaintCanvas;
class TboundingBox;

// Root and tip fade lengths in segments and the shared fade exponent.
struct TTubeFades {
    double rootLength = 0.0;  // 0: no root fade
    double tipLength = 0.0;   // 0: no tip fade
    double exponent = 1.0;
};
TTubeFades TubeFades(const TBrushRecord& brush);
// The fade factor of a tube end at done segments out of total, in [0, 1].
double TubeFadeFactor(const TTubeFades& fades, double done, double total);

void PaintTubeSegments(const TBrushRecord& brush, const TStrokeSegment& segment, TPaintCanvas& canvas,
                       TboundingBox& stroke);
