// The painter operations of the paint context: a painter's points become
// painted segments, or wireframe lines in the 3-D view.
#include <cmath>

#include "presets/brush_record.h"
#include "render/paint_canvas.h"
#include "render/view_3d.h"
#include "shell/paint_context.h"
#include "stroke/brush_guard.h"
#include "stroke/stroke_driver.h"
#include "stroke/stroke_segment.h"
#include "stroke/stroke_state.h"
#include "stroke/wireframe.h"

namespace {

bool FiniteVector(const TFLVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

void TPaintContext::StartStroke(const TFLPoint& p, int32_t painter) {
    if (painter < 0 || painter >= kPainterSlots) return;
    TPainterSlot& s = slot[painter];
    s.pointCount = 1;
    s.previousPoint = p;
    s.completion.active = false;
    if (!s.stroke) return;
    if (wireframe && view) view->SetPreviewSize(view->width, view->height);
    s.stroke->Reset();
    if (s.brush) {
        s.stroke->particles.Reset();
        AttachBrush(painter);
    }
}

void TPaintContext::ContinueStroke(TRect& changed, const TFLPoint& p, int32_t painter) {
    if (painter < 0 || painter >= kPainterSlots) return;
    TPainterSlot& s = slot[painter];
    const int32_t randomIndex = SegmentRandomIndex(s.pointCount, s.seedIndex);

    // A point that is not a number cannot be painted to or from: the stroke
    // waits at its last good point for the next one.
    if (!PaintablePoint(p)) {
        changed = NothingChanged();
        return;
    }

    // Up-vector smoothing.
    if (smoothUp) {
        TFLVector d = p - s.previousPoint;
        Normalize(d);
        TFLVector side = Cross(s.previousUp, d);
        Normalize(side);
        const TFLVector u = Cross(d, side);
        const TFLVector up = s.previousUp * 0.7 + u * 0.3;
        if (FiniteVector(up)) s.currentUp = up;
    }

    if (!canvas || !s.brush || !s.stroke) {
        changed = NothingChanged();
    } else {
        const TBrushRecord* brush = PaintableBrush(*s.brush, *s.stroke);
        if (wireframe) {
            if (brush && view)
                WireSegment(*brush, s.pointCount - 1, s.previousPoint, p, s.previousUp, s.currentUp, randomIndex,
                            *view, *s.stroke);
            changed = {0, 0, canvas->width, canvas->height};
        } else {
            canvas->ResetDirtyRect();
            if (brush)
                PaintSegment(*brush, s.pointCount - 1, s.previousPoint, p, s.previousUp, s.currentUp, 0.0, 0.0,
                             randomIndex, *canvas, *s.stroke);
            changed = ChangedRect(*canvas);
        }
    }

    if (pointRecorder) {
        SFLPoint recorded;
        recorded.x = static_cast<float>(p.x);
        recorded.y = static_cast<float>(p.y);
        recorded.z = static_cast<float>(p.z);
        pointRecorder->Append(recorded);
    }

    s.pointCount += 1;
    s.previousPoint = p;
    s.previousUp = s.currentUp;
}

void TPaintContext::CompleteStroke(TRect& changed, const TFLPoint& p, int32_t painter) {
    if (painter < 0 || painter >= kPainterSlots) return;
    TPainterSlot& s = slot[painter];
    if (!canvas || !s.brush || !s.stroke) {
        changed = NothingChanged();
    } else {
        const TBrushRecord* brush = PaintableBrush(*s.brush, *s.stroke);
        if (wireframe) {
            if (brush && view)
                WireCompletion(*brush, s.pointCount - 1, s.previousPoint, s.previousPoint, s.previousUp,
                               s.currentUp, *view, *s.stroke);
            changed = {0, 0, canvas->width, canvas->height};
        } else {
            canvas->ResetDirtyRect();
            if (brush)
                PaintCompletion(*brush, s.pointCount - 1, s.previousPoint, s.previousPoint, s.previousUp,
                                s.currentUp, 0.0, 0.0, *canvas, *s.stroke);
            else
                s.stroke->particles.Clear();
            changed = ChangedRect(*canvas);
        }
    }
    s.pointCount += 1;
    if (PaintablePoint(p)) s.previousPoint = p;
    s.previousUp = s.currentUp;
}

bool TPaintContext::BeginCompletion(TRect& changed, const TFLPoint& p, int32_t painter) {
    if (painter < 0 || painter >= kPainterSlots) return false;
    TPainterSlot& s = slot[painter];
    s.completion.active = false;
    if (wireframe || !canvas || !s.brush || !s.stroke) {
        CompleteStroke(changed, p, painter);
        return false;
    }
    changed = NothingChanged();
    const TBrushRecord* brush = PaintableBrush(*s.brush, *s.stroke);
    bool growing = false;
    if (brush)
        growing = ::BeginCompletion(s.completion, *brush, s.pointCount - 1, s.previousPoint, s.previousPoint,
                                    s.previousUp, s.currentUp, 0.0, 0.0, *s.stroke);
    else
        s.stroke->particles.Clear();
    s.pointCount += 1;
    if (PaintablePoint(p)) s.previousPoint = p;
    s.previousUp = s.currentUp;
    return growing;
}

bool TPaintContext::StepCompletion(TRect& changed, int32_t painter) {
    changed = NothingChanged();
    if (painter < 0 || painter >= kPainterSlots) return false;
    TPainterSlot& s = slot[painter];
    if (!s.completion.active) return false;
    if (!canvas || !s.brush || !s.stroke) {
        s.completion.active = false;
        return false;
    }
    const TBrushRecord* brush = PaintableBrush(*s.brush, *s.stroke);
    if (!brush) {
        s.completion.active = false;
        s.stroke->particles.Clear();
        return false;
    }
    canvas->ResetDirtyRect();
    const bool growing = ::StepCompletion(s.completion, *brush, *canvas, *s.stroke);
    changed = ChangedRect(*canvas);
    return growing;
}
