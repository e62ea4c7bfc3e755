// The usual pixel writers (8-bit layers; colour, alpha and depth written;
// neither erasing nor a shadow) with a pixel's channels side by side in SSE2
// registers: red and green in one, blue and alpha in the other. Every lane
// runs the scalar writers' double-precision operations in the scalar order,
// so the results are the same bit for bit, and the dither values are taken
// in the same order (red, green, blue, alpha), four or three at a time from
// the table, which holds slack past its end for exactly this.
//
// On a processor without SSE2 the stamp walkers keep the scalar writers of
// pixel_write_kernels.h; TF_PIXEL_SSE2 says which is built (TF_NO_PIXEL_SSE2
// builds the scalar writers on any processor, to compare them).
#pragma once

#include "render/pixel_write_kernels.h"
#include "render/sse2_select.h"

#if defined(TF_PIXEL_SSE2)
#include <emmintrin.h>

namespace pixelsse2 {

using pixelkernel::kDepthLimit;
using pixelkernel::kInv255;
using pixelkernel::TDitherCursor;

// A pixel's channels in the order the paint keeps them: (red, green) and
// (blue, alpha).
struct TLanes {
    __m128d rg;
    __m128d ba;
};

inline TLanes Splat(double v) { return {_mm_set1_pd(v), _mm_set1_pd(v)}; }
inline TLanes operator+(TLanes x, TLanes y) { return {_mm_add_pd(x.rg, y.rg), _mm_add_pd(x.ba, y.ba)}; }
inline TLanes operator-(TLanes x, TLanes y) { return {_mm_sub_pd(x.rg, y.rg), _mm_sub_pd(x.ba, y.ba)}; }
inline TLanes operator*(TLanes x, TLanes y) { return {_mm_mul_pd(x.rg, y.rg), _mm_mul_pd(x.ba, y.ba)}; }
// x > 0 ? x : 0, NaN to 0 (maxpd answers its second operand unless the first is greater).
inline TLanes AtLeastZero(TLanes x) {
    const __m128d zero = _mm_setzero_pd();
    return {_mm_max_pd(x.rg, zero), _mm_max_pd(x.ba, zero)};
}
// x < limit ? x : limit.
inline TLanes Below(TLanes x, double limit) {
    const __m128d l = _mm_set1_pd(limit);
    return {_mm_min_pd(x.rg, l), _mm_min_pd(x.ba, l)};
}
// limit < x ? limit : x, which keeps a NaN as the scalar `if (x > limit) x = limit` does.
inline TLanes CapAt(TLanes x, double limit) {
    const __m128d l = _mm_set1_pd(limit);
    return {_mm_min_pd(l, x.rg), _mm_min_pd(l, x.ba)};
}

inline double Red(TLanes x) { return _mm_cvtsd_f64(x.rg); }
inline double Green(TLanes x) { return _mm_cvtsd_f64(_mm_unpackhi_pd(x.rg, x.rg)); }
inline double Blue(TLanes x) { return _mm_cvtsd_f64(x.ba); }
inline double Alpha(TLanes x) { return _mm_cvtsd_f64(_mm_unpackhi_pd(x.ba, x.ba)); }
inline TLanes WithAlpha(TLanes x, double alpha) { return {x.rg, _mm_unpacklo_pd(x.ba, _mm_set_sd(alpha))}; }

// Three channels of the paint (red, green, blue), alpha 0. Built from the
// scalars, not loaded as a pair: the walker has just stored them one by one,
// and a wide load of two narrow stores stalls.
inline TLanes LoadRGB(const double* v) { return {_mm_set_pd(v[1], v[0]), _mm_set_sd(v[2])}; }

// Bytes B, G, R, A of a little-endian word as (R, G), (B, A).
inline TLanes LanesOfWord(int32_t word) {
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 0, 1, 2));
    return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v))};
}

// Bytes B, G, R, A of a pixel as (R, G), (B, A).
inline TLanes LoadPixel(const uint8_t* p) {
    int32_t word;
    std::memcpy(&word, p, sizeof word);
    return LanesOfWord(word);
}

// floor(clamp(x + dither, 0, 255)) per lane as bytes B, G, R, A (truncation
// is the floor: the sum is held at 0 or above first).
inline int32_t DitheredWord(TLanes x, const double* dither) {
    TLanes d{_mm_loadu_pd(dither), _mm_loadu_pd(dither + 2)};
    const TLanes t = Below(AtLeastZero(x + d), 255.0);
    __m128i v = _mm_unpacklo_epi64(_mm_cvttpd_epi32(t.rg), _mm_cvttpd_epi32(t.ba));
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 0, 1, 2));
    v = _mm_packs_epi32(v, v);
    return _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
}

inline void StoreAll(uint8_t* p, int32_t word) { std::memcpy(p, &word, sizeof word); }

// Writes blue, green and red and keeps the pixel's alpha byte.
inline void StoreColour(uint8_t* p, int32_t word) {
    int32_t old;
    std::memcpy(&old, p, sizeof old);
    const uint32_t merged = (static_cast<uint32_t>(old) & 0xFF000000u) | (static_cast<uint32_t>(word) & 0x00FFFFFFu);
    std::memcpy(p, &merged, sizeof merged);
}

// pixelkernel::PlainPixelOf<4, true>:
//   colour: new = (1 - a) old + c a + l, dithered; alpha: see the scalar writer.
TF_PIXEL_KERNEL void PlainPixel(const TPixelRow& row, int32_t x, const double* colour, const double* light,
                                const double* opacity, TDitherCursor& dither) {
    if (!row.picture) return;
    dither.Renew();
    uint8_t* pixel = row.picture + static_cast<intptr_t>(x) * 4;
    const TLanes old = LoadPixel(pixel);
    const TLanes o = LoadRGB(opacity);
    const TLanes v = (Splat(1.0) - o) * old + LoadRGB(colour) * o + LoadRGB(light);
    const int32_t colours = DitheredWord(v, dither.table + dither.index);
    dither.index += 3;
    const double m = (opacity[0] + opacity[1] + opacity[2]) * 0.03333333333;
    const double oldAlpha = Alpha(old);
    const double t = (1.0 - oldAlpha * kInv255) * (1.0 - m);
    double alpha = t <= 0.0 ? 255.0 : (t < 1.0 ? (1.0 - t) * 255.0 : 0.0);
    if (alpha != alpha) alpha = oldAlpha;
    const double a = pixelkernel::Clamp255(alpha + 0.5);
    StoreAll(pixel, (colours & 0x00FFFFFF) | (static_cast<int32_t>(static_cast<uint8_t>(a)) << 24));
    pixelkernel::CopyToMirror(row, x);
}

// pixelkernel::DepthPixelOf<4, true> from step 7 on, with no sub-stamp
// weight (s = 1), for a pixel whose paint the caller has prepared
// (pixelkernel::PrepareDepthPaint: colour, light, opacity and their mean m)
// on a row with every depth layer: the same formulas in the same order,
// three channels at once.
TF_PIXEL_KERNEL void DepthPixelPrepared(const TPixelRow& row, int32_t x, const double* colour, const double* light,
                                        const double* opacity, float m, double z, double e, TDitherCursor& dither) {
    dither.Renew();
    const TLanes pc = LoadRGB(colour);
    const TLanes pl = LoadRGB(light);
    const TLanes po = LoadRGB(opacity);

    // 7. The layers at this pixel.
    uint8_t* picture = row.picture + static_cast<intptr_t>(x) * 4;
    uint8_t* back = row.back + static_cast<intptr_t>(x) * 4;
    uint8_t* front = row.front + static_cast<intptr_t>(x) * 4;
    uint8_t* cover = row.cover + static_cast<intptr_t>(x) * 4;
    const TLanes B = LoadPixel(back);
    TLanes F = LoadPixel(front);
    TLanes v = LoadPixel(cover) * Splat(kInv255);
    const double a1 = Alpha(B);

    // 9. Premultiply: c' = c o + l, a = 1 - o.
    const TLanes c = pc * po + pl;
    const TLanes a = Splat(1.0) - po;

    // 11 and 12 (see pixelkernel::ComposeFront).
    float* depthFront = row.depthFront + x;
    double d1 = *depthFront;
    if (z <= d1 - e) {
        F = a * F + c;
        d1 = pixelkernel::FrontDepthInFront(Red(pl) + Green(pl) + Blue(pl), m, z, e, d1);
    } else if (z <= d1 + e) {
        const double t = (d1 + e - z) / (2.0 * e);
        F = Splat(t) * (a * F + c) + Splat(1.0 - t) * ((Splat(1.0) - v) * c + F);
        d1 = pixelkernel::FrontDepthInBand(z, e, d1);
    } else {
        F = (Splat(1.0) - v) * c + F;
    }
    v = Splat(1.0) - (Splat(1.0) - v) * a;
    F = CapAt(F, 255.0);
    *depthFront = static_cast<float>(d1 > -kDepthLimit ? (d1 < kDepthLimit ? d1 : kDepthLimit) : -kDepthLimit);

    // 13. P = (1 - v) B + F, alpha 255 clamp(1 - (1 - V)(1 - a1 / 255)).
    const double V = (Red(v) + Green(v) + Blue(v)) * (1.0 / 3.0);
    const double alpha = 255.0 * pixelkernel::Clamp01(1.0 - (1.0 - V) * (1.0 - a1 * kInv255));
    const TLanes P = WithAlpha(CapAt((Splat(1.0) - v) * B + F, 255.0), alpha);
    const double* d = dither.table + dither.index;
    StoreAll(picture, DitheredWord(P, d));

    // 14. Keep the front paint, or settle it once it is nearly opaque.
    if (V <= 0.95) {
        StoreColour(cover, DitheredWord(Splat(255.0) * AtLeastZero(v), d + 4));
        StoreColour(front, DitheredWord(F, d + 7));
        dither.index += 10;
    } else {
        std::memcpy(back, picture, 4);
        StoreColour(front, 0);
        StoreColour(cover, 0);
        row.depthBack[x] = *depthFront;
        dither.index += 4;
    }
    pixelkernel::CopyToMirror(row, x);
}

}  // namespace pixelsse2

#endif
