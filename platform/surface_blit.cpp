#include "platform/surface_blit.h"

#include <cstring>

namespace {

// The source pixel at column x of a row, as 0xAARRGGBB.
uint32_t ReadPixel(const uint8_t* row, int x, int bits, const uint8_t* colours, int colourCount) {
    switch (bits) {
        case 32: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
        case 24:
            return 0xFF000000u | row[3 * x] | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
                   static_cast<uint32_t>(row[3 * x + 2]) << 16;
        case 16: {
            const uint32_t v = static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
            const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
        }
        default: {
            int index;
            if (bits == 8) index = row[x];
            else if (bits == 4) index = (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
            else index = (row[x / 8] >> (7 - x % 8)) & 1;
            // An index past the table reads as black, not past the table.
            uint32_t entry = 0;
            if (index < colourCount) std::memcpy(&entry, colours + 4 * index, 4);
            return 0xFF000000u | (entry & 0x00FFFFFFu);
        }
    }
}

void WritePixel(uint8_t* row, int x, int bits, uint32_t v) {
    if (bits == 32) {
        std::memcpy(row + 4 * x, &v, 4);
    } else {
        row[3 * x] = static_cast<uint8_t>(v);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
    }
}

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

}  // namespace

bool StretchPixels(const CPPixelBucket& source, const void* sourceColours, int colourCount, const TRect& srcRect,
                   CPPixelBucket& target, const TRect& destRect) {
    if (!source.Valid() || !target.Valid()) return false;
    const int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return false;
    const int sBits = source.BitsPerPixel(), tBits = target.BitsPerPixel();
    const bool sameDepth = sBits == tBits && sBits >= 8;
    if (!sameDepth && tBits != 24 && tBits != 32) return false;
    if (sBits <= 8 && !sameDepth && (!sourceColours || colourCount <= 0)) return false;

    // Destination pixels inside the target.
    const int x0 = Max(destRect.left, 0), x1 = Min(destRect.right, target.Width());
    const int y0 = Max(destRect.top, 0), y1 = Min(destRect.bottom, target.Height());
    const int bytes = sBits / 8;
    for (int y = y0; y < y1; ++y) {
        // Nearest neighbour: the source sample under the destination pixel's centre.
        const int sy = srcRect.top + static_cast<int>((static_cast<int64_t>(y - destRect.top) * 2 + 1) * sh / (2 * dh));
        if (sy < 0 || sy >= source.Height()) continue;
        const uint8_t* sRow = source.Row(sy);
        uint8_t* tRow = target.Row(y);
        if (sw == dw && sameDepth) {
            // Same size and format: one copy of the part that has a source.
            const int off = srcRect.left - destRect.left;
            const int a = Max(x0, -off), b = Min(x1, source.Width() - off);
            // memmove: a surface may be copied onto itself.
            if (a < b) std::memmove(tRow + a * bytes, sRow + (a + off) * bytes, static_cast<size_t>(b - a) * bytes);
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const int sx =
                srcRect.left + static_cast<int>((static_cast<int64_t>(x - destRect.left) * 2 + 1) * sw / (2 * dw));
            if (sx < 0 || sx >= source.Width()) continue;
            if (sameDepth) std::memcpy(tRow + x * bytes, sRow + sx * bytes, static_cast<size_t>(bytes));
            else WritePixel(tRow, x, tBits, ReadPixel(sRow, sx, sBits, static_cast<const uint8_t*>(sourceColours), colourCount));
        }
    }
    return true;
}
