#include "stroke/frame_work.h"

#include <cstdint>

#include "render/input_poll.h"
#include "render/paint_canvas.h"

namespace {

TFrameWork gWork;

}  // namespace

TFrameWork& FrameWork() { return gWork; }

void StartFrameWork(const TPaintCanvas& canvas) {
    gWork.stampsAtStart = canvas.stampsLaid;
    gWork.tubeSteps = 0;
    gWork.pixels = 0;
    gWork.segmentPixelsAtStart = canvas.segmentPixels;
}

void StartSegmentWork(TPaintCanvas& canvas) {
    gWork.pixels += canvas.segmentPixels - gWork.segmentPixelsAtStart;
    gWork.segmentPixelsAtStart = 0;
    canvas.segmentStamps = 0;
    canvas.segmentPixels = 0;
}

void CountTubeSteps(int64_t records) {
    if (records > 0) gWork.tubeSteps += records;
}

int64_t FrameStamps(const TPaintCanvas& canvas) { return canvas.stampsLaid - gWork.stampsAtStart; }

int64_t FramePixels(const TPaintCanvas& canvas) {
    return gWork.pixels + canvas.segmentPixels - gWork.segmentPixelsAtStart;
}

int64_t FramePixelCeiling(const TPaintCanvas& canvas) {
    const double area = static_cast<double>(canvas.width) * canvas.height;
    const double ceiling = gWork.pixelCeiling * area;
    return ceiling < 9e18 ? static_cast<int64_t>(ceiling) : INT64_MAX;
}

bool FrameWorkSpent(const TPaintCanvas& canvas) {
    return FrameStamps(canvas) >= gWork.stampCeiling || gWork.tubeSteps >= gWork.tubeStepCeiling ||
           FramePixels(canvas) >= FramePixelCeiling(canvas);
}

void ResetFrameWorkForTests() { gWork = TFrameWork{}; }

bool PaintingMustStop(TPaintCanvas& canvas) {
    // The poll first, so that its call count runs as it would without the ceiling.
    const bool input = UserWantsOut(canvas);
    return input || FrameWorkSpent(canvas);
}
