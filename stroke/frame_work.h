// The work one frame may do. A brush that asks for far more paint than a
// frame can lay (a mistyped preset, a careless download) would otherwise
// turn the saver into a slideshow. The work is counted, not timed, so that
// the same start second paints the same picture on every machine: stamps
// laid, the pixels those stamps cover (what a stamp costs grows with its
// size), and tube records grown. A frame that reaches any ceiling ends its
// remaining passes as it does on input, and painting goes on at the next
// frame. The ceilings sit well above what any shipped preset does in a
// frame at 3840x2160 (docs/work-bounds.md has the figures), so they only
// stop brushes that could not be painted in time anyway.
#pragma once

#include <cstdint>

class TPaintCanvas;

// Stamps one frame may lay.
constexpr int64_t kFrameStampCeiling = 300000;
// Tube records one frame may grow (each living tube of a growth step is one).
constexpr int64_t kFrameTubeStepCeiling = 50000;
// Stamp pixels one frame may write, as a multiple of the canvas's own pixels:
// the pixels a frame's stamps cover grow with the canvas as its area does.
constexpr double kFramePixelCeiling = 20.0;

// The frame's running count; process-wide, as the frame it belongs to is
// (one saver run per process).
struct TFrameWork {
    int64_t stampsAtStart = 0;  // the canvas's running stamp count when the frame began
    int64_t tubeSteps = 0;      // tube records grown since the frame began
    int64_t pixels = 0;         // stamp pixels of the segments finished since the frame began
    int64_t segmentPixelsAtStart = 0;  // the canvas's segment pixel count when the frame began
    int64_t stampCeiling = kFrameStampCeiling;
    int64_t tubeStepCeiling = kFrameTubeStepCeiling;
    double pixelCeiling = kFramePixelCeiling;  // times the canvas's pixels
};

TFrameWork& FrameWork();
// The frame driver calls this as each frame begins.
void StartFrameWork(const TPaintCanvas& canvas);
// The stroke painters count every growth step's tube records here.
void CountTubeSteps(int64_t records);
// A segment begins: its stamp pixels so far go to the frame's count, and the
// canvas's two per-segment counters start again from 0.
void StartSegmentWork(TPaintCanvas& canvas);
// Stamps laid on the canvas since the frame began.
int64_t FrameStamps(const TPaintCanvas& canvas);
// Stamp pixels written since the frame began.
int64_t FramePixels(const TPaintCanvas& canvas);
// The frame's pixel ceiling on this canvas.
int64_t FramePixelCeiling(const TPaintCanvas& canvas);
// Either ceiling reached: the frame must end.
bool FrameWorkSpent(const TPaintCanvas& canvas);
// Back to a fresh process: counts zero, the shipped ceilings.
void ResetFrameWorkForTests();

// The stroke painters' test between expensive steps: input waits (the input
// poll, whose counting it keeps), or the frame's work is spent.
bool PaintingMustStop(TPaintCanvas& canvas);
