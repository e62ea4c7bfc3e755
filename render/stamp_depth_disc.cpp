#include "render/stamp_depth_disc.h"

#include <cmath>

#include "base/drand48.h"
#include "render/paint_canvas.h"

void DepthDisc(TPaintCanvas& canvas, double x, double y, double size, double z) {
    float* depth = canvas.depthLayer[0];
    if (!depth || canvas.depthWidth[0] < canvas.width || canvas.depthHeight[0] < canvas.height) return;
    if (!(size > 0.0) || !std::isfinite(x) || !std::isfinite(y) || !(z == z)) return;
    // Tiny discs are laid by chance, so that a thin stroke still leaves
    // depth on about the right share of pixels.
    if (size < 0.8 && !(Drand48() * 0.8 < size)) return;
    const double r = size * 0.5;
    const double r2 = r * r;
    // Pixel centres at (i + 0.5, j + 0.5); the box is clamped to the canvas
    // in doubles first so that huge discs cannot overflow the indexes.
    auto clampIndex = [](double v, int32_t limit) {
        if (!(v > 0.0)) return 0;
        if (v >= limit) return limit;
        return static_cast<int32_t>(v);
    };
    const int32_t x0 = clampIndex(std::floor(x - r - 0.5) + 1.0, canvas.width);
    const int32_t x1 = clampIndex(std::ceil(x + r - 0.5), canvas.width);
    const int32_t y0 = clampIndex(std::floor(y - r - 0.5) + 1.0, canvas.height);
    const int32_t y1 = clampIndex(std::ceil(y + r - 0.5), canvas.height);
    const float value = static_cast<float>(z);
    const int32_t stride = canvas.depthWidth[0];
    for (int32_t j = y0; j < y1; ++j) {
        const double dy = j + 0.5 - y;
        float* row = depth + static_cast<intptr_t>(j) * stride;
        for (int32_t i = x0; i < x1; ++i) {
            const double dx = i + 0.5 - x;
            if (dx * dx + dy * dy < r2 && value < row[i]) row[i] = value;
        }
    }
}
