// TFL3dView: the small viewer the wireframe preview draws its lines into.
// It is never a real 3-D view: it looks along +z from the origin.
#pragma once

#include <cstdint>

#include "base/geometry.h"

class TFL3dView {
public:
    TFL3dView() = default;
    virtual ~TFL3dView() = default;

    bool IsThreeD() const { return false; }
    TFLVector ViewDirection() const { return viewDirection; }
    TFLPoint EyePoint() const { return eye; }

    // Records the preview size and the aspect factors that map world x in
    // [0, aspectX] and y in [0, aspectY] onto it.
    void SetPreviewSize(int32_t previewWidth, int32_t previewHeight);
    // One line of the preview; nothing without a drawing port.
    void DrawLine(const TFLPoint& p, const TFLPoint& q);

    double penColour[3] = {1.0, 1.0, 1.0};
    double savedColour[4] = {1.0, 1.0, 1.0, 1.0};
    TFLVector viewDirection{0.0, 0.0, 1.0};
    TFLPoint eye{0.0, 0.0, 0.0, 1.0};

    // Wireframe preview.
    bool drawingOff = false;
    void* drawingPort = nullptr;  // the device context lines go to (NativeDC); none: nothing is drawn
    int32_t width = 0;
    int32_t height = 0;
    double aspectX = 1.0;
    double aspectY = 1.0;
    int32_t linesDrawn = 0;  // lines that reached a drawing port
};
