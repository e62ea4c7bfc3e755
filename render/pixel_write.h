// The two pixel writers of the stamp shader: WritePixel mixes paint straight
// into the picture; WritePixelDepth keeps the depth mode's layers (settled
// paint behind, unsettled front paint with its coverage, two depth layers)
// and composes the picture from them.
#pragma once

#include <cstdint>

class TPaintCanvas;

// How a pass writes, fixed per stamp.
struct TPixelWriteMode {
    bool modifyColor = true;
    bool modifyAlpha = true;
    bool modifyDepth = true;
    bool erase = false;       // brushType 3: paint the background back
    bool shadowPass = false;  // drop or cast shadow: darkens the settled paint only
};

// One pixel's paint, channels red, green, blue.
struct TPixelPaint {
    double colour[3] = {0.0, 0.0, 0.0};   // 0..255 units
    double light[3] = {0.0, 0.0, 0.0};    // added light, 0..255 units
    double opacity[3] = {0.0, 0.0, 0.0};  // 0..1
};

// Layout the writers rely on: colour layers are addressed through
// TCanvasLayer::Row (rows counted from the bottom), 4 bytes (B, G, R, A) or 8
// bytes (four 16-bit channels, value x 257) a pixel; a depth layer is
// width x height floats, row y (from the bottom) at y * width, 1e6 empty.
// A layer smaller than the canvas is treated as missing.

// The addresses of one canvas row in every layer the writers touch, looked
// up once per stamp row so that the per-pixel work does no row arithmetic.
struct TPixelRow {
    uint8_t* picture = nullptr;  // colour layer 0
    uint8_t* back = nullptr;     // colour layer 1: settled paint
    uint8_t* front = nullptr;    // colour layer 2: front paint, premultiplied
    uint8_t* cover = nullptr;    // colour layer 3: front paint coverage
    uint8_t* mirror = nullptr;
    float* depthBack = nullptr;  // depth layer 0: depth of the settled paint
    float* depthFront = nullptr; // depth layer 1: depth of the front paint
    int32_t pictureBytes = 4;    // 4: 8-bit channels, 8: 16-bit channels
    int32_t backBytes = 4;
    int32_t frontBytes = 4;
    int32_t coverBytes = 4;
    int32_t mirrorBytes = 4;
};

// The row y (counted from the bottom) of the canvas; null pointers for the
// layers that are missing or too small. y must lie inside the canvas.
TPixelRow CanvasPixelRow(const TPaintCanvas& canvas, int32_t y);

// Where every layer's rows lie, worked out once (per stamp): Row(y) is
// CanvasPixelRow(canvas, y) by a multiply-add per layer, without checking
// the layers again. Valid while the canvas's layers stay as they are.
class TPixelRows {
public:
    explicit TPixelRows(const TPaintCanvas& canvas);

    TPixelRow Row(int32_t y) const {
        TPixelRow row = widths_;
        if (y < 0 || y >= height_) return TPixelRow{};
        const intptr_t k = y;
        if (colour_[0].first) row.picture = colour_[0].first + k * colour_[0].step;
        if (colour_[1].first) row.back = colour_[1].first + k * colour_[1].step;
        if (colour_[2].first) row.front = colour_[2].first + k * colour_[2].step;
        if (colour_[3].first) row.cover = colour_[3].first + k * colour_[3].step;
        if (colour_[4].first) row.mirror = colour_[4].first + k * colour_[4].step;
        if (depth_[0]) row.depthBack = depth_[0] + k * depthStep_[0];
        if (depth_[1]) row.depthFront = depth_[1] + k * depthStep_[1];
        return row;
    }

private:
    // Row 0 (counted from the bottom) and the step to the next row up.
    struct TLayerRows {
        uint8_t* first = nullptr;
        intptr_t step = 0;
    };
    TLayerRows colour_[5];  // picture, back, front, cover, mirror
    float* depth_[2] = {nullptr, nullptr};
    intptr_t depthStep_[2] = {0, 0};
    TPixelRow widths_;  // the bytes a pixel of each layer, no pointers
    int32_t height_ = 0;
};

// The next dither value in [0, 1) from the noise table; advances the canvas's
// dither counter.
double NextDither(TPaintCanvas& canvas);

// Writes one pixel at (x, y); a position outside the canvas is ignored.
void WritePixel(TPaintCanvas& canvas, const TPixelWriteMode& mode, int32_t x, int32_t y, const TPixelPaint& paint);

// The depth-mode writer. z and zb are the pixel's front and back depth,
// tolerance a quarter of the stamp's depth extent, subWeight the sub-stamp
// weight (1 for whole stamps).
void WritePixelDepth(TPaintCanvas& canvas, const TPixelWriteMode& mode, int32_t x, int32_t y,
                     const TPixelPaint& paint, double z, double zb, double tolerance, double subWeight = 1.0);

// The same writers on a prepared row; x must lie inside the canvas.
void WritePixelAt(TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x,
                  int32_t y, const TPixelPaint& paint);
void WritePixelDepthAt(TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x,
                       int32_t y, const TPixelPaint& paint, double z, double zb, double tolerance,
                       double subWeight = 1.0);
