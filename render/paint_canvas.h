// TPaintCanvas: the layers the stamps land on. Layer 0 is the canvas
// surface's own pixels; with depth on, layer 1 is the background copy,
// layers 2 and 3 hold the unsettled front paint, and two float depth layers
// say how far each painted pixel is.
#pragma once

#include <cstdint>

#include "render/canvas_shading.h"
#include "render/canvas_view.h"
#include "base/geometry.h"

class TFL3dView;
struct TStampSpanArgs;

constexpr int kCanvasColourLayers = 6;
constexpr int kCanvasDepthLayers = 5;
constexpr float kEmptyDepth = 1e6f;

// The dirty rectangle's "nothing painted yet" values.
constexpr int32_t kDirtyNone = 999999;

// One colour layer. Rows are addressed counted from the bottom of the
// picture: with topDown set, row y lives at memory row height - 1 - y.
struct TCanvasLayer {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;
    int16_t bitsPerPixel = 0;
    int16_t bytesPerPixel = 0;
    bool topDown = false;
    bool external = false;  // the pixels belong to the caller and are never freed

    // Memory row of the picture row y counted from the bottom.
    uint8_t* Row(int32_t y) const {
        const int32_t memoryRow = topDown ? height - 1 - y : y;
        return pixels + static_cast<intptr_t>(memoryRow) * rowStride;
    }
};

// The depth fade: a stamp at depth z fades toward the fade colour by
// f = clamp((z - nearDepth) / (farDepth - nearDepth), 0, 1).
struct TDepthFade {
    bool enabled = true;
    double farDepth = 1.0;
    double nearDepth = -0.5;
    double colour[3] = {1.0, 1.0, 1.0};  // red, green, blue in 0..1
    double gain[3] = {1.0, 1.0, 1.0};
};

// The input poll record behind UserWantsOut (render/input_poll.h): painting
// loops poll it between expensive steps so that the saver closes at once on
// input.
struct TInputPoll {
    bool lastResult = false;
    bool enabled = false;
    bool watchButtonsAndKeys = false;
    bool stopArmed = false;
    bool watchAnyInput = false;
    bool abortLatched = false;
    bool stopRequested = false;
    int32_t callsSincePoll = 0;
    int32_t interval = 1;
    // Where a real poll asks whether input waits; null asks the host
    // (PlatformInputPending). Tests put a fake here.
    bool (*inputPending)() = nullptr;

    void PollInit(bool armStop, bool watchButtons, int32_t pollInterval);
    void PollWatchAnyInput();
    void PollReset();
};

class TPaintCanvas {
public:
    TPaintCanvas() = default;
    ~TPaintCanvas();
    TPaintCanvas(const TPaintCanvas&) = delete;
    TPaintCanvas& operator=(const TPaintCanvas&) = delete;

    // Layers. Indexes of 6 or more (5 or more for depth layers) are ignored;
    // a layer whose allocation fails stays absent and every later fill or
    // copy of it does nothing.
    void SetExternalLayer(int index, uint8_t* pixels, int32_t width, int32_t height, int32_t rowStride,
                          bool topDown);
    void AddColourLayer(int32_t width, int32_t height, int index);
    void AddDepthLayer(int32_t width, int32_t height, int index);
    // Channels are 0..1 (clamped); alpha is 0.
    void FillColour(double r, double g, double b, int index);
    // Bottom row d, top row nearly c.
    void FillGradient(double cr, double cg, double cb, double dr, double dg, double db, int index);
    // Copies only between layers of equal width, height and bitsPerPixel.
    void CopyLayer(int from, int to);
    void ResetLayers();
    void ClearDepthLayer(int index);
    void ReleaseColourLayer(int index);
    void ReleaseDepthLayer(int index);
    void ResetDepthRange();
    void ResetDirtyRect();
    // Widens the dirty rectangle to cover [minX, maxX] x [minY, maxY].
    void WidenDirty(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) {
        if (minX < dirtyMinX) dirtyMinX = minX;
        if (minY < dirtyMinY) dirtyMinY = minY;
        if (maxX > dirtyMaxX) dirtyMaxX = maxX;
        if (maxY > dirtyMaxY) dirtyMaxY = maxY;
    }
    const TCanvasLayer* ColourLayer(int index) const {
        return index >= 0 && index < kCanvasColourLayers && layer[index].pixels ? &layer[index] : nullptr;
    }
    float* DepthLayer(int index) const {
        return index >= 0 && index < kCanvasDepthLayers ? depthLayer[index] : nullptr;
    }

    // Viewing queries (render/canvas_view.cpp).
    // Pixel x, y (rows counted from the bottom) and depth z of a world
    // point. In kind 0 with the projection on only x and y are mapped; z
    // keeps the world point's z.
    TFLPoint Project(const TFLPoint& world) const;
    // Signed distance from the eye: negative behind it.
    double DistanceFromEye(const TFLPoint& world) const;
    TFLVector ViewDirection() const;
    TFLPoint EyePoint() const;
    // Pixels covered by a world length; 0 when the projection is on.
    double PixelSize(double length) const;
    // Whether a projected point, widened by margin pixels, can touch the canvas.
    bool Visible(const TFLPoint& projected, double margin) const;
    void SetProjectionOn(bool on) { projectionOn = on; }
    bool ProjectionOn() const { return projectionOn; }

    // Flags.
    bool sixteenBit = false;  // owned colour layers hold four 16-bit channels

    // Dirty rectangle in layer pixels, rows counted from the bottom.
    int32_t dirtyMinX = kDirtyNone;
    int32_t dirtyMinY = kDirtyNone;
    int32_t dirtyMaxX = -kDirtyNone;
    int32_t dirtyMaxY = -kDirtyNone;

    int32_t width = 0;
    int32_t height = 0;
    int32_t layerCount = 0;  // one past the highest colour layer in use

    TDepthFade fade;
    TCanvasLayer layer[kCanvasColourLayers];
    double glow = 0.0;  // the attached brush's shaderGlow
    float* depthLayer[kCanvasDepthLayers] = {};
    int32_t depthWidth[kCanvasDepthLayers] = {};
    int32_t depthHeight[kCanvasDepthLayers] = {};
    float nearestDepth = 999999.0f;
    float farthestDepth = -999999.0f;
    int32_t changedLeft = 0;
    int32_t changedTop = 0;
    int32_t changedRight = 0;
    int32_t changedBottom = 0;
    TInputPoll poll;

    // Two counters the stroke driver clears at the start of every segment;
    // the stampers count stamps and stamp pixels of the segment in them.
    int32_t segmentStamps = 0;
    int32_t segmentPixels = 0;
    // Every stamp laid since the canvas was made (the benchmarks read it).
    int64_t stampsLaid = 0;

    // Viewing. The saver runs with kind 0 and the projection off: world x, y
    // are fractions of the longer canvas side.
    int32_t projectionKind = 0;  // 0 plane mapping, 1 camera transform, 2 perspective camera
    bool projectionOn = false;
    bool wrapX = false;  // the canvas tiles: no clipping on that axis
    bool wrapY = false;
    int32_t referenceWidth = 0;  // turns world lengths into pixels with the projection off
    int32_t referenceHeight = 0;
    TCanvasPlacement placement;
    double panX = 0.0;
    double panY = 0.0;
    double zoomX = 1.0;
    double zoomY = 1.0;
    TFLCamera camera;                      // kind 1
    TFLProjectionCamera projectionCamera;  // kind 2
    TFL3dView* view3d = nullptr;           // the viewer of kind 0; not owned

    // The stamper every painted span goes to; null picks StampSpanDepth for
    // projection kind 2 and StampSpan otherwise. Tests and tools put their
    // own here.
    void (*spanStamper)(const TStampSpanArgs&) = nullptr;

    // State read only by the stamping and shading.
    TCanvasShading shading;

private:
    void TakeSize(int32_t newWidth, int32_t newHeight);
    void MarkChanged();
};
