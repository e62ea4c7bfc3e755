#include "platform/dib_block.h"

#include <cstring>

#include "platform/offscreen.h"

bool ParseDibBlock(const uint8_t* data, size_t size, SPackedDibView* out) {
    if (!data || !out || size < sizeof(SBitmapInfoHeader)) return false;
    SBitmapInfoHeader header;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof(SBitmapInfoHeader) || header.biSize > size) return false;
    if (header.biBitCount != 24 && header.biBitCount != 32) return false;
    if (header.biCompression != kDibRgb && header.biCompression != kDibBitfields) return false;
    // Surfaces are at most 65535 pixels each way; INT32_MIN has no magnitude.
    if (header.biWidth < 1 || header.biWidth > 65535) return false;
    if (header.biHeight == 0 || header.biHeight < -65535 || header.biHeight > 65535) return false;
    if (header.biClrUsed > 256) return false;

    // The three masks follow a plain 40-byte header; the larger headers
    // carry them inside. An optional colour table comes next.
    uint64_t rowsOffset = header.biSize;
    if (header.biCompression == kDibBitfields && header.biSize == sizeof(SBitmapInfoHeader)) rowsOffset += 12;
    rowsOffset += 4ull * header.biClrUsed;
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const uint64_t stride = static_cast<uint64_t>(DibRowStride(header.biBitCount, width));
    const uint64_t rowsBytes = stride * static_cast<uint64_t>(height);
    if (rowsOffset > size || rowsBytes > size - rowsOffset) return false;

    out->header = header;
    out->width = width;
    out->height = height;
    out->topDown = header.biHeight < 0;
    out->bitsPerPixel = header.biBitCount;
    out->rowStride = static_cast<int>(stride);
    out->colours = nullptr;
    out->rows = data + rowsOffset;
    return true;
}

CPOffscreen* SurfaceFromDibBlock(const uint8_t* data, size_t size, bool asDIBSection) {
    SPackedDibView dib;
    if (!ParseDibBlock(data, size, &dib)) return nullptr;
    CPOffscreen* surface = new CPOffscreen();
    // Same orientation as the block, so the rows copy in memory order.
    if (!surface->CreateFromPackedDib(dib, dib.topDown, asDIBSection)) {
        delete surface;
        return nullptr;
    }
    return surface;
}

size_t DibBlockSize(const CPOffscreen& surface) {
    if (!surface.Valid() || surface.BitsPerPixel() < 24) return 0;
    const size_t stride = static_cast<size_t>(DibRowStride(surface.BitsPerPixel(), surface.Width()));
    return sizeof(SBitmapInfoHeader) + stride * static_cast<size_t>(surface.Height());
}

bool WriteDibBlock(const CPOffscreen& surface, uint8_t* out, size_t capacity) {
    const size_t size = DibBlockSize(surface);
    if (size == 0 || !out || capacity < size) return false;
    SBitmapInfoHeader header = {};
    header.biSize = sizeof header;
    header.biWidth = surface.Width();
    header.biHeight = surface.TopDown() ? -surface.Height() : surface.Height();
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(surface.BitsPerPixel());
    header.biCompression = kDibRgb;
    std::memcpy(out, &header, sizeof header);
    const size_t stride = static_cast<size_t>(DibRowStride(surface.BitsPerPixel(), surface.Width()));
    const size_t own = static_cast<size_t>(surface.RowStride());
    uint8_t* rows = out + sizeof header;
    for (int r = 0; r < surface.Height(); ++r) {
        std::memcpy(rows + r * stride, surface.Pixels() + r * own, stride < own ? stride : own);
    }
    return true;
}
