#include "stroke/stroke_driver.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/random.h"
#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/brush_guard.h"
#include "stroke/frame_work.h"
#include "stroke/stroke_body.h"
#include "stroke/stroke_segment.h"
#include "stroke/stroke_tubes.h"
#include "render/view_3d.h"
#include "stroke/wireframe.h"
#include "render/paint_canvas.h"
#include "tubes/tube_growth.h"

namespace {

bool FiniteVector(const TFLVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The width the segment is painted with must be a number: tube brushes by
// their tube widths, others by their brush width.
bool PaintableWidths(const TBrushRecord& brush) {
    const double s = brush.globalScale;
    if (brush.tubes) return std::isfinite(s * brush.tubeWidth1) && std::isfinite(s * brush.tubeWidth2);
    return std::isfinite(s * brush.brushWidth);
}

TStrokeSegment MakeSegment(int32_t i, const TFLPoint& a, const TFLPoint& b, const TFLVector& previousUp,
                           const TFLVector& currentUp, double h0, double h1, const TSegmentFrame& frame) {
    TStrokeSegment s;
    s.index = i;
    s.a = a;
    s.b = b;
    s.previousUp = previousUp;
    s.currentUp = currentUp;
    s.h0 = h0;
    s.h1 = h1;
    s.frame = frame;
    return s;
}


}  // namespace

// The canvas's dirty rectangle as a changed rectangle, held to the canvas
// so that a stamp reaching past the edge never asks for a blit outside it.
TRect ChangedRect(const TPaintCanvas& canvas) {
    TRect r{canvas.dirtyMinX, canvas.dirtyMinY, canvas.dirtyMaxX, canvas.dirtyMaxY};
    if (r.left >= r.right || r.top >= r.bottom) return r;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, canvas.width);
    r.bottom = std::min(r.bottom, canvas.height);
    return r;
}

TRect NothingChanged() { return {kDirtyNone, kDirtyNone, -kDirtyNone, -kDirtyNone}; }

TSegmentFrame SegmentFrame(const TFLPoint& a, const TFLPoint& b, const TFLVector& previousUp) {
    TSegmentFrame f;
    f.direction = b - a;
    Normalize(f.direction);
    f.up = previousUp;
    Normalize(f.up);
    f.side = Cross(f.direction, f.up);
    Normalize(f.side);
    return f;
}

bool PaintablePoint(const TFLPoint& p) {
    const TFLPoint q = MakePlain(p);
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) &&
           std::fabs(q.x) <= kMaxPaintableCoordinate && std::fabs(q.y) <= kMaxPaintableCoordinate &&
           std::fabs(q.z) <= kMaxPaintableCoordinate;
}

double TubeTimeLimit(const TBrushRecord& brush, int32_t segmentIndex) {
    if (!brush.timeClip || brush.gapSize > 0.0) return 100000.0;
    double limit = (brush.time - brush.startTime) * brush.flowSpeed;
    if (brush.strokeTime) limit -= segmentIndex * 0.033333333333333333;
    // An overflowing product (infinity times zero) has no time: nothing grows.
    if (std::isnan(limit)) return 0.0;
    return limit;
}

int32_t SegmentRandomIndex(int32_t pointCount, int32_t seedIndex) {
    const double n = NoiseValue(seedIndex);
    const int64_t offset = static_cast<int64_t>(std::trunc((n + 1.0) * 0.5 * -65535.0));
    const int64_t r = static_cast<int64_t>(pointCount) - 1 - offset;
    return static_cast<int32_t>(std::clamp<int64_t>(r, 0, std::numeric_limits<int32_t>::max()));
}

void PaintSegment(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                  const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1, int32_t randomIndex,
                  TPaintCanvas& canvas, TboundingBox& stroke) {
    if (!PaintablePoint(a) || !PaintablePoint(b) || !PaintableWidths(brush)) return;
    if (!FiniteVector(previousUp) || !FiniteVector(currentUp) || !std::isfinite(h0) || !std::isfinite(h1)) return;

    // Local frame.
    const TSegmentFrame frame = SegmentFrame(a, b, previousUp);
    if (PaintingMustStop(canvas)) return;

    StartSegmentWork(canvas);
    const TStrokeSegment segment = MakeSegment(segmentIndex, a, b, previousUp, currentUp, h0, h1, frame);

    if (!brush.tubes) {
        PaintStrokeBody(brush, segment, canvas, stroke);
        return;
    }

    // Sow, grow, then paint what moved.
    const double limit = TubeTimeLimit(brush, segmentIndex);
    EmitTubes(brush, segmentIndex, a, b, previousUp, currentUp, frame.side, frame.direction, frame.up,
              brush.globalScale, brush.brushWidth, 1.0, randomIndex, limit, stroke.particles);
    if (PaintingMustStop(canvas)) return;
    CountTubeSteps(AdvanceTubes(brush, segmentIndex, a, b, previousUp, currentUp, frame.side, frame.direction,
                                frame.up, brush.globalScale, 1.0, limit, stroke.particles));
    if (PaintingMustStop(canvas)) return;
    PaintTubeSegments(brush, segment, canvas, stroke);
}

bool BeginCompletion(TCompletionRun& run, const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a,
                     const TFLPoint& b, const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1,
                     TboundingBox& stroke) {
    run.active = false;
    stroke.run.runState = 3;
    TubeParticleCache& cache = stroke.particles;
    const bool paintable = PaintablePoint(a) && PaintablePoint(b) && PaintableWidths(brush) &&
                           FiniteVector(previousUp) && FiniteVector(currentUp) && std::isfinite(h0) &&
                           std::isfinite(h1);
    if (!brush.tubes || !brush.tubeCompletion || cache.LiveCount() < 1 || !paintable) {
        cache.Clear();
        return false;
    }

    // Carry on past B in the direction the stroke last moved, slowing down.
    run.delta = b - a;
    run.dh = h1 - h0;
    run.from = b;
    run.to = run.from + run.delta;
    run.g0 = h1;
    run.g1 = h1 + run.dh;
    run.previousUp = previousUp;
    run.currentUp = currentUp;
    run.frame = SegmentFrame(run.from, run.to, previousUp);
    run.index = segmentIndex;
    run.steps = 0;
    run.active = cache.HasLiving();
    if (!run.active) cache.Clear();
    return run.active;
}

bool StepCompletion(TCompletionRun& run, const TBrushRecord& brush, TPaintCanvas& canvas, TboundingBox& stroke) {
    if (!run.active) return false;
    TubeParticleCache& cache = stroke.particles;
    const auto finish = [&]() {
        run.active = false;
        cache.Clear();
        return false;
    };
    const double limit = TubeTimeLimit(brush, run.index);
    CountTubeSteps(AdvanceTubes(brush, run.index, run.from, run.to, run.previousUp, run.currentUp, run.frame.side,
                                run.frame.direction, run.frame.up, brush.globalScale, 1.0, limit, cache));
    if (PaintingMustStop(canvas)) return finish();
    PaintTubeSegments(brush,
                      MakeSegment(run.index, run.from, run.to, run.previousUp, run.currentUp, run.g0, run.g1, run.frame),
                      canvas, stroke);
    if (PaintingMustStop(canvas)) return finish();
    run.from = run.to;
    run.to = run.from + run.delta * 0.95;
    run.g0 = run.g1;
    run.g1 = run.g1 + run.dh;
    ++run.index;
    run.delta = run.delta * 0.95;
    run.dh *= 0.95;
    // Bounded, so that a brush whose tubes never finish cannot hold the saver.
    if (!cache.HasLiving() || ++run.steps >= kMaxCompletionSteps) return finish();
    return true;
}

void PaintCompletion(const TBrushRecord& brush, int32_t segmentIndex, const TFLPoint& a, const TFLPoint& b,
                     const TFLVector& previousUp, const TFLVector& currentUp, double h0, double h1,
                     TPaintCanvas& canvas, TboundingBox& stroke) {
    TCompletionRun run;
    if (!BeginCompletion(run, brush, segmentIndex, a, b, previousUp, currentUp, h0, h1, stroke)) return;
    while (StepCompletion(run, brush, canvas, stroke)) {
    }
}
