// One move of a painter's brush as the stroke driver hands it on: the
// segment from the previous point A to the new point B with its up vectors,
// ground offsets and local frame.
#pragma once

#include <cstdint>

#include "base/geometry.h"

struct TSegmentFrame {
    TFLVector side{1.0, 0.0, 0.0};
    TFLVector direction{0.0, 1.0, 0.0};  // along the stroke
    TFLVector up{0.0, 0.0, 1.0};
};

struct TStrokeSegment {
    int32_t index = 0;  // segment index within the stroke; 0 starts the texture afresh
    TFLPoint a;
    TFLPoint b;
    TFLVector previousUp{0.0, 0.0, 1.0};
    TFLVector currentUp{0.0, 0.0, 1.0};
    double h0 = 0.0;  // ground offsets at A and B
    double h1 = 0.0;
    TSegmentFrame frame;
};

// The frame of a segment: direction B - A, up the previous up, side their
// cross product, each normalised with the guard (a zero-length segment
// keeps its zero direction).
TSegmentFrame SegmentFrame(const TFLPoint& a, const TFLPoint& b, const TFLVector& previousUp);

// Points further than this from the canvas (in canvas units, the canvas
// being 1 wide) cannot be painted: their segments are skipped.
constexpr double kMaxPaintableCoordinate = 1e6;
bool PaintablePoint(const TFLPoint& p);
