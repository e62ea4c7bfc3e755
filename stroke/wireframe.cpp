#include "stroke/wireframe.h"

#include <cmath>

#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/stroke_clip.h"
#include "stroke/stroke_driver.h"
#include "stroke/stroke_segment.h"
#include "render/view_3d.h"
#include "tubes/tube_growth.h"

namespace {

void GrowTubesOnce(const TBrushRecord& brush, int32_t i, const TFLPoint& a, const TFLPoint& b,
                   const TFLVector& previousUp, const TFLVector& currentUp, const TSegmentFrame& f, bool sow,
                   int32_t randomIndex, TboundingBox& stroke) {
    const double limit = TubeTimeLimit(brush, i);
    if (sow)
        EmitTubes(brush, i, a, b, previousUp, currentUp, f.side, f.direction, f.up, brush.globalScale,
                  brush.brushWidth, 1.0, randomIndex, limit, stroke.particles);
    AdvanceTubes(brush, i, a, b, previousUp, currentUp, f.side, f.direction, f.up, brush.globalScale, 1.0, limit,
                 stroke.particles);
}

}  // namespace

void WireBodyLine(const TBrushRecord& brush, TFL3dView& view, const TFLPoint& a, const TFLPoint& b,
                  int32_t segmentIndex, TboundingBox& stroke) {
    const double u = brush.texUniformity;
    double step = 0.003;
    if (u != 0.0) {
        const double relative = brush.globalScale != 0.0 ? Length(b - a) / brush.globalScale : 1.0;
        step = (1.0 - u) * 0.003 + relative * u;
    }
    if (!std::isfinite(step)) step = 0.0;
    stroke.textureCarry += step;
    double t = stroke.textureCarry - brush.time * brush.flowSpeed;
    if (!std::isfinite(t)) t = stroke.textureCarry;
    if (brush.timeClip) {
        const TTimeWindow w = TimeClipWindow(brush, segmentIndex);
        if (t < w.low || t > w.high) return;
    }
    if (brush.gapSize > 0.0 && brush.gapSpacing > 0.0) {
        const double x = std::fabs(t / brush.gapSpacing + 10000.0);
        const double f = x - std::floor(x);
        if (f > 1.0 - brush.gapSize) return;
    }
    view.penColour[0] = brush.color1R;
    view.penColour[1] = brush.color1G;
    view.penColour[2] = brush.color1B;
    view.DrawLine(a, b);
}

void WireTubeLines(TFL3dView& view, TboundingBox& stroke) {
    TubeParticleCache& cache = stroke.particles;
    if (!cache.HasLiving()) return;
    double saved[3] = {view.penColour[0], view.penColour[1], view.penColour[2]};
    for (int32_t j = 0; j < cache.Count(); ++j) {
        const TpaintParticleCacheData& current = cache.Current(j);
        const TpaintParticleCacheData& previous = cache.Previous(j);
        if (current.segmentsLeft < 0) continue;
        stroke.Extend(previous.drawnPoint);
        stroke.Extend(current.drawnPoint);
        for (int k = 0; k < 3; ++k) view.penColour[k] = current.colour[k];
        view.DrawLine(previous.drawnPoint, current.drawnPoint);
    }
    for (int k = 0; k < 3; ++k) view.penColour[k] = saved[k];
}

void WireSegment(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                 const TFLVector& previousUp, const TFLVector& currentUp, int32_t randomIndex, TFL3dView& view,
                 TboundingBox& stroke) {
    if (!PaintablePoint(a) || !PaintablePoint(b)) return;
    const TSegmentFrame f = SegmentFrame(a, b, previousUp);
    if (!brush.tubes) {
        WireBodyLine(brush, view, a, b, segmentIndex, stroke);
        return;
    }
    GrowTubesOnce(brush, segmentIndex, a, b, previousUp, currentUp, f, true, randomIndex, stroke);
    WireTubeLines(view, stroke);
}

void WireCompletion(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                    const TFLVector& previousUp, const TFLVector& currentUp, TFL3dView& view, TboundingBox& stroke) {
    stroke.run.runState = 3;
    TubeParticleCache& cache = stroke.particles;
    if (!brush.tubes || !brush.tubeCompletion || cache.LiveCount() < 1 || !PaintablePoint(a) || !PaintablePoint(b)) {
        cache.Clear();
        return;
    }
    TFLVector delta = b - a;
    TFLPoint from = b;
    TFLPoint to = from + delta;
    const TSegmentFrame f = SegmentFrame(from, to, previousUp);
    int32_t i = segmentIndex;
    for (int32_t steps = 0; cache.HasLiving() && steps < kMaxCompletionSteps; ++steps) {
        GrowTubesOnce(brush, i, from, to, previousUp, currentUp, f, false, 0, stroke);
        WireTubeLines(view, stroke);
        from = to;
        to = from + delta * 0.95;
        delta = delta * 0.95;
        ++i;
    }
    cache.Clear();
}
