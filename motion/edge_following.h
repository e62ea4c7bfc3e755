// Following or crossing the edges of what is already painted: the term
// reads the brightness of the canvas's colour layer 0 around a point ahead
// of the brush.
#pragma once

#include "base/geometry.h"

class TBrushWalker;
class TPaintCanvas;

// Brightness gradient around window point (x, y), in window directions (y
// down), scaled and limited to a length of at most 8. Zero without a canvas
// or a usable layer 0.
TFLVector EdgeGradient(const TPaintCanvas* canvas, double x, double y);

// cross false: along the edges; true: across them. Always turned to agree
// with the current velocity.
TFLVector EdgeTerm(const TBrushWalker& walker, const TFLVector& p0, bool cross, const TPaintCanvas* canvas);
