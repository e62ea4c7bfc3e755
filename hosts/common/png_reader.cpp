#include "hosts/common/png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/offscreen.h"

namespace {

uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

}  // namespace

bool ReadPng(const uint8_t* data, size_t size, CPOffscreen& surface) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < 8 + 25 || std::memcmp(data, kSignature, 8) != 0) return false;
    uint32_t width = 0, height = 0;
    int depth = 0, colour = -1, interlace = 0;
    std::vector<uint8_t> packed, palette;
    size_t at = 8;
    bool ended = false;
    while (at + 12 <= size && !ended) {
        const uint32_t length = Be32(data + at);
        if (length > size - at - 12) return false;
        const uint8_t* type = data + at + 4;
        const uint8_t* body = data + at + 8;
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            width = Be32(body);
            height = Be32(body + 4);
            depth = body[8];
            colour = body[9];
            interlace = body[12];
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            palette.assign(body, body + length);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += 12 + length;
    }
    int channels = 0;
    switch (colour) {
        case 0: channels = 1; break;
        case 2: channels = 3; break;
        case 3: channels = 1; break;
        case 4: channels = 2; break;
        case 6: channels = 4; break;
        default: return false;
    }
    const bool depthFits = depth == 8 || depth == 16 || ((colour == 0 || colour == 3) && (depth == 1 || depth == 2 || depth == 4));
    if (!depthFits || interlace != 0 || width == 0 || height == 0 || width > 16384 || height > 16384) return false;
    if (colour == 3 && palette.size() < 3) return false;
    const size_t bitsPerPixel = static_cast<size_t>(channels) * depth;
    const size_t stride = (static_cast<size_t>(width) * bitsPerPixel + 7) / 8;
    // Filters work on whole bytes, a pixel's worth apart (at least one).
    const size_t step = std::max<size_t>(1, bitsPerPixel / 8);
    std::vector<uint8_t> raw((stride + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        rawSize != raw.size()) {
        return false;
    }
    // Undo each row's filter in place, against the row above.
    std::vector<uint8_t> previous(stride, 0);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = raw.data() + y * (stride + 1);
        const int filter = row[0];
        uint8_t* px = row + 1;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= step ? px[i - step] : 0;
            const int b = previous[i];
            const int c = i >= step ? previous[i - step] : 0;
            int v = px[i];
            switch (filter) {
                case 0: break;
                case 1: v += a; break;
                case 2: v += b; break;
                case 3: v += (a + b) / 2; break;
                case 4: v += Paeth(a, b, c); break;
                default: return false;
            }
            px[i] = static_cast<uint8_t>(v);
        }
        std::memcpy(previous.data(), px, stride);
    }
    surface.Destroy();
    if (!surface.Create(static_cast<int>(width), static_cast<int>(height), 32, true, true)) return false;
    const int maxSample = (1 << std::min(depth, 8)) - 1;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* px = raw.data() + y * (stride + 1) + 1;
        uint8_t* out = surface.Row(static_cast<int>(y));
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            // Sample k of pixel x, as 8 bits (the high byte of 16-bit samples;
            // small grey samples scaled up, palette indices as they are).
            auto sample = [&](int k) -> int {
                if (depth >= 8) return px[(static_cast<size_t>(x) * channels + k) * (depth / 8)];
                const size_t bit = static_cast<size_t>(x) * depth;
                return (px[bit / 8] >> (8 - depth - bit % 8)) & maxSample;
            };
            int r, g, b, alpha = 255;
            if (colour == 3) {
                const size_t entry = static_cast<size_t>(sample(0)) * 3;
                if (entry + 2 >= palette.size()) {
                    surface.Destroy();
                    return false;
                }
                r = palette[entry];
                g = palette[entry + 1];
                b = palette[entry + 2];
            } else if (channels <= 2) {
                r = g = b = depth < 8 ? sample(0) * 255 / maxSample : sample(0);
                if (channels == 2) alpha = sample(1);
            } else {
                r = sample(0);
                g = sample(1);
                b = sample(2);
                if (channels == 4) alpha = sample(3);
            }
            out[0] = static_cast<uint8_t>(b);
            out[1] = static_cast<uint8_t>(g);
            out[2] = static_cast<uint8_t>(r);
            out[3] = static_cast<uint8_t>(alpha);
        }
    }
    return true;
}
