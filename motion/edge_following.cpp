#include "motion/edge_following.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "motion/brush_walker.h"
#include "render/paint_canvas.h"

namespace {

constexpr int kEdgeWindow = 10;  // half-width of the sampled square

// Brightness of one pixel, (R + G + B) / 255 in 8-bit terms.
double PixelBrightness(const uint8_t* p, int bytesPerPixel) {
    if (bytesPerPixel >= 8) {
        uint16_t c[3];
        std::memcpy(c, p, sizeof c);
        return (c[0] + c[1] + c[2]) / 257.0 * 0.003921569;
    }
    return (p[0] + p[1] + p[2]) * 0.003921569;
}

// Half-width of the window around the look-ahead cell c (a column, or a
// row counted from the bottom) of a side of n pixels: 10, or the distance
// to the nearer usable border cell (1 and n - 1) when that is smaller, so
// that the window stays whole and balanced. Negative when c is outside.
int HalfWindow(double c, int32_t n) {
    if (!(c >= 1.0 && c < n)) return -1;
    const int cell = static_cast<int>(c);
    return std::min({kEdgeWindow, cell - 1, n - 1 - cell});
}

}  // namespace

TFLVector EdgeGradient(const TPaintCanvas* canvas, double x, double y) {
    if (!canvas) return {};
    const TCanvasLayer& layer = canvas->layer[0];
    const int bpp = layer.bytesPerPixel;
    if (!layer.pixels || layer.width <= 0 || layer.height <= 0 || (bpp != 3 && bpp != 4 && bpp != 8)) return {};
    if (!std::isfinite(x) || !std::isfinite(y)) return {};

    // Window y grows downward; the layer's rows count from the bottom.
    const double rowBase = layer.height - y;
    const int hx = HalfWindow(x, layer.width);
    const int hy = HalfWindow(rowBase, layer.height);
    if (hx < 1 || hy < 1) return {};
    const int column0 = static_cast<int>(x);
    const int row0 = static_cast<int>(rowBase);

    // Every cell of the window now lies in columns and rows 1 .. n - 1.
    double gx = 0.0;
    double gy = 0.0;
    double total = 0.0;
    for (int dy = -hy; dy <= hy; ++dy) {
        if (dy == 0) continue;
        const uint8_t* rowPixels = layer.Row(row0 - dy);
        for (int dx = -hx; dx <= hx; ++dx) {
            if (dx == 0) continue;
            const double w = std::max(0.0, 1.0 - 0.1 * std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            const double b = PixelBrightness(rowPixels + static_cast<size_t>(column0 + dx) * bpp, bpp);
            gx += b * w * (dx > 0 ? 1.0 : -1.0);
            gy += b * w * (dy > 0 ? 1.0 : -1.0);
            total += w;
        }
    }
    TFLVector g{gx, gy, 0.0};
    if (total != 0.0) g = g * (1.0 / total);
    g = g * 20.0;
    const double length = Length(g);
    if (length > 1.0) g = g * (1.0 / length);
    return g * 8.0;
}

TFLVector EdgeTerm(const TBrushWalker& walker, const TFLVector& p0, bool cross, const TPaintCanvas* canvas) {
    const TFLVector& v = walker.velocity;
    const TFLVector g = EdgeGradient(canvas, p0.x + 20.0 * v.x, p0.y + 20.0 * v.y);
    // Along an edge: the gradient turned a quarter turn.
    TFLVector t = cross ? TFLVector{g.x, g.y, 0.0} : TFLVector{0.1 * g.y, -0.1 * g.x, 0.0};
    if (t.x * v.x + t.y * v.y < 0.0) t = -t;
    const double speed3 = Length(v);
    t.z = speed3 != 0.0 ? std::sqrt(t.x * t.x + t.y * t.y) * v.z / speed3 : v.z;
    return t;
}
