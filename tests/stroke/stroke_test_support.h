// A recording stamper for the stroke driver tests: it keeps what every span
// handed to it looked like and widens the dirty rectangle over the span's
// two end stamps, as a real stamper would.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "presets/brush_record.h"
#include "render/stamp_span.h"
#include "render/paint_canvas.h"
#include "tests/common/frame_work_reset.h"

struct TRecordedSpan {
    TStampSpanArgs args;
    int32_t runStateAtCall = 0;
    double softness = 0.0;
    double flowSpeed = 0.0;
    double brushWidth = 0.0;
};

inline std::vector<TRecordedSpan>& RecordedSpans() {
    static std::vector<TRecordedSpan> spans;
    return spans;
}

inline void RecordingStamper(const TStampSpanArgs& args) {
    TRecordedSpan r;
    r.args = args;
    r.runStateAtCall = args.run ? args.run->runState : -1;
    if (args.brush) {
        r.softness = args.brush->softness;
        r.flowSpeed = args.brush->flowSpeed;
        r.brushWidth = args.brush->brushWidth;
    }
    RecordedSpans().push_back(r);
    if (args.run) args.run->runState = 1;
    TPaintCanvas& canvas = *args.canvas;
    for (const TStampSpanEnd* end : {&args.start, &args.end}) {
        const TFLPoint p = canvas.Project(end->point);
        const double radius = std::max(1.0, canvas.PixelSize(end->width) * 0.5);
        canvas.WidenDirty(static_cast<int32_t>(std::floor(p.x - radius)), static_cast<int32_t>(std::floor(p.y - radius)),
                          static_cast<int32_t>(std::ceil(p.x + radius)), static_cast<int32_t>(std::ceil(p.y + radius)));
    }
}
