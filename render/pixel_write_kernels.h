// The pixel writers' per-pixel kernels, inline so that the disc rasteriser
// runs them without a call per pixel. Everything here works on one row
// prepared by CanvasPixelRow; pixel_write.cpp wraps them for single pixels.
#pragma once

#include <cmath>
#include <cstring>

#include "base/random.h"
#include "render/pixel_kernel_inline.h"
#include "render/pixel_write.h"
#include "render/paint_canvas.h"

namespace pixelkernel {

// The dither values in table order: the noise table value plus 1, times
// 0.5, held below 0.99999 (the table holds 1.0 itself; the dither must stay
// below one step). Built once from the noise table, with the start of the
// sequence repeated past its end so that one pixel's values need no wrap.
constexpr int32_t kDitherSlack = 64;  // more than any pixel writer takes at once
const double* DitherTable();

// The dither sequence held in a local while a stamp is written, one value
// per 8-bit channel. Each pixel writer calls Renew before it takes its
// values. Written back to the canvas with Store.
struct TDitherCursor {
    const double* table;
    int32_t index;

    explicit TDitherCursor(const TPaintCanvas& canvas) : table(DitherTable()), index(canvas.shading.ditherCounter) {
        if (index < 0 || index >= kNoiseTableSize) index = 0;
    }
    void Renew() {
        if (index >= kNoiseTableSize) index -= kNoiseTableSize;
    }
    double Next() { return table[index++]; }
    // 16-bit channels are written without dither.
    double For(int32_t bytes) { return bytes == 8 ? 0.0 : Next(); }
    void Store(TPaintCanvas& canvas) {
        Renew();
        canvas.shading.ditherCounter = index;
    }
};

constexpr double kFrom16 = 0.0038910505836575876;  // 1 / 257
constexpr double kInv255 = 1.0 / 255.0;  // a multiply, not a division, per channel
constexpr double kDepthLimit = 1e30;
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;
constexpr int kAlpha = 3;
// Channel c (red, green, blue) of the paint lives at this byte of a pixel.
constexpr int kChannelByte[3] = {kRed, kGreen, kBlue};

// v limited to [0, 255]; NaN reads as 0.
// (Written as a max then a min, which compile to two branchless instructions.)
inline double Clamp255(double v) {
    const double t = v > 0.0 ? v : 0.0;
    return t < 255.0 ? t : 255.0;
}
inline double Clamp01(double v) {
    const double t = v > 0.0 ? v : 0.0;
    return t < 1.0 ? t : 1.0;
}

// Channel k (byte order B, G, R, A) of a 4- or 8-byte pixel in 0..255 units.
inline double ReadChannel(const uint8_t* pixel, int32_t bytes, int k) {
    if (bytes == 8) {
        uint16_t v;
        std::memcpy(&v, pixel + 2 * k, sizeof v);
        return v * kFrom16;
    }
    return pixel[k];
}

// Stores v (0..255 units): 8-bit channels take floor(v + dither) -- with a
// dither uniform in [0, 1) that is rounding to nearest on average -- and
// 16-bit channels v * 257 rounded, without dither.
inline void StoreChannel(uint8_t* pixel, int32_t bytes, int k, double v, double dither) {
    if (bytes == 8) {
        const uint16_t w = static_cast<uint16_t>(Clamp255(v) * 257.0 + 0.5);
        std::memcpy(pixel + 2 * k, &w, sizeof w);
        return;
    }
    pixel[k] = static_cast<uint8_t>(Clamp255(v + dither));
}


inline uint8_t* PixelAt(uint8_t* row, int32_t bytes, int32_t x) {
    return row + static_cast<intptr_t>(x) * bytes;
}

// A pixel copied between layers of possibly different channel depth.
inline void CopyPixel(const uint8_t* from, int32_t fromBytes, uint8_t* to, int32_t toBytes) {
    if (fromBytes == toBytes) {
        std::memcpy(to, from, static_cast<size_t>(toBytes));
        return;
    }
    for (int k = 0; k < 4; ++k) StoreChannel(to, toBytes, k, ReadChannel(from, fromBytes, k), 0.5);
}

inline bool LayerCovers(const TCanvasLayer& layer, const TPaintCanvas& canvas) {
    return layer.pixels && (layer.bytesPerPixel == 4 || layer.bytesPerPixel == 8) && layer.width >= canvas.width &&
           layer.height >= canvas.height;
}

inline uint8_t* LayerRow(const TPaintCanvas& canvas, int index, int32_t y, int32_t& bytes) {
    const TCanvasLayer& layer = canvas.layer[index];
    if (!LayerCovers(layer, canvas)) return nullptr;
    bytes = layer.bytesPerPixel;
    return layer.Row(y);
}

inline float* DepthRow(const TPaintCanvas& canvas, int index, int32_t y) {
    float* depth = canvas.depthLayer[index];
    if (!depth || canvas.depthWidth[index] < canvas.width || canvas.depthHeight[index] < canvas.height) return nullptr;
    return depth + static_cast<intptr_t>(y) * canvas.depthWidth[index];
}

inline bool Inside(const TPaintCanvas& canvas, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < canvas.width && y < canvas.height;
}

inline void CopyToMirror(const TPixelRow& row, int32_t x) {
    if (!row.mirror || !row.picture) return;
    CopyPixel(PixelAt(row.picture, row.pictureBytes, x), row.pictureBytes, PixelAt(row.mirror, row.mirrorBytes, x),
              row.mirrorBytes);
}


// Fixed: the byte width of every colour layer of the row when the caller
// knows it (4 on the usual 8-bit canvas), so the channel reads and writes
// need no width test; kAnyWidth reads the widths from the row.
constexpr int32_t kAnyWidth = 0;

// The mode most brushes write in: colour, alpha and depth, no erase, no shadow.
inline bool IsUsual(const TPixelWriteMode& mode) {
    return mode.modifyColor && mode.modifyAlpha && mode.modifyDepth && !mode.erase && !mode.shadowPass;
}

// True when every colour layer of the row is 8-bit (or missing).
inline bool NarrowRow(const TPixelRow& row) {
    return row.pictureBytes == 4 && row.backBytes == 4 && row.frontBytes == 4 && row.coverBytes == 4;
}

// Usual: the mode is the usual one (see IsUsual), so its tests fold away.
template <int32_t Fixed, bool Usual = false>
TF_PIXEL_KERNEL void PlainPixelOf(const TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x,
                         const TPixelPaint& paint, TDitherCursor& dither) {
    if (!row.picture) return;
    dither.Renew();
    // Fixed at compile time for the usual mode (colour, alpha and depth
    // written, neither erasing nor a shadow), else read from the mode.
    const bool modifyColor = Usual || mode.modifyColor;
    const bool modifyAlpha = Usual || mode.modifyAlpha;
    const bool modifyDepth = Usual || mode.modifyDepth;
    const bool erase = !Usual && mode.erase;
    const bool shadowPass = !Usual && mode.shadowPass;
    (void)modifyDepth;
    (void)shadowPass;
    const int32_t bytes = Fixed ? Fixed : row.pictureBytes;
    uint8_t* pixel = PixelAt(row.picture, bytes, x);

    if (modifyColor) {
        // new = (1 - a) old + c a + l, per channel
        for (int c = 0; c < 3; ++c) {
            const int k = kChannelByte[c];
            const double a = paint.opacity[c];
            const double old = ReadChannel(pixel, bytes, k);
            const double v = (1.0 - a) * old + paint.colour[c] * a + paint.light[c];
            StoreChannel(pixel, bytes, k, v, dither.For(bytes));
        }
    }
    if (modifyAlpha) {
        // A third of the mean opacity: a full-opacity pass takes away a tenth
        // of the remaining transparency.
        const double m = (paint.opacity[0] + paint.opacity[1] + paint.opacity[2]) * 0.03333333333;
        const double old = ReadChannel(pixel, bytes, kAlpha);
        double alpha;
        if (!erase) {
            const double t = (1.0 - old * kInv255) * (1.0 - m);
            alpha = t <= 0.0 ? 255.0 : (t < 1.0 ? (1.0 - t) * 255.0 : 0.0);
        } else {
            alpha = m >= 1.0 ? 0.0 : (m <= 0.0 ? old : (1.0 - m) * old);
        }
        if (alpha != alpha) alpha = old;  // NaN opacity leaves the alpha alone
        StoreChannel(pixel, bytes, kAlpha, alpha, 0.5);
    }

    if (erase) {
        // Erased paint is gone from the depth mode's layers too: the depth
        // buffers forget it, the settled layer takes the erased picture
        // (so later depth paint composes over the background, not over the
        // paint that was erased) and the front paint is emptied.
        const bool reset = canvas.projectionOn && canvas.shading.depthReset;
        const float far = reset ? (canvas.projectionKind == 1 || canvas.projectionKind == 2 ? 10000.0f : 1.0f)
                                : kEmptyDepth;
        if (row.depthBack) row.depthBack[x] = far;
        if (row.depthFront) row.depthFront[x] = far;
        const int32_t backBytes = Fixed ? Fixed : row.backBytes;
        const int32_t frontBytes = Fixed ? Fixed : row.frontBytes;
        const int32_t coverBytes = Fixed ? Fixed : row.coverBytes;
        if (row.back) CopyPixel(pixel, bytes, PixelAt(row.back, backBytes, x), backBytes);
        if (row.front) std::memset(PixelAt(row.front, frontBytes, x), 0, static_cast<size_t>(frontBytes));
        if (row.cover) std::memset(PixelAt(row.cover, coverBytes, x), 0, static_cast<size_t>(coverBytes));
    }
    CopyToMirror(row, x);
}

inline void PlainPixel(const TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x,
                       const TPixelPaint& paint, TDitherCursor& dither) {
    if (NarrowRow(row))
        PlainPixelOf<4>(canvas, row, mode, x, paint, dither);
    else
        PlainPixelOf<kAnyWidth>(canvas, row, mode, x, paint, dither);
}


// The depth writer's paint for one pixel: colour c and added light l
// (0..255 units), opacity o (0..1) per channel, mean opacity m.
struct TDepthPaint {
    double c[3], l[3], o[3];
    float m;
};

// Steps 3 to 6. Fade: f = clamp((z - near) / (far - near)), c := gain c (1 - f) + 255 fade f, l := l (1 - f).
// Back cut when d0 + e < zb: t = (d0 + e - z) / (zb - z), k = min(1, (1 - (1 - m)^t) / m), o, l, m × k.
// Shadow: r = 2 (zb - z), δ = d0 - zb; outside [-r, r] untouched, else m, o × (1 - |δ| / r).
// False when the pixel is left untouched.
TF_PIXEL_KERNEL bool PrepareDepthPaint(const TDepthFade& fade, const TPixelPaint& paint, bool shadowPass, double d0,
                                       double z, double zb, double e, TDepthPaint& p) {
    for (int k = 0; k < 3; ++k) {
        p.c[k] = paint.colour[k];
        p.l[k] = paint.light[k];
        p.o[k] = Clamp01(paint.opacity[k]);
    }
    if (fade.enabled) {
        const double f = Clamp01((z - fade.nearDepth) / (fade.farDepth - fade.nearDepth));
        for (int k = 0; k < 3; ++k) {
            p.c[k] = fade.gain[k] * p.c[k] * (1.0 - f) + 255.0 * fade.colour[k] * f;
            p.l[k] *= 1.0 - f;
        }
    }
    p.m = static_cast<float>((p.o[0] + p.o[1] + p.o[2]) * (1.0 / 3.0));  // single precision
    if (d0 + e < zb) {
        const double t = (d0 + e - z) / (zb - z);
        if (p.m > 0.0f) {
            // m is single precision, so the power need be no finer.
            double k = (1.0 - static_cast<double>(powf(1.0f - p.m, static_cast<float>(t)))) / p.m;
            if (k > 1.0) k = 1.0;
            p.m = static_cast<float>(p.m * k);
            for (int i = 0; i < 3; ++i) {
                p.o[i] *= k;
                p.l[i] *= k;
            }
        } else {
            for (double& v : p.l) v *= t;
        }
    }
    if (shadowPass) {
        const double r = 2.0 * (zb - z);
        if (r > 0.0) {
            const double delta = d0 - zb;
            if (delta > r || delta < -r) return false;
            const double g = 1.0 - std::fabs(delta) / r;
            p.m = static_cast<float>(p.m * g);
            for (double& v : p.o) v *= g;
        }
    }
    return true;
}

// The front depth d1 after paint at depth z in front of it: moved to z by
// the paint's weight k = (l0 + l1 + l2) / 765 + m, all the way from a
// quarter, and never left more than 100 e behind z.
TF_PIXEL_KERNEL double FrontDepthInFront(double lightSum, float m, double z, double e, double d1) {
    if (m >= 0.25f) return z;
    double k = lightSum * 0.00130718954248366 + m;  // 1/765
    if (k >= 0.25) return z;
    k *= 4.0;
    if (z + 100.0 * e < d1) d1 = z + 100.0 * e;
    return k * z + (1.0 - k) * d1;
}

// ... and after paint in the band |z - d1| <= e: g = (d1 - z) / e, part of
// the way by g + 1/2, all the way from g = 1/2.
TF_PIXEL_KERNEL double FrontDepthInBand(double z, double e, double d1) {
    const double g = (d1 - z) / e;
    if (g > -0.5 && g < 0.5) return (g + 0.5) * z + (0.5 - g) * d1;
    return g >= 0.5 ? z : d1;
}

// Steps 11 and 12, with c premultiplied (c o + l) and a = 1 - o:
//   in front (z <= d1 - e):   F := a F + c
//   in the band (|z - d1| <= e): F := t (a F + c) + (1 - t) ((1 - v) c + F), t = (d1 + e - z) / 2e
//   behind (z > d1 + e):     F := (1 - v) c + F
// then v := 1 - (1 - v) a and F := min(F, 255). Returns the new front depth
// (modifyDepth): in front it moves to z by the paint's weight, in the band
// part of the way.
TF_PIXEL_KERNEL double ComposeFront(const double* c, const double* a, const double* l, float m, double z, double e,
                                    double d1, bool modifyDepth, double* F, double* v) {
    if (z <= d1 - e) {
        for (int i = 0; i < 3; ++i) F[i] = a[i] * F[i] + c[i];
        if (modifyDepth) d1 = FrontDepthInFront(l[0] + l[1] + l[2], m, z, e, d1);
    } else if (z <= d1 + e) {
        const double t = (d1 + e - z) / (2.0 * e);
        for (int i = 0; i < 3; ++i) F[i] = t * (a[i] * F[i] + c[i]) + (1.0 - t) * ((1.0 - v[i]) * c[i] + F[i]);
        if (modifyDepth) d1 = FrontDepthInBand(z, e, d1);
    } else {
        for (int i = 0; i < 3; ++i) F[i] = (1.0 - v[i]) * c[i] + F[i];
    }
    for (int i = 0; i < 3; ++i) {
        v[i] = 1.0 - (1.0 - v[i]) * a[i];
        if (F[i] > 255.0) F[i] = 255.0;
    }
    return d1;
}

// The depth-mode writer. Steps 1 and 2 (behind settled paint: untouched;
// erasing or a missing layer: the plain writer), the paint's preparation,
// the layers read (7), premultiplied (9), composed (10 to 12), then the
// picture P = (1 - v) B + F over the settled alpha (13) and the front paint
// kept or, past a mean coverage of 0.95, settled (14).
template <int32_t Fixed, bool Usual = false>
TF_PIXEL_KERNEL void DepthPixelOf(const TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode,
                                  int32_t x, const TPixelPaint& paint, double z, double zb, double e, double s,
                                  TDitherCursor& dither) {
    if (!row.picture) return;
    dither.Renew();
    // Fixed at compile time for the usual mode (colour, alpha and depth
    // written, neither erasing nor a shadow), else read from the mode.
    const bool modifyColor = Usual || mode.modifyColor;
    const bool modifyAlpha = Usual || mode.modifyAlpha;
    const bool modifyDepth = Usual || mode.modifyDepth;
    const bool erase = !Usual && mode.erase;
    const bool shadowPass = !Usual && mode.shadowPass;
    const int32_t pictureBytes = Fixed ? Fixed : row.pictureBytes;
    const int32_t backBytes = Fixed ? Fixed : row.backBytes;
    const int32_t frontBytes = Fixed ? Fixed : row.frontBytes;
    const int32_t coverBytes = Fixed ? Fixed : row.coverBytes;
    // 1.
    const double d0 = row.depthBack ? static_cast<double>(row.depthBack[x]) : 0.0;
    if (row.depthBack && d0 < z - e) return;
    // 2.
    if (erase || !row.depthBack || !row.depthFront || !row.back || !row.front || !row.cover) {
        PlainPixelOf<Fixed, Usual>(canvas, row, mode, x, paint, dither);
        return;
    }
    // NaN depths, or depths past what a float holds, would poison the buffers.
    if (!(std::fabs(z) < kDepthLimit) || !(std::fabs(zb) < kDepthLimit) || !(e >= 0.0 && e < kDepthLimit)) return;
    TDepthPaint p;
    if (!PrepareDepthPaint(canvas.fade, paint, shadowPass, d0, z, zb, e, p)) return;

    // 7. The layers at this pixel (16-bit coverage below 1 counts as none).
    uint8_t* picture = PixelAt(row.picture, pictureBytes, x);
    uint8_t* back = PixelAt(row.back, backBytes, x);
    uint8_t* front = PixelAt(row.front, frontBytes, x);
    uint8_t* cover = PixelAt(row.cover, coverBytes, x);
    double B[3], F[3], v[3];
    for (int i = 0; i < 3; ++i) {
        const int k = kChannelByte[i];
        B[i] = ReadChannel(back, backBytes, k);
        F[i] = ReadChannel(front, frontBytes, k);
        double cv = ReadChannel(cover, coverBytes, k);
        if (coverBytes == 8 && cv < 1.0) cv = 0.0;
        v[i] = cv * kInv255;
    }
    double a1 = ReadChannel(back, backBytes, kAlpha);

    // 8. Sub-stamps fade in where the front paint already covers.
    if (s < 1.0) {
        for (int i = 0; i < 3; ++i) {
            const double w = v[i] * 0.4 + s;
            if (w < 1.0) {
                p.o[i] *= w;
                p.l[i] *= w;
                if (i == 0) p.m = static_cast<float>(p.m * w);
            }
        }
    }

    // 9. Premultiply: c' = c o + l, a = 1 - o.
    double c[3], a[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = p.c[i] * p.o[i] + p.l[i];
        a[i] = 1.0 - p.o[i];
    }

    float* depthFront = row.depthFront + x;
    float* depthBack = row.depthBack + x;
    if (shadowPass) {
        // 10. B' = a B + c'; the settled alpha closes by m.
        for (int i = 0; i < 3; ++i) {
            B[i] = a[i] * B[i] + c[i];
            StoreChannel(back, backBytes, kChannelByte[i], B[i], 0.5);
        }
        a1 = Clamp255(255.0 - (255.0 - a1) * (1.0 - p.m));
        StoreChannel(back, backBytes, kAlpha, a1, 0.5);
    } else {
        // 11 and 12.
        const double d1 = ComposeFront(c, a, p.l, p.m, z, e, *depthFront, modifyDepth, F, v);
        if (modifyDepth) *depthFront = static_cast<float>(d1 > -kDepthLimit ? (d1 < kDepthLimit ? d1 : kDepthLimit) : -kDepthLimit);
    }

    // 13. P = (1 - v) B + F, alpha 255 clamp(1 - (1 - V)(1 - a1 / 255)).
    const double V = (v[0] + v[1] + v[2]) * (1.0 / 3.0);
    if (modifyColor) {
        for (int i = 0; i < 3; ++i) {
            double P = (1.0 - v[i]) * B[i] + F[i];
            if (P > 255.0) P = 255.0;
            StoreChannel(picture, pictureBytes, kChannelByte[i], P, dither.For(pictureBytes));
        }
    }
    if (modifyAlpha) {
        const double alpha = 255.0 * Clamp01(1.0 - (1.0 - V) * (1.0 - a1 * kInv255));
        StoreChannel(picture, pictureBytes, kAlpha, alpha, dither.For(pictureBytes));
    }

    // 14. Keep the front paint, or settle it once it is nearly opaque.
    if (V <= 0.95) {
        if (modifyAlpha) {
            for (int i = 0; i < 3; ++i)
                StoreChannel(cover, coverBytes, kChannelByte[i], 255.0 * (v[i] > 0.0 ? v[i] : 0.0),
                             dither.For(coverBytes));
        }
        if (modifyColor) {
            for (int i = 0; i < 3; ++i)
                StoreChannel(front, frontBytes, kChannelByte[i], F[i], dither.For(frontBytes));
        }
    } else {
        CopyPixel(picture, pictureBytes, back, backBytes);
        for (int i = 0; i < 3; ++i) {
            StoreChannel(front, frontBytes, kChannelByte[i], 0.0, 0.0);
            StoreChannel(cover, coverBytes, kChannelByte[i], 0.0, 0.0);
        }
        if (modifyDepth) *depthBack = *depthFront;
    }
    CopyToMirror(row, x);
}

inline void DepthPixel(const TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x,
                       const TPixelPaint& paint, double z, double zb, double e, double s, TDitherCursor& dither) {
    if (NarrowRow(row))
        DepthPixelOf<4>(canvas, row, mode, x, paint, z, zb, e, s, dither);
    else
        DepthPixelOf<kAnyWidth>(canvas, row, mode, x, paint, z, zb, e, s, dither);
}

}  // namespace pixelkernel
