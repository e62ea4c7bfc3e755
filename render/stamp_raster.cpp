#include <cmath>
#include <cstring>
#include <optional>

#include "presets/brush_record.h"
#include "render/input_poll.h"
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
// of one pixel. acrossPx / alongPx: the pixel's offset from the stamp's
// centre across and along the direction of travel, in pixels.
struct TTextureFrame {
    int32_t method = 2;
    bool image = false;
    double repeatU = 1.0, repeatV = 1.0, offsetU = 0.0, offsetV = 0.0, blur = 1.0;
    double invHeight = 0.0, invWidth = 0.0;
    double originX = 0.0, originY = 0.0, scaleX = 1.0, scaleY = 1.0;
    double radius = 1.0, texture = 0.0, across = 0.0, rate = 0.0;

    void At(int32_t column, int32_t row, double acrossPx, double alongPx, double& u, double& v, double& du,
            double& dv) const {
        const double invR = 1.0 / radius;
        if (image) {
            u = 0.5 + acrossPx * 0.5 * invR;
            v = texture + alongPx * rate;
            du = blur * 0.5 * invR;
            dv = blur * std::fabs(rate);
            return;
        }
        switch (method) {
            case 0:
                u = row * repeatU * invHeight + offsetU;
                v = column * repeatV * invWidth + offsetV;
                du = blur * std::fabs(repeatU * invHeight);
                dv = blur * std::fabs(repeatV * invWidth);
                break;
            case 1:
                u = (row - originY) * repeatU / scaleX + offsetU;
                v = (column - originX) * repeatV / scaleY + offsetV;
                du = blur * std::fabs(repeatU / scaleX);
                dv = blur * std::fabs(repeatV / scaleY);
                break;
            case 3: {
                double a = across + acrossPx * 0.25 * invR;
                a -= std::floor(a);
                u = a * repeatV + offsetV;
                v = (texture + alongPx * rate) * repeatU;
                du = std::fabs(repeatV) * blur * 0.25 * invR;
                dv = blur * std::fabs(rate * repeatU);  // v runs at repeatU along the stroke
                break;
            }
            default:
                u = 0.5 + acrossPx * repeatV * 0.5 * invR + offsetV;
                v = (texture + alongPx * rate) * repeatU;
                du = blur * std::fabs(repeatV * 0.5 * invR);
                dv = blur * std::fabs(rate * repeatU);
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

}  // namespace

void RasterStamp(const TStamp& stamp, TStampPass pass, const TStampLighting& lighting) {
    if (!stamp.brush || !stamp.canvas) return;
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    const int32_t canvasWidth = canvas.width;
    const int32_t canvasHeight = canvas.height;
    if (canvasWidth <= 0 || canvasHeight <= 0) return;
    if (!std::isfinite(stamp.x) || !std::isfinite(stamp.y) || !(std::fabs(stamp.depth) < 1e30)) return;

    // 1.
    double width = stamp.width;
    if (!(width > 0.0) || !std::isfinite(width)) return;
    double softness = stamp.softness == stamp.softness ? stamp.softness : 0.0;
    const int32_t type = brush.brushType;
    const bool erase = type == 3;
    const bool sampled = type == 1 || type == 2;
    const bool depthOn = brush.depth;
    const double halfExtent = std::fabs(stamp.depthExtent) < 1e30 ? std::fabs(stamp.depthExtent) * 0.5 : 0.0;
    const double front = stamp.depth - halfExtent;

    // 2. Glow: wider and softer, and only where the stamp is not hidden.
    if (pass == TStampPass::glow) {
        if (erase) return;
        if (depthOn) {
            const double cx = std::floor(stamp.x);
            const double cy = std::floor(stamp.y);
            if (!(cx >= 0.0 && cx < canvasWidth && cy >= 0.0 && cy < canvasHeight)) return;
            const TPixelRow centreRow = CanvasPixelRow(canvas, static_cast<int32_t>(cy));
            if (centreRow.depthBack && centreRow.depthBack[static_cast<int32_t>(cx)] < front) return;
        }
        const double spread = brush.glowSpread;
        width *= spread;
        softness = 1.0 - (1.0 - softness) / spread;
        softness = softness > 0.1 ? (softness < 1.0 ? softness : 1.0) : 0.1;
        if (!(width > 0.0) || !std::isfinite(width)) return;
    }
    softness = softness < -2.0 ? -2.0 : (softness > 2.0 ? 2.0 : softness);

    // 3. Minimum width: a thinner stamp is drawn at the minimum, fainter.
    const double minimum = brush.edgeAntialias ? 2.5 : 0.5;
    const double rim = brush.edgeAntialias ? 1.5 : 0.0;
    double opacityScale = 1.0;
    if (width < minimum) {
        double f = (width / minimum) * (width / minimum);
        const double half = brush.stampDensity * 0.5;
        if (width < half) f *= half / width;
        opacityScale = f < 1.0 ? f : 1.0;
        if (!(opacityScale == opacityScale)) opacityScale = 1.0;
        width = minimum;
    }

    // 4. The pixel box.
    const double r = width * 0.5;
    int32_t x0, x1, y0, y1;
    double cx, cy;
    if (!AxisRange(stamp.x, r, canvasWidth, canvas.wrapX, x0, x1, cx)) return;
    if (!AxisRange(stamp.y, r, canvasHeight, canvas.wrapY, y0, y1, cy)) return;

    // 5. Coverage profile.
    const TCoverageProfile profile = TCoverageProfile::Make(r, softness, rim, pass == TStampPass::glow);

    // Smear and blur take their colour from the paint under the box.
    const uint8_t* scratch = nullptr;
    int32_t scratchBytes = 4;
    int32_t scratchStride = 0;
    if (sampled) {
        if (!SmearBlurRegion(canvas, x0, y0, x1, y1, type == 2 ? brush.blurIntensity : 0)) return;
        scratch = canvas.shading.scratch[canvas.shading.scratchCurrent].data();
        scratchBytes = canvas.shading.scratchBytesPerPixel;
        scratchStride = canvas.shading.scratchWidth * scratchBytes;
    }

    // Per-stamp terms.
    const bool shadowPass = pass == TStampPass::shadow;
    const bool glowPass = pass == TStampPass::glow;
    double baseColour[3];
    double keep[3];  // 1 - transparency, within [0, 1]
    double incandescence[3];
    const double background[3] = {canvas.shading.background[0], canvas.shading.background[1],
                                  canvas.shading.background[2]};
    for (int c = 0; c < 3; ++c) {
        const double colour = erase ? background[c] : stamp.colour[c];
        baseColour[c] = colour > 0.0 ? colour * 255.0 : 0.0;
        keep[c] = Clamp01(1.0 - stamp.transparency[c]);
        incandescence[c] = erase ? 0.0 : stamp.incandescence[c] * 255.0;
    }
    const double shadowKeep = Clamp01(1.0 - brush.shadowTransparency);
    const double glowTint[3] = {brush.glowColorR * brush.glow, brush.glowColorG * brush.glow,
                                brush.glowColorB * brush.glow};

    // A leaf or petal that carries its own image is shaped and coloured by
    // it, whatever the brush maps for its tubes.
    const bool ownImage = stamp.textureImage != 0 &&
                          ((stamp.kind == 2 && !brush.leafUseBranchTex) || (stamp.kind == 3 && !brush.flowerUseBranchTex));
    const bool mapColour = brush.mapColor || ownImage;
    const bool mapOpacity = brush.mapOpacity || ownImage;
    const bool texturing = (mapColour || mapOpacity) && !shadowPass;
    const bool imageTexture = ownImage || brush.textureType == 4;
    const double colourScale = imageTexture ? 1.0 : brush.texColorScale;
    const double colourOffset = imageTexture ? 0.0 : brush.texColorOffset;
    const double opacityScaleTex = imageTexture ? 1.0 : brush.texOpacityScale;
    const double opacityOffsetTex = imageTexture ? 0.0 : brush.texOpacityOffset;
    const bool fringe = brush.fringeRemoval && imageTexture && mapColour && mapOpacity;
    TTextureFrame frame;
    // One sampler for the whole stamp: the brush's texture is read once.
    std::optional<TTextureSampler> sampler;
    if (texturing) {
        sampler.emplace(brush, ownImage ? 4 : brush.textureType, !imageTexture, stamp.textureImage);
        frame.method = brush.mapMethod;
        frame.image = imageTexture;
        frame.repeatU = brush.repeatU;
        frame.repeatV = brush.repeatV;
        frame.offsetU = brush.offsetU;
        frame.offsetV = brush.offsetV;
        frame.blur = brush.blurMult;
        frame.invHeight = 1.0 / canvasHeight;
        frame.invWidth = 1.0 / canvasWidth;
        if (stamp.run) {
            frame.originX = stamp.run->screenOriginX;
            frame.originY = stamp.run->screenOriginY;
            frame.scaleX = stamp.run->screenScaleX != 0.0 ? stamp.run->screenScaleX : 1.0;
            frame.scaleY = stamp.run->screenScaleY != 0.0 ? stamp.run->screenScaleY : 1.0;
        }
        frame.radius = r;
        frame.texture = stamp.texture;
        frame.across = stamp.across;
        frame.rate = stamp.textureRate;
    }

    // Lighting: flat (one multiplier for the whole stamp) or per pixel as
    // the cross-section of a round tube.
    const bool lit = lighting.lit && !shadowPass && !erase && !sampled;
    const bool flatLight = lit && stamp.translucence == 1.0;
    const bool roundLight = lit && !flatLight;
    double flatMul[3] = {1.0, 1.0, 1.0};
    double flatAdd[3] = {0.0, 0.0, 0.0};
    if (flatLight) {
        for (int c = 0; c < 3; ++c) {
            flatMul[c] = lighting.colour[c] * lighting.backShadow[c];
            flatAdd[c] = lighting.specular[c] * 255.0 * lighting.backShadow[c];
        }
    }
    const double W = lighting.screenTerms ? lighting.weight : 0.0;
    const double brightness = stamp.brightness <= 1.0 ? stamp.brightness : 1.0;
    const int32_t lightCount = lighting.screenTerms ? lighting.lightCount : 0;
    // The round cross-section's per-stamp terms, copied into locals so that
    // the pixel loop's stores cannot alias them.
    TRoundTerms round;
    if (roundLight) {
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
    }
    const double tx = stamp.travel[0];
    const double ty = stamp.travel[1];
    const double invR = 1.0 / r;
    const double tolerance = halfExtent * 0.5;  // a quarter of the extent

    TPixelWriteMode mode;
    mode.modifyColor = brush.modifyColor;
    mode.modifyAlpha = brush.modifyAlpha;
    mode.modifyDepth = brush.modifyDepth;
    mode.erase = erase;
    mode.shadowPass = shadowPass;

    const double r2 = r * r;
    int64_t written = 0;
    TPixelPaint paint;
    pixelkernel::TDitherCursor dither(canvas);
    // 6. Row by row.
    for (int32_t j = y0; j < y1; ++j) {
        const double dy = j + 0.5 - cy;
        const double dy2 = dy * dy;
        if (dy2 > r2) continue;
        if (UserWantsOut(canvas)) break;
        // The columns of this row inside the disc (one wider each side:
        // the per-pixel distance test decides).
        const double halfChord = std::sqrt(r2 - dy2);
        int32_t i0 = x0;
        int32_t i1 = x1;
        // Rounded by conversion: the library floor and ceil cost more than
        // the short row they bound.
        const double lo = texturepattern::Floor(cx - halfChord - 0.5);
        const double hi = -texturepattern::Floor(-(cx + halfChord + 0.5));
        if (lo > i0) i0 = static_cast<int32_t>(lo);
        if (hi < i1) i1 = static_cast<int32_t>(hi);
        const int32_t y = canvas.wrapY ? Wrap(j, canvasHeight) : j;
        const TPixelRow row = CanvasPixelRow(canvas, y);
        if (!row.picture) continue;
        const bool narrow = pixelkernel::NarrowRow(row);
        const uint8_t* scratchRow = scratch ? scratch + static_cast<intptr_t>(j - y0) * scratchStride : nullptr;
        for (int32_t i = i0; i < i1; ++i) {
            const double dx = i + 0.5 - cx;
            const double d2 = dx * dx + dy2;
            if (d2 > r2) continue;
            const int32_t x = canvas.wrapX ? Wrap(i, canvasWidth) : i;
            if (depthOn && row.depthBack && row.depthBack[x] < front) continue;
            double coverage = profile.AtSquared(d2) * opacityScale;
            if (!(coverage > 0.0)) continue;

            // 7. Colour, built in place in the paint (no copies between
            // stack arrays: they stall store forwarding in this loop).
            double* const colour = paint.colour;
            if (scratchRow) {
                const uint8_t* s = scratchRow + static_cast<intptr_t>(i - x0) * scratchBytes;
                if (scratchBytes == 8) {
                    uint16_t v[3];
                    std::memcpy(v, s, sizeof v);
                    colour[0] = v[2] * kFrom16;
                    colour[1] = v[1] * kFrom16;
                    colour[2] = v[0] * kFrom16;
                } else {
                    colour[0] = s[2];
                    colour[1] = s[1];
                    colour[2] = s[0];
                }
            } else {
                colour[0] = baseColour[0];
                colour[1] = baseColour[1];
                colour[2] = baseColour[2];
            }
            // Offsets across and along the direction of travel.
            const double acrossPx = dx * -ty + dy * tx;
            double a = acrossPx * invR;
            a = a < -1.0 ? -1.0 : (a > 1.0 ? 1.0 : a);
            const double q = 1.0 - a * a;
            if (texturing) {
                double u, v, du, dv;
                frame.At(x, y, acrossPx, dx * tx + dy * ty, u, v, du, dv);
                const TTextureSample t = sampler->Sample(u, v, du, dv);
                double T[3] = {t.red, t.green, t.blue};
                if (fringe && t.alpha > 0.0)
                    for (double& k : T) k /= t.alpha;
                if (mapColour) {
                    for (int c = 0; c < 3; ++c) {
                        const double m = (colourScale * colour[c] + (1.0 - colourScale) * 255.0 + colourOffset * 255.0) * T[c];
                        colour[c] = m > 0.0 ? m : 0.0;
                    }
                }
                if (mapOpacity) {
                    coverage = t.alpha * opacityOffsetTex + ((1.0 - opacityScaleTex) + t.alpha * opacityScaleTex) * coverage;
                    if (!(coverage > 0.0)) coverage = 0.0;
                }
            }

            // 8. Lighting.
            if (flatLight) {
                for (int c = 0; c < 3; ++c) colour[c] = colour[c] * flatMul[c] + flatAdd[c];
            } else if (roundLight) {
                // diffuse = sum over lights of colour * t, t = (q facing + a across) W + (1 - W) when positive
                double d0 = round.fallback[0], d1 = round.fallback[1], d2 = round.fallback[2];
                if (round.count > 0) {
                    d0 = d1 = d2 = 0.0;
                    for (int32_t k = 0; k < round.count; ++k) {
                        const TRoundLight& l = round.light[k];
                        const double t = (q * l.facing + a * l.across) * W + round.oneMinusW;
                        if (t > 0.0) {
                            d0 += l.colour[0] * t;
                            d1 += l.colour[1] * t;
                            d2 += l.colour[2] * t;
                        }
                    }
                }
                // colour' = (colour (W b diffuse + W ambient + (1 - W) lit) + specular 255 mean(diffuse)) backShadow
                const double highlight = (d0 + d1 + d2) * (1.0 / 3.0);
                colour[0] = (colour[0] * (round.scale * d0 + round.base[0]) + round.specular[0] * highlight) * round.back[0];
                colour[1] = (colour[1] * (round.scale * d1 + round.base[1]) + round.specular[1] * highlight) * round.back[1];
                colour[2] = (colour[2] * (round.scale * d2 + round.base[2]) + round.specular[2] * highlight) * round.back[2];
            }

            // 9. What the pass lays.
            if (shadowPass) {
                for (int c = 0; c < 3; ++c) {
                    paint.colour[c] = 0.0;
                    paint.light[c] = 0.0;
                    paint.opacity[c] = keep[c] * shadowKeep * coverage;
                }
            } else if (glowPass) {
                for (int c = 0; c < 3; ++c) {
                    paint.opacity[c] = 0.0;
                    paint.light[c] = (colour[c] * keep[c] + incandescence[c]) * glowTint[c] * coverage;
                }
            } else {
                for (int c = 0; c < 3; ++c) {
                    paint.opacity[c] = keep[c] * coverage;
                    paint.light[c] = incandescence[c] * coverage;
                }
            }

            // 10. Write.
            if (depthOn) {
                const double z = stamp.depth - q * halfExtent;
                const double zb = stamp.depth + q * halfExtent;
                if (narrow)
                    pixelkernel::DepthPixelOf<4>(canvas, row, mode, x, paint, z, zb, tolerance, 1.0, dither);
                else
                    pixelkernel::DepthPixelOf<pixelkernel::kAnyWidth>(canvas, row, mode, x, paint, z, zb, tolerance,
                                                                      1.0, dither);
            } else if (narrow) {
                pixelkernel::PlainPixelOf<4>(canvas, row, mode, x, paint, dither);
            } else {
                pixelkernel::PlainPixelOf<pixelkernel::kAnyWidth>(canvas, row, mode, x, paint, dither);
            }
            ++written;
        }
    }

    dither.Store(canvas);

    // 11. Depth range and dirty rectangle (maxima one past the last pixel).
    const float frontF = static_cast<float>(front);
    const float midF = static_cast<float>(stamp.depth);
    if (frontF < canvas.nearestDepth) canvas.nearestDepth = frontF;
    if (midF < canvas.nearestDepth) canvas.nearestDepth = midF;
    if (midF > canvas.farthestDepth) canvas.farthestDepth = midF;
    if (frontF > canvas.farthestDepth) canvas.farthestDepth = frontF;
    int32_t dx0 = x0, dx1 = x1, dy0 = y0, dy1 = y1;
    if (canvas.wrapX && (x0 < 0 || x1 > canvasWidth)) {
        dx0 = 0;
        dx1 = canvasWidth;
    }
    if (canvas.wrapY && (y0 < 0 || y1 > canvasHeight)) {
        dy0 = 0;
        dy1 = canvasHeight;
    }
    canvas.WidenDirty(dx0, dy0, dx1, dy1);
    const int64_t total = static_cast<int64_t>(canvas.segmentPixels) + written;
    canvas.segmentPixels = total < INT32_MAX ? static_cast<int32_t>(total) : INT32_MAX;
}
