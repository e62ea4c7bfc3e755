// The stroke driver with the real stamper on a real canvas: paint lands
// inside the changed rectangle it reports, and nothing outside the canvas
// is ever written, whatever the brush holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "presets/brush_record.h"
#include "render/paint_canvas.h"
#include "shell/paint_context.h"

namespace {

constexpr int kW = 120;
constexpr int kH = 80;
constexpr int kPad = 16;                 // guard bytes at the end of every row
constexpr int kStride = kW * 4 + kPad;
constexpr int kGuardRows = 4;            // guard rows before and after the picture
constexpr uint8_t kGuard = 0xC3;

struct RealCanvas {
    RealCanvas() : memory(static_cast<size_t>(kStride) * (kH + 2 * kGuardRows), kGuard) {
        context.canvas->SetExternalLayer(0, Picture(), kW, kH, kStride, false);
        context.canvas->FillColour(0.0, 0.0, 0.0, 0);
        before.assign(memory.begin(), memory.end());
    }
    uint8_t* Picture() { return memory.data() + static_cast<size_t>(kGuardRows) * kStride; }

    bool GuardsIntact() const {
        for (int row = 0; row < kH + 2 * kGuardRows; ++row) {
            const bool picture = row >= kGuardRows && row < kGuardRows + kH;
            for (int k = 0; k < kStride; ++k) {
                if (picture && k < kW * 4) continue;
                if (memory[static_cast<size_t>(row) * kStride + k] != kGuard) return false;
            }
        }
        return true;
    }
    // Picture pixels that changed, as (x, y) with y counted from the bottom.
    int CountChangedOutside(const TRect& r, int* changedTotal) const {
        int outside = 0;
        *changedTotal = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const size_t at = static_cast<size_t>(kGuardRows + y) * kStride + static_cast<size_t>(x) * 4;
                if (std::memcmp(&memory[at], &before[at], 4) == 0) continue;
                ++*changedTotal;
                if (x < r.left || x >= r.right + 1 || y < r.top || y >= r.bottom + 1) ++outside;
            }
        return outside;
    }

    std::vector<uint8_t> memory;
    std::vector<uint8_t> before;
    TPaintContext context;
};

TRect Union(const TRect& a, const TRect& b) {
    if (b.left >= b.right || b.top >= b.bottom) return a;
    if (a.left >= a.right || a.top >= a.bottom) return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

void Stroke(TPaintContext& context, TRect& all, int points) {
    context.StartStroke({0.1, 0.2, 0, 1}, 0);
    for (int k = 1; k <= points; ++k) {
        TRect changed{0, 0, 0, 0};
        context.ContinueStroke(changed, {0.1 + 0.05 * k, 0.2 + 0.02 * k, 0, 1}, 0);
        all = Union(all, changed);
    }
    TRect changed{0, 0, 0, 0};
    context.CompleteStroke(changed, {0.1 + 0.05 * points, 0.2 + 0.02 * points, 0, 1}, 0);
    all = Union(all, changed);
}

TEST(StrokeWithRealStamper, PaintLandsInsideTheChangedRectangle) {
    for (bool tubes : {false, true}) {
        RealCanvas c;
        TBrushRecord& b = *c.context.slot[0].brush;
        b.tubes = tubes;
        b.globalScale = 0.1;
        b.color1R = b.color1G = b.color1B = 1.0;
        TRect all{kDirtyNone, kDirtyNone, -kDirtyNone, -kDirtyNone};
        Stroke(c.context, all, 8);
        int total = 0;
        EXPECT_EQ(c.CountChangedOutside(all, &total), 0) << (tubes ? "tubes" : "body");
        EXPECT_GT(total, 0) << (tubes ? "tubes" : "body");
        EXPECT_TRUE(c.GuardsIntact()) << (tubes ? "tubes" : "body");
    }
}

TEST(StrokeWithRealStamper, ExtremeBrushValuesNeverWriteOutsideTheCanvas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        double TBrushRecord::*field;
        double value;
    };
    const Case cases[] = {
        {"brushWidth 1e300", &TBrushRecord::brushWidth, 1e300},
        {"brushWidth 50", &TBrushRecord::brushWidth, 50.0},
        {"stampDensity -5", &TBrushRecord::stampDensity, -5.0},
        {"stampDensity 1e300", &TBrushRecord::stampDensity, 1e300},
        {"softness nan", &TBrushRecord::softness, nan},
        {"flowSpeed inf", &TBrushRecord::flowSpeed, inf},
        {"globalScale -1", &TBrushRecord::globalScale, -1.0},
        {"tubeWidth1 1e300", &TBrushRecord::tubeWidth1, 1e300},
        {"lengthMax 1e300", &TBrushRecord::lengthMax, 1e300},
        {"gapSpacing 1e-300", &TBrushRecord::gapSpacing, 1e-300},
    };
    for (bool tubes : {false, true}) {
        for (const Case& c : cases) {
            RealCanvas canvas;
            TBrushRecord& b = *canvas.context.slot[0].brush;
            b.tubes = tubes;
            b.gapSize = 0.5;
            b.*c.field = c.value;
            TRect all{kDirtyNone, kDirtyNone, -kDirtyNone, -kDirtyNone};
            Stroke(canvas.context, all, 4);
            EXPECT_TRUE(canvas.GuardsIntact()) << c.what << (tubes ? " with tubes" : "");
            int total = 0;
            EXPECT_EQ(canvas.CountChangedOutside(all, &total), 0) << c.what << (tubes ? " with tubes" : "");
        }
    }
}

}  // namespace
