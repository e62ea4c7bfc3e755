#include "render/paint_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "render/row_copy.h"

namespace {

// The largest layer we agree to allocate: rows must stay addressable with a
// 32-bit stride and the whole block with a pointer offset.
constexpr uint64_t kMaxLayerBytes = uint64_t{1} << 34;

bool ValidIndex(int index, int limit) { return index >= 0 && index < limit; }

// A channel value in 0..1 as a stored channel of the given full scale
// (255 or 65535), truncated. NaN reads as 0.
uint32_t Channel(double v, double scale) {
    if (!(v > 0.0)) return 0;
    if (v >= 1.0) return static_cast<uint32_t>(scale);
    return static_cast<uint32_t>(v * scale);
}

uint32_t Word32(double r, double g, double b) {
    return Channel(b, 255.0) | (Channel(g, 255.0) << 8) | (Channel(r, 255.0) << 16);
}

uint64_t Word64(double r, double g, double b) {
    return uint64_t{Channel(b, 65535.0)} | (uint64_t{Channel(g, 65535.0)} << 16) |
           (uint64_t{Channel(r, 65535.0)} << 32);
}

// One row of width pixels set to word. The aligned path is a plain fill the
// compiler vectorises; an odd external buffer falls back to byte copies.
template <typename Word>
void FillRow(uint8_t* row, int32_t width, Word word) {
    if (reinterpret_cast<uintptr_t>(row) % alignof(Word) == 0) {
        std::fill_n(reinterpret_cast<Word*>(row), width, word);
        return;
    }
    for (int32_t x = 0; x < width; ++x) std::memcpy(row + static_cast<size_t>(x) * sizeof(Word), &word, sizeof(Word));
}

void FillLayerRow(const TCanvasLayer& layer, int32_t y, double r, double g, double b) {
    uint8_t* row = layer.Row(y);
    if (layer.bytesPerPixel == 8)
        FillRow(row, layer.width, Word64(r, g, b));
    else
        FillRow(row, layer.width, Word32(r, g, b));
}

TImageRows RowsOf(const TCanvasLayer& layer) {
    TImageRows rows;
    rows.pixels = layer.pixels;
    rows.width = layer.width;
    rows.height = layer.height;
    rows.rowStride = layer.rowStride;
    rows.pixelSize = layer.bytesPerPixel;
    rows.bottomUp = !layer.topDown;
    return rows;
}

}  // namespace

void TInputPoll::PollInit(bool armStop, bool watchButtons, int32_t pollInterval) {
    stopArmed = armStop;
    watchButtonsAndKeys = watchButtons;
    enabled = armStop || watchButtons;
    interval = pollInterval;
    callsSincePoll = 0;
    abortLatched = false;
    stopRequested = false;
}

void TInputPoll::PollWatchAnyInput() {
    enabled = true;
    watchAnyInput = true;
    watchButtonsAndKeys = false;
    stopArmed = false;
    callsSincePoll = 0;
    abortLatched = false;
    stopRequested = false;
}

void TInputPoll::PollReset() {
    callsSincePoll = 0;
    abortLatched = false;
    stopRequested = false;
}

TPaintCanvas::~TPaintCanvas() {
    for (int i = 0; i < kCanvasColourLayers; ++i) ReleaseColourLayer(i);
    for (int i = 0; i < kCanvasDepthLayers; ++i) ReleaseDepthLayer(i);
}

void TPaintCanvas::TakeSize(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
    referenceWidth = newWidth;
    referenceHeight = newHeight;
    auto small = [](int32_t v) {
        return static_cast<int16_t>(std::clamp<int32_t>(v, 0, std::numeric_limits<int16_t>::max()));
    };
    placement = TCanvasPlacement{0, 0, small(newHeight), small(newWidth)};
}

void TPaintCanvas::MarkChanged() {
    changedLeft = 0;
    changedTop = 0;
    changedRight = width;
    changedBottom = height;
}

void TPaintCanvas::ResetDepthRange() {
    nearestDepth = 999999.0f;
    farthestDepth = -999999.0f;
}

void TPaintCanvas::ResetDirtyRect() {
    dirtyMinX = kDirtyNone;
    dirtyMinY = kDirtyNone;
    dirtyMaxX = -kDirtyNone;
    dirtyMaxY = -kDirtyNone;
}

void TPaintCanvas::SetExternalLayer(int index, uint8_t* pixels, int32_t layerWidth, int32_t layerHeight,
                                    int32_t rowStride, bool topDown) {
    if (!ValidIndex(index, kCanvasColourLayers)) return;
    if (layerCount == 0) {
        for (int i = 0; i < kCanvasColourLayers; ++i) {
            ReleaseColourLayer(i);
            layer[i].external = true;
        }
        TakeSize(layerWidth, layerHeight);
    }
    ReleaseColourLayer(index);
    TCanvasLayer& l = layer[index];
    const int64_t minimumStride = static_cast<int64_t>(layerWidth) * 4;
    const int64_t stride = rowStride == 0 ? minimumStride : rowStride;
    // A layer we could not address safely stays without pixels.
    const bool usable = pixels && layerWidth > 0 && layerHeight > 0 && stride >= minimumStride &&
                        stride <= std::numeric_limits<int32_t>::max();
    l.pixels = usable ? pixels : nullptr;
    l.width = layerWidth;
    l.height = layerHeight;
    l.rowStride = static_cast<int32_t>(std::clamp<int64_t>(stride, 0, std::numeric_limits<int32_t>::max()));
    l.bitsPerPixel = 32;
    l.bytesPerPixel = 4;
    l.topDown = topDown;
    l.external = true;
    layerCount = std::max(layerCount, index + 1);
    changedLeft = 0;
    changedTop = 0;
    changedRight = layerWidth;
    changedBottom = layerHeight;
}

void TPaintCanvas::AddColourLayer(int32_t layerWidth, int32_t layerHeight, int index) {
    if (!ValidIndex(index, kCanvasColourLayers)) return;
    ReleaseColourLayer(index);
    if (width == 0 && height == 0 && layerCount == 0) TakeSize(layerWidth, layerHeight);
    TCanvasLayer& l = layer[index];
    const int bytes = sixteenBit ? 8 : 4;
    layerCount = std::max(layerCount, index + 1);
    if (layerWidth <= 0 || layerHeight <= 0) return;
    const uint64_t stride = static_cast<uint64_t>(layerWidth) * bytes;
    const uint64_t total = stride * static_cast<uint64_t>(layerHeight);
    if (stride > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) || total > kMaxLayerBytes) return;
    uint8_t* pixels = new (std::nothrow) uint8_t[total];
    if (!pixels) return;
    l.pixels = pixels;
    l.width = layerWidth;
    l.height = layerHeight;
    l.rowStride = static_cast<int32_t>(stride);
    l.bitsPerPixel = static_cast<int16_t>(bytes * 8);
    l.bytesPerPixel = static_cast<int16_t>(bytes);
    l.topDown = false;
    l.external = false;
    FillColour(0.0, 0.0, 0.0, index);
    MarkChanged();
}

void TPaintCanvas::AddDepthLayer(int32_t layerWidth, int32_t layerHeight, int index) {
    // Five depth layers exist, so index 5 is refused like any other out of range.
    if (!ValidIndex(index, kCanvasDepthLayers)) return;
    ReleaseDepthLayer(index);
    if (layerWidth <= 0 || layerHeight <= 0) return;
    const uint64_t count = static_cast<uint64_t>(layerWidth) * static_cast<uint64_t>(layerHeight);
    if (count * sizeof(float) > kMaxLayerBytes) return;
    float* depths = new (std::nothrow) float[count];
    if (!depths) return;
    depthLayer[index] = depths;
    depthWidth[index] = layerWidth;
    depthHeight[index] = layerHeight;
    ClearDepthLayer(index);
    MarkChanged();
}

void TPaintCanvas::FillColour(double r, double g, double b, int index) {
    if (!ValidIndex(index, kCanvasColourLayers)) return;
    const TCanvasLayer& l = layer[index];
    if (!l.pixels) return;
    for (int32_t y = 0; y < l.height; ++y) FillLayerRow(l, y, r, g, b);
    MarkChanged();
}

void TPaintCanvas::FillGradient(double cr, double cg, double cb, double dr, double dg, double db, int index) {
    if (!ValidIndex(index, kCanvasColourLayers)) return;
    const TCanvasLayer& l = layer[index];
    if (!l.pixels) return;
    for (int32_t y = 0; y < l.height; ++y) {
        const double t = static_cast<double>(y) / l.height;
        const double u = 1.0 - t;
        FillLayerRow(l, y, t * cr + u * dr, t * cg + u * dg, t * cb + u * db);
    }
    MarkChanged();
}

void TPaintCanvas::CopyLayer(int from, int to) {
    if (!ValidIndex(from, kCanvasColourLayers) || !ValidIndex(to, kCanvasColourLayers) || from == to) return;
    const TCanvasLayer& source = layer[from];
    const TCanvasLayer& target = layer[to];
    if (source.bitsPerPixel != target.bitsPerPixel) return;
    CopyImageRows(RowsOf(source), RowsOf(target));
}

void TPaintCanvas::ResetLayers() {
    if (layer[0].pixels) CopyLayer(0, 1);
    ClearDepthLayer(1);
    FillColour(0.0, 0.0, 0.0, 2);
    FillColour(0.0, 0.0, 0.0, 3);
}

void TPaintCanvas::ClearDepthLayer(int index) {
    if (!ValidIndex(index, kCanvasDepthLayers)) return;
    if (float* depths = depthLayer[index]) {
        const size_t count = static_cast<size_t>(depthWidth[index]) * static_cast<size_t>(depthHeight[index]);
        std::fill_n(depths, count, kEmptyDepth);
    }
    ResetDepthRange();
}

void TPaintCanvas::ReleaseColourLayer(int index) {
    if (!ValidIndex(index, kCanvasColourLayers)) return;
    TCanvasLayer& l = layer[index];
    if (!l.external) delete[] l.pixels;
    l = TCanvasLayer{};
}

void TPaintCanvas::ReleaseDepthLayer(int index) {
    if (!ValidIndex(index, kCanvasDepthLayers)) return;
    delete[] depthLayer[index];
    depthLayer[index] = nullptr;
    depthWidth[index] = 0;
    depthHeight[index] = 0;
}
