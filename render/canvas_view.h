// The viewing parts of the canvas: where the canvas sits and the two camera
// kinds. The queries that use them (project, distance from the eye, ...)
// are TPaintCanvas members, written in canvas_view.cpp.
#pragma once

#include <cstdint>

#include "base/geometry.h"

// The canvas's rectangle; left and top are subtracted from projected x and
// y in the plane mapping and the camera transform.
struct TCanvasPlacement {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

// Kind 1: a world-to-pixel transform with an eye and a viewing direction.
struct TFLCamera {
    TFLTransform transform;
    TFLPoint eye{0.0, 0.0, 0.0, 1.0};
    TFLVector viewDirection{0.0, 0.0, -1.0};
};

// Kind 2: a world-to-camera transform followed by a perspective divide, or
// by a projection transform when orthographic.
struct TFLProjectionCamera {
    bool orthographic = false;
    TFLTransform worldToCamera;
    TFLTransform projection;
    TFLPoint eye{0.0, 0.0, 0.0, 1.0};
    TFLVector viewDirection{0.0, 0.0, -1.0};
};
