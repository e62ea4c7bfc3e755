// Packed DIBs and .bmp file images built in memory for the tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dib_format.h"

// A packed DIB of width x height (negative: top-down) whose pixel at
// picture position (x, y from the top) has the bytes B = x, G = y, R = 0x80
// (and A = 0xC0 at 32 bits); palette depths get index (x + y) % colours.
inline std::vector<uint8_t> MakePackedDib(int width, int height, int bits, uint32_t colours = 0) {
    SBitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biClrUsed = colours;
    const int rows = height < 0 ? -height : height;
    const int stride = DibRowStride(bits, width);
    const uint32_t tableEntries = DibColourCount(h);
    std::vector<uint8_t> out(40 + 4 * tableEntries + static_cast<size_t>(stride) * rows, 0);
    std::memcpy(out.data(), &h, 40);
    for (uint32_t i = 0; i < tableEntries; ++i) {
        uint8_t* e = out.data() + 40 + 4 * i;
        e[0] = static_cast<uint8_t>(i * 3);
        e[1] = static_cast<uint8_t>(i * 5);
        e[2] = static_cast<uint8_t>(i * 7);
    }
    uint8_t* pixels = out.data() + 40 + 4 * tableEntries;
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(height < 0 ? y : rows - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            if (bits >= 24) {
                uint8_t* p = row + x * (bits / 8);
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = 0x80;
                if (bits == 32) p[3] = 0xC0;
            } else if (bits == 8) {
                row[x] = static_cast<uint8_t>((x + y) % (tableEntries ? tableEntries : 256));
            }
        }
    }
    return out;
}

// The same DIB behind a 14-byte file header.
inline std::vector<uint8_t> MakeBitmapFile(const std::vector<uint8_t>& dib, uint32_t pixelOffset) {
    std::vector<uint8_t> out(14, 0);
    out[0] = 'B';
    out[1] = 'M';
    const uint32_t size = static_cast<uint32_t>(14 + dib.size());
    std::memcpy(out.data() + 2, &size, 4);
    std::memcpy(out.data() + 10, &pixelOffset, 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

inline void PatchHeader(std::vector<uint8_t>& dib, size_t offset, int32_t value) { std::memcpy(dib.data() + offset, &value, 4); }
inline void PatchHeader16(std::vector<uint8_t>& dib, size_t offset, uint16_t value) { std::memcpy(dib.data() + offset, &value, 2); }
