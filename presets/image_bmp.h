// Uncompressed Windows bitmap files (.bmp, .dib): 24 or 32 bits per pixel,
// BI_RGB, rows stored bottom-up (positive height) or top-down (negative).
#pragma once

#include <memory>

#include "presets/image_bytes.h"

class CPPixelBucket;

// The header fields the decoder uses, as found in the file.
struct SBitmapFileInfo {
    uint32_t dataOffset = 0;
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;  // negative: rows stored top-down
    uint32_t bitsPerPixel = 0;
    uint32_t compression = 0;
};

// Reads the file and info headers. True for an acceptable bitmap: magic
// "BM", info header of 40 or 108 bytes, positive width, nonzero height,
// 24 or 32 bits per pixel, compression 0 (so bit fields are refused).
bool ReadBitmapHeader(const SImageBytes& file, SBitmapFileInfo* out);

// Decodes an acceptable bitmap into an owning bottom-up bucket of the
// file's depth, picture upright: the picture's top row is Row(0) whichever
// way the file stores its rows. A file cut short gives the rows it holds
// (the rest stay zero); none when the header is not acceptable, the size
// is refused by the image limits, or not one pixel row is in the file.
std::unique_ptr<CPPixelBucket> DecodeBitmap(const SImageBytes& file);
