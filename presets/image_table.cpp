#include "presets/image_table.h"

#include <vector>

#include "platform/pixel_bucket.h"
#include "platform/tt_array.h"
#include "presets/image_pyramid.h"

namespace {
// The process-wide image table: made on first use with room for three
// entries (one per image slot), growing one entry at a time.
TTArray<TImageWrapper> gImageTable(1);
bool gImageTableMade = false;
// The halved levels of each entry, by the same index; they go with it.
std::vector<TImagePyramid> gPyramids;
}  // namespace

TImageWrapper DescribeImage(const CPPixelBucket& bucket) {
    TImageWrapper entry;
    if (!bucket.Valid() || bucket.Width() > 0xFFFF || bucket.Height() > 0xFFFF || bucket.RowStride() > 0xFFFF) {
        return entry;
    }
    const int bits = bucket.BitsPerPixel();
    entry.pixels = bucket.Pixels();
    entry.width = static_cast<uint16_t>(bucket.Width());
    entry.height = static_cast<uint16_t>(bucket.Height());
    entry.rowStride = static_cast<uint16_t>(bucket.RowStride());
    entry.bitsPerPixel = static_cast<uint16_t>(bits);
    entry.addressBytesPerPixel = static_cast<uint16_t>(bits > 32 ? bits / 16 : bits / 8);
    entry.bytesPerPixel = static_cast<uint16_t>(bits / 8);
    entry.topDown = bucket.TopDown() ? 1 : 0;
    entry.hasAlpha = bits == 32 ? 1 : 0;
    return entry;
}

int32_t RegisterImage(const TImageWrapper& entry) {
    if (!gImageTableMade) {
        if (!gImageTable.SetCapacity(3)) return 0;
        gImageTableMade = true;
    }
    if (!gImageTable.Append(entry)) return 0;
    gPyramids.resize(static_cast<size_t>(gImageTable.Count()));
    gPyramids.back().Build(entry);
    return gImageTable.Count();
}

void ClearImageTable(int32_t* handles) {
    gImageTable.Clear();
    gPyramids.clear();
    gImageTableMade = false;
    if (handles) handles[0] = handles[1] = handles[2] = 0;
}

void ReleaseImageEntries(const void* pixels) {
    if (!gImageTableMade || !pixels) return;
    for (int i = 0; i < gImageTable.Count(); ++i) {
        if (gImageTable[i].pixels != pixels) continue;
        gImageTable[i] = TImageWrapper{};
        if (static_cast<size_t>(i) < gPyramids.size()) gPyramids[static_cast<size_t>(i)].Clear();
    }
}

int32_t ImageTableCount() { return gImageTableMade ? gImageTable.Count() : 0; }

const TImageWrapper* ImageTableEntry(int32_t handle) {
    if (!gImageTableMade || handle < 1 || handle > gImageTable.Count()) return nullptr;
    const TImageWrapper& entry = gImageTable[handle - 1];
    return entry.pixels ? &entry : nullptr;
}

const TImagePyramid* ImageTablePyramid(int32_t handle) {
    if (!ImageTableEntry(handle) || static_cast<size_t>(handle) > gPyramids.size()) return nullptr;
    return &gPyramids[static_cast<size_t>(handle) - 1];
}
