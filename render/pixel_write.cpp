#include "render/pixel_write.h"

#include "render/pixel_write_kernels.h"
#include "render/paint_canvas.h"

using namespace pixelkernel;

TPixelRow CanvasPixelRow(const TPaintCanvas& canvas, int32_t y) {
    TPixelRow row;
    if (y < 0 || y >= canvas.height) return row;
    row.picture = LayerRow(canvas, 0, y, row.pictureBytes);
    row.back = LayerRow(canvas, 1, y, row.backBytes);
    row.front = LayerRow(canvas, 2, y, row.frontBytes);
    row.cover = LayerRow(canvas, 3, y, row.coverBytes);
    row.depthBack = DepthRow(canvas, 0, y);
    row.depthFront = DepthRow(canvas, 1, y);
    if (const TCanvasLayer* mirror = canvas.shading.mirror) {
        if (LayerCovers(*mirror, canvas)) {
            row.mirrorBytes = mirror->bytesPerPixel;
            row.mirror = mirror->Row(y);
        }
    }
    return row;
}

namespace pixelkernel {

const double* DitherTable() {
    struct TTable {
        double values[kNoiseTableSize + kDitherSlack];
        TTable() {
            const float* noise = NoiseTable();
            for (int k = 0; k < kNoiseTableSize + kDitherSlack; ++k) {
                const double v = (static_cast<double>(noise[k % kNoiseTableSize]) + 1.0) * 0.5;
                values[k] = v < 0.99999 ? v : 0.99999;
            }
        }
    };
    static const TTable table;
    return table.values;
}

}  // namespace pixelkernel

double NextDither(TPaintCanvas& canvas) {
    pixelkernel::TDitherCursor cursor(canvas);
    cursor.Renew();
    const double value = cursor.Next();
    cursor.Store(canvas);
    return value;
}

void WritePixel(TPaintCanvas& canvas, const TPixelWriteMode& mode, int32_t x, int32_t y, const TPixelPaint& paint) {
    if (!Inside(canvas, x, y)) return;
    WritePixelAt(canvas, CanvasPixelRow(canvas, y), mode, x, y, paint);
}

void WritePixelDepth(TPaintCanvas& canvas, const TPixelWriteMode& mode, int32_t x, int32_t y,
                     const TPixelPaint& paint, double z, double zb, double tolerance, double subWeight) {
    if (!Inside(canvas, x, y)) return;
    WritePixelDepthAt(canvas, CanvasPixelRow(canvas, y), mode, x, y, paint, z, zb, tolerance, subWeight);
}

void WritePixelAt(TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x, int32_t,
                  const TPixelPaint& paint) {
    pixelkernel::TDitherCursor dither(canvas);
    pixelkernel::PlainPixel(canvas, row, mode, x, paint, dither);
    dither.Store(canvas);
}

void WritePixelDepthAt(TPaintCanvas& canvas, const TPixelRow& row, const TPixelWriteMode& mode, int32_t x, int32_t,
                       const TPixelPaint& paint, double z, double zb, double tolerance, double subWeight) {
    pixelkernel::TDitherCursor dither(canvas);
    pixelkernel::DepthPixel(canvas, row, mode, x, paint, z, zb, tolerance, subWeight, dither);
    dither.Store(canvas);
}
