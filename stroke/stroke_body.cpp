#include "stroke/stroke_body.h"

#include <cmath>

#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "render/stamp_span.h"
#include "stroke/stroke_clip.h"
#include "render/paint_canvas.h"

LightRecord DefaultBrushLight(const TBrushRecord& brush) {
    TFLVector d{-brush.lightDirectionX, -brush.lightDirectionY, -brush.lightDirectionZ};
    Normalize(d);
    LightRecord light;
    light.colour[0] = light.colour[1] = light.colour[2] = 1.0f;
    light.direction[0] = static_cast<float>(d.x);
    light.direction[1] = static_cast<float>(d.y);
    light.direction[2] = static_cast<float>(d.z);
    light.ambient = 0;
    light.diffuse = 1;
    light.specular = 1;
    return light;
}

TBodyTexture BodyTextureSpan(const TBrushRecord& brush, int32_t segmentIndex, double length, double carry) {
    const double w = brush.globalScale * brush.brushWidth;
    const double u = brush.texUniformity;
    double step = u == 0.0 ? 0.003 : length * u + (1.0 - u) * 0.003;
    if (w > 0.0) step /= w;
    TBodyTexture t;
    if (segmentIndex == 0) {
        // Half a brush width into the texture; a segment without length
        // has no such place and starts at 0.
        t.start = length > 0.0 ? (step * w) / (2.0 * length) : 0.0;
    } else {
        t.start = carry;
    }
    if (!std::isfinite(t.start)) t.start = 0.0;
    if (!std::isfinite(step)) step = 0.0;
    t.end = t.start + step;
    return t;
}

double FlowOffset(const TBrushRecord& brush) {
    const double f = -(brush.time * brush.flowSpeed);
    return std::isfinite(f) ? f : 0.0;
}

void PaintStrokeBody(const TBrushRecord& brush, const TStrokeSegment& segment, TPaintCanvas& canvas,
                     TboundingBox& stroke) {
    // Light.
    const bool lightGiven = brush.illuminated && !brush.realLights;
    const LightRecord light = DefaultBrushLight(brush);

    if (stroke.run.runState == 0) canvas.shading.newRun = true;

    // Texture coordinate along the stroke.
    const double length = Length(segment.b - segment.a);
    const TBodyTexture texture = BodyTextureSpan(brush, segment.index, length, stroke.textureCarry);
    stroke.textureCarry = texture.end;
    const double flow = FlowOffset(brush);

    const double width = brush.globalScale * brush.brushWidth;
    if (!std::isfinite(width)) return;

    TStampSpanArgs args;
    args.brush = &brush;
    args.canvas = &canvas;
    args.run = &stroke.run;
    args.completing = stroke.run.runState == 3;
    args.kind = TStampSpanKind::body;
    args.flatness = brush.flatness1;
    args.translucence = brush.translucence;
    args.side = segment.frame.side;
    args.direction = segment.frame.direction;
    args.up = segment.frame.up;
    args.segmentIndex = segment.index;
    bool painted = false;
    args.painted = &painted;
    args.lightGiven = lightGiven;
    args.lights = lightGiven ? &light : nullptr;
    args.lightCount = lightGiven ? 1 : 0;
    args.scene = stroke.lights.get();
    args.strokeState = &stroke;
    args.subStamping = stroke.subStamping;

    TStampSpanEnd* ends[2] = {&args.start, &args.end};
    for (int k = 0; k < 2; ++k) {
        TStampSpanEnd& end = *ends[k];
        end.point = k == 0 ? segment.a : segment.b;
        end.interpolate = end.point;
        end.up = k == 0 ? segment.previousUp : segment.currentUp;
        end.groundOffset = k == 0 ? segment.h0 : segment.h1;
        end.colour[0] = brush.color1R;
        end.colour[1] = brush.color1G;
        end.colour[2] = brush.color1B;
        end.transparency[0] = brush.transparency1R;
        end.transparency[1] = brush.transparency1G;
        end.transparency[2] = brush.transparency1B;
        end.incandescence[0] = brush.incandescence1R;
        end.incandescence[1] = brush.incandescence1G;
        end.incandescence[2] = brush.incandescence1B;
        end.width = width;
        end.texture = flow + (k == 0 ? texture.start : texture.end);
        end.brightness = 1.0;
        end.twist = brush.twist;
    }
    PaintSpan(args);
}
