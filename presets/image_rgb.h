// Planar RGB images (magic 474, big-endian, a 512-byte header): one byte
// per channel, 3 or 4 channels stored as separate planes of scanlines,
// verbatim or run-length coded, scanline 0 at the bottom of the picture.
#pragma once

#include <memory>

#include "presets/image_bytes.h"

class CPPixelBucket;

constexpr size_t kPlanarRgbHeaderSize = 512;
constexpr uint32_t kPlanarRgbMagic = 474;

struct SPlanarRgbInfo {
    uint32_t storage = 0;  // 0 verbatim, 1 run-length
    uint32_t bytesPerChannel = 0;
    uint32_t dimension = 0;
    uint32_t xSize = 0;
    uint32_t ySize = 0;
    uint32_t zSize = 0;  // channels
    uint32_t colourMap = 0;
};

// True for an acceptable header: magic 474, storage 0 or 1, one byte per
// channel, dimension 2 or more, 3 or 4 channels, colour-map kind 0 to 3.
bool ReadPlanarRgbHeader(const SImageBytes& file, SPlanarRgbInfo* out);

// Decodes into an owning bottom-up bucket of 24 bits (3 channels) or 32 bits
// (4 channels, bytes B, G, R, A), picture upright. Scanlines missing from a
// short file, or whose run-length table entry points outside the file, stay
// zero; runs past the end of a scanline are clipped. None when the header
// is not acceptable, the size is refused, or no scanline could be read.
std::unique_ptr<CPPixelBucket> DecodePlanarRgb(const SImageBytes& file);
