// The one step of a preset load that belongs to the brush image decoders:
// turning the image a brush names for one slot into pixels and a texture
// handle. The preset loader calls only these two; the decoders and the
// image table stay behind them (brush_image_hook.cpp).
#pragma once

#include <cstdint>
#include <memory>

class CPPixelBucket;
struct TBrushRecord;

// The image slots of a brush, in loading order.
enum TBrushImageSlot : int32_t {
    kBrushImageTexture = 0,  // imageName, the tube texture
    kBrushImageLeaf = 1,     // leafImage
    kBrushImageFlower = 2,   // flowerImage
};

// Decodes imagesFolder + the slot's image name into an owning bucket, or
// null when the name is empty, the slot unknown, or the file is missing or
// cannot be decoded.
std::unique_ptr<CPPixelBucket> LoadBrushImageForSlot(const char* imagesFolder, const TBrushRecord& record,
                                                     int32_t slot);

// Describes a loaded image in the process-wide image table and answers its
// 1-based texture handle, or 0 when it cannot be registered.
int32_t RegisterBrushImage(const CPPixelBucket& image);
