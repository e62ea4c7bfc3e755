#include "stroke/stroke_tubes.h"

#include <algorithm>
#include <cmath>

#include "base/random.h"
#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/frame_work.h"
#include "render/stamp_span.h"
#include "stroke/stroke_body.h"
#include "stroke/stroke_clip.h"
#include "render/paint_canvas.h"

namespace {

bool Finite(const TFLPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

double Done(const TpaintParticleCacheData& record) {
    return static_cast<double>(record.segmentTotal) - record.segmentsLeft;
}

// Along-tube texture coordinate of a tube or twig end: the tube spans
// [0, 1] together with its two end caps.
double TubeTexture(const TBrushRecord& brush, double done, double phase) {
    const double segments = brush.segments > 0 ? brush.segments : 1.0;
    const double a = brush.lengthMax != 0.0 ? brush.tubeWidth1 / (2.0 * brush.lengthMax) : 0.0;
    const double b = brush.lengthMax != 0.0 ? brush.tubeWidth2 / (2.0 * brush.lengthMax) : 0.0;
    const double denominator = a + 1.0 + b;
    const double v = denominator != 0.0 ? (done / segments + a) / denominator : 0.0;
    return v + phase;
}

// The brightness of a tube end, lowered near the ground by the depth shadow.
double EndBrightness(const TBrushRecord& brush, const TpaintParticleCacheData& record, double groundOffset) {
    double brightness = record.shade;
    if (brush.depthShadow != 0.0) {
        const double h = record.depth + (brush.depthShadowType == 0 ? groundOffset : 0.0);
        const double limit = brush.depthShadowDepth * brush.globalScale;
        if (h < limit && limit != 0.0) brightness *= (1.0 - brush.depthShadow) + brush.depthShadow * h / limit;
        if (brightness < 0.0) brightness = 0.0;
    }
    return brightness;
}

void FillEnd(TStampSpanEnd& end, const TpaintParticleCacheData& record) {
    end.point = record.drawnPoint;
    end.interpolate = record.drawnPoint;
    for (int k = 0; k < 3; ++k) {
        end.colour[k] = record.colour[k];
        end.transparency[k] = record.transparency[k];
        end.incandescence[k] = record.incandescence[k];
    }
    end.width = record.width;
    end.twist = record.twist;
}

void ApplyFade(TStampSpanEnd& end, double f) {
    if (!(f < 1.0)) return;
    for (int k = 0; k < 3; ++k) {
        end.incandescence[k] *= f;
        end.transparency[k] = (end.transparency[k] - 1.0) * f + 1.0;
    }
}

bool Paintable(const TStampSpanEnd& end) {
    return Finite(end.point) && std::isfinite(end.width) && std::isfinite(end.texture) &&
           std::fabs(end.point.x) <= kMaxPaintableCoordinate && std::fabs(end.point.y) <= kMaxPaintableCoordinate &&
           std::fabs(end.point.z) <= kMaxPaintableCoordinate;
}

}  // namespace

TTubeFades TubeFades(const TBrushRecord& brush) {
    TTubeFades fades;
    double root = brush.rootFade;
    double tip = brush.tipFade;
    if (root == 0.0 && tip == 0.0) return fades;
    if (root > 1.0) {
        fades.exponent = std::max(fades.exponent, (root - 1.0) * 10.0 + 1.0);
        root = 1.0;
    }
    if (tip > 1.0) {
        fades.exponent = std::max(fades.exponent, (tip - 1.0) * 10.0 + 1.0);
        tip = 1.0;
    }
    fades.rootLength = brush.segments * root;
    fades.tipLength = brush.segments * tip;
    return fades;
}

double TubeFadeFactor(const TTubeFades& fades, double done, double total) {
    double f = 1.0;
    if (fades.rootLength > 0.0) f = std::min(f, done / fades.rootLength);
    if (fades.tipLength > 0.0) f = std::min(f, (total - done) / fades.tipLength);
    f = std::clamp(f, 0.0, 1.0);
    if (fades.exponent != 1.0) f = std::pow(f, fades.exponent);
    return f;
}

void PaintTubeSegments(const TBrushRecord& brush, const TStrokeSegment& segment, TPaintCanvas& canvas,
                       TboundingBox& stroke) {
    TubeParticleCache& cache = stroke.particles;
    if (!brush.tubes || cache.Count() == 0) return;

    const LightRecord light = DefaultBrushLight(brush);
    const TTubeFades fades = TubeFades(brush);
    const bool fading = brush.rootFade != 0.0 || brush.tipFade != 0.0;
    const double flow = FlowOffset(brush);
    const bool leafImage = brush.imageHandle[1] != 0 && brush.gapSize < 0.001;
    const bool petalImage = brush.imageHandle[2] != 0 && brush.gapSize < 0.001;

    TStampSpanArgs args;
    args.brush = &brush;
    args.canvas = &canvas;
    args.side = segment.frame.side;
    args.direction = segment.frame.direction;
    args.up = segment.frame.up;
    args.segmentIndex = segment.index;
    args.lightGiven = true;
    args.lights = &light;
    args.lightCount = 1;
    args.scene = stroke.lights.get();
    args.strokeState = &stroke;
    args.subStamping = stroke.subStamping;
    args.start.up = segment.previousUp;
    args.end.up = segment.currentUp;
    args.start.groundOffset = segment.h0;
    args.end.groundOffset = segment.h1;

    const int32_t count = std::min(cache.Count(), std::min(cache.LivingCurrent().Count(), cache.LivingPrevious().Count()));
    for (int32_t j = 0; j < count; ++j) {
        TpaintParticleCacheData& current = cache.Current(j);
        const TpaintParticleCacheData& previous = cache.Previous(j);
        if (current.segmentsLeft < 0) continue;

        stroke.Extend(previous.drawnPoint);
        stroke.Extend(current.drawnPoint);

        const double donePrevious = Done(previous);
        const double doneCurrent = Done(current);
        FillEnd(args.start, previous);
        FillEnd(args.end, current);

        // Texture coordinate along the tube.
        if (current.kind == kTubeKindLeaf && leafImage) {
            const double n = brush.leafSegments > 0 ? brush.leafSegments : 1.0;
            args.start.texture = 1.0 - donePrevious / n;
            args.end.texture = 1.0 - doneCurrent / n;
        } else if (current.kind == kTubeKindPetal && petalImage) {
            const double n = brush.petalSegments > 0 ? brush.petalSegments : 1.0;
            args.start.texture = 1.0 - donePrevious / n;
            args.end.texture = 1.0 - doneCurrent / n;
        } else {
            const double phase =
                brush.gapRand * brush.gapSpacing * (NoiseValue(current.clusterSeed) + 1.0) * 0.5 + flow;
            args.start.texture = TubeTexture(brush, donePrevious, phase);
            args.end.texture = TubeTexture(brush, doneCurrent, phase);
        }

        args.start.brightness = EndBrightness(brush, previous, segment.h0);
        args.end.brightness = EndBrightness(brush, current, segment.h1);

        if (fading && (current.kind == kTubeKindTube || current.kind == kTubeKindTwig)) {
            ApplyFade(args.start, TubeFadeFactor(fades, donePrevious, previous.segmentTotal));
            ApplyFade(args.end, TubeFadeFactor(fades, doneCurrent, current.segmentTotal));
        }

        // Leaves and petals with images of their own paint those; everything
        // else samples the brush's texture.
        args.textureImage = (current.kind == kTubeKindLeaf && leafImage)    ? brush.imageHandle[1]
                            : (current.kind == kTubeKindPetal && petalImage) ? brush.imageHandle[2]
                                                                             : 0;
        switch (current.kind) {
        case kTubeKindLeaf:
            args.kind = TStampSpanKind::leaf;
            args.translucence = brush.leafTranslucence;
            break;
        case kTubeKindPetal:
            args.kind = TStampSpanKind::petal;
            args.translucence = brush.flowerTranslucence;
            break;
        default:
            args.kind = TStampSpanKind::body;
            args.translucence = brush.translucence;
            break;
        }
        args.flatness = previous.flatness;

        // A tube whose numbers went bad is not painted.
        if (!Paintable(args.start) || !Paintable(args.end)) continue;

        if (donePrevious < 1.0) current.painter.runState = 0;
        args.run = &current.painter;
        args.completing = current.painter.runState == 3;
        bool painted = false;
        args.painted = &painted;
        PaintSpan(args);

        if (PaintingMustStop(canvas)) return;
    }
}
