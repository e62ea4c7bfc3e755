// TPaintCanvas: the layers the stamps land on. Layer 0 is the canvas
// surface's own pixels; with depth on, layer 1 is the background copy,
// layers 2 and 3 hold the unsettled front paint, and two float depth layers
// say how far each painted pixel is.
#pragma once

#include <cstdint>

#include "render/canvas_shading.h"

constexpr int kCanvasColourLayers = 6;
constexpr int kCanvasDepthLayers = 5;
constexpr float kEmptyDepth = 1e6f;

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

// The input poll record behind UserWantsOut: painting loops poll it between
// expensive steps so that the saver closes at once on input.
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

    void SetExternalLayer(int index, uint8_t* pixels, int32_t width, int32_t height, int32_t rowStride,
                          bool topDown);
    void AddColourLayer(int32_t width, int32_t height, int index);
    void AddDepthLayer(int32_t width, int32_t height, int index);
    void FillColour(double r, double g, double b, int index);
    void FillGradient(double cr, double cg, double cb, double dr, double dg, double db, int index);
    void CopyLayer(int from, int to);
    void ResetLayers();
    void ClearDepthLayer(int index);
    void ReleaseColourLayer(int index);
    void ReleaseDepthLayer(int index);
    void ResetDepthRange();
    void ResetDirtyRect();

    // Flags.
    bool sixteenBit = false;  // owned colour layers hold four 16-bit channels

    // Dirty rectangle in layer pixels, rows counted from the bottom.
    int32_t dirtyMinX = 999999;
    int32_t dirtyMinY = 999999;
    int32_t dirtyMaxX = -999999;
    int32_t dirtyMaxY = -999999;

    int32_t width = 0;
    int32_t height = 0;
    int32_t layerCount = 0;  // one past the highest colour layer in use

    TDepthFade fade;
    TCanvasLayer layer[kCanvasColourLayers];
    double glow = 0.0;  // the attached brush's shaderGlow
    float* depthLayer[kCanvasDepthLayers] = {};
    float nearestDepth = 999999.0f;
    float farthestDepth = -999999.0f;
    int32_t changedLeft = 0;
    int32_t changedTop = 0;
    int32_t changedRight = 0;
    int32_t changedBottom = 0;
    TInputPoll poll;

    // State read only by the stamping and shading.
    TCanvasShading shading;
};
