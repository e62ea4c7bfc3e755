#include "presets/image_pyramid.h"

#include <cstddef>
#include <new>
#include <utility>

#include "presets/image_table.h"

namespace {

// Rows of level 0 are read bottom-up whatever their memory order, so every
// halved level is stored bottom-up.
const uint8_t* BottomUpRow(const TImageLevel& level, int32_t row) {
    const int32_t memoryRow = level.topDown ? level.height - 1 - row : row;
    return level.pixels + static_cast<intptr_t>(memoryRow) * level.rowStride;
}

}  // namespace

void TImagePyramid::Clear() {
    // Released entries keep their place in the table for good, so their
    // levels must give the memory back, not only forget it.
    std::vector<uint8_t>().swap(storage_);
    std::vector<TImageLevel>().swap(levels_);
}

void TImagePyramid::Build(const TImageWrapper& entry) {
    Clear();
    const int32_t bpp = entry.bytesPerPixel;
    if (!entry.pixels || entry.width == 0 || entry.height == 0) return;
    if ((bpp != 3 && bpp != 4) || entry.addressBytesPerPixel != bpp) return;
    if (entry.rowStride < static_cast<int32_t>(entry.width) * bpp) return;
    if (entry.width == 1 && entry.height == 1) return;

    // Sizes first, so that one allocation holds every level.
    std::vector<TImageLevel> levels;
    size_t total = 0;
    for (int32_t w = entry.width, h = entry.height; w > 1 || h > 1;) {
        w = (w + 1) / 2;
        h = (h + 1) / 2;
        TImageLevel level;
        level.width = w;
        level.height = h;
        level.rowStride = w * bpp;
        total += static_cast<size_t>(level.rowStride) * static_cast<size_t>(h);
        levels.push_back(level);
    }
    std::vector<uint8_t> storage;
    try {
        storage.resize(total);
    } catch (const std::bad_alloc&) {
        return;  // no halved levels: the sampler reads the image itself
    }

    TImageLevel source;
    source.pixels = entry.pixels;
    source.width = entry.width;
    source.height = entry.height;
    source.rowStride = entry.rowStride;
    source.topDown = entry.topDown != 0;
    size_t offset = 0;
    for (TImageLevel& level : levels) {
        uint8_t* out = storage.data() + offset;
        level.pixels = out;
        for (int32_t y = 0; y < level.height; ++y) {
            const int32_t y0 = 2 * y;
            const int32_t y1 = y0 + 1 < source.height ? y0 + 1 : y0;
            const uint8_t* r0 = BottomUpRow(source, y0);
            const uint8_t* r1 = BottomUpRow(source, y1);
            uint8_t* o = out + static_cast<intptr_t>(y) * level.rowStride;
            for (int32_t x = 0; x < level.width; ++x) {
                const int32_t x0 = 2 * x;
                const int32_t x1 = x0 + 1 < source.width ? x0 + 1 : x0;
                for (int32_t c = 0; c < bpp; ++c) {
                    const int sum = r0[x0 * bpp + c] + r0[x1 * bpp + c] + r1[x0 * bpp + c] + r1[x1 * bpp + c];
                    o[x * bpp + c] = static_cast<uint8_t>((sum + 2) / 4);
                }
            }
        }
        offset += static_cast<size_t>(level.rowStride) * static_cast<size_t>(level.height);
        source = level;
    }
    storage_ = std::move(storage);
    levels_ = std::move(levels);
}
