#include "render/texture_image.h"

#include <cmath>

#include "presets/image_pyramid.h"
#include "presets/image_table.h"
#include "render/pixel_kernels_sse2.h"
#include "render/texture_patterns.h"

namespace {

constexpr int kMaxTapsPerAxis = 4;

// Bilinear taps along one axis for a footprint of f texels: one per texel
// of the footprint, at the centres of equal parts of it, so that a pixel
// spanning several texels averages them instead of picking one.
inline int TapsFor(double f) {
    if (!(f > 1.0)) return 1;
    if (!(f < kMaxTapsPerAxis)) return kMaxTapsPerAxis;
    const int n = static_cast<int>(f);
    return n < f ? n + 1 : n;
}

inline double Clamp01(double x) { return x > 0.0 ? (x < 1.0 ? x : 1.0) : 0.0; }

// Picture row (counted from the bottom) to its bytes.
inline const uint8_t* PictureRow(const TTextureImage& image, int32_t row) {
    const int32_t memoryRow = image.topDown ? image.height - 1 - row : row;
    return image.pixels + static_cast<intptr_t>(memoryRow) * image.rowStride;
}

// One bilinear tap along an axis: the two texels it blends and the
// weight of the second.
struct TAxisTap {
    int32_t first = 0;
    int32_t second = 0;
    double t = 0.0;
};

// A row tap at y (texel centres at whole numbers), held to the picture.
inline TAxisTap RowTap(double y, int32_t height) {
    const double top = height - 1;
    y = y > 0.0 ? (y < top ? y : top) : 0.0;
    TAxisTap tap;
    tap.first = static_cast<int32_t>(y);
    tap.second = tap.first + 1 < height ? tap.first + 1 : tap.first;
    tap.t = y - tap.first;
    return tap;
}

// A column tap at x, wrapped around the picture. Most taps lie inside it
// already, and for those (at least a texel short of the right edge, so
// that x / w cannot round up to 1) the wrap is x itself: no division.
inline TAxisTap ColumnTap(double x, int32_t width) {
    const double w = width;
    if (!(x >= 0.0 && x < w - 1.0)) x -= texturepattern::Floor(x / w) * w;
    if (!(x >= 0.0 && x < w)) x = 0.0;
    TAxisTap tap;
    tap.first = static_cast<int32_t>(x);
    tap.second = tap.first + 1 < width ? tap.first + 1 : 0;
    tap.t = x - tap.first;
    return tap;
}

// n taps at the centres of n equal parts of a footprint of f texels
// around c.
template <typename MakeTap>
inline void AxisTaps(double c, double f, int n, int32_t size, MakeTap make, TAxisTap* taps) {
    if (n == 1) {
        taps[0] = make(c, size);
        return;
    }
    const double step = f / n;
    const double first = c - 0.5 * f + 0.5 * step;
    for (int k = 0; k < n; ++k) taps[k] = make(first + k * step, size);
}

// Calls sum(p00, p01, p10, p11, w00, w01, w10, w11) with the four texels
// and bilinear weights of every tap, rows outer, columns inner: the order
// the filter adds them in.
template <typename Sum>
inline void ForEachTap(const TTextureImage& image, const TAxisTap* rowTaps, int nr, const TAxisTap* columnTaps, int nc,
                       int32_t bpp, Sum sum) {
    for (int a = 0; a < nr; ++a) {
        const TAxisTap& ra = rowTaps[a];
        const uint8_t* row0 = PictureRow(image, ra.first);
        const uint8_t* row1 = PictureRow(image, ra.second);
        for (int b = 0; b < nc; ++b) {
            const TAxisTap& cb = columnTaps[b];
            const intptr_t o0 = static_cast<intptr_t>(cb.first) * bpp;
            const intptr_t o1 = static_cast<intptr_t>(cb.second) * bpp;
            const double w11 = cb.t * ra.t;
            const double w10 = ra.t - w11;  // (1 - tx) ty
            const double w01 = cb.t - w11;  // tx (1 - ty)
            const double w00 = 1.0 - ra.t - w01;
            sum(row0 + o0, row0 + o1, row1 + o0, row1 + o1, w00, w01, w10, w11);
        }
    }
}

#if defined(TF_PIXEL_SSE2)
// A texel's bytes B, G, R (, A) as (R, G) and (B, A); alpha 0 for
// three-byte texels, which are read byte by byte so that the last texel of
// an image never reads past its end.
template <int Bpp>
inline pixelsse2::TLanes LoadTexel(const uint8_t* p) {
    if constexpr (Bpp == 4) return pixelsse2::LoadPixel(p);
    return pixelsse2::LanesOfWord(p[0] | (p[1] << 8) | (p[2] << 16));
}

// The sums two channels a register: acc += w00 p00 + w01 p01 + w10 p10 +
// w11 p11 per channel, in that order, as the scalar sums add them, so the
// answers are the same bit for bit.
template <int Bpp>
inline void AccumulateTaps(const TTextureImage& image, const TAxisTap* rowTaps, int nr, const TAxisTap* columnTaps,
                           int nc, double acc[4]) {
    using pixelsse2::Splat;
    pixelsse2::TLanes sum = Splat(0.0);
    ForEachTap(image, rowTaps, nr, columnTaps, nc, Bpp,
               [&sum](const uint8_t* p00, const uint8_t* p01, const uint8_t* p10, const uint8_t* p11, double w00,
                      double w01, double w10, double w11) {
                   sum = sum + (((Splat(w00) * LoadTexel<Bpp>(p00) + Splat(w01) * LoadTexel<Bpp>(p01)) +
                                 Splat(w10) * LoadTexel<Bpp>(p10)) +
                                Splat(w11) * LoadTexel<Bpp>(p11));
               });
    _mm_storeu_pd(acc, sum.rg);
    _mm_storeu_pd(acc + 2, sum.ba);
}
#endif

}  // namespace

TTextureImage TextureImageOf(const TImageWrapper* entry, const TImagePyramid* pyramid) {
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
    image.pyramid = pyramid && pyramid->Count() > 0 ? pyramid : nullptr;
    return image;
}

TTextureImage TextureImageLevelFor(const TTextureImage& image, double du, double dv) {
    const TImagePyramid* pyramid = image.pyramid;
    const double fu = Clamp01(du);
    const double fv = Clamp01(dv);
    // Halve while the footprint spans more than two texels both ways, or
    // more than eight (four taps of two) along either.
    auto wide = [fu, fv](int32_t width, int32_t height) {
        const double rows = fu * height;
        const double columns = fv * width;
        return (rows > 2.0 && columns > 2.0) || rows > 8.0 || columns > 8.0;
    };
    if (!pyramid || !wide(image.width, image.height)) return image;
    int32_t k = 0;  // the first halved copy
    while (k + 1 < pyramid->Count() && wide(pyramid->Level(k).width, pyramid->Level(k).height)) ++k;
    const TImageLevel& level = pyramid->Level(k);
    TTextureImage halved = image;
    halved.pixels = level.pixels;
    halved.width = level.width;
    halved.height = level.height;
    halved.rowStride = level.rowStride;
    halved.topDown = false;
    halved.pyramid = nullptr;
    return halved;
}

void SampleTextureImage(const TTextureImage& image, double u, double v, double du, double dv, double out[4]) {
    SampleTextureImageLevel(TextureImageLevelFor(image, du, dv), u, v, du, dv, out);
}

void SampleTextureImageLevel(const TTextureImage& image, double u, double v, double du, double dv, double out[4]) {
    // The footprint of one pixel in texels.
    const double rows = Clamp01(du) * image.height;
    const double columns = Clamp01(dv) * image.width;
    const int nr = TapsFor(rows);
    const int nc = TapsFor(columns);
    // Texel centres at whole numbers: picture edge u = 0 is texel -0.5.
    const double yc = Clamp01(u) * image.height - 0.5;
    const double xc = texturepattern::Fraction(v) * image.width - 0.5;
    TAxisTap rowTaps[kMaxTapsPerAxis];
    TAxisTap columnTaps[kMaxTapsPerAxis];
    AxisTaps(yc, rows, nr, image.height, RowTap, rowTaps);
    AxisTaps(xc, columns, nc, image.width, ColumnTap, columnTaps);

    // Bytes are B, G, R (, A); acc is R, G, B, A.
    double acc[4] = {0.0, 0.0, 0.0, 0.0};
#if defined(TF_PIXEL_SSE2)
    if (image.bytesPerPixel == 4)
        AccumulateTaps<4>(image, rowTaps, nr, columnTaps, nc, acc);
    else
        AccumulateTaps<3>(image, rowTaps, nr, columnTaps, nc, acc);
#else
    const bool alpha = image.alpha;
    ForEachTap(image, rowTaps, nr, columnTaps, nc, image.bytesPerPixel,
               [&acc, alpha](const uint8_t* p00, const uint8_t* p01, const uint8_t* p10, const uint8_t* p11, double w00,
                             double w01, double w10, double w11) {
                   acc[0] += w00 * p00[2] + w01 * p01[2] + w10 * p10[2] + w11 * p11[2];
                   acc[1] += w00 * p00[1] + w01 * p01[1] + w10 * p10[1] + w11 * p11[1];
                   acc[2] += w00 * p00[0] + w01 * p01[0] + w10 * p10[0] + w11 * p11[0];
                   if (alpha) acc[3] += w00 * p00[3] + w01 * p01[3] + w10 * p10[3] + w11 * p11[3];
               });
#endif
    const double scale = 1.0 / (255.0 * nr * nc);
    out[0] = acc[0] * scale;
    out[1] = acc[1] * scale;
    out[2] = acc[2] * scale;
    out[3] = image.alpha ? acc[3] * scale : 1.0;
}
