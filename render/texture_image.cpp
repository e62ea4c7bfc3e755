#include "render/texture_image.h"

#include <cmath>
#include <cstring>

#include "presets/image_pyramid.h"
#include "presets/image_table.h"
#include "render/sse2_select.h"
#include "render/texture_patterns.h"

#if defined(TF_PIXEL_SSE2)
#include <emmintrin.h>
#endif

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

#if defined(TF_PIXEL_SSE2)
// A texel's bytes B, G, R (, A) as doubles (R, G) and (B, A); alpha 0 for
// three-byte texels, which are read byte by byte so that the last texel of
// an image never reads past its end.
template <int Bpp>
inline void LoadTexel(const uint8_t* p, __m128d& rg, __m128d& ba) {
    int32_t word;
    if constexpr (Bpp == 4) {
        std::memcpy(&word, p, sizeof word);
    } else {
        word = p[0] | (p[1] << 8) | (p[2] << 16);
    }
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 0, 1, 2));
    rg = _mm_cvtepi32_pd(v);
    ba = _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v));
}

// The weighted sums of every tap's four texels, two channels a register:
// acc += w00 p00 + w01 p01 + w10 p10 + w11 p11 per channel, in that order,
// as the scalar loop adds them, so the sums are the same bit for bit.
template <int Bpp>
inline void AccumulateTaps(const TTextureImage& image, const TAxisTap* rowTaps, int nr, const TAxisTap* columnTaps,
                           int nc, double acc[4]) {
    __m128d accRG = _mm_setzero_pd();
    __m128d accBA = _mm_setzero_pd();
    for (int a = 0; a < nr; ++a) {
        const TAxisTap& ra = rowTaps[a];
        const uint8_t* row0 = PictureRow(image, ra.first);
        const uint8_t* row1 = PictureRow(image, ra.second);
        for (int b = 0; b < nc; ++b) {
            const TAxisTap& cb = columnTaps[b];
            const intptr_t o0 = static_cast<intptr_t>(cb.first) * Bpp;
            const intptr_t o1 = static_cast<intptr_t>(cb.second) * Bpp;
            const double w11 = cb.t * ra.t;
            const double w10 = ra.t - w11;
            const double w01 = cb.t - w11;
            const double w00 = 1.0 - ra.t - w01;
            __m128d rg00, ba00, rg01, ba01, rg10, ba10, rg11, ba11;
            LoadTexel<Bpp>(row0 + o0, rg00, ba00);
            LoadTexel<Bpp>(row0 + o1, rg01, ba01);
            LoadTexel<Bpp>(row1 + o0, rg10, ba10);
            LoadTexel<Bpp>(row1 + o1, rg11, ba11);
            const __m128d v00 = _mm_set1_pd(w00), v01 = _mm_set1_pd(w01);
            const __m128d v10 = _mm_set1_pd(w10), v11 = _mm_set1_pd(w11);
            __m128d rg = _mm_add_pd(_mm_mul_pd(v00, rg00), _mm_mul_pd(v01, rg01));
            __m128d ba = _mm_add_pd(_mm_mul_pd(v00, ba00), _mm_mul_pd(v01, ba01));
            rg = _mm_add_pd(_mm_add_pd(rg, _mm_mul_pd(v10, rg10)), _mm_mul_pd(v11, rg11));
            ba = _mm_add_pd(_mm_add_pd(ba, _mm_mul_pd(v10, ba10)), _mm_mul_pd(v11, ba11));
            accRG = _mm_add_pd(accRG, rg);
            accBA = _mm_add_pd(accBA, ba);
        }
    }
    _mm_storeu_pd(acc, accRG);
    _mm_storeu_pd(acc + 2, accBA);
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
    const int32_t bpp = image.bytesPerPixel;
    for (int a = 0; a < nr; ++a) {
        const TAxisTap& ra = rowTaps[a];
        const uint8_t* row0 = PictureRow(image, ra.first);
        const uint8_t* row1 = PictureRow(image, ra.second);
        for (int b = 0; b < nc; ++b) {
            const TAxisTap& cb = columnTaps[b];
            const intptr_t o0 = static_cast<intptr_t>(cb.first) * bpp;
            const intptr_t o1 = static_cast<intptr_t>(cb.second) * bpp;
            const uint8_t* p00 = row0 + o0;
            const uint8_t* p01 = row0 + o1;
            const uint8_t* p10 = row1 + o0;
            const uint8_t* p11 = row1 + o1;
            const double w11 = cb.t * ra.t;
            const double w10 = ra.t - w11;    // (1 - tx) ty
            const double w01 = cb.t - w11;    // tx (1 - ty)
            const double w00 = 1.0 - ra.t - w01;
            acc[0] += w00 * p00[2] + w01 * p01[2] + w10 * p10[2] + w11 * p11[2];
            acc[1] += w00 * p00[1] + w01 * p01[1] + w10 * p10[1] + w11 * p11[1];
            acc[2] += w00 * p00[0] + w01 * p01[0] + w10 * p10[0] + w11 * p11[0];
            if (image.alpha) acc[3] += w00 * p00[3] + w01 * p01[3] + w10 * p10[3] + w11 * p11[3];
        }
    }
#endif
    const bool alpha = image.alpha;
    const double scale = 1.0 / (255.0 * nr * nc);
    out[0] = acc[0] * scale;
    out[1] = acc[1] * scale;
    out[2] = acc[2] * scale;
    out[3] = alpha ? acc[3] * scale : 1.0;
}
