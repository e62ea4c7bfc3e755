// The process-wide table of loaded brush images. The renderer reaches an
// image by its 1-based index (the texture handle); an entry describes the
// pixels of an owning bucket held by a painter slot without owning them.
//
// Orientation: every decoded brush image is bottom-up with the picture
// upright, like the canvas layers: memory row 0 is the bottom row of the
// picture as an image viewer shows it, so a sampler counting rows from the
// bottom sees the image the right way up. topDown is 0 for decoded images
// and set only for entries describing a top-down bucket made elsewhere;
// a sampler then counts rows from memory row 0 downward.
#pragma once

#include <cstdint>

class CPPixelBucket;
class TImagePyramid;

struct TImageWrapper {
    uint8_t* pixels = nullptr;         // memory row 0
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t rowStride = 0;            // bytes
    uint16_t bitsPerPixel = 0;
    uint16_t addressBytesPerPixel = 0; // bits / 8, or bits / 16 above 32 bits
    uint16_t bytesPerPixel = 0;        // bits / 8
    uint8_t topDown = 0;               // 1 when memory row 0 is the top row
    uint8_t hasAlpha = 0;              // 1 exactly for 32 bits per pixel
};

// The entry describing bucket; all zero for an invalid bucket or one whose
// sizes do not fit the entry's fields.
TImageWrapper DescribeImage(const CPPixelBucket& bucket);

// Appends a copy of entry (making the table on first use) and answers the
// entry's 1-based index, which is the count after the append; 0 when the
// table cannot grow.
int32_t RegisterImage(const TImageWrapper& entry);

// Drops the whole table and sets handles[0..2] (a brush's tube texture,
// leaf and flower handles; may be null) to 0. The next RegisterImage
// starts again at index 1.
void ClearImageTable(int32_t* handles);

// Marks every entry describing pixels as gone (an all-zero entry, so the
// other handles keep their indices). Call it before the image is destroyed:
// a stale handle then finds no entry instead of freed memory.
void ReleaseImageEntries(const void* pixels);

// The number of entries, 0 when there is no table.
int32_t ImageTableCount();
// The entry of a 1-based handle, or null outside 1..count or for a
// released entry.
const TImageWrapper* ImageTableEntry(int32_t handle);
// The halved levels of a 1-based handle's image, made when it was
// registered; null where ImageTableEntry is null.
const TImagePyramid* ImageTablePyramid(int32_t handle);
