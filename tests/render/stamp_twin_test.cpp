// The stamp rasteriser and both pixel writers against a twin written
// straight from their formulas, over thousands of seeded random stamps.
//
// The twin shares nothing with the optimised path but the texture sampler
// and the smear/blur scratch preparation (both set up per stamp, not per
// pixel): it visits every pixel of the stamp's box with a square root,
// works in double precision throughout and writes the pixels with its own
// plain writers. Tolerance: every 8-bit channel within one step (16-bit
// channels within one 8-bit step's worth), every depth within 1e-4 of its
// size (the writer's mean opacity and back-cut power are single precision), and the dither counter exact, since it decides the rounding of
// every later pixel. Each stamp starts both canvases from the same state
// (the optimised canvas is copied over the twin's after each comparison),
// so one rounding step never grows into a different picture; a stray write
// outside a stamp's box shows in the whole-canvas comparison at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "base/random.h"
#include "render/stamp_shading.h"
#include "render/texture_sampler.h"
#include "stamp_fixture.h"

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

namespace twin {

// ---- Dither: (noise value + 1) / 2, held below one step; one per 8-bit channel.
struct TDither {
    int32_t counter;
    double Next() {
        if (counter < 0 || counter >= kNoiseTableSize) counter = 0;
        double v = (static_cast<double>(NoiseTable()[counter]) + 1.0) * 0.5;
        if (!(v < 0.99999)) v = 0.99999;
        ++counter;
        return v;
    }
};

// ---- Channel access: byte order B, G, R, A; 16-bit channels hold value x 257.
struct TLayerView {
    uint8_t* pixels = nullptr;
    int32_t bytes = 4;
};

TLayerView LayerAt(TPaintCanvas& canvas, int index, int32_t x, int32_t y) {
    const TCanvasLayer& l = canvas.layer[index];
    if (!l.pixels) return {};
    return {l.Row(y) + static_cast<size_t>(x) * l.bytesPerPixel, l.bytesPerPixel};
}

double Read(const TLayerView& p, int k) {
    if (p.bytes == 8) {
        uint16_t v;
        std::memcpy(&v, p.pixels + 2 * k, 2);
        return v / 257.0;
    }
    return p.pixels[k];
}

double Clamp(double v, double lo, double hi) {
    if (!(v > lo)) return lo;  // NaN as lo
    return v < hi ? v : hi;
}

// 8-bit: floor(v + dither) within [0, 255]; 16-bit: v x 257 rounded, no dither.
void Write(const TLayerView& p, int k, double v, TDither* dither) {
    if (p.bytes == 8) {
        const uint16_t w = static_cast<uint16_t>(Clamp(v, 0.0, 255.0) * 257.0 + 0.5);
        std::memcpy(p.pixels + 2 * k, &w, 2);
        return;
    }
    const double d = dither ? dither->Next() : 0.5;
    p.pixels[k] = static_cast<uint8_t>(Clamp(v + d, 0.0, 255.0));
}

constexpr int kByteOf[3] = {2, 1, 0};  // red, green, blue

struct TPaint {
    double c[3], l[3], o[3];
};

struct TMode {
    bool colour, alpha, depth, erase, shadow;
};

// ---- WritePixel: new = (1 - a) old + c a + l + dither; alpha by m = sum(a) x 0.0333...
void PlainWrite(TPaintCanvas& canvas, const TMode& mode, int32_t x, int32_t y, const TPaint& p, TDither& dither) {
    const TLayerView px = LayerAt(canvas, 0, x, y);
    if (mode.colour)
        for (int c = 0; c < 3; ++c) {
            const double old = Read(px, kByteOf[c]);
            Write(px, kByteOf[c], (1.0 - p.o[c]) * old + p.c[c] * p.o[c] + p.l[c], &dither);
        }
    if (mode.alpha) {
        const double m = (p.o[0] + p.o[1] + p.o[2]) * 0.03333333333;
        const double old = Read(px, 3);
        double a;
        if (!mode.erase) {
            const double t = (1.0 - old / 255.0) * (1.0 - m);
            a = t <= 0.0 ? 255.0 : (t < 1.0 ? (1.0 - t) * 255.0 : 0.0);
        } else {
            a = m >= 1.0 ? 0.0 : (m <= 0.0 ? old : (1.0 - m) * old);
        }
        if (a != a) a = old;
        Write(px, 3, a, nullptr);
    }
    if (mode.erase) {
        const bool reset = canvas.projectionOn && canvas.shading.depthReset;
        const float far = reset ? (canvas.projectionKind == 1 || canvas.projectionKind == 2 ? 10000.0f : 1.0f) : 1e6f;
        for (int i = 0; i < 2; ++i)
            if (canvas.depthLayer[i]) canvas.depthLayer[i][y * canvas.width + x] = far;
        const TLayerView back = LayerAt(canvas, 1, x, y);
        if (back.pixels)
            for (int k = 0; k < 4; ++k) Write(back, k, Read(px, k), nullptr);
        for (int i = 2; i <= 3; ++i) {
            const TLayerView l = LayerAt(canvas, i, x, y);
            if (l.pixels) std::memset(l.pixels, 0, static_cast<size_t>(l.bytes));
        }
    }
}

// ---- WritePixelDepth, step by step.
void DepthWrite(TPaintCanvas& canvas, const TMode& mode, int32_t x, int32_t y, TPaint p, double z, double zb, double e,
                TDither& dither) {
    float* d0p = canvas.depthLayer[0] ? canvas.depthLayer[0] + y * canvas.width + x : nullptr;
    float* d1p = canvas.depthLayer[1] ? canvas.depthLayer[1] + y * canvas.width + x : nullptr;
    const double d0 = d0p ? *d0p : 0.0;
    if (d0p && d0 < z - e) return;  // 1. behind settled paint
    if (mode.erase || !d0p || !d1p || !canvas.layer[1].pixels || !canvas.layer[2].pixels || !canvas.layer[3].pixels) {
        PlainWrite(canvas, mode, x, y, p, dither);  // 2.
        return;
    }
    if (!(std::fabs(z) < 1e30) || !(std::fabs(zb) < 1e30) || !(e >= 0.0 && e < 1e30)) return;
    for (double& o : p.o) o = Clamp(o, 0.0, 1.0);
    if (canvas.fade.enabled) {  // 3.
        const TDepthFade& f = canvas.fade;
        const double t = Clamp((z - f.nearDepth) / (f.farDepth - f.nearDepth), 0.0, 1.0);
        for (int c = 0; c < 3; ++c) {
            p.c[c] = f.gain[c] * p.c[c] * (1.0 - t) + 255.0 * f.colour[c] * t;
            p.l[c] *= 1.0 - t;
        }
    }
    double m = (p.o[0] + p.o[1] + p.o[2]) / 3.0;  // 4.
    if (d0 + e < zb) {                              // 5.
        const double t = (d0 + e - z) / (zb - z);
        if (m > 0.0) {
            const double k = std::min(1.0, (1.0 - std::pow(1.0 - m, t)) / m);
            m *= k;
            for (int c = 0; c < 3; ++c) {
                p.o[c] *= k;
                p.l[c] *= k;
            }
        } else {
            for (double& l : p.l) l *= t;
        }
    }
    if (mode.shadow) {  // 6.
        const double r = 2.0 * (zb - z);
        if (r > 0.0) {
            const double delta = d0 - zb;
            if (delta > r || delta < -r) return;
            const double g = 1.0 - std::fabs(delta) / r;
            m *= g;
            for (double& o : p.o) o *= g;
        }
    }
    const TLayerView pic = LayerAt(canvas, 0, x, y), back = LayerAt(canvas, 1, x, y), front = LayerAt(canvas, 2, x, y),
                     cover = LayerAt(canvas, 3, x, y);
    double B[3], F[3], v[3], a[3], c[3];
    for (int i = 0; i < 3; ++i) {  // 7.
        B[i] = Read(back, kByteOf[i]);
        F[i] = Read(front, kByteOf[i]);
        double cv = Read(cover, kByteOf[i]);
        if (cover.bytes == 8 && cv < 1.0) cv = 0.0;
        v[i] = cv / 255.0;
    }
    double a1 = Read(back, 3);
    for (int i = 0; i < 3; ++i) {  // 9.
        c[i] = p.c[i] * p.o[i] + p.l[i];
        a[i] = 1.0 - p.o[i];
    }
    if (mode.shadow) {  // 10.
        for (int i = 0; i < 3; ++i) {
            B[i] = a[i] * B[i] + c[i];
            Write(back, kByteOf[i], B[i], nullptr);
        }
        a1 = Clamp(255.0 - (255.0 - a1) * (1.0 - m), 0.0, 255.0);
        Write(back, 3, a1, nullptr);
    } else {  // 11.
        double d1 = *d1p;
        if (z <= d1 - e) {
            for (int i = 0; i < 3; ++i) F[i] = a[i] * F[i] + c[i];
            if (mode.depth) {
                const double k = (p.l[0] + p.l[1] + p.l[2]) / 765.0 + m;
                if (m >= 0.25 || k >= 0.25) {
                    d1 = z;
                } else {
                    d1 = std::min(d1, z + 100.0 * e);
                    d1 = 4.0 * k * z + (1.0 - 4.0 * k) * d1;
                }
            }
        } else if (z <= d1 + e) {
            const double t = (d1 + e - z) / (2.0 * e);
            for (int i = 0; i < 3; ++i) F[i] = t * (a[i] * F[i] + c[i]) + (1.0 - t) * ((1.0 - v[i]) * c[i] + F[i]);
            if (mode.depth) {
                const double g = (d1 - z) / e;
                if (g > -0.5 && g < 0.5)
                    d1 = (g + 0.5) * z + (0.5 - g) * d1;
                else if (g >= 0.5)
                    d1 = z;
            }
        } else {
            for (int i = 0; i < 3; ++i) F[i] = (1.0 - v[i]) * c[i] + F[i];
        }
        if (mode.depth) *d1p = static_cast<float>(Clamp(d1, -1e30, 1e30));
        for (int i = 0; i < 3; ++i) {  // 12.
            v[i] = 1.0 - (1.0 - v[i]) * a[i];
            F[i] = std::min(F[i], 255.0);
        }
    }
    const double V = (v[0] + v[1] + v[2]) / 3.0;  // 13.
    if (mode.colour)
        for (int i = 0; i < 3; ++i) Write(pic, kByteOf[i], std::min(255.0, (1.0 - v[i]) * B[i] + F[i]), &dither);
    if (mode.alpha) Write(pic, 3, 255.0 * Clamp(1.0 - (1.0 - V) * (1.0 - a1 / 255.0), 0.0, 1.0), &dither);
    if (V <= 0.95) {  // 14.
        if (mode.alpha)
            for (int i = 0; i < 3; ++i) Write(cover, kByteOf[i], 255.0 * std::max(0.0, v[i]), &dither);
        if (mode.colour)
            for (int i = 0; i < 3; ++i) Write(front, kByteOf[i], F[i], &dither);
    } else {
        for (int k = 0; k < 4; ++k) Write(back, k, Read(pic, k), nullptr);
        for (int i = 0; i < 3; ++i) {
            Write(front, kByteOf[i], 0.0, nullptr);
            Write(cover, kByteOf[i], 0.0, nullptr);
        }
        if (mode.depth) *d0p = *d1p;
    }
}

// ---- Coverage at distance d: S(t) = 2t^3 - 3t^2 + 1.
double S(double t) { return 2 * t * t * t - 3 * t * t + 1; }

double Coverage(double d, double r, double s, double rim, bool glow) {
    if (d > r) return 0.0;
    const double q = 1.0 - s * 0.5;
    const double limit = std::max(0.0, r - rim);
    double c;
    if (q > 1.0) {  // hollow ring
        const double edge = std::min(2.0 * (q - 1.0) * r, limit);
        if (d < edge)
            c = 0.0;
        else if (d <= limit)
            c = limit > edge ? 1.0 - std::pow(S((d - edge) / (limit - edge)), 2) : 1.0;
        else
            c = std::pow(S((d - limit) / (r - limit)), 2);
    } else {
        const double inner = q >= 0.5 ? std::max(0.0, std::min(2.0 * (q - 0.5) * r, limit)) : 0.0;
        if (d < inner) {
            c = 1.0;
        } else {
            const double t = (d - inner) / (r - inner);
            c = glow ? std::pow(1.0 - t, 8) : std::pow(S(t), 2);
        }
        c *= q >= 0.5 ? 1.0 : 2.0 * q;
    }
    return Clamp(c, 0.0, 1.0);
}

// The texture coordinates (u, v) and the footprint (du, dv) of a pixel at
// (column, row), offset (across, along) pixels from the centre, by mapping method.
void TextureAt(const TBrushRecord& b, const TStamp& st, const TPaintCanvas& canvas, double r, int32_t column,
               int32_t row, double across, double along, double out[4]) {
    switch (b.mapMethod) {
        case 0:  // by canvas position
            out[0] = row * b.repeatU / canvas.height + b.offsetU;
            out[1] = column * b.repeatV / canvas.width + b.offsetV;
            out[2] = b.blurMult * std::fabs(b.repeatU / canvas.height);
            out[3] = b.blurMult * std::fabs(b.repeatV / canvas.width);
            return;
        case 1:  // by screen position from the run's origin (none here: origin 0, scale 1)
            out[0] = row * b.repeatU + b.offsetU;
            out[1] = column * b.repeatV + b.offsetV;
            out[2] = b.blurMult * std::fabs(b.repeatU);
            out[3] = b.blurMult * std::fabs(b.repeatV);
            return;
        case 3: {  // wrapped around the stroke
            double a = st.across + across * 0.25 / r;
            a -= std::floor(a);
            out[0] = a * b.repeatV + b.offsetV;
            out[1] = (st.texture + along * st.textureRate) * b.repeatU;
            out[2] = std::fabs(b.repeatV) * b.blurMult * 0.25 / r;
            out[3] = b.blurMult * std::fabs(st.textureRate * b.repeatU);
            return;
        }
        default:  // across the stroke
            out[0] = 0.5 + across * b.repeatV * 0.5 / r + b.offsetV;
            out[1] = (st.texture + along * st.textureRate) * b.repeatU;
            out[2] = b.blurMult * std::fabs(b.repeatV * 0.5 / r);
            out[3] = b.blurMult * std::fabs(st.textureRate * b.repeatU);
            return;
    }
}

// The pixel box of one axis: centres within [c - r, c + r], clamped.
// The pixel range whose centres lie within [c - r, c + r]: clamped to the
// canvas, or on a wrapping axis with the centre brought into the canvas first
// and the range held to one period (c is then moved to that centre).
bool Axis(double& c, double r, int32_t size, bool wrap, int32_t& lo, int32_t& hi) {
    if (!wrap) {
        lo = static_cast<int32_t>(std::max(0.0, std::floor(c - r + 0.5)));
        hi = static_cast<int32_t>(std::min<double>(size, std::floor(c + r + 0.5)));
        return lo < hi;
    }
    c -= std::floor(c / size) * size;
    lo = static_cast<int32_t>(std::floor(c - r + 0.5));
    hi = static_cast<int32_t>(std::floor(c + r + 0.5));
    if (hi - lo > size) {
        lo = static_cast<int32_t>(std::floor(c)) - size / 2;
        hi = lo + size;
    }
    return lo < hi;
}

int32_t Modulo(int32_t i, int32_t n) { return ((i % n) + n) % n; }

// ---- RasterStamp (no own images, no sub-stamps).
// box receives the pixel box the twin visited (empty when nothing was drawn).
void Raster(const TStamp& st, TStampPass pass, const TStampLighting& L, int32_t box[4]) {
    box[0] = box[1] = box[2] = box[3] = 0;
    const TBrushRecord& b = *st.brush;
    TPaintCanvas& canvas = *st.canvas;
    const bool erase = b.brushType == 3, sampled = b.brushType == 1 || b.brushType == 2;
    const bool glow = pass == TStampPass::glow, shadow = pass == TStampPass::shadow;
    const double half = st.depthExtent * 0.5, front = st.depth - half;
    double width = st.width, softness = Clamp(st.softness, -2.0, 2.0);
    if (!(width > 0.0)) return;
    if (glow) {
        if (erase) return;
        if (b.depth) {
            const double cx = std::floor(st.x), cy = std::floor(st.y);
            if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) return;
            if (canvas.depthLayer[0][static_cast<int32_t>(cy) * canvas.width + static_cast<int32_t>(cx)] < front) return;
        }
        width *= b.glowSpread;
        softness = Clamp(1.0 - (1.0 - softness) / b.glowSpread, 0.1, 1.0);
    }
    const double minimum = b.edgeAntialias ? 2.5 : 0.5, rim = b.edgeAntialias ? 1.5 : 0.0;
    double scale = 1.0;
    if (width < minimum) {
        scale = (width / minimum) * (width / minimum);
        if (width < b.stampDensity * 0.5) scale *= b.stampDensity * 0.5 / width;
        scale = std::min(scale, 1.0);
        width = minimum;
    }
    const double r = width / 2;
    int32_t x0, x1, y0, y1;
    double centreX = st.x, centreY = st.y;
    if (!Axis(centreX, r, canvas.width, canvas.wrapX, x0, x1) || !Axis(centreY, r, canvas.height, canvas.wrapY, y0, y1))
        return;
    // A box across a wrapping edge paints on both sides: the whole span is compared.
    box[0] = x0 < 0 || x1 > canvas.width ? 0 : x0, box[2] = x0 < 0 || x1 > canvas.width ? canvas.width : x1;
    box[1] = y0 < 0 || y1 > canvas.height ? 0 : y0, box[3] = y0 < 0 || y1 > canvas.height ? canvas.height : y1;
    if (sampled && !SmearBlurRegion(canvas, x0, y0, x1, y1, b.brushType == 2 ? b.blurIntensity : 0)) return;
    const bool texturing = (b.mapColor || b.mapOpacity) && !shadow;
    TTextureSampler sampler(b, b.textureType, b.textureType != 4, 0);
    const bool image = b.textureType == 4;
    const double cs = image ? 1.0 : b.texColorScale, co = image ? 0.0 : b.texColorOffset;
    const double os = image ? 1.0 : b.texOpacityScale, oo = image ? 0.0 : b.texOpacityOffset;
    const bool lit = L.lit && !shadow && !erase && !sampled;
    const double W = L.screenTerms ? L.weight : 0.0;
    const int32_t lights = L.screenTerms ? L.lightCount : 0;
    const double keepShadow = Clamp(1.0 - b.shadowTransparency, 0.0, 1.0);
    const double tint[3] = {b.glowColorR * b.glow, b.glowColorG * b.glow, b.glowColorB * b.glow};
    const TMode mode{b.modifyColor, b.modifyAlpha, b.modifyDepth, erase, shadow};
    TDither dither{canvas.shading.ditherCounter};
    for (int32_t j = y0; j < y1; ++j) {
        const int32_t y = Modulo(j, canvas.height);
        for (int32_t i = x0; i < x1; ++i) {
            const int32_t x = Modulo(i, canvas.width);
            const double dx = i + 0.5 - centreX, dy = j + 0.5 - centreY;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;
            if (b.depth && canvas.depthLayer[0][y * canvas.width + x] < front) continue;
            double cover = Coverage(d, r, softness, rim, glow) * scale;
            if (!(cover > 0.0)) continue;
            // 7. Colour.
            double colour[3];
            for (int c = 0; c < 3; ++c) colour[c] = std::max(0.0, (erase ? canvas.shading.background[c] : st.colour[c]) * 255.0);
            if (sampled) {
                const int32_t bytes = canvas.shading.scratchBytesPerPixel;
                const uint8_t* s = canvas.shading.scratch[canvas.shading.scratchCurrent].data() +
                                   (static_cast<size_t>(j - y0) * canvas.shading.scratchWidth + (i - x0)) * bytes;
                const TLayerView view{const_cast<uint8_t*>(s), bytes};
                for (int c = 0; c < 3; ++c) colour[c] = Read(view, kByteOf[c]);
            }
            const double across = dx * -st.travel[1] + dy * st.travel[0];
            const double along = dx * st.travel[0] + dy * st.travel[1];
            const double a = Clamp(across / r, -1.0, 1.0);
            const double q = 1.0 - a * a;
            if (texturing) {
                double uv[4];
                TextureAt(b, st, canvas, r, x, y, across, along, uv);
                const TTextureSample t = sampler.Sample(uv[0], uv[1], uv[2], uv[3]);
                const double T[3] = {t.red, t.green, t.blue};
                if (b.mapColor)
                    for (int c = 0; c < 3; ++c) colour[c] = std::max(0.0, (cs * colour[c] + (1.0 - cs) * 255.0 + co * 255.0) * T[c]);
                if (b.mapOpacity) cover = std::max(0.0, t.alpha * oo + ((1.0 - os) + t.alpha * os) * cover);
            }
            // 8. Lighting: flat, or the cross-section of a round tube.
            if (lit && st.translucence == 1.0) {
                for (int c = 0; c < 3; ++c)
                    colour[c] = (colour[c] * L.colour[c] + L.specular[c] * 255.0) * L.backShadow[c];
            } else if (lit) {
                double diffuse[3] = {L.diffuse[0], L.diffuse[1], L.diffuse[2]};
                bool any = false;
                for (int k = 0; k < lights; ++k) any = any || L.lightDiffuse[k];
                if (lights > 0) diffuse[0] = diffuse[1] = diffuse[2] = 0.0;
                for (int k = 0; k < lights && any; ++k) {
                    if (!L.lightDiffuse[k]) continue;
                    const double t = (q * L.facing[k] + a * L.across[k]) * W + (1.0 - W);
                    if (t > 0.0)
                        for (int c = 0; c < 3; ++c) diffuse[c] += L.lightColour[k][c] * t;
                }
                const double mean = (diffuse[0] + diffuse[1] + diffuse[2]) / 3.0;
                for (int c = 0; c < 3; ++c) {
                    const double f = W * (diffuse[c] * std::min(st.brightness, 1.0) + L.ambient[c]) + (1.0 - W) * L.colour[c];
                    colour[c] = (colour[c] * f + L.specular[c] * 255.0 * mean) * L.backShadow[c];
                }
            }
            // 9. What the pass lays.
            TPaint p;
            for (int c = 0; c < 3; ++c) {
                const double keep = Clamp(1.0 - st.transparency[c], 0.0, 1.0);
                const double inc = erase ? 0.0 : st.incandescence[c] * 255.0;
                p.c[c] = shadow ? 0.0 : colour[c];
                p.o[c] = shadow ? keep * keepShadow * cover : (glow ? 0.0 : keep * cover);
                p.l[c] = shadow ? 0.0 : (glow ? (colour[c] * keep + inc) * tint[c] * cover : inc * cover);
            }
            // 10. Write.
            if (b.depth)
                DepthWrite(canvas, mode, x, y, p, st.depth - q * half, st.depth + q * half, half * 0.5, dither);
            else
                PlainWrite(canvas, mode, x, y, p, dither);
        }
    }
    canvas.shading.ditherCounter = dither.counter;
}

}  // namespace twin

namespace {

struct TCase {
    TBrushRecord brush = PlainBrush();
    TStamp stamp;
    TStampPass pass = TStampPass::normal;
    TStampLighting lighting;
};

struct TConfig {
    bool depth;
    bool sixteenBit;
    bool fade;
    uint32_t seed;
    bool wrap = false;  // both axes wrap
};

// One random stamp of every kind the rasteriser tells apart: plain, erase,
// smear and blur; normal, glow and shadow passes; textured or not by every
// mapping method and procedural texture; unlit, flat lit and round lit.
TCase RandomCase(std::mt19937& rng, int32_t w, int32_t h, bool depth) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto range = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    auto pick = [&](int n) { return static_cast<int32_t>(unit(rng) * n) % n; };
    TCase s;
    TBrushRecord& b = s.brush;
    b.depth = depth;
    b.edgeAntialias = unit(rng) < 0.5;
    b.stampDensity = range(0.0, 6.0);
    const double type = unit(rng);
    b.brushType = type < 0.1 ? 3 : (type < 0.17 ? 1 : (type < 0.24 ? 2 : 0));
    b.blurIntensity = 1 + pick(2);
    b.modifyColor = unit(rng) < 0.9;
    b.modifyAlpha = unit(rng) < 0.8;
    b.modifyDepth = unit(rng) < 0.8;
    b.glow = range(0.0, 1.5);
    b.glowSpread = range(0.5, 3.0);
    b.glowColorR = range(0, 1);
    b.glowColorG = range(0, 1);
    b.glowColorB = range(0, 1);
    b.shadowTransparency = range(0.0, 1.0);
    if (unit(rng) < 0.35) {
        b.mapColor = unit(rng) < 0.7;
        b.mapOpacity = !b.mapColor || unit(rng) < 0.6;
        b.mapMethod = pick(4);
        b.textureType = pick(4);
        b.texColorScale = range(0.0, 1.2);
        b.texColorOffset = range(-0.2, 0.2);
        b.texOpacityScale = range(0.0, 1.2);
        b.texOpacityOffset = range(-0.2, 0.2);
        b.repeatU = range(0.2, 4.0);
        b.repeatV = range(0.2, 4.0);
        b.offsetU = range(0.0, 1.0);
        b.blurMult = range(0.5, 2.0);
        b.texColor1R = range(0, 1);
        b.texColor2G = range(0, 1);
        b.texAlpha2 = range(0, 1);
    }
    const double p = unit(rng);
    s.pass = p < 0.6 ? TStampPass::normal : (p < 0.8 ? TStampPass::glow : TStampPass::shadow);
    TStamp& st = s.stamp;
    st.x = range(-12.0, w + 12.0);
    st.y = range(-12.0, h + 12.0);
    st.width = unit(rng) < 0.2 ? range(0.05, 2.5) : range(2.5, 40.0);
    st.softness = unit(rng) < 0.1 ? 0.0 : range(-1.0, 1.8);
    st.depth = range(-0.2, 0.2);
    st.depthExtent = range(0.0, 0.3);
    for (int c = 0; c < 3; ++c) {
        st.colour[c] = range(-0.1, 1.1);
        st.transparency[c] = range(-0.1, 1.0);
        st.incandescence[c] = range(0.0, 0.3);
    }
    const double angle = range(0.0, 6.283185307179586);
    st.travel[0] = std::cos(angle);
    st.travel[1] = std::sin(angle);
    st.texture = range(0.0, 10.0);
    st.across = range(0.0, 1.0);
    st.textureRate = range(-0.1, 0.1);
    st.brightness = range(0.3, 1.2);
    st.translucence = unit(rng) < 0.3 ? 1.0 : range(0.0, 1.0);
    if (unit(rng) < 0.6) {
        TStampLighting& l = s.lighting;
        l.lit = true;
        for (int c = 0; c < 3; ++c) {
            l.colour[c] = range(0.0, 1.5);
            l.diffuse[c] = range(0.0, 1.0);
            l.ambient[c] = range(0.0, 0.5);
            l.specular[c] = range(0.0, 0.4);
            l.backShadow[c] = range(0.5, 1.0);
        }
        l.screenTerms = unit(rng) < 0.8;
        l.weight = st.translucence;
        l.lightCount = pick(4);
        for (int k = 0; k < l.lightCount; ++k) {
            l.across[k] = static_cast<float>(range(-1, 1));
            l.facing[k] = static_cast<float>(range(-1, 1));
            l.lightDiffuse[k] = unit(rng) < 0.8;
            for (int c = 0; c < 3; ++c) l.lightColour[k][c] = static_cast<float>(range(0, 1));
        }
    }
    return s;
}

// Seeds every layer with something to paint over: a background, part-painted
// front paint and coverage, settled and front depths near the stamps' own.
void Prime(TTestCanvas& t, const TConfig& config) {
    std::mt19937 rng(config.seed * 7919u);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    TPaintCanvas& c = t.canvas;
    c.shading.background[0] = 0.2;
    c.shading.background[1] = 0.5;
    c.shading.background[2] = 0.7;
    c.shading.ditherCounter = static_cast<int32_t>(config.seed % kNoiseTableSize);
    c.fade.enabled = config.fade;
    for (int32_t y = 0; y < t.Height(); ++y)
        for (int32_t x = 0; x < t.Width(); ++x) {
            t.Set(0, x, y, byte(rng), byte(rng), byte(rng), byte(rng));
            if (!config.depth) continue;
            t.Set(1, x, y, byte(rng), byte(rng), byte(rng), byte(rng));
            const bool painted = unit(rng) < 0.5;
            const double v = painted ? unit(rng) * 200.0 : 0.0;
            t.Set(2, x, y, v * unit(rng), v * unit(rng), v * unit(rng), 0);
            t.Set(3, x, y, v, v * unit(rng), v, 0);
            t.Depth(0, x, y) = unit(rng) < 0.6 ? 1e6f : static_cast<float>(unit(rng) * 0.6 - 0.2);
            t.Depth(1, x, y) = painted ? static_cast<float>(unit(rng) * 0.6 - 0.3) : 1e6f;
        }
}

// The first difference beyond the tolerance inside [x0, x1) x [y0, y1), described; empty when none.
std::string Difference(TTestCanvas& fast, TTestCanvas& plain, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int layers = fast.canvas.layer[1].pixels ? 4 : 1;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            for (int i = 0; i < layers; ++i)
                for (int k = 0; k < 4; ++k) {
                    const double a = fast.Get(i, x, y, k), b = plain.Get(i, x, y, k);
                    if (std::fabs(a - b) > 1.0 + 1e-9) {
                        std::ostringstream out;
                        out << "layer " << i << " channel " << k << " at (" << x << ", " << y << "): " << a
                            << " against the twin's " << b;
                        return out.str();
                    }
                }
            for (int i = 0; i < 2 && fast.canvas.depthLayer[i]; ++i) {
                const float a = fast.Depth(i, x, y), b = plain.Depth(i, x, y);
                if (!(std::fabs(a - b) <= 1e-4f * std::max(1.0f, std::fabs(b)))) {
                    std::ostringstream out;
                    out << "depth layer " << i << " at (" << x << ", " << y << "): " << a << " against the twin's " << b;
                    return out.str();
                }
            }
        }
    return {};
}

// Makes the twin's canvas equal to the optimised one inside a box.
void Resync(TTestCanvas& fast, TTestCanvas& plain, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int i = 0; i < 4 && fast.canvas.layer[i].pixels; ++i) {
        const TCanvasLayer& from = fast.canvas.layer[i];
        const TCanvasLayer& to = plain.canvas.layer[i];
        for (int32_t y = y0; y < y1; ++y)
            std::memcpy(to.Row(y) + static_cast<size_t>(x0) * to.bytesPerPixel,
                        from.Row(y) + static_cast<size_t>(x0) * from.bytesPerPixel,
                        static_cast<size_t>(x1 - x0) * from.bytesPerPixel);
    }
    for (int i = 0; i < 2 && fast.canvas.depthLayer[i]; ++i)
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) plain.Depth(i, x, y) = fast.Depth(i, x, y);
    plain.canvas.shading.ditherCounter = fast.canvas.shading.ditherCounter;
    plain.canvas.shading.smearOriginX = fast.canvas.shading.smearOriginX;
    plain.canvas.shading.smearOriginY = fast.canvas.shading.smearOriginY;
}

}  // namespace

TEST(StampTwin, RandomStampsMatchTheFormulas) {
    constexpr int32_t kW = 513, kH = 511;
    const TConfig configs[] = {{false, false, false, 11u}, {true, false, false, 12u}, {true, false, true, 13u},
                               {true, true, true, 14u}, {false, false, false, 15u}, {true, false, false, 16u, true},
                               {false, false, false, 17u, true}};
    for (const TConfig& config : configs) {
        TTestCanvas fast(kW, kH, config.depth, 4, config.sixteenBit);
        TTestCanvas plain(kW, kH, config.depth, 4, config.sixteenBit);
        Prime(fast, config);
        Prime(plain, config);
        fast.canvas.wrapX = fast.canvas.wrapY = plain.canvas.wrapX = plain.canvas.wrapY = config.wrap;
        std::mt19937 rng(config.seed);
        for (int i = 0; i < 1500; ++i) {
            TCase s = RandomCase(rng, kW, kH, config.depth);
            s.stamp.brush = &s.brush;
            s.stamp.canvas = &fast.canvas;
            RasterStamp(s.stamp, s.pass, s.lighting);
            s.stamp.canvas = &plain.canvas;
            int32_t box[4];
            twin::Raster(s.stamp, s.pass, s.lighting, box);
            const TStamp& st = s.stamp;
            const std::string reproducer = [&] {
                std::ostringstream out;
                out.precision(17);
                out << "reproduce: seed " << config.seed << " stamp " << i << " (depth " << config.depth << ", 16-bit "
                    << config.sixteenBit << ", fade " << config.fade << ", wrap " << config.wrap << "): pass " << static_cast<int>(s.pass)
                    << " at (" << st.x << ", " << st.y << ") width " << st.width << " softness " << st.softness
                    << " brushType " << s.brush.brushType << " map " << s.brush.mapColor << s.brush.mapOpacity
                    << " method " << s.brush.mapMethod << " texture " << s.brush.textureType << " lit "
                    << s.lighting.lit << " translucence " << st.translucence;
                return out.str();
            }();
            ASSERT_EQ(fast.canvas.shading.ditherCounter, plain.canvas.shading.ditherCounter) << reproducer;
            const int32_t x0 = std::max(0, box[0] - 2), y0 = std::max(0, box[1] - 2);
            const int32_t x1 = std::min(kW, box[2] + 2), y1 = std::min(kH, box[3] + 2);
            const std::string diff = Difference(fast, plain, x0, y0, x1, y1);
            ASSERT_TRUE(diff.empty()) << diff << "\n" << reproducer;
            Resync(fast, plain, x0, y0, x1, y1);
        }
        // Nothing written outside the stamps' boxes.
        const std::string diff = Difference(fast, plain, 0, 0, kW, kH);
        EXPECT_TRUE(diff.empty()) << "seed " << config.seed << ": " << diff;
        EXPECT_TRUE(fast.GuardIntact());
    }
}
