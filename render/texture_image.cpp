#include "render/texture_image.h"

#include <cmath>

#include "presets/image_table.h"
#include "render/texture_patterns.h"

namespace {

constexpr int kMaxTapsPerAxis = 4;

// Bilinear taps along one axis for a footprint of f texels: one per texel
// of the footprint, at the centres of equal parts of it, so that a pixel
// spanning several texels averages them instead of picking one.
inline int TapsFor(double f) {
    if (!(f > 1.0)) return 1;
    const int n = static_cast<int>(std::ceil(f));
    return n < kMaxTapsPerAxis ? n : kMaxTapsPerAxis;
}

inline double Clamp01(double x) { return x > 0.0 ? (x < 1.0 ? x : 1.0) : 0.0; }

// Picture row (counted from the bottom) to its bytes.
inline const uint8_t* PictureRow(const TTextureImage& image, int32_t row) {
    const int32_t memoryRow = image.topDown ? image.height - 1 - row : row;
    return image.pixels + static_cast<intptr_t>(memoryRow) * image.rowStride;
}

// Adds the bilinear blend of the four texels around (x, y), texel centres
// at whole numbers; y is clamped to the picture, x wraps.
inline void AddTap(const TTextureImage& image, double x, double y, double acc[4]) {
    const double top = image.height - 1;
    y = y > 0.0 ? (y < top ? y : top) : 0.0;
    const int32_t r0 = static_cast<int32_t>(y);
    const int32_t r1 = r0 + 1 < image.height ? r0 + 1 : r0;
    const double ty = y - r0;

    const double w = image.width;
    x -= std::floor(x / w) * w;
    if (!(x >= 0.0 && x < w)) x = 0.0;
    const int32_t c0 = static_cast<int32_t>(x);
    const int32_t c1 = c0 + 1 < image.width ? c0 + 1 : 0;
    const double tx = x - c0;

    const int32_t bpp = image.bytesPerPixel;
    const uint8_t* row0 = PictureRow(image, r0);
    const uint8_t* row1 = PictureRow(image, r1);
    const uint8_t* p00 = row0 + static_cast<intptr_t>(c0) * bpp;
    const uint8_t* p01 = row0 + static_cast<intptr_t>(c1) * bpp;
    const uint8_t* p10 = row1 + static_cast<intptr_t>(c0) * bpp;
    const uint8_t* p11 = row1 + static_cast<intptr_t>(c1) * bpp;
    const double w00 = (1.0 - tx) * (1.0 - ty);
    const double w01 = tx * (1.0 - ty);
    const double w10 = (1.0 - tx) * ty;
    const double w11 = tx * ty;
    // Bytes are B, G, R (, A); acc is R, G, B, A.
    acc[0] += w00 * p00[2] + w01 * p01[2] + w10 * p10[2] + w11 * p11[2];
    acc[1] += w00 * p00[1] + w01 * p01[1] + w10 * p10[1] + w11 * p11[1];
    acc[2] += w00 * p00[0] + w01 * p01[0] + w10 * p10[0] + w11 * p11[0];
    if (image.alpha) acc[3] += w00 * p00[3] + w01 * p01[3] + w10 * p10[3] + w11 * p11[3];
}

}  // namespace

TTextureImage TextureImageOf(const TImageWrapper* entry) {
    TTextureImage image;
    if (!entry || !entry->pixels || entry->width == 0 || entry->height == 0) return image;
    const int32_t bpp = entry->bytesPerPixel;
    if ((bpp != 3 && bpp != 4) || entry->addressBytesPerPixel != bpp) return image;
    if (entry->rowStride < static_cast<int32_t>(entry->width) * bpp) return image;
    image.pixels = entry->pixels;
    image.width = entry->width;
    image.height = entry->height;
    image.rowStride = entry->rowStride;
    image.bytesPerPixel = bpp;
    image.topDown = entry->topDown != 0;
    image.alpha = entry->hasAlpha != 0 && bpp == 4;
    return image;
}

void SampleTextureImage(const TTextureImage& image, double u, double v, double du, double dv, double out[4]) {
    const double h = image.height;
    const double w = image.width;
    // The footprint of one pixel in texels.
    const double rows = Clamp01(du) * h;
    const double columns = Clamp01(dv) * w;
    const int nr = TapsFor(rows);
    const int nc = TapsFor(columns);
    // Texel centres at whole numbers: picture edge u = 0 is texel -0.5.
    const double yc = Clamp01(u) * h - 0.5;
    const double xc = texturepattern::Fraction(v) * w - 0.5;

    double acc[4] = {0.0, 0.0, 0.0, 0.0};
    if (nr == 1 && nc == 1) {
        AddTap(image, xc, yc, acc);
    } else {
        // Taps at the centres of nr x nc equal parts of the footprint.
        const double ys = rows / nr;
        const double xs = columns / nc;
        const double y0 = yc - 0.5 * rows + 0.5 * ys;
        const double x0 = xc - 0.5 * columns + 0.5 * xs;
        for (int a = 0; a < nr; ++a)
            for (int b = 0; b < nc; ++b) AddTap(image, x0 + b * xs, y0 + a * ys, acc);
    }
    const double scale = 1.0 / (255.0 * nr * nc);
    out[0] = acc[0] * scale;
    out[1] = acc[1] * scale;
    out[2] = acc[2] * scale;
    out[3] = image.alpha ? acc[3] * scale : 1.0;
}
