// The stroke painting driver: every move of a painter's brush becomes the
// paint of one segment (PaintSegment), and a finished stroke lets its tubes
// grow out (PaintCompletion). The painter operations of the paint context
// (StartStroke, ContinueStroke, CompleteStroke) are built on these.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "platform/native.h"
#include "stroke/stroke_segment.h"

struct TBrushRecord;
class TPaintCanvas;
class TboundingBox;

// The tubes' time limit for segment i: the clipped stroke time when
// timeClip is on without gaps, else 100000.
double TubeTimeLimit(const TBrushRecord& brush, int32_t segmentIndex);

// The noise-seeded random index of a segment, between pointCount - 1 and
// pointCount + 65534.
int32_t SegmentRandomIndex(int32_t pointCount, int32_t seedIndex);

void PaintSegment(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                  const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1, int32_t randomIndex,
                  TPaintCanvas& canvas, TboundingBox& stroke);

void PaintCompletion(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                     const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1,
                     TPaintCanvas& canvas, TboundingBox& stroke);

// A completion lets the tubes grow out for at most this many steps.
constexpr int32_t kMaxCompletionSteps = 10000;

// A completion taken one step at a time, so that a slow pace lets the tubes
// of a finished stroke grow out at the pace they grew. PaintCompletion is
// BeginCompletion followed by StepCompletion until it answers false.
struct TCompletionRun {
    bool active = false;
    int32_t index = 0;  // segment index of the next step
    int32_t steps = 0;  // steps taken
    TFLPoint from;
    TFLPoint to;
    TFLVector delta;
    double g0 = 0.0;  // ground offsets at from and to
    double g1 = 0.0;
    double dh = 0.0;
    TFLVector previousUp{0.0, 0.0, 1.0};
    TFLVector currentUp{0.0, 0.0, 1.0};
    TSegmentFrame frame;
};

// Readies the run; false (with the particle cache cleared) when no tube is
// left to grow.
bool BeginCompletion(TCompletionRun& run, const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a,
                     const TFLPoint& b, const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1,
                     TboundingBox& stroke);
// Grows and paints the living tubes by one step; false once they are all
// complete (or the step limit or an input abort ends the run), and then the
// particle cache is cleared.
bool StepCompletion(TCompletionRun& run, const TBrushRecord& brush, TPaintCanvas& canvas, TboundingBox& stroke);

// The canvas's dirty rectangle as a changed rectangle, held to the canvas
// so that a stamp reaching past the edge never asks for a blit outside it.
TRect ChangedRect(const TPaintCanvas& canvas);
// A changed rectangle that holds nothing.
TRect NothingChanged();
