#include "render/row_copy.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t* RowFromTop(const TImageRows& image, int32_t rowFromTop) {
    const int32_t memoryRow = image.bottomUp ? image.height - 1 - rowFromTop : rowFromTop;
    return image.pixels + static_cast<intptr_t>(memoryRow) * image.rowStride;
}

}  // namespace

bool CopyImageRows(const TImageRows& from, const TImageRows& to) {
    if (!from.pixels || !to.pixels) return false;
    if (from.width != to.width || from.height != to.height || from.pixelSize != to.pixelSize) return false;
    if (from.height <= 0 || from.rowStride <= 0 || to.rowStride <= 0) return false;
    const size_t bytes = static_cast<size_t>(std::min(from.rowStride, to.rowStride));
    if (from.bottomUp == to.bottomUp && from.rowStride == to.rowStride) {
        // Same layout: one block.
        std::memmove(to.pixels, from.pixels, bytes * static_cast<size_t>(from.height));
        return true;
    }
    for (int32_t y = 0; y < from.height; ++y) std::memmove(RowFromTop(to, y), RowFromTop(from, y), bytes);
    return true;
}
