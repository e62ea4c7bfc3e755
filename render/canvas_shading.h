// The canvas state that only the stamping and shading read: the dither
// position, the depth-reset flag, the background colour that erasing
// restores, the smear and blur scratch images and an optional mirror.
#pragma once

#include <cstdint>
#include <vector>

struct TCanvasLayer;

struct TCanvasShading {
    // Index into the noise table of the next dither value; advances by one
    // for every channel written with dither.
    int32_t ditherCounter = 0;

    // Set by the stroke driver when a new stamp run begins; a smear brush
    // then takes its paint from under the first stamp of the run.
    bool newRun = false;

    // Erasing resets the depth buffers to the projection's far value instead
    // of "empty" when set.
    bool depthReset = false;

    // The background colour an erase stamp paints back (0..1 each).
    double background[3] = {0.0, 0.0, 0.0};

    // When set, every pixel written into colour layer 0 is copied here too
    // (same width and height; 4 or 8 bytes a pixel).
    TCanvasLayer* mirror = nullptr;

    // Smear and blur brushes: where the paint under the stamp is read from,
    // and two scratch images of the stamp's pixel box that the blur passes
    // alternate between. They only grow, so a run of stamps allocates once.
    int32_t smearOriginX = 0;
    int32_t smearOriginY = 0;
    int32_t scratchWidth = 0;
    int32_t scratchHeight = 0;
    int32_t scratchBytesPerPixel = 4;
    int32_t scratchCurrent = 0;  // which of the two holds the prepared pixels
    std::vector<uint8_t> scratch[2];
};
