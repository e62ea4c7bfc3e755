#include "render/stamp_span.h"

#include <cmath>

#include "base/geometry.h"

#include "presets/brush_record.h"
#include "render/bounds.h"
#include "render/input_poll.h"
#include "render/stamp_depth_disc.h"
#include "render/stamp_placement.h"
#include "render/stamp_shading.h"
#include "render/paint_canvas.h"

namespace {

constexpr double kInverseTwoPi = 0.15915494309189535;

bool Finite(const TFLPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w) && p.w != 0.0;
}

double Lerp(double a, double b, double f) { return (1.0 - f) * a + f * b; }

double ScreenDistance(const TFLPoint& a, const TFLPoint& b) { return PlaneLength(b.x - a.x, b.y - a.y); }

// A unit vector across the view, for measuring widths on screen when the
// canvas cannot say how many pixels a world length covers.
TFLVector AcrossView(const TFLVector& view, const TFLVector& side) {
    TFLVector axis = side - view * Dot(side, view);
    if (SquaredLength(axis) <= 1e-20) axis = Cross(view, kAxisZ);
    if (SquaredLength(axis) <= 1e-20) axis = kAxisX;
    Normalize(axis);
    return axis;
}

// What the stamper needs to know about the canvas's view, worked out once a span.
struct TSpanView {
    TPaintCanvas* canvas = nullptr;
    TFLVector view;
    TFLVector across;
    bool dropShadow = false;  // fakeShadow 1: stamps are pulled a whole extent forward

    double PixelWidth(const TFLPoint& p, double worldWidth) const {
        const double size = canvas->PixelSize(worldWidth);
        if (size > 0.0) return size;
        const TFLPoint a = canvas->Project(p);
        const TFLPoint b = canvas->Project(p + across * worldWidth);
        return ScreenDistance(a, b);
    }
    // The projected point with its depth pulled toward the eye by (half)
    // the depth extent of one stamp width; the extent goes to extent.
    TFLPoint ProjectStamp(const TFLPoint& p, double worldWidth, double& extent) const {
        TFLPoint q = canvas->Project(p);
        const double far = canvas->Project(p + view * worldWidth).z;
        double e = far - q.z;
        if (!std::isfinite(e)) e = 0.0;
        q.z -= dropShadow ? e : e * 0.5;
        extent = std::fabs(e);
        return q;
    }
};

void TurnTravel(const double from[2], const double to[2], double s, double out[2]) {
    double x = (1.0 - s) * from[0] + s * to[0];
    double y = (1.0 - s) * from[1] + s * to[1];
    const double n = PlaneLength(x, y);
    if (n > 1e-12) {
        x /= n;
        y /= n;
    } else {
        x = to[0];
        y = to[1];
    }
    out[0] = x;
    out[1] = y;
}

// Cast-shadow rows: each light throws the stroke onto the ground plane
// below it; the shadow stamps follow the shadow point by the placement rule
// at the stroke's own spacing. Returns false when the poll asked to stop.
bool LayCastShadows(const TStampSpanArgs& args, StampRun& run, const TSpanView& sv, const LightRecord* lights,
                    int32_t count, bool newRun, double widthFactor) {
    const TBrushRecord& brush = *args.brush;
    TPaintCanvas& canvas = *args.canvas;
    const TFLPoint B = MakePlain(args.end.point);
    const double spacing = brush.stampDensity > 1e-6 ? 0.5 / brush.stampDensity : 500000.0;
    if (newRun)
        for (uint8_t& seen : run.lightSeen) seen = 0;
    const double diffusion = std::isfinite(brush.shadowDiffusion) ? brush.shadowDiffusion : 0.0;
    const double softness = std::isfinite(brush.softness) ? brush.softness : 0.0;
    const double widest = 2.0 * (canvas.width > canvas.height ? canvas.width : canvas.height);

    for (int32_t k = 0; k < count && k < kMaxStampLights; ++k) {
        const LightRecord& light = lights[k];
        if (!light.diffuse) continue;
        const TFLVector d{light.direction[0], light.direction[1], light.direction[2]};
        if (!(Dot(d, args.up) > 0.001)) {
            run.lightSeen[k] = 0;
            continue;
        }
        // Shadow of P on the ground through G with normal u:
        //   P - ((P - G) . u / (d . u)) d; the height is (P - G) . u.
        struct TShadowPoint {
            TFLPoint point;
            double width = 0.0;
            double colour[3] = {0.0, 0.0, 0.0};
            double softness = 0.0;
            bool ok = false;
        };
        auto shadowOf = [&](const TFLPoint& p, const TFLVector& upAt, double groundOffset, double worldWidth) {
            TShadowPoint s;
            TFLVector u = upAt;
            Normalize(u);
            const double du = Dot(d, u);
            if (!(du > 0.001)) return s;
            const TFLPoint ground = p - upAt * groundOffset;
            const double height = Dot(p - ground, u);
            s.point = p - d * (height / du);
            // The height fraction: at eight widths above the ground the
            // shadow has faded out; on the way it widens and softens.
            double h = worldWidth > 0.0 ? std::fabs(height) / (8.0 * worldWidth) : 1.0;
            if (!(h <= 1.0)) h = 1.0;
            const double spread = std::pow(h, 0.2);
            s.width = worldWidth * (1.0 + diffusion * spread);
            const double fadeOut = (1.0 - h) * (1.0 - h) * (1.0 - h);
            for (int c = 0; c < 3; ++c) {
                const double v = 1.0 - light.colour[c] * fadeOut;
                s.colour[c] = v > 0.0 ? v : 0.0;
            }
            double soft = softness + (1.0 - softness) * diffusion * spread;
            s.softness = soft < 1.0 ? soft : 1.0;
            s.ok = Finite(s.point) && std::isfinite(s.width);
            return s;
        };

        const TShadowPoint end = shadowOf(B, args.end.up, args.end.groundOffset, widthFactor * args.end.width);
        if (!end.ok) continue;
        TStampShadowTrack& track = run.shadow[k];
        double spent = 0.0;

        auto layShadow = [&](const TFLPoint& p, double worldWidth, const double colour[3], double soft) {
            TStamp stamp;
            stamp.brush = &brush;
            stamp.canvas = &canvas;
            stamp.run = &run;
            double extent = 0.0;
            const TFLPoint q = sv.ProjectStamp(p, worldWidth, extent);
            stamp.x = q.x;
            stamp.y = q.y;
            stamp.depth = q.z;
            stamp.depthExtent = extent;
            stamp.width = sv.PixelWidth(p, worldWidth);
            stamp.world = p;
            for (int c = 0; c < 3; ++c) {
                stamp.colour[c] = 0.0;
                stamp.transparency[c] = colour[c];
            }
            stamp.view = sv.view;
            stamp.softness = soft;
            stamp.translucence = args.translucence;
            stamp.kind = static_cast<int32_t>(args.kind);
            stamp.shadowStamp = true;
            stamp.subStamping = args.subStamping;
            ShadeStamp(stamp, nullptr, 0);
            if (args.painted) *args.painted = true;
            const double side = stamp.width < widest ? stamp.width : widest;
            spent += side * side + 1.0;
        };

        if (!run.lightSeen[k]) {
            const TShadowPoint start = shadowOf(MakePlain(run.lastWorld), args.start.up, run.lastGroundOffset,
                                                run.width);
            if (!start.ok) continue;
            track.lastPoint = start.point;
            track.width[0] = start.width;
            for (int c = 0; c < 3; ++c) track.colour[c] = start.colour[c];
            run.lightSeen[k] = 1;
            layShadow(track.lastPoint, track.width[0], track.colour, start.softness);
        }

        const double length = Length(end.point - track.lastPoint);
        TStampPlacer placer(length, track.width[0], end.width, spacing, kMaxStampsPerSpan);
        double f = 0.0;
        double lastF = -1.0;
        while (placer.Next(f)) {
            const TFLPoint p = Interpolate(track.lastPoint, end.point, f);
            const double w = Lerp(track.width[0], end.width, f);
            double colour[3];
            for (int c = 0; c < 3; ++c) colour[c] = Lerp(track.colour[c], end.colour[c], f);
            layShadow(p, w, colour, end.softness);
            lastF = f;
            if (spent > kMaxStampPixelsPerSpan) break;
        }
        if (lastF >= 0.0) {
            const TFLPoint last = track.lastPoint;
            track.lastPoint = Interpolate(last, end.point, lastF);
            track.width[0] = Lerp(track.width[0], end.width, lastF);
            track.width[1] = sv.PixelWidth(track.lastPoint, track.width[0]);
            for (int c = 0; c < 3; ++c) track.colour[c] = Lerp(track.colour[c], end.colour[c], lastF);
        }
        if (UserWantsOut(canvas)) return false;
    }
    return true;
}

// The shared walk of both stampers: where the stamps of the span go, and
// what each carries. depthOnly lays discs into the depth layer instead of
// shading stamps.
void WalkSpan(const TStampSpanArgs& args, bool depthOnly) {
    if (!args.brush || !args.canvas || !args.run) return;
    const TBrushRecord& brush = *args.brush;
    TPaintCanvas& canvas = *args.canvas;
    StampRun& run = *args.run;
    const TStampSpanEnd& s0 = args.start;
    const TStampSpanEnd& s1 = args.end;

    const TFLPoint A = MakePlain(s0.point);
    const TFLPoint B = MakePlain(s1.point);
    if (!Finite(A) || !Finite(B)) return;

    // 1. The span's end behind the eye: the next span starts afresh.
    if (!(canvas.DistanceFromEye(B) >= 0.0)) {
        run.runState = 0;
        return;
    }
    // 2. Texture wrapping around the stroke.
    const bool wrapTexture = !depthOnly && (brush.mapColor || brush.mapOpacity) && brush.mapMethod == 3 &&
                             args.kind == TStampSpanKind::body;
    // 3.
    TSpanView sv;
    sv.canvas = &canvas;
    sv.view = canvas.ViewDirection();
    Normalize(sv.view);
    sv.across = AcrossView(sv.view, args.side);
    sv.dropShadow = brush.fakeShadow == 1;

    // 4.
    const double spanLength = Length(B - A);
    if (!(spanLength > 0.0) || !std::isfinite(spanLength)) return;

    // 5. Flat brushes and wrapped textures turn the normal with the twist.
    TFLVector normal = args.up;
    double across = 0.0;
    double widthFactor = 1.0;
    if (args.flatness != 0.0 || wrapTexture) {
        TFLVector v = MakePlain(s1.interpolate) - MakePlain(s0.interpolate);
        if (!(SquaredLength(v) > 0.0) || !std::isfinite(SquaredLength(v))) v = B - A;
        normal = TwistedNormal(s0.twist, v, args.side, args.direction, args.up);
        if (wrapTexture) {
            across = std::atan2(Dot(normal, args.up), Dot(normal, args.side)) * kInverseTwoPi;
            if (across < 0.0) across += 1.0;
        }
        if (args.flatness != 0.0) {
            widthFactor = (1.0 - args.flatness) + std::fabs(Dot(normal, sv.view)) * args.flatness;
            if (!std::isfinite(widthFactor)) widthFactor = 1.0;
        }
    }
    Normalize(normal);
    if (!std::isfinite(SquaredLength(normal))) normal = kAxisZ;

    // 6. A new run starts at A.
    const bool newRun = run.runState == 0;
    if (newRun) {
        double extent = 0.0;
        run.lastTexture = s0.texture;
        run.lastWorld = A;
        run.width = widthFactor * s0.width;
        run.lastProjected = sv.ProjectStamp(A, run.width, extent);
        for (int c = 0; c < 3; ++c) {
            run.lastColour[c] = s0.colour[c];
            run.lastTransparency[c] = s0.transparency[c];
            run.lastIncandescence[c] = s0.incandescence[c];
        }
        run.uCoordinate = across;
        run.lastNormal = normal;
        run.lastBrightness = s0.brightness;
        run.lastGroundOffset = s0.groundOffset;
        run.distanceToCover = 0.0;
        run.lastPixelWidth = sv.PixelWidth(A, run.width);
        run.lastSubStampX = run.lastProjected.x;
        run.lastSubStampY = run.lastProjected.y;
        if (brush.mapMethod == 1) {
            run.screenOriginX = run.lastProjected.x;
            run.screenOriginY = run.lastProjected.y;
            double distance = canvas.DistanceFromEye(A);
            if (!(distance >= 1e-05)) distance = 1e-05;
            double scale = brush.globalScale * sv.PixelWidth(A, distance) / distance;
            if (!(scale > 0.0) || !std::isfinite(scale)) scale = 1.0;
            run.screenScaleX = run.screenScaleY = scale;
        }
    }
    // 7.
    if (!(canvas.DistanceFromEye(run.lastWorld) >= 0.0)) {
        run.runState = 0;
        return;
    }

    // 8. Minimum stamp width in pixels.
    // Held to twice the canvas: a stamp wider than that looks no different.
    double minWidth = brush.stampDensity * 0.5;
    const double widest = 2.0 * (canvas.width > canvas.height ? canvas.width : canvas.height);
    if (!(minWidth == minWidth)) minWidth = 0.0;
    if (minWidth > widest) minWidth = widest;
    auto atLeast = [](double v, double m) { return v < m ? m : v; };

    // 9. The distance to cover and the widths at both ends.
    const double w1 = widthFactor * s1.width;
    double extentB = 0.0;
    const TFLPoint projB = sv.ProjectStamp(B, w1, extentB);
    double D, L, r0, r1, px0, px1;
    if (brush.screenspaceWidth) {
        const bool on = canvas.ProjectionOn();
        canvas.SetProjectionOn(false);
        px0 = atLeast(canvas.PixelSize(run.width), minWidth);
        px1 = atLeast(canvas.PixelSize(w1), minWidth);
        canvas.SetProjectionOn(on);
        double extentA = 0.0;
        const TFLPoint projA = sv.ProjectStamp(A, w1, extentA);
        D = run.distanceToCover + ScreenDistance(projA, projB);
        L = ScreenDistance(run.lastProjected, projB);
        r0 = px0;
        r1 = px1;
    } else {
        D = run.distanceToCover + spanLength;
        L = Length(B - run.lastWorld);
        r0 = run.width;
        r1 = w1;
        px0 = sv.PixelWidth(run.lastWorld, r0);
        px1 = sv.PixelWidth(B, r1);
        if (px0 > 0.0 && px0 < minWidth) {
            r0 *= minWidth / px0;
            px0 = minWidth;
        }
        if (px1 > 0.0 && px1 < minWidth) {
            r1 *= minWidth / px1;
            px1 = minWidth;
        }
    }
    if (!std::isfinite(D)) D = 0.0;

    // 10. Direction of travel on screen and the texture rate.
    double spanDirection[2] = {run.lastScreenDirection[0], run.lastScreenDirection[1]};
    double screenLength = ScreenDistance(run.lastProjected, projB);
    if (screenLength > 0.0 && std::isfinite(screenLength)) {
        spanDirection[0] = (projB.x - run.lastProjected.x) / screenLength;
        spanDirection[1] = (projB.y - run.lastProjected.y) / screenLength;
    } else {
        screenLength = 1e-05;
    }
    double rate = (s1.texture - run.lastTexture) / screenLength;
    if (!std::isfinite(rate)) rate = 0.0;
    if (newRun) {
        run.textureRate = rate;
        run.lastScreenDirection[0] = spanDirection[0];
        run.lastScreenDirection[1] = spanDirection[1];
    }

    // 11. Lights.
    LightRecord sceneLights[kMaxStampLights];
    const LightRecord* lights = nullptr;
    int32_t lightCount = 0;
    if (!depthOnly) {
        if (brush.realLights && brush.illuminated) {
            lights = sceneLights;
            if (args.scene) {
                const TFLPoint mid = Interpolate(run.lastWorld, B, 0.5);
                if (canvas.projectionKind == 1)
                    lightCount = SampleLights(*args.scene, mid, (px0 + px1) * 0.5, (run.width + w1) * 0.25,
                                              sceneLights, kMaxStampLights);
                else
                    lightCount = args.scene->LightsAt(mid, sceneLights, kMaxStampLights);
            }
        } else if (args.lightGiven && args.lights) {
            lights = args.lights;
            lightCount = args.lightCount;
        }
        if (lightCount < 0) lightCount = 0;
        if (lightCount > kMaxStampLights) lightCount = kMaxStampLights;
    }

    // 12. Cast shadows.
    if (!depthOnly && brush.fakeShadow == 2 && brush.shadowTransparency != 1.0 && !brush.screenspaceWidth &&
        lightCount > 0) {
        if (!LayCastShadows(args, run, sv, lights, lightCount, newRun, widthFactor)) return;
    }

    // 13 - 16. The stamps.
    const double meanPixelWidth = (px0 + px1) * 0.5;
    const double turnLength = D > 0.0 ? (0.25 * meanPixelWidth) / D : 100.0;
    double uEnd = across;
    if (wrapTexture) {
        // The shorter way round.
        if (uEnd - run.uCoordinate > 0.5) uEnd -= 1.0;
        if (uEnd - run.uCoordinate < -0.5) uEnd += 1.0;
    }

    double spentPixels = 0.0;
    struct TLaid {
        double f = 0.0;
        TFLPoint world;
        double pixelWidth = 0.0;
        double travel[2] = {1.0, 0.0};
        bool any = false;
    } laid;

    auto layStamp = [&](double f) {
        TStamp stamp;
        stamp.brush = &brush;
        stamp.canvas = &canvas;
        stamp.run = &run;
        const TFLPoint p = Interpolate(run.lastWorld, B, f);
        const double worldWidth = Lerp(run.width, w1, f);
        const double width = Lerp(r0, r1, f);  // in the units of the widths
        double extent = 0.0;
        const TFLPoint q = sv.ProjectStamp(p, worldWidth, extent);
        stamp.x = q.x;
        stamp.y = q.y;
        stamp.depth = q.z;
        stamp.depthExtent = extent;
        stamp.width = brush.screenspaceWidth ? width : sv.PixelWidth(p, width);
        stamp.world = p;
        double turn = turnLength > 0.0 ? f / turnLength : 1.0;
        if (!(turn < 1.0)) turn = 1.0;
        TurnTravel(run.lastScreenDirection, spanDirection, turn, stamp.travel);
        if (depthOnly) {
            DepthDisc(canvas, stamp.x, stamp.y, stamp.width, stamp.depth);
        } else {
            for (int c = 0; c < 3; ++c) {
                stamp.colour[c] = Lerp(run.lastColour[c], s1.colour[c], f);
                stamp.transparency[c] = Lerp(run.lastTransparency[c], s1.transparency[c], f);
                stamp.incandescence[c] = Lerp(run.lastIncandescence[c], s1.incandescence[c], f);
            }
            stamp.brightness = Lerp(run.lastBrightness, s1.brightness, f);
            stamp.texture = Lerp(run.lastTexture, s1.texture, f);
            double u = Lerp(run.uCoordinate, uEnd, f);
            if (wrapTexture) {
                if (u < 0.0) u += 1.0;
                if (u > 1.0) u -= 1.0;
            }
            stamp.across = u;
            stamp.textureRate = rate;
            TFLVector n = run.lastNormal * (1.0 - f) + normal * f;
            Normalize(n);
            stamp.normal = n;
            stamp.view = sv.view;
            stamp.softness = brush.softness;
            stamp.translucence = args.translucence;
            stamp.kind = static_cast<int32_t>(args.kind);
            stamp.subStamping = args.subStamping;
            stamp.textureImage = args.textureImage;
            ShadeStamp(stamp, lights, lightCount);
        }
        ++canvas.segmentStamps;
        ++canvas.stampsLaid;
        const double side = stamp.width < widest ? stamp.width : widest;
        spentPixels += side * side + 1.0;
        if (args.painted) *args.painted = true;
        laid.f = f;
        laid.world = p;
        laid.pixelWidth = stamp.width;
        laid.travel[0] = stamp.travel[0];
        laid.travel[1] = stamp.travel[1];
        laid.any = true;
    };

    bool aborted = false;
    // 14. A new run begins with a stamp at its start.
    if (newRun) {
        if (UserWantsOut(canvas))
            aborted = true;
        else
            layStamp(0.0);
    }
    double carry = -1.0;
    if (!aborted) {
        const double spacing = StampSpacingFactor(L, D, brush.stampDensity);
        TStampPlacer placer(L, r0, r1, spacing, kMaxStampsPerSpan);
        double f = 0.0;
        bool inside = false;
        while (placer.Next(f)) {
            if (UserWantsOut(canvas)) {
                aborted = true;
                break;
            }
            layStamp(f);
            inside = true;
            // Past the span's pixel budget the rest is carried to the next span.
            if (spentPixels > kMaxStampPixelsPerSpan) break;
        }
        // 16. A completing run still gets one stamp into a short span.
        if (!aborted && !inside && args.completing && !placer.Capped()) {
            if (!UserWantsOut(canvas)) {
                layStamp(0.9999);
                const double beyond = placer.Beyond();
                const double reduce = beyond > 0.0 ? 1.0 - (beyond - 1.0) / beyond : 1.0;
                carry = (1.0 - 0.9999) * D * reduce;
            }
        }
    }

    // 17. Carry the last stamp's values into the next span.
    if (laid.any) {
        const double f = laid.f;
        for (int c = 0; c < 3; ++c) {
            run.lastColour[c] = Lerp(run.lastColour[c], s1.colour[c], f);
            run.lastTransparency[c] = Lerp(run.lastTransparency[c], s1.transparency[c], f);
            run.lastIncandescence[c] = Lerp(run.lastIncandescence[c], s1.incandescence[c], f);
        }
        run.lastBrightness = Lerp(run.lastBrightness, s1.brightness, f);
        run.lastGroundOffset = Lerp(run.lastGroundOffset, s1.groundOffset, f);
        run.lastTexture = Lerp(run.lastTexture, s1.texture, f);
        double u = Lerp(run.uCoordinate, uEnd, f);
        if (u < 0.0) u += 1.0;
        if (u > 1.0) u -= 1.0;
        run.uCoordinate = wrapTexture ? u : Lerp(run.uCoordinate, across, f);
        TFLVector n = run.lastNormal * (1.0 - f) + normal * f;
        Normalize(n);
        run.lastNormal = n;
        const double worldWidth = Lerp(run.width, w1, f);
        double extent = 0.0;
        run.lastWorld = laid.world;
        run.lastProjected = sv.ProjectStamp(laid.world, worldWidth, extent);
        run.width = worldWidth;
        run.lastPixelWidth = laid.pixelWidth;
        run.lastScreenDirection[0] = laid.travel[0];
        run.lastScreenDirection[1] = laid.travel[1];
    }
    const double fLast = laid.any ? laid.f : 0.0;
    if (carry < 0.0) carry = (1.0 - fLast) * D;
    run.distanceToCover = std::isfinite(carry) && carry > 0.0 ? carry : 0.0;
    run.textureRate = rate;
    if (run.runState == 0) run.runState = 1;
}

}  // namespace

void StampSpan(const TStampSpanArgs& args) { WalkSpan(args, false); }

void StampSpanDepth(const TStampSpanArgs& args) { WalkSpan(args, true); }

int32_t SampleLights(const TSceneLightProvider& scene, const TFLPoint& midpoint, double meanPixelWidth,
                     double halfWorldWidth, LightRecord* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    if (capacity > kMaxStampLights) capacity = kMaxStampLights;
    int32_t count = scene.LightsAt(midpoint, out, capacity);
    if (count <= 0) return 0;
    if (count > capacity) count = capacity;
    if (!(meanPixelWidth > 10.0)) return count;
    double b = (meanPixelWidth - 10.0) * 0.05;
    if (!(b < 1.0)) b = 1.0;
    const double h = std::isfinite(halfWorldWidth) ? halfWorldWidth : 0.0;
    double sum[kMaxStampLights][3] = {};
    const TFLVector axes[3] = {kAxisX, kAxisY, kAxisZ};
    for (const TFLVector& axis : axes) {
        for (double sign : {-1.0, 1.0}) {
            LightRecord sample[kMaxStampLights];
            int32_t n = scene.LightsAt(midpoint + axis * (sign * h), sample, capacity);
            if (n > count) n = count;
            for (int32_t k = 0; k < n; ++k)
                for (int c = 0; c < 3; ++c) sum[k][c] += sample[k].colour[c];
        }
    }
    for (int32_t k = 0; k < count; ++k)
        for (int c = 0; c < 3; ++c)
            out[k].colour[c] =
                static_cast<float>(out[k].colour[c] * (1.0 - 0.8 * b) + sum[k][c] * b * 0.13333333333333333);
    return count;
}
