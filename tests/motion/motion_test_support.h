// Shared fixtures of the motion tests: a clean generator and shared mode
// state, walkers with bounds, and small canvases painted by code.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "base/random.h"
#include "render/paint_canvas.h"

namespace motion_test {

// Seeds the process generator as the saver does and clears the shared mode
// state, so that every test starts from a known run.
inline void StartRun(uint32_t seed) {
    RandomSeedFromClock(seed);
    ResetForceModeSharedForTests();
}

inline TRect Bounds(int32_t width, int32_t height) { return TRect{0, 0, width, height}; }

// A walker as the frame driver makes one, with its bounds set.
inline TBrushWalker MakeWalker(double dx, double dy, double dz, double speed, int32_t width, int32_t height) {
    TBrushWalker walker(dx, dy, dz, speed);
    walker.bounds = Bounds(width, height);
    return walker;
}

// How many words the process generator drew since `before` (at most limit;
// -1 when the state is not reached).
inline int WordsDrawnSince(TRandomState before, int limit = 1000) {
    const TRandomState now = RandomGetState();
    for (int n = 0; n <= limit; ++n) {
        if (before.v == now.v && before.i == now.i && before.j == now.j) return n;
        RandomNext(before);
    }
    return -1;
}

// A canvas whose layer 0 is a 32-bit picture of the given size; brightness
// (0..1, grey) is given per window pixel (x from the left, y from the top).
class PaintedCanvas {
public:
    PaintedCanvas(int32_t width, int32_t height, bool topDown, const std::function<double(int, int)>& brightness)
        : pixels_(static_cast<size_t>(width) * height * 4) {
        for (int wy = 0; wy < height; ++wy) {
            // Window row wy is layer row height - wy counted from the bottom;
            // the top window row has no layer row.
            const int row = height - wy;
            if (row >= height) continue;
            const int memoryRow = topDown ? height - 1 - row : row;
            for (int wx = 0; wx < width; ++wx) {
                const double b = brightness(wx, wy);
                const auto value = static_cast<uint8_t>(std::lround(std::fmin(1.0, std::fmax(0.0, b)) * 255.0));
                uint8_t* p = &pixels_[(static_cast<size_t>(memoryRow) * width + wx) * 4];
                p[0] = p[1] = p[2] = value;
                p[3] = 255;
            }
        }
        canvas_.SetExternalLayer(0, pixels_.data(), width, height, width * 4, topDown);
    }
    TPaintCanvas* canvas() { return &canvas_; }

private:
    std::vector<uint8_t> pixels_;
    TPaintCanvas canvas_;
};

// A generator state whose next `count` unit draws satisfy `wanted`, found
// by walking the streams of a few seeds; false when none is found. The
// process generator is left untouched.
inline bool FindStateWhere(int count, const std::function<bool(const double*)>& wanted, TRandomState* found) {
    double u[16];
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        TRandomState state{seed * 2654435761u, 1, 1};
        RandomNext(state);
        for (int position = 0; position < 30000; ++position) {
            TRandomState probe = state;
            for (int k = 0; k < count; ++k) u[k] = UnitFromWord(RandomNext(probe));
            if (wanted(u)) {
                *found = state;
                return true;
            }
            RandomNext(state);
        }
    }
    return false;
}

struct Position {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline bool IsFinite(const Position& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace motion_test
