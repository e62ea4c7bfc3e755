// The stroke painting driver: every move of a painter's brush becomes the
// paint of one segment (PaintSegment), and a finished stroke lets its tubes
// grow out (PaintCompletion). The painter operations of the paint context
// (StartStroke, ContinueStroke, CompleteStroke) are built on these.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "platform/native.h"

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

// The canvas's dirty rectangle as a changed rectangle, held to the canvas
// so that a stamp reaching past the edge never asks for a blit outside it.
TRect ChangedRect(const TPaintCanvas& canvas);
// A changed rectangle that holds nothing.
TRect NothingChanged();
