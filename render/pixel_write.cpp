#include "render/pixel_write.h"

#include "render/pixel_write_kernels.h"
#include "render/paint_canvas.h"

using namespace pixelkernel;

TPixelRows::TPixelRows(const TPaintCanvas& canvas) : height_(canvas.height) {
    const auto rows = [&canvas](const TCanvasLayer& layer, int32_t& bytes) {
        TLayerRows r;
        if (!LayerCovers(layer, canvas)) return r;
        bytes = layer.bytesPerPixel;
        r.first = layer.Row(0);
        r.step = layer.topDown ? -static_cast<intptr_t>(layer.rowStride) : layer.rowStride;
        return r;
    };
    colour_[0] = rows(canvas.layer[0], widths_.pictureBytes);
    colour_[1] = rows(canvas.layer[1], widths_.backBytes);
    colour_[2] = rows(canvas.layer[2], widths_.frontBytes);
    colour_[3] = rows(canvas.layer[3], widths_.coverBytes);
    if (const TCanvasLayer* mirror = canvas.shading.mirror) colour_[4] = rows(*mirror, widths_.mirrorBytes);
    for (int k = 0; k < 2; ++k) {
        depth_[k] = DepthRow(canvas, k, 0);
        depthStep_[k] = canvas.depthWidth[k];
    }
}

TPixelRow CanvasPixelRow(const TPaintCanvas& canvas, int32_t y) { return TPixelRows(canvas).Row(y); }

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
