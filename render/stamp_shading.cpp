#include "render/stamp_shading.h"

#include <cmath>

#include "base/geometry.h"

#include "presets/brush_record.h"
#include "render/stamp_span.h"
#include "render/paint_canvas.h"

namespace {

// Values beyond any sensible colour are held here so that sums stay finite.
constexpr double kColourLimit = 1e6;

double Tame(double v, double ifNaN, double lo, double hi) {
    if (v != v) return ifNaN;
    return v < lo ? lo : (v > hi ? hi : v);
}

// Makes a stamp safe to rasterise: NaN and infinite inputs either drop the
// stamp (position, width, depth) or take a harmless value.
bool Sanitize(TStamp& s) {
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.width) || !std::isfinite(s.depth)) return false;
    if (!(s.width > 0.0)) return false;
    if (!(std::fabs(s.depth) < 1e30)) return false;  // depths live in floats
    s.depthExtent = std::fabs(s.depthExtent) < 1e30 ? std::fabs(s.depthExtent) : 0.0;
    for (int c = 0; c < 3; ++c) {
        s.colour[c] = Tame(s.colour[c], 0.0, -kColourLimit, kColourLimit);
        s.transparency[c] = Tame(s.transparency[c], 1.0, -kColourLimit, kColourLimit);
        s.incandescence[c] = Tame(s.incandescence[c], 0.0, -kColourLimit, kColourLimit);
    }
    s.brightness = Tame(s.brightness, 1.0, 0.0, kColourLimit);
    s.softness = Tame(s.softness, 0.0, -2.0, 2.0);
    s.translucence = Tame(s.translucence, 0.0, 0.0, 1.0);
    s.texture = Tame(s.texture, 0.0, -1e12, 1e12);
    s.across = Tame(s.across, 0.0, -1e12, 1e12);
    s.textureRate = Tame(s.textureRate, 0.0, -1e12, 1e12);
    if (!std::isfinite(SquaredLength(s.normal)) || SquaredLength(s.normal) <= 1e-20) s.normal = -s.view;
    if (!std::isfinite(s.travel[0]) || !std::isfinite(s.travel[1]) || PlaneLength(s.travel[0], s.travel[1]) < 1e-12) {
        s.travel[0] = 1.0;
        s.travel[1] = 0.0;
    }
    return true;
}

TFLVector Direction(const LightRecord& light) { return {light.direction[0], light.direction[1], light.direction[2]}; }

void ComputeLighting(const TStamp& stamp, const LightRecord* lights, int32_t count, TStampLighting& out) {
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    out.lit = true;
    if (!lights) count = 0;
    if (count > kMaxStampLights) count = kMaxStampLights;
    const TFLVector toEye = -stamp.view;
    TFLVector n = stamp.normal;
    Normalize(n);
    if (Dot(n, toEye) < 0.0) n = -n;
    const double W = stamp.translucence;

    // Diffuse and ambient sums.
    for (int32_t k = 0; k < count; ++k) {
        const LightRecord& light = lights[k];
        const bool black = IsBlack(light);
        if (light.diffuse && !black) {
            const double f = (1.0 - W) + Dot(Direction(light), n) * W;
            if (f > 0.0)
                for (int c = 0; c < 3; ++c) out.diffuse[c] += light.colour[c] * f;
        }
        if (light.ambient)
            for (int c = 0; c < 3; ++c) out.ambient[c] += light.colour[c] * 0.5;
    }
    const double brightness = stamp.brightness <= 1.0 ? stamp.brightness : 1.0;
    for (int c = 0; c < 3; ++c)
        out.colour[c] = out.diffuse[c] >= 0.0 ? (out.ambient[c] + out.diffuse[c]) * brightness : out.ambient[c];

    // Specular: the highlight factor is held within [0, 1] so that a light
    // straight from the eye never raises it past a full highlight.
    if (brush.specular != 0.0) {
        for (int32_t k = 0; k < count; ++k) {
            const LightRecord& light = lights[k];
            if (!light.specular || IsBlack(light)) continue;
            double h = 1.0 - (1.0 - std::fabs(Dot(Direction(light), toEye) - Dot(n, toEye))) * 0.5;
            h = Tame(h, 0.0, 0.0, 1.0);
            const double p = std::pow(h, brush.specularPower) * brush.specular;
            if (std::isfinite(p))
                for (int c = 0; c < 3; ++c) out.specular[c] += light.colour[c] * p;
        }
        const double tint[3] = {brush.specularColorR, brush.specularColorG, brush.specularColorB};
        for (int c = 0; c < 3; ++c) out.specular[c] = Tame(out.specular[c] * tint[c], 0.0, -kColourLimit, kColourLimit);
    }

    // Per-light terms of the round cross-section.
    if (W != 0.0) {
        out.screenTerms = true;
        out.weight = W;
        out.lightCount = count;
        const double ax = -stamp.travel[1];
        const double ay = stamp.travel[0];
        const TFLPoint p0 = canvas.Project(stamp.world);
        for (int32_t k = 0; k < count; ++k) {
            const LightRecord& light = lights[k];
            for (int c = 0; c < 3; ++c) out.lightColour[k][c] = light.colour[c];
            out.lightDiffuse[k] = light.diffuse;
            if (!light.diffuse) continue;
            TFLVector d = Direction(light);
            Normalize(d);
            const double facing = Dot(d, toEye);
            // The light's direction on screen: where a short step toward the
            // light lands, relative to the stamp.
            const TFLPoint p1 = canvas.Project(stamp.world + d * 1e-3);
            double sx = p1.x - p0.x;
            double sy = p1.y - p0.y;
            const double sl = PlaneLength(sx, sy);
            double acrossTerm = 0.0;
            if (sl > 1e-12 && std::isfinite(sl)) {
                const double lateral = std::sqrt(facing * facing < 1.0 ? 1.0 - facing * facing : 0.0);
                acrossTerm = (sx * ax + sy * ay) / sl * lateral;
            }
            out.across[k] = static_cast<float>(acrossTerm);
            out.facing[k] = static_cast<float>(facing);
        }
    }

    // Back shadow: light from behind the stamp darkens it.
    if (brush.backShadow != 0.0) {
        double factor[3] = {0.0, 0.0, 0.0};
        bool any = false;
        for (int32_t k = 0; k < count; ++k) {
            const LightRecord& light = lights[k];
            if (!light.diffuse || IsBlack(light)) continue;
            any = true;
            const double t = (Dot(Direction(light), n) - 1.0) * brush.backShadow + 1.0;
            if (t > 0.0)
                for (int c = 0; c < 3; ++c) factor[c] += light.colour[c] * t;
        }
        if (any)
            for (int c = 0; c < 3; ++c) out.backShadow[c] = Tame(factor[c], 0.0, 0.0, kColourLimit);
    }
}

void Pass(const TStamp& stamp, TStampPass pass, TStampLightingSource& lighting) {
    if (stamp.subStamping)
        DrawStampPasses(stamp, pass, lighting);
    else
        RasterStamp(stamp, pass, lighting);
}

}  // namespace

const TStampLighting& TStampLightingSource::Get() {
    if (pending_) {
        pending_ = false;
        ComputeLighting(*stamp_, lights_, count_, lighting_);
    }
    return lighting_;
}

void ShadeStamp(const TStamp& in, const LightRecord* lights, int32_t lightCount) {
    if (!in.brush || !in.canvas) return;
    TStamp stamp = in;
    if (!Sanitize(stamp)) return;
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    // 1. Off the canvas (widened by the stamp's width): nothing to do.
    if (!stamp.subStamping && !canvas.Visible(TFLPoint{stamp.x, stamp.y, stamp.depth, 1.0}, stamp.width)) return;

    // 2. Lighting sums, when a pass first needs them.
    TStampLightingSource lighting(stamp, lights, lightCount, brush.illuminated && !stamp.shadowStamp);

    if (stamp.shadowStamp) {
        Pass(stamp, TStampPass::shadow, lighting);
    } else {
        // 3. Drop shadow, offset down and to the right, softer.
        if (brush.fakeShadow == 1) {
            TStamp shadow = stamp;
            const double offset = stamp.width * brush.shadowOffset;
            if (std::isfinite(offset)) {
                shadow.x += offset;
                shadow.y -= offset;
                const double soft = brush.shadowDiffusion + stamp.softness;
                shadow.softness = soft < 1.0 ? soft : 1.0;
                if (!(shadow.softness == shadow.softness)) shadow.softness = stamp.softness;
                Pass(shadow, TStampPass::shadow, lighting);
            }
        }
        // 4. The stamp itself, 5. its glow.
        Pass(stamp, TStampPass::normal, lighting);
        if (brush.glow != 0.0) Pass(stamp, TStampPass::glow, lighting);
    }
    if (stamp.subStamping && stamp.run) {
        stamp.run->lastSubStampX = stamp.x;
        stamp.run->lastSubStampY = stamp.y;
    }
}

void DrawStampPasses(const TStamp& stamp, TStampPass pass, TStampLightingSource& lighting) {
    if (!stamp.brush || !stamp.canvas) return;
    TPaintCanvas& canvas = *stamp.canvas;
    if (!stamp.run || !(stamp.width > 0.0)) {
        RasterStamp(stamp, pass, lighting);
        return;
    }
    // A drop shadow moves with the same offset as its stamp.
    double offsetX = 0.0;
    double offsetY = 0.0;
    if (pass == TStampPass::shadow && !stamp.shadowStamp && stamp.brush->fakeShadow == 1) {
        offsetX = stamp.width * stamp.brush->shadowOffset;
        offsetY = -offsetX;
    }
    const double fromX = stamp.run->lastSubStampX + offsetX;
    const double fromY = stamp.run->lastSubStampY + offsetY;
    const double moveX = stamp.x - fromX;
    const double moveY = stamp.y - fromY;
    const double widths = PlaneLength(moveX, moveY) / stamp.width;
    const double perWidth = stamp.width * (2.0 / 3.0) < 3.0 ? stamp.width * (2.0 / 3.0) : 3.0;
    double exact = widths * perWidth;
    if (!(exact < 100.0)) exact = 100.0;
    const int32_t count = exact >= 1.0 ? static_cast<int32_t>(exact) : 1;
    auto visible = [&](const TStamp& s) {
        return canvas.Visible(TFLPoint{s.x, s.y, s.depth, 1.0}, s.width);
    };
    if (count <= 1) {
        if (visible(stamp)) RasterStamp(stamp, pass, lighting);
        return;
    }
    TStamp sub = stamp;
    if (stamp.brush->stampDensity > 1.0) {
        // n sub-stamps of opacity m_i cover as one of m: 1 - (1 - m_i)^n = m.
        double m = 0.0;
        for (double t : stamp.transparency) m += 1.0 - t;
        m /= 3.0;
        double k = 1.0 / count;
        if (m > 0.0 && m < 1.0) k = (1.0 - std::pow(1.0 - m, 1.0 / count)) / m;
        for (int c = 0; c < 3; ++c) {
            sub.transparency[c] = 1.0 - (1.0 - stamp.transparency[c]) * k;
            sub.incandescence[c] = stamp.incandescence[c] * k;
        }
    }
    // Evenly along the move; the fractional part lengthens the last step.
    const double step = 1.0 / exact;
    for (int32_t i = 1; i <= count; ++i) {
        const double f = i == count ? 1.0 : i * step;
        sub.x = fromX + moveX * f;
        sub.y = fromY + moveY * f;
        if (visible(sub)) RasterStamp(sub, pass, lighting);
    }
}
