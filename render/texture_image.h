// Image textures: a loaded brush image read as a texture.
//
// Orientation: u runs up the picture and v across it, so that on a stroke
// (u across the stamp, growing to the left of the direction of travel; v
// along the stroke) the image stands upright with its left edge toward
// the start of the stroke. u = 0 is the bottom edge of the picture and
// u = 1 its top edge, whatever the memory order of its rows.
//
// Edges: v wraps, so the image repeats along the stroke; u is held to the
// picture (clamped), because across the stroke the image spans the stamp
// once and its rim must show the image's own edge rows, not the opposite
// ones.
#pragma once

#include <cstdint>

class TImagePyramid;
struct TImageWrapper;

// The texels of one image as the sampler reads them; empty (not Valid)
// for an entry that cannot be read safely.
struct TTextureImage {
    const uint8_t* pixels = nullptr;  // memory row 0
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;     // bytes
    int32_t bytesPerPixel = 0; // 3 (B, G, R) or 4 (B, G, R, A)
    bool topDown = false;      // memory row 0 is the top row
    bool alpha = false;        // the fourth byte is alpha
    const TImagePyramid* pyramid = nullptr;  // halved copies, when there are any

    bool Valid() const { return pixels != nullptr; }
};

// The readable view of an image table entry: 3 or 4 bytes per pixel, rows
// long enough for the width. Anything else (null pixels, zero size, other
// depths, a stride too short) gives an empty view.
// pyramid (may be null) holds the entry's halved copies.
TTextureImage TextureImageOf(const TImageWrapper* entry, const TImagePyramid* pyramid = nullptr);

// Colour and alpha (each 0..1) of the image at (u, v), filtered over a
// footprint of du x dv in texture units (each clamped to [0, 1]): one
// bilinear tap while a pixel covers at most one texel, else one tap per
// texel of the footprint spread evenly over it, up to four per axis (a
// pixel wider than four texels still averages its whole footprint, more
// coarsely). A footprint wider than two texels in both directions, or
// than eight in either, is read from the first halved copy on which it is
// neither. Images
// without alpha answer alpha 1. The image must be Valid; u, v, du, dv
// finite.
void SampleTextureImage(const TTextureImage& image, double u, double v, double du, double dv, double out[4]);

// The image a footprint of du x dv reads: the image itself, or the halved
// copy described above (without further copies). A sampler that keeps the
// footprint for a whole stamp chooses once and calls SampleTextureImageLevel.
TTextureImage TextureImageLevelFor(const TTextureImage& image, double du, double dv);
// SampleTextureImage on the given image as it is, without choosing a copy.
void SampleTextureImageLevel(const TTextureImage& image, double u, double v, double du, double dv, double out[4]);
