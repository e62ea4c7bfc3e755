#include <cstring>

#include "render/pixel_write.h"
#include "render/stamp_shading.h"
#include "render/paint_canvas.h"

namespace {

// More passes than this change nothing visible on a stamp-sized box (the
// kernel has long spread the paint evenly) but would cost without bound.
constexpr int32_t kMaxBlurPasses = 64;

inline int32_t Wrap(int32_t i, int32_t n) {
    const int32_t m = i % n;
    return m < 0 ? m + n : m;
}

inline int32_t Clamp(int32_t i, int32_t n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

// One channel of a 4- or 8-byte pixel, raw.
inline uint32_t Get(const uint8_t* p, int32_t bytes, int k) {
    if (bytes == 8) {
        uint16_t v;
        std::memcpy(&v, p + 2 * k, sizeof v);
        return v;
    }
    return p[k];
}

inline void Put(uint8_t* p, int32_t bytes, int k, double v) {
    const double top = bytes == 8 ? 65535.0 : 255.0;
    v = v > 0.0 ? (v < top ? v : top) : 0.0;
    if (bytes == 8) {
        const uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p + 2 * k, &w, sizeof w);
    } else {
        p[k] = static_cast<uint8_t>(v);
    }
}

}  // namespace

bool SmearBlurRegion(TPaintCanvas& canvas, int32_t left, int32_t bottom, int32_t right, int32_t top,
                     int32_t blurPasses) {
    const TCanvasLayer& picture = canvas.layer[0];
    if (!picture.pixels || picture.width < canvas.width || picture.height < canvas.height) return false;
    if (picture.bytesPerPixel != 4 && picture.bytesPerPixel != 8) return false;
    const int32_t w = right - left;
    const int32_t h = bottom < top ? top - bottom : 0;
    if (w <= 0 || h <= 0 || canvas.width <= 0 || canvas.height <= 0) return false;
    TCanvasShading& shading = canvas.shading;
    const int32_t bytes = picture.bytesPerPixel;

    // 1. The scratch images hold the box (they only grow).
    const size_t need = static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(bytes);
    for (std::vector<uint8_t>& image : shading.scratch)
        if (image.size() < need) image.resize(need);
    shading.scratchWidth = w;
    shading.scratchHeight = h;
    shading.scratchBytesPerPixel = bytes;
    shading.scratchCurrent = 0;

    // 2. A new run, or a blur, reads from under this very box.
    if (blurPasses < 0) blurPasses = 0;
    if (blurPasses > kMaxBlurPasses) blurPasses = kMaxBlurPasses;
    if (shading.newRun || blurPasses >= 1) {
        shading.smearOriginX = left;
        shading.smearOriginY = bottom;
        shading.newRun = false;
    }

    // 3. The paint at the smear origin; off-canvas reads wrap or clamp.
    uint8_t* out = shading.scratch[0].data();
    for (int32_t j = 0; j < h; ++j) {
        const int32_t sy = shading.smearOriginY + j;
        const int32_t y = canvas.wrapY ? Wrap(sy, canvas.height) : Clamp(sy, canvas.height);
        const uint8_t* row = picture.Row(y);
        uint8_t* to = out + static_cast<size_t>(j) * static_cast<size_t>(w) * bytes;
        for (int32_t i = 0; i < w; ++i) {
            const int32_t sx = shading.smearOriginX + i;
            const int32_t x = canvas.wrapX ? Wrap(sx, canvas.width) : Clamp(sx, canvas.width);
            std::memcpy(to + static_cast<size_t>(i) * bytes, row + static_cast<size_t>(x) * bytes,
                        static_cast<size_t>(bytes));
        }
    }

    // 4. Blur: p' = p / 2 + (left + right + below + above) / 8 + dither, with
    // a neighbour outside the box standing in as the pixel itself.
    const size_t stride = static_cast<size_t>(w) * bytes;
    for (int32_t pass = 0; pass < blurPasses; ++pass) {
        const uint8_t* from = shading.scratch[shading.scratchCurrent].data();
        uint8_t* to = shading.scratch[1 - shading.scratchCurrent].data();
        const double dither = bytes == 8 ? 0.5 : NextDither(canvas);
        for (int32_t j = 0; j < h; ++j) {
            const uint8_t* row = from + j * stride;
            const uint8_t* below = j > 0 ? row - stride : row;
            const uint8_t* above = j + 1 < h ? row + stride : row;
            uint8_t* target = to + j * stride;
            for (int32_t i = 0; i < w; ++i) {
                const size_t at = static_cast<size_t>(i) * bytes;
                const size_t l = i > 0 ? at - bytes : at;
                const size_t r = i + 1 < w ? at + bytes : at;
                for (int k = 0; k < 4; ++k) {
                    const double self = Get(row + at, bytes, k);
                    const double sum = Get(row + l, bytes, k) + Get(row + r, bytes, k) + Get(below + at, bytes, k) +
                                       Get(above + at, bytes, k);
                    Put(target + at, bytes, k, 0.5 * self + 0.125 * sum + dither);
                }
            }
        }
        shading.scratchCurrent = 1 - shading.scratchCurrent;
    }

    // 5. The next smear stamp takes the paint that lay under this one.
    shading.smearOriginX = left;
    shading.smearOriginY = bottom;
    return true;
}
