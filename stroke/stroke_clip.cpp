#include "stroke/stroke_clip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "presets/brush_record.h"
#include "render/stamp_span.h"
#include "render/paint_canvas.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct TInterval {
    double low;
    double high;
};

// The visible intervals of [low, high] in ascending order, with gaps of
// gapSize x gapSpacing at the end of every period cut out. Answers the
// count; count 1 with the whole range when gaps do not apply or are too
// fine to cut.
int32_t CutGaps(double low, double high, const TBrushRecord& brush, std::array<TInterval, kMaxGapPieces>& out) {
    const double spacing = brush.gapSpacing;
    const double size = brush.gapSize;
    if (!(size > 0.0) || !(spacing > 0.0) || !std::isfinite(spacing)) {
        out[0] = {low, high};
        return 1;
    }
    if (size >= 1.0) return 0;  // every period is all gap
    const double firstPeriod = std::floor(low / spacing);
    const double lastPeriod = std::floor(high / spacing);
    if (!std::isfinite(firstPeriod) || !std::isfinite(lastPeriod) || lastPeriod - firstPeriod >= kMaxGapPieces) {
        out[0] = {low, high};
        return 1;
    }
    const double paintedLength = (1.0 - size) * spacing;
    int32_t count = 0;
    // Counted by an integer: at period numbers past 2^53 adding 1 would not move k.
    const int32_t periods = static_cast<int32_t>(lastPeriod - firstPeriod) + 1;
    for (int32_t n = 0; n < periods; ++n) {
        const double periodStart = (firstPeriod + n) * spacing;
        const double a = std::max(low, periodStart);
        const double b = std::min(high, periodStart + paintedLength);
        if (a < b || (a == b && low == high)) out[count++] = {a, b};
    }
    return count;
}

double Lerp(double a, double b, double f) { return a + (b - a) * f; }

// A piece end at fraction f: the interpolated values over the fields of
// base (the span end on the same side, whose up vector, ground offset and
// twist the piece keeps).
TStampSpanEnd EndAt(const TStampSpanArgs& span, const TStampSpanEnd& base, double f, double texture) {
    const TStampSpanEnd& s = span.start;
    const TStampSpanEnd& e = span.end;
    TStampSpanEnd out = base;
    out.point = Interpolate(s.point, e.point, f);
    for (int k = 0; k < 3; ++k) {
        out.colour[k] = Lerp(s.colour[k], e.colour[k], f);
        out.transparency[k] = Lerp(s.transparency[k], e.transparency[k], f);
        out.incandescence[k] = Lerp(s.incandescence[k], e.incandescence[k], f);
    }
    out.width = Lerp(s.width, e.width, f);
    out.brightness = Lerp(s.brightness, e.brightness, f);
    out.texture = texture;
    return out;
}

}  // namespace

TSpanStamper ChooseStamper(const TPaintCanvas& canvas) {
    if (canvas.spanStamper) return canvas.spanStamper;
    return canvas.projectionKind == 2 ? StampSpanDepth : StampSpan;
}

TTimeWindow TimeClipWindow(const TBrushRecord& brush, int32_t segmentIndex) {
    const double s = brush.startTime;
    const double e = brush.endTime;
    const double k = brush.flowSpeed;
    TTimeWindow w;
    if (k == 0.0) {
        w = {-e, -s};
    } else if (k > 0.0) {
        w = {-(e * k), -(s * k)};
    } else {
        w = {e * k, s * k};
    }
    if (brush.strokeTime) {
        const double shift = segmentIndex / 30.0;
        w.low -= shift;
        w.high -= shift;
    }
    return w;
}

void PaintClippedSpan(const TStampSpanArgs& span, TSpanStamper stamper) {
    if (!span.brush || !span.run || !stamper) return;
    const TBrushRecord& brush = *span.brush;
    StampRun& run = *span.run;
    TStampSpanArgs whole = span;
    const double t0 = span.start.texture;
    const double t1 = span.end.texture;
    if (!std::isfinite(t0) || !std::isfinite(t1)) {
        run.runState = 0;
        return;
    }

    // Time clipping.
    double low = -kInfinity;
    double high = kInfinity;
    if (brush.timeClip) {
        const TTimeWindow window = TimeClipWindow(brush, span.segmentIndex);
        low = window.low;
        high = window.high;
        if (brush.gapSize == 0.0 && brush.strokeTime) {
            // The stroke tapers in over half a unit below the window's top.
            for (TStampSpanEnd* end : {&whole.start, &whole.end}) {
                const double delta = high - end->texture;
                if (delta < 0.5) end->width = delta < 0.0 ? 0.0 : 2.0 * delta * end->width;
            }
        }
        if ((t0 < low && t1 < low) || (t0 > high && t1 > high)) {
            run.runState = 0;
            return;
        }
    }
    const double spanLow = std::max(std::min(t0, t1), low);
    const double spanHigh = std::min(std::max(t0, t1), high);
    if (spanLow > spanHigh) {
        run.runState = 0;
        return;
    }

    // Gaps.
    std::array<TInterval, kMaxGapPieces> pieces;
    const int32_t count = CutGaps(spanLow, spanHigh, brush, pieces);
    if (count == 0) {
        run.runState = 0;
        return;
    }

    // Pieces in span order as fractions of the span.
    const double range = t1 - t0;
    double lastEnd = 0.0;
    for (int32_t n = 0; n < count; ++n) {
        const TInterval& piece = pieces[t1 >= t0 ? n : count - 1 - n];
        double fa = 0.0;
        double fb = 1.0;
        double ta = t0;
        double tb = t1;
        if (range != 0.0) {
            ta = t1 >= t0 ? piece.low : piece.high;
            tb = t1 >= t0 ? piece.high : piece.low;
            fa = std::clamp((ta - t0) / range, 0.0, 1.0);
            fb = std::clamp((tb - t0) / range, 0.0, 1.0);
            if (!(fb > fa)) continue;
        }
        TStampSpanArgs part = whole;
        part.start = EndAt(whole, whole.start, fa, ta);
        part.end = EndAt(whole, whole.end, fb, tb);
        // The interpolation ends stay the unclipped span's.
        part.start.interpolate = whole.start.point;
        part.end.interpolate = whole.end.point;
        if (fa > 0.0) run.runState = 0;
        stamper(part);
        lastEnd = fb;
    }
    // A span whose end lies in a gap or past the window breaks the run, so
    // the next span does not bridge the unpainted part.
    if (lastEnd < 1.0) run.runState = 0;
}

void PaintSpan(const TStampSpanArgs& span) {
    if (!span.brush || !span.canvas) return;
    const TSpanStamper stamper = ChooseStamper(*span.canvas);
    if (!span.brush->timeClip && span.brush->gapSize == 0.0)
        stamper(span);
    else
        PaintClippedSpan(span, stamper);
}
