#include <cmath>
#include <cstring>
#include <optional>

#include "presets/brush_record.h"
#include "render/input_poll.h"
#include "render/pixel_kernels_sse2.h"
#include "render/pixel_write_kernels.h"
#include "render/stamp_profile.h"
#include "render/stamp_shading.h"
#include "render/stamp_span.h"
#include "render/texture_patterns.h"
#include "render/texture_sampler.h"
#include "render/paint_canvas.h"

namespace {

using pixelkernel::Clamp01;
using pixelkernel::kFrom16;

inline int32_t Wrap(int32_t i, int32_t n) {
    const int32_t m = i % n;
    return m < 0 ? m + n : m;
}

// Wrap for the columns and rows of a stamp's box, which AxisRange keeps
// within (-n, 2n): one add or subtract instead of a division per pixel.
inline int32_t WrapNear(int32_t i, int32_t n) { return i < 0 ? i + n : (i >= n ? i - n : i); }

// The pixel range [lo, hi) of one axis whose centres (i + 0.5) lie within
// [c - r, c + r], clamped to the canvas on an axis without wrap. On a
// wrapping axis the centre is first brought into the canvas and the range
// held to one period. False when the range is empty.
bool AxisRange(double c, double r, int32_t size, bool wrap, int32_t& lo, int32_t& hi, double& centre) {
    centre = c;
    if (wrap) {
        centre = c - std::floor(c / size) * size;
        if (!(centre >= 0.0 && centre < size)) centre = 0.0;
    }
    double a = std::floor(centre - r + 0.5);
    double b = std::floor(centre + r + 0.5);
    if (wrap) {
        if (b - a > size) {
            a = std::floor(centre) - size / 2;
            b = a + size;
        }
    } else {
        if (a < 0.0) a = 0.0;
        if (b > size) b = size;
    }
    if (!(a < b)) return false;
    lo = static_cast<int32_t>(a);
    hi = static_cast<int32_t>(b);
    return true;
}

// Texture coordinates of a pixel by mapping method, and the texture span
// of one pixel, which is the same for every pixel of a stamp. acrossPx /
// alongPx: the pixel's offset from the stamp's centre across and along the
// direction of travel, in pixels.
struct TTextureFrame {
    int32_t method = 2;
    bool image = false;
    double repeatU = 1.0, repeatV = 1.0, offsetU = 0.0, offsetV = 0.0, blur = 1.0;
    double invHeight = 0.0, invWidth = 0.0;
    double originX = 0.0, originY = 0.0, scaleX = 1.0, scaleY = 1.0;
    double radius = 1.0, texture = 0.0, across = 0.0, rate = 0.0;
    // Worked out by Prepare from the above.
    double invR = 1.0;
    double du = 0.0, dv = 0.0;

    void Prepare() {
        invR = 1.0 / radius;
        if (image) {
            du = blur * 0.5 * invR;
            dv = blur * std::fabs(rate);
            return;
        }
        switch (method) {
            case 0:
                du = blur * std::fabs(repeatU * invHeight);
                dv = blur * std::fabs(repeatV * invWidth);
                break;
            case 1:
                du = blur * std::fabs(repeatU / scaleX);
                dv = blur * std::fabs(repeatV / scaleY);
                break;
            case 3:
                du = std::fabs(repeatV) * blur * 0.25 * invR;
                dv = blur * std::fabs(rate * repeatU);  // v runs at repeatU along the stroke
                break;
            default:
                du = blur * std::fabs(repeatV * 0.5 * invR);
                dv = blur * std::fabs(rate * repeatU);
                break;
        }
    }

    void At(int32_t column, int32_t row, double acrossPx, double alongPx, double& u, double& v) const {
        if (image) {
            u = 0.5 + acrossPx * 0.5 * invR;
            v = texture + alongPx * rate;
            return;
        }
        switch (method) {
            case 0:
                u = row * repeatU * invHeight + offsetU;
                v = column * repeatV * invWidth + offsetV;
                break;
            case 1:
                u = (row - originY) * repeatU / scaleX + offsetU;
                v = (column - originX) * repeatV / scaleY + offsetV;
                break;
            case 3: {
                double a = across + acrossPx * 0.25 * invR;
                a -= std::floor(a);
                u = a * repeatV + offsetV;
                v = (texture + alongPx * rate) * repeatU;
                break;
            }
            default:
                u = 0.5 + acrossPx * repeatV * 0.5 * invR + offsetV;
                v = (texture + alongPx * rate) * repeatU;
                break;
        }
    }
};

// Left uninitialised: only the first count entries are written and read,
// and zeroing all of them cost more than a small stamp's pixels.
struct TRoundLight {
    double facing;
    double across;
    double colour[3];
};

struct TRoundTerms {
    double scale = 0.0;      // W * brightness
    double oneMinusW = 1.0;
    double base[3] = {0.0, 0.0, 0.0};  // W * ambient + (1 - W) * lit colour
    double specular[3] = {0.0, 0.0, 0.0};
    double back[3] = {1.0, 1.0, 1.0};
    double fallback[3] = {0.0, 0.0, 0.0};  // diffuse when no light has screen terms
    TRoundLight light[kMaxStampLights];
    int32_t count = 0;
};

// Where a stamp's colour comes from and how it is lit, fixed per stamp.
enum class TColourKind : int32_t {
    plain = 0,    // the stamp colour (or the background when erasing), unlit
    flat = 1,     // the stamp colour times one lit colour for the whole stamp
    round = 2,    // lit per pixel as the cross-section of a round tube
    sampled = 3,  // the paint under the box (smear, blur), unlit
};

// Everything about one stamp pass that is the same for all its pixels,
// worked out once so that the pixel loop tests nothing fixed per stamp.
struct TStampSetup {
    // The pixel box [x0, x1) x [y0, y1), the centre and radius.
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    double cx = 0.0, cy = 0.0, r = 0.0, r2 = 0.0, invR = 0.0;
    TCoverageProfile profile;
    double opacityScale = 1.0;
    double tx = 1.0, ty = 0.0;  // direction of travel on screen
    // Colour and pass terms (0..255 units; keep = 1 - transparency).
    double baseColour[3] = {0.0, 0.0, 0.0};
    double keep[3] = {1.0, 1.0, 1.0};
    double incandescence[3] = {0.0, 0.0, 0.0};
    double shadowKeep = 1.0;
    double glowTint[3] = {0.0, 0.0, 0.0};
    // Smear and blur: the scratch image of the box.
    const uint8_t* scratch = nullptr;
    int32_t scratchBytes = 4;
    int32_t scratchStride = 0;
    // Texturing.
    TTextureSampler* sampler = nullptr;
    TTextureFrame frame;
    bool mapColour = false, mapOpacity = false, fringe = false;
    double colourScale = 1.0, colourOffset = 0.0, opacityScaleTex = 1.0, opacityOffsetTex = 0.0;
    // Lighting.
    double flatMul[3] = {1.0, 1.0, 1.0};
    double flatAdd[3] = {0.0, 0.0, 0.0};
    double W = 0.0;
    TRoundTerms round;
    // Depth: mid depth, half the extent, the front and the writer's tolerance.
    double depth = 0.0, halfExtent = 0.0, front = 0.0, tolerance = 0.0;
    TPixelWriteMode mode;
};

// The pixel's colour before texture and light: the stamp's, or the paint
// under it for smear and blur (16-bit scratch pixels as value / 257).
template <TColourKind Colour>
TF_PIXEL_KERNEL void BaseColour(const TStampSetup& s, const uint8_t* scratchRow, int32_t i, double* colour) {
    if constexpr (Colour == TColourKind::sampled) {
        const uint8_t* p = scratchRow + static_cast<intptr_t>(i - s.x0) * s.scratchBytes;
        if (s.scratchBytes == 8) {
            uint16_t v[3];
            std::memcpy(v, p, sizeof v);
            colour[0] = v[2] * kFrom16;
            colour[1] = v[1] * kFrom16;
            colour[2] = v[0] * kFrom16;
        } else {
            colour[0] = p[2];
            colour[1] = p[1];
            colour[2] = p[0];
        }
    } else {
        colour[0] = s.baseColour[0];
        colour[1] = s.baseColour[1];
        colour[2] = s.baseColour[2];
    }
}

// Texture T (alpha α) at the pixel:
//   colour := max(0, (scale colour + (1 - scale) 255 + offset 255) T)         (mapColour)
//   coverage := max(0, α offset' + ((1 - scale') + α scale') coverage)         (mapOpacity)
inline void Texture(const TStampSetup& s, int32_t x, int32_t y, double acrossPx, double alongPx, double* colour,
                    double& coverage) {
    double u, v;
    s.frame.At(x, y, acrossPx, alongPx, u, v);
    const TTextureSample t = s.sampler->Sample(u, v, s.frame.du, s.frame.dv);
    double T[3] = {t.red, t.green, t.blue};
    if (s.fringe && t.alpha > 0.0)
        for (double& k : T) k /= t.alpha;
    if (s.mapColour) {
        for (int c = 0; c < 3; ++c) {
            const double m = (s.colourScale * colour[c] + (1.0 - s.colourScale) * 255.0 + s.colourOffset * 255.0) * T[c];
            colour[c] = m > 0.0 ? m : 0.0;
        }
    }
    if (s.mapOpacity) {
        coverage = t.alpha * s.opacityOffsetTex + ((1.0 - s.opacityScaleTex) + t.alpha * s.opacityScaleTex) * coverage;
        if (!(coverage > 0.0)) coverage = 0.0;
    }
}

// Round cross-section at offset a across (q = 1 - a²):
//   diffuse = Σ colour_k t_k over lights with t_k = (q facing_k + a across_k) W + (1 - W) > 0
//   colour' = (colour (W b diffuse + W ambient + (1 - W) lit) + specular 255 mean(diffuse)) backShadow
TF_PIXEL_KERNEL void LightRound(const TStampSetup& s, double a, double q, double* colour) {
    const TRoundTerms& round = s.round;
    double d0 = round.fallback[0], d1 = round.fallback[1], d2 = round.fallback[2];
    if (round.count > 0) {
        d0 = d1 = d2 = 0.0;
        for (int32_t k = 0; k < round.count; ++k) {
            const TRoundLight& l = round.light[k];
            const double t = (q * l.facing + a * l.across) * s.W + round.oneMinusW;
            if (t > 0.0) {
                d0 += l.colour[0] * t;
                d1 += l.colour[1] * t;
                d2 += l.colour[2] * t;
            }
        }
    }
    const double highlight = (d0 + d1 + d2) * (1.0 / 3.0);
    colour[0] = (colour[0] * (round.scale * d0 + round.base[0]) + round.specular[0] * highlight) * round.back[0];
    colour[1] = (colour[1] * (round.scale * d1 + round.base[1]) + round.specular[1] * highlight) * round.back[1];
    colour[2] = (colour[2] * (round.scale * d2 + round.base[2]) + round.specular[2] * highlight) * round.back[2];
}

// What the pass lays, per channel:
//   normal: opacity = keep coverage, light = incandescence coverage
//   glow:   opacity = 0, light = (colour keep + incandescence) tint coverage
//   shadow: colour = 0, opacity = keep shadowKeep coverage
template <TStampPass Pass>
TF_PIXEL_KERNEL void PassPaint(const TStampSetup& s, double coverage, TPixelPaint& paint) {
    for (int c = 0; c < 3; ++c) {
        if constexpr (Pass == TStampPass::shadow) {
            paint.colour[c] = 0.0;
            paint.light[c] = 0.0;
            paint.opacity[c] = s.keep[c] * s.shadowKeep * coverage;
        } else if constexpr (Pass == TStampPass::glow) {
            paint.opacity[c] = 0.0;
            paint.light[c] = (paint.colour[c] * s.keep[c] + s.incandescence[c]) * s.glowTint[c] * coverage;
        } else {
            paint.opacity[c] = s.keep[c] * coverage;
            paint.light[c] = s.incandescence[c] * coverage;
        }
    }
}

// One pixel between the walker's two phases: its column and what it lays.
// Left uninitialised: only the lanes a row fills are read.
struct TLane {
    double colour[3];
    double light[3];
    double opacity[3];
    double z, zb;  // front and back depth (depth stamps)
    float mean;    // prepared depth paint: the mean opacity
    bool skip;     // prepared depth paint: the writer leaves this pixel alone
    int32_t x;
};

// The pixels of a row are taken this many at a time: the lanes of one
// batch stay in the first-level cache.
constexpr int32_t kLaneBatch = 64;

// The first phase for the columns [i0, i1) of one row: each pixel inside
// the disc, in front of settled paint and with some coverage, through
// colour, texture, light and pass into the next lane. Nothing is written to
// the canvas here and no pixel depends on another, so the processor works
// on several pixels at once. Returns the lanes filled.
// Prepared: the depth writer's own preparation of the paint (fade, the cut
// behind, the test against settled paint) is done here too, on the usual
// canvas with every depth layer, so that its divisions and power overlap.
template <bool Depth, TColourKind Colour, TStampPass Pass, bool Textured, bool Prepared>
int32_t FillLanes(const TStampSetup& s, const TPaintCanvas& canvas, const TPixelRow& row, int32_t y, double dy,
                  double dy2, const uint8_t* scratchRow, int32_t i0, int32_t i1, TLane* lanes) {
    const int32_t canvasWidth = canvas.width;
    const bool wrapX = canvas.wrapX;
    int32_t n = 0;
    TPixelPaint paint;
    for (int32_t i = i0; i < i1; ++i) {
        const double dx = i + 0.5 - s.cx;
        const double d2 = dx * dx + dy2;
        if (d2 > s.r2) continue;
        const int32_t x = wrapX ? WrapNear(i, canvasWidth) : i;
        if constexpr (Depth) {
            if (row.depthBack && row.depthBack[x] < s.front) continue;
        }
        double coverage = s.profile.AtSquared(d2) * s.opacityScale;
        if (!(coverage > 0.0)) continue;

        double* const colour = paint.colour;
        if constexpr (Pass != TStampPass::shadow) BaseColour<Colour>(s, scratchRow, i, colour);
        // Offsets across and along the direction of travel; a in [-1, 1].
        const double acrossPx = dx * -s.ty + dy * s.tx;
        double a = acrossPx * s.invR;
        a = a < -1.0 ? -1.0 : (a > 1.0 ? 1.0 : a);
        const double q = 1.0 - a * a;
        if constexpr (Textured) Texture(s, x, y, acrossPx, dx * s.tx + dy * s.ty, colour, coverage);
        if constexpr (Colour == TColourKind::flat) {
            for (int c = 0; c < 3; ++c) colour[c] = colour[c] * s.flatMul[c] + s.flatAdd[c];
        } else if constexpr (Colour == TColourKind::round) {
            LightRound(s, a, q, colour);
        }
        PassPaint<Pass>(s, coverage, paint);

        TLane& lane = lanes[n++];
        lane.x = x;
        if constexpr (Depth) {
            // front = mid - q half, back = mid + q half
            lane.z = s.depth - q * s.halfExtent;
            lane.zb = s.depth + q * s.halfExtent;
        }
        if constexpr (Depth && Prepared) {
            const double d0 = static_cast<double>(row.depthBack[x]);
            const double e = s.tolerance;
            // (The tolerance needs no test here: a quarter of an extent held below 1e30.)
            lane.skip = d0 < lane.z - e || !(std::fabs(lane.z) < pixelkernel::kDepthLimit) ||
                        !(std::fabs(lane.zb) < pixelkernel::kDepthLimit);
            if (lane.skip) continue;
            pixelkernel::TDepthPaint p;
            pixelkernel::PrepareDepthPaint(canvas.fade, paint, false, d0, lane.z, lane.zb, e, p);
            for (int c = 0; c < 3; ++c) {
                lane.colour[c] = p.c[c];
                lane.light[c] = p.l[c];
                lane.opacity[c] = p.o[c];
            }
            lane.mean = p.m;
        } else {
            for (int c = 0; c < 3; ++c) {
                lane.colour[c] = paint.colour[c];
                lane.light[c] = paint.light[c];
                lane.opacity[c] = paint.opacity[c];
            }
        }
    }
    return n;
}

// The columns [i0, i1) of a row dy2 = dy² from the centre inside the disc
// (one wider each side: the per-pixel distance test decides). Rounded by
// conversion: the library floor and ceil cost more than the short row they
// bound.
TF_PIXEL_KERNEL void RowChord(const TStampSetup& s, double dy2, int32_t& i0, int32_t& i1) {
    const double halfChord = std::sqrt(s.r2 - dy2);
    i0 = s.x0;
    i1 = s.x1;
    const double lo = texturepattern::Floor(s.cx - halfChord - 0.5);
    const double hi = -texturepattern::Floor(-(s.cx + halfChord + 0.5));
    if (lo > i0) i0 = static_cast<int32_t>(lo);
    if (hi < i1) i1 = static_cast<int32_t>(hi);
}

// True when every pixel of a depth stamp's disc lies behind settled paint,
// so that the depth walker would test each one against the settled depth
// and write none, whatever the stamp's colour, light and texture. Most
// stamps of the thin twigs of a dense plant are such; for them the input
// polls of the walker's rows are made here, row for row, so that the poll
// keeps its count, and the dither counter is kept in range as the walker
// keeps it. The test looks at every pixel of the box inside the disc, a
// few more than the walker's chords hold, so a false answer only costs
// the skip, never a pixel.
bool HiddenBehindSettled(const TStampSetup& s, TPaintCanvas& canvas) {
    const float* settled = pixelkernel::DepthRow(canvas, 0, 0);
    if (!settled) return false;
    const intptr_t stride = canvas.depthWidth[0];
    const int32_t canvasWidth = canvas.width;
    const int32_t canvasHeight = canvas.height;
    const auto inFront = [&](int32_t i, int32_t j) {
        const int32_t x = canvas.wrapX ? WrapNear(i, canvasWidth) : i;
        const int32_t y = canvas.wrapY ? WrapNear(j, canvasHeight) : j;
        return !(settled[y * stride + x] < s.front);
    };
    // The centre first: a stamp that shows at all mostly shows there.
    const int32_t ci = static_cast<int32_t>(texturepattern::Floor(s.cx));
    const int32_t cj = static_cast<int32_t>(texturepattern::Floor(s.cy));
    if (ci >= s.x0 && ci < s.x1 && cj >= s.y0 && cj < s.y1 && inFront(ci, cj)) return false;
    for (int32_t j = s.y0; j < s.y1; ++j) {
        const double dy = j + 0.5 - s.cy;
        const double dy2 = dy * dy;
        if (dy2 > s.r2) continue;
        for (int32_t i = s.x0; i < s.x1; ++i) {
            const double dx = i + 0.5 - s.cx;
            if (dx * dx + dy2 > s.r2) continue;
            if (inFront(i, j)) return false;
        }
    }
    for (int32_t j = s.y0; j < s.y1; ++j) {
        const double dy = j + 0.5 - s.cy;
        if (dy * dy > s.r2) continue;
        if (UserWantsOut(canvas)) break;
    }
    pixelkernel::TDitherCursor(canvas).Store(canvas);
    return true;
}

// The second phase: the filled lanes through the pixel writer, in column
// order, which is the dither order.
template <bool Depth, bool Fast, bool Prepared>
void WriteLanes(const TStampSetup& s, const TPaintCanvas& canvas, const TPixelRow& row, const TLane* lanes,
                int32_t count, pixelkernel::TDitherCursor& dither) {
    constexpr int32_t kFixed = Fast ? 4 : pixelkernel::kAnyWidth;
#if defined(TF_PIXEL_SSE2)
    if constexpr (Depth && Prepared) {
        for (int32_t k = 0; k < count; ++k) {
            const TLane& lane = lanes[k];
            if (!lane.skip)
                pixelsse2::DepthPixelPrepared(row, lane.x, lane.colour, lane.light, lane.opacity, lane.mean, lane.z,
                                              s.tolerance, dither);
        }
        return;
    } else if constexpr (Fast && !Depth) {
        for (int32_t k = 0; k < count; ++k) {
            const TLane& lane = lanes[k];
            pixelsse2::PlainPixel(row, lane.x, lane.colour, lane.light, lane.opacity, dither);
        }
        return;
    }
#endif
    TPixelPaint paint;
    for (int32_t k = 0; k < count; ++k) {
        const TLane& lane = lanes[k];
        for (int c = 0; c < 3; ++c) {
            paint.colour[c] = lane.colour[c];
            paint.light[c] = lane.light[c];
            paint.opacity[c] = lane.opacity[c];
        }
        if constexpr (Depth)
            pixelkernel::DepthPixelOf<kFixed, Fast>(canvas, row, s.mode, lane.x, paint, lane.z, lane.zb, s.tolerance,
                                                    1.0, dither);
        else
            pixelkernel::PlainPixelOf<kFixed, Fast>(canvas, row, s.mode, lane.x, paint, dither);
    }
}

// The row walker: rows bottom to top, pixels left to right inside the
// disc's chord, each batch of a row first through FillLanes, then through
// WriteLanes. The order of the writes is the dither order, so it is the
// same in every kernel. Fast: every layer 8-bit and the usual write mode,
// so the writer's tests fold away. Returns the pixels written.
template <bool Depth, TColourKind Colour, TStampPass Pass, bool Textured, bool Fast>
int64_t WalkStamp(const TStampSetup& s, const TPixelRows& rows, TPaintCanvas& canvas) {
    const int32_t canvasHeight = canvas.height;
#if defined(TF_PIXEL_SSE2)
    constexpr bool kPreparable = Depth && Fast;
#else
    constexpr bool kPreparable = false;
#endif
    int64_t written = 0;
    TLane lanes[kLaneBatch];
    pixelkernel::TDitherCursor dither(canvas);
    for (int32_t j = s.y0; j < s.y1; ++j) {
        const double dy = j + 0.5 - s.cy;
        const double dy2 = dy * dy;
        if (dy2 > s.r2) continue;
        if (UserWantsOut(canvas)) break;
        int32_t i0, i1;
        RowChord(s, dy2, i0, i1);
        const int32_t y = canvas.wrapY ? WrapNear(j, canvasHeight) : j;
        const TPixelRow row = rows.Row(y);
        if (!row.picture) continue;
        const uint8_t* scratchRow =
            Colour == TColourKind::sampled ? s.scratch + static_cast<intptr_t>(j - s.y0) * s.scratchStride : nullptr;
        // The usual depth canvas has every layer; a row without them takes
        // the general writer, which falls back to the plain one.
        const bool prepared = kPreparable && row.depthBack && row.depthFront && row.back && row.front && row.cover;
        for (int32_t b0 = i0; b0 < i1; b0 += kLaneBatch) {
            const int32_t b1 = i1 - b0 > kLaneBatch ? b0 + kLaneBatch : i1;
            int32_t n;
            if (prepared) {
                n = FillLanes<Depth, Colour, Pass, Textured, kPreparable>(s, canvas, row, y, dy, dy2, scratchRow, b0, b1,
                                                                          lanes);
                WriteLanes<Depth, Fast, kPreparable>(s, canvas, row, lanes, n, dither);
            } else {
                n = FillLanes<Depth, Colour, Pass, Textured, false>(s, canvas, row, y, dy, dy2, scratchRow, b0, b1, lanes);
                WriteLanes<Depth, Fast, false>(s, canvas, row, lanes, n, dither);
            }
            written += n;
        }
    }
    dither.Store(canvas);
    return written;
}

using TWalk = int64_t (*)(const TStampSetup&, const TPixelRows&, TPaintCanvas&);

// The walker for one stamp. A shadow pass lays black, so its colour,
// texture and light are never looked at; an unusual mode or a 16-bit layer
// takes the general writer.
template <bool Depth, bool Fast>
TWalk PickWalk(TColourKind colour, TStampPass pass, bool textured) {
    if (pass == TStampPass::shadow) return &WalkStamp<Depth, TColourKind::plain, TStampPass::shadow, false, Fast>;
    auto forPass = [&]<TStampPass Pass>() -> TWalk {
        auto forColour = [&]<TColourKind Colour>() -> TWalk {
            return textured ? &WalkStamp<Depth, Colour, Pass, true, Fast> : &WalkStamp<Depth, Colour, Pass, false, Fast>;
        };
        switch (colour) {
            case TColourKind::flat: return forColour.template operator()<TColourKind::flat>();
            case TColourKind::round: return forColour.template operator()<TColourKind::round>();
            case TColourKind::sampled: return forColour.template operator()<TColourKind::sampled>();
            default: return forColour.template operator()<TColourKind::plain>();
        }
    };
    return pass == TStampPass::glow ? forPass.template operator()<TStampPass::glow>()
                                    : forPass.template operator()<TStampPass::normal>();
}

TWalk PickWalk(bool depth, bool fast, TColourKind colour, TStampPass pass, bool textured) {
    if (depth) return fast ? PickWalk<true, true>(colour, pass, textured) : PickWalk<true, false>(colour, pass, textured);
    return fast ? PickWalk<false, true>(colour, pass, textured) : PickWalk<false, false>(colour, pass, textured);
}

// The texture part of the setup: the sampler, the mapping frame and the
// colour and opacity maps. False when the stamp is not textured.
bool SetUpTexture(const TStamp& stamp, TStampPass pass, const TPaintCanvas& canvas, TStampSetup& s,
                  std::optional<TTextureSampler>& sampler) {
    const TBrushRecord& brush = *stamp.brush;
    // A leaf or petal that carries its own image is shaped and coloured by
    // it, whatever the brush maps for its tubes.
    const bool ownImage = stamp.textureImage != 0 &&
                          ((stamp.kind == 2 && !brush.leafUseBranchTex) || (stamp.kind == 3 && !brush.flowerUseBranchTex));
    s.mapColour = brush.mapColor || ownImage;
    s.mapOpacity = brush.mapOpacity || ownImage;
    if (!(s.mapColour || s.mapOpacity) || pass == TStampPass::shadow) return false;
    const bool imageTexture = ownImage || brush.textureType == 4;
    s.colourScale = imageTexture ? 1.0 : brush.texColorScale;
    s.colourOffset = imageTexture ? 0.0 : brush.texColorOffset;
    s.opacityScaleTex = imageTexture ? 1.0 : brush.texOpacityScale;
    s.opacityOffsetTex = imageTexture ? 0.0 : brush.texOpacityOffset;
    s.fringe = brush.fringeRemoval && imageTexture && s.mapColour && s.mapOpacity;
    // One sampler for the whole stamp: the brush's texture is read once.
    sampler.emplace(brush, ownImage ? 4 : brush.textureType, !imageTexture, stamp.textureImage);
    s.sampler = &*sampler;
    TTextureFrame& frame = s.frame;
    frame.method = brush.mapMethod;
    frame.image = imageTexture;
    frame.repeatU = brush.repeatU;
    frame.repeatV = brush.repeatV;
    frame.offsetU = brush.offsetU;
    frame.offsetV = brush.offsetV;
    frame.blur = brush.blurMult;
    frame.invHeight = 1.0 / canvas.height;
    frame.invWidth = 1.0 / canvas.width;
    if (stamp.run) {
        frame.originX = stamp.run->screenOriginX;
        frame.originY = stamp.run->screenOriginY;
        frame.scaleX = stamp.run->screenScaleX != 0.0 ? stamp.run->screenScaleX : 1.0;
        frame.scaleY = stamp.run->screenScaleY != 0.0 ? stamp.run->screenScaleY : 1.0;
    }
    frame.radius = s.r;
    frame.texture = stamp.texture;
    frame.across = stamp.across;
    frame.rate = stamp.textureRate;
    frame.Prepare();
    return true;
}

// The lighting part of the setup: flat (one multiplier for the whole stamp)
// or per pixel as the cross-section of a round tube.
TColourKind SetUpLight(const TStamp& stamp, const TStampLighting& lighting, TStampSetup& s) {
    const double W = lighting.screenTerms ? lighting.weight : 0.0;
    s.W = W;
    if (stamp.translucence == 1.0) {
        for (int c = 0; c < 3; ++c) {
            s.flatMul[c] = lighting.colour[c] * lighting.backShadow[c];
            s.flatAdd[c] = lighting.specular[c] * 255.0 * lighting.backShadow[c];
        }
        return TColourKind::flat;
    }
    const double brightness = stamp.brightness <= 1.0 ? stamp.brightness : 1.0;
    const int32_t lightCount = lighting.screenTerms ? lighting.lightCount : 0;
    TRoundTerms& round = s.round;
    round.scale = W * brightness;
    round.oneMinusW = 1.0 - W;
    for (int c = 0; c < 3; ++c) {
        round.base[c] = W * lighting.ambient[c] + (1.0 - W) * lighting.colour[c];
        round.specular[c] = lighting.specular[c] * 255.0;
        round.back[c] = lighting.backShadow[c];
        round.fallback[c] = lighting.diffuse[c];
    }
    for (int32_t k = 0; k < lightCount && k < kMaxStampLights; ++k) {
        if (!lighting.lightDiffuse[k]) continue;
        TRoundLight& l = round.light[round.count++];
        l.facing = lighting.facing[k];
        l.across = lighting.across[k];
        for (int c = 0; c < 3; ++c) l.colour[c] = lighting.lightColour[k][c];
    }
    // With screen terms every light counts, even when none is diffuse.
    if (lightCount > 0 && round.count == 0) round.fallback[0] = round.fallback[1] = round.fallback[2] = 0.0;
    return TColourKind::round;
}

// Steps 1 to 5 and the per-stamp terms of 7 to 9. False when the pass
// draws nothing.
bool SetUpStamp(const TStamp& stamp, TStampPass pass, TStampSetup& s) {
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    if (canvas.width <= 0 || canvas.height <= 0) return false;
    if (!std::isfinite(stamp.x) || !std::isfinite(stamp.y) || !(std::fabs(stamp.depth) < 1e30)) return false;

    // 1.
    double width = stamp.width;
    if (!(width > 0.0) || !std::isfinite(width)) return false;
    double softness = stamp.softness == stamp.softness ? stamp.softness : 0.0;
    const bool erase = brush.brushType == 3;
    s.halfExtent = std::fabs(stamp.depthExtent) < 1e30 ? std::fabs(stamp.depthExtent) * 0.5 : 0.0;
    s.depth = stamp.depth;
    s.front = stamp.depth - s.halfExtent;
    s.tolerance = s.halfExtent * 0.5;  // a quarter of the extent

    // 2. Glow: wider and softer, and only where the stamp is not hidden.
    if (pass == TStampPass::glow) {
        if (erase) return false;
        if (brush.depth) {
            const double cx = std::floor(stamp.x);
            const double cy = std::floor(stamp.y);
            if (!(cx >= 0.0 && cx < canvas.width && cy >= 0.0 && cy < canvas.height)) return false;
            const TPixelRow centreRow = CanvasPixelRow(canvas, static_cast<int32_t>(cy));
            if (centreRow.depthBack && centreRow.depthBack[static_cast<int32_t>(cx)] < s.front) return false;
        }
        const double spread = brush.glowSpread;
        width *= spread;
        softness = 1.0 - (1.0 - softness) / spread;
        softness = softness > 0.1 ? (softness < 1.0 ? softness : 1.0) : 0.1;
        if (!(width > 0.0) || !std::isfinite(width)) return false;
    }
    softness = softness < -2.0 ? -2.0 : (softness > 2.0 ? 2.0 : softness);

    // 3. Minimum width: a thinner stamp is drawn at the minimum, fainter:
    // opacity × (width / m)², × (density / 2) / width below density / 2, at most 1.
    const double minimum = brush.edgeAntialias ? 2.5 : 0.5;
    const double rim = brush.edgeAntialias ? 1.5 : 0.0;
    if (width < minimum) {
        double f = (width / minimum) * (width / minimum);
        const double half = brush.stampDensity * 0.5;
        if (width < half) f *= half / width;
        s.opacityScale = f < 1.0 ? f : 1.0;
        if (!(s.opacityScale == s.opacityScale)) s.opacityScale = 1.0;
        width = minimum;
    }

    // 4. The pixel box.
    s.r = width * 0.5;
    s.r2 = s.r * s.r;
    s.invR = 1.0 / s.r;
    if (!AxisRange(stamp.x, s.r, canvas.width, canvas.wrapX, s.x0, s.x1, s.cx)) return false;
    if (!AxisRange(stamp.y, s.r, canvas.height, canvas.wrapY, s.y0, s.y1, s.cy)) return false;

    // 5. Coverage profile.
    s.profile = TCoverageProfile::Make(s.r, softness, rim, pass == TStampPass::glow);

    // Per-stamp colour and pass terms.
    for (int c = 0; c < 3; ++c) {
        const double colour = erase ? canvas.shading.background[c] : stamp.colour[c];
        s.baseColour[c] = colour > 0.0 ? colour * 255.0 : 0.0;
        s.keep[c] = Clamp01(1.0 - stamp.transparency[c]);
        s.incandescence[c] = erase ? 0.0 : stamp.incandescence[c] * 255.0;
    }
    s.shadowKeep = Clamp01(1.0 - brush.shadowTransparency);
    s.glowTint[0] = brush.glowColorR * brush.glow;
    s.glowTint[1] = brush.glowColorG * brush.glow;
    s.glowTint[2] = brush.glowColorB * brush.glow;
    s.tx = stamp.travel[0];
    s.ty = stamp.travel[1];

    s.mode.modifyColor = brush.modifyColor;
    s.mode.modifyAlpha = brush.modifyAlpha;
    s.mode.modifyDepth = brush.modifyDepth;
    s.mode.erase = erase;
    s.mode.shadowPass = pass == TStampPass::shadow;
    return true;
}

// True when every colour layer of the canvas is 8-bit (or missing).
bool NarrowCanvas(const TPixelRows& rows, int32_t anyRow) { return pixelkernel::NarrowRow(rows.Row(anyRow)); }

}  // namespace

void RasterStamp(const TStamp& stamp, TStampPass pass, const TStampLighting& lighting) {
    TStampLightingSource ready(lighting);
    RasterStamp(stamp, pass, ready);
}

void RasterStamp(const TStamp& stamp, TStampPass pass, TStampLightingSource& lighting) {
    if (!stamp.brush || !stamp.canvas) return;
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    TStampSetup s;
    if (!SetUpStamp(stamp, pass, s)) return;

    // Smear and blur take their colour from the paint under the box (and
    // carry it from stamp to stamp, so they are never skipped).
    const int32_t type = brush.brushType;
    const bool sampled = type == 1 || type == 2;
    int64_t written = 0;
    if (!(brush.depth && !sampled && HiddenBehindSettled(s, canvas))) {
        if (sampled) {
            if (!SmearBlurRegion(canvas, s.x0, s.y0, s.x1, s.y1, type == 2 ? brush.blurIntensity : 0)) return;
            s.scratch = canvas.shading.scratch[canvas.shading.scratchCurrent].data();
            s.scratchBytes = canvas.shading.scratchBytesPerPixel;
            s.scratchStride = canvas.shading.scratchWidth * s.scratchBytes;
        }
        std::optional<TTextureSampler> sampler;
        const bool textured = SetUpTexture(stamp, pass, canvas, s, sampler);
        const bool lit = pass != TStampPass::shadow && !s.mode.erase && !sampled && lighting.Get().lit;
        const TColourKind colour =
            sampled ? TColourKind::sampled : (lit ? SetUpLight(stamp, lighting.Get(), s) : TColourKind::plain);

        // 6 to 10. The pixels, by the walker made for this kind of stamp.
        const int32_t anyRow = canvas.wrapY ? Wrap(s.y0, canvas.height) : s.y0;
        const TPixelRows rows(canvas);
        const bool fast = NarrowCanvas(rows, anyRow) && pixelkernel::IsUsual(s.mode);
        written = PickWalk(brush.depth, fast, colour, pass, textured)(s, rows, canvas);
    }

    // 11. Depth range and dirty rectangle (maxima one past the last pixel).
    const float frontF = static_cast<float>(s.front);
    const float midF = static_cast<float>(stamp.depth);
    if (frontF < canvas.nearestDepth) canvas.nearestDepth = frontF;
    if (midF < canvas.nearestDepth) canvas.nearestDepth = midF;
    if (midF > canvas.farthestDepth) canvas.farthestDepth = midF;
    if (frontF > canvas.farthestDepth) canvas.farthestDepth = frontF;
    int32_t dx0 = s.x0, dx1 = s.x1, dy0 = s.y0, dy1 = s.y1;
    if (canvas.wrapX && (s.x0 < 0 || s.x1 > canvas.width)) {
        dx0 = 0;
        dx1 = canvas.width;
    }
    if (canvas.wrapY && (s.y0 < 0 || s.y1 > canvas.height)) {
        dy0 = 0;
        dy1 = canvas.height;
    }
    canvas.WidenDirty(dx0, dy0, dx1, dy1);
    const int64_t total = static_cast<int64_t>(canvas.segmentPixels) + written;
    canvas.segmentPixels = total < INT32_MAX ? static_cast<int32_t>(total) : INT32_MAX;
}
