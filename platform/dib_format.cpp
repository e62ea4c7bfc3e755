#include "platform/dib_format.h"

#include <cstring>

uint32_t DibColourCount(const SBitmapInfoHeader& header) {
    if (header.biClrUsed != 0) return header.biClrUsed;
    if (header.biBitCount <= 8) return 1u << header.biBitCount;
    return 0;
}

bool ParsePackedDib(const uint8_t* data, size_t size, SPackedDibView* out) {
    if (!data || !out || size < sizeof(SBitmapInfoHeader)) return false;
    SBitmapInfoHeader header;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof(SBitmapInfoHeader) || header.biSize > size) return false;
    if (header.biPlanes != 1 || header.biCompression != 0) return false;
    const int bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // Widths and heights of surfaces are 16-bit; INT32_MIN has no magnitude.
    if (header.biWidth < 1 || header.biWidth > 65535) return false;
    if (header.biHeight == 0 || header.biHeight < -65535 || header.biHeight > 65535) return false;
    const uint32_t colours = DibColourCount(header);
    if (colours > 256) return false;

    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const uint64_t stride = static_cast<uint64_t>(DibRowStride(bits, width));
    const uint64_t rowsOffset = static_cast<uint64_t>(header.biSize) + 4ull * colours;
    const uint64_t rowsBytes = stride * static_cast<uint64_t>(height);
    if (rowsOffset > size || rowsBytes > size - rowsOffset) return false;

    out->header = header;
    out->width = width;
    out->height = height;
    out->topDown = header.biHeight < 0;
    out->bitsPerPixel = bits;
    out->rowStride = static_cast<int>(stride);
    out->colours = colours > 0 ? data + header.biSize : nullptr;
    out->rows = data + rowsOffset;
    return true;
}

bool ParseBitmapFile(const uint8_t* data, size_t size, SPackedDibView* out) {
    if (!data || size < kBitmapFileHeaderSize) return false;
    const uint16_t magic = static_cast<uint16_t>(data[0] | (data[1] << 8));
    if (magic != kBitmapFileMagic) return false;
    if (!ParsePackedDib(data + kBitmapFileHeaderSize, size - kBitmapFileHeaderSize, out)) return false;
    // The file header's offset of the pixel rows, when it is given and the
    // rows fit behind it, wins over the computed one (writers may pad).
    uint32_t offset;
    std::memcpy(&offset, data + 10, sizeof offset);
    const uint64_t rowsBytes = static_cast<uint64_t>(out->rowStride) * static_cast<uint64_t>(out->height);
    const uint64_t minimum = kBitmapFileHeaderSize + static_cast<uint64_t>(out->header.biSize);
    if (offset >= minimum && offset <= size && rowsBytes <= size - offset) out->rows = data + offset;
    return true;
}
