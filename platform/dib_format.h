// The device-independent bitmap format every surface uses: the 40-byte
// BITMAPINFOHEADER (same layout on every platform), row strides, and the
// checked reading of packed DIBs and .bmp files held in memory.
#pragma once

#include <cstddef>
#include <cstdint>

struct SBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // negative: rows stored top-down
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;  // 0 = BI_RGB
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(SBitmapInfoHeader) == 40, "BITMAPINFOHEADER layout");

constexpr uint16_t kBitmapFileMagic = 0x4D42;  // "BM"
constexpr size_t kBitmapFileHeaderSize = 14;

// Bytes per row, padded to four: ((bits * width + 31) / 32) * 4.
inline int DibRowStride(int bitsPerPixel, int width) {
    return static_cast<int>(((static_cast<int64_t>(bitsPerPixel) * width + 31) / 32) * 4);
}

// Colour entries in front of the rows: biClrUsed, or 2^bits when that is 0
// and the depth is 8 or less, else 0.
uint32_t DibColourCount(const SBitmapInfoHeader& header);

// A packed DIB found in memory, every size checked against the data.
struct SPackedDibView {
    SBitmapInfoHeader header;  // a copy, aligned
    int width = 0;
    int height = 0;            // absolute
    bool topDown = false;
    int bitsPerPixel = 0;
    int rowStride = 0;
    const uint8_t* colours = nullptr;  // colour entries, or null
    const uint8_t* rows = nullptr;     // memory row 0
};

// Reads a packed DIB (header, colours, rows). False unless the header is a
// 40-byte-or-larger BI_RGB header of 1, 4, 8, 16, 24 or 32 bits with one
// plane and a width and height of 1 to 65535, and the data holds all rows.
bool ParsePackedDib(const uint8_t* data, size_t size, SPackedDibView* out);
// Reads a .bmp file image: the 14-byte file header ("BM"), then a packed
// DIB. The file header's pixel offset is used when it lies inside the data.
bool ParseBitmapFile(const uint8_t* data, size_t size, SPackedDibView* out);
