// TPaintContext: everything the stroke painter works on. Two painter slots
// (brush, stroke state, images and the geometry of the stroke in progress),
// the canvas object, the 3-D view of the wireframe preview and a list of
// strokes. The frame driver makes one at start-up and destroys it on close.
#pragma once

#include <cstdint>

#include "platform/native.h"
#include "platform/tt_array.h"
#include "base/geometry.h"
#include "shell/fl_stroke.h"
#include "stroke/stroke_driver.h"

class CPOffscreen;
class CPPixelBucket;
class TboundingBox;
class TFL3dView;
class TPaintCanvas;
struct TBrushRecord;

constexpr int kPainterSlots = 2;

struct TPainterSlot {
    int32_t pointCount = 1;  // points received in the current stroke
    int32_t seedIndex = 0;   // noise table index of this painter
    TFLVector previousUp{0.0, 0.0, 1.0};
    TFLVector currentUp{0.0, 0.0, 1.0};
    TFLPoint previousPoint{0.0, 0.0, 0.0, 1.0};
    TBrushRecord* brush = nullptr;   // owned
    TboundingBox* stroke = nullptr;  // owned stroke state
    // Owned images set by the preset loader.
    CPPixelBucket* textureImage = nullptr;
    CPPixelBucket* leafImage = nullptr;
    CPPixelBucket* flowerImage = nullptr;
    // A finished stroke's tubes growing out step by step (BeginCompletion).
    TCompletionRun completion;
};

class TPaintContext {
public:
    TPaintContext();
    virtual ~TPaintContext();
    TPaintContext(const TPaintContext&) = delete;
    TPaintContext& operator=(const TPaintContext&) = delete;

    // Binds the canvas surface as layer 0; with depth the canvas also gets
    // its background copy, two working layers and two depth layers.
    void AttachCanvas(CPOffscreen* surface, bool depth);
    // The stroke at index, or none when the index is out of range.
    void SelectStroke(int32_t index);
    // Readies a painter's stroke state and the canvas for its brush.
    void AttachBrush(int32_t painter);

    // The painter operations (render/stroke_driver.cpp). changed is the
    // painted rectangle in canvas pixels, rows counted from the bottom.
    // Painter indexes other than 0 and 1 do nothing.
    void StartStroke(const TFLPoint& p, int32_t painter);
    void ContinueStroke(TRect& changed, const TFLPoint& p, int32_t painter);
    void CompleteStroke(TRect& changed, const TFLPoint& p, int32_t painter);
    // CompleteStroke spread over calls: BeginCompletion ends the stroke and
    // answers whether tubes are left to grow; each StepCompletion grows them
    // one step and answers whether any still grow. Begin followed by Steps
    // until false paints what CompleteStroke paints. The wireframe preview
    // completes in the one call.
    bool BeginCompletion(TRect& changed, const TFLPoint& p, int32_t painter);
    bool StepCompletion(TRect& changed, int32_t painter);

    bool flag = true;  // not read by the shell
    TPainterSlot slot[kPainterSlots];
    TPaintCanvas* canvas = nullptr;  // owned
    TFL3dView* view = nullptr;       // owned
    CPOffscreen* surface = nullptr;  // bound by AttachCanvas, not owned
    TTArray<CFLStroke*> strokes{16};  // elements owned
    CFLStroke* currentStroke = nullptr;
    bool wireframe = false;  // draw lines into the 3-D view instead of stamps
    bool smoothUp = true;    // smooth the stroke's up vector from point to point
    // When attached, ContinueStroke appends every new point here. Not owned.
    TTArray<SFLPoint>* pointRecorder = nullptr;
};

// A window pixel as a canvas point: the longer window side spans 0 to 1
// (sx, sy are the window's sides over the longer one) and y grows upward.
TFLPoint ScreenToCanvas(int32_t px, int32_t py, const TRect& r, double sx, double sy);
