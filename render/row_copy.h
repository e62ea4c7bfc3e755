// Copying the rows of one image into another of the same shape, each image
// keeping its own row order.
#pragma once

#include <cstdint>

struct TImageRows {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;
    int32_t pixelSize = 0;  // bytes
    bool bottomUp = true;   // memory row 0 is the bottom row of the picture
};

// Refused (false) when either image has no pixels or their widths, heights
// or pixel sizes differ; otherwise every row is copied (the shorter of the
// two strides) and the answer is true.
bool CopyImageRows(const TImageRows& from, const TImageRows& to);
