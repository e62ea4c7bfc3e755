// An image texture painted through the real stroke driver and stamper
// stands upright on the stroke: the top of the image lies to the left of
// the direction of travel, so on a stroke from left to right the image's
// top is at the top of the screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/offscreen.h"
#include "platform/pixel_bucket.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"
#include "shell/paint_context.h"
#include "tests/common/frame_work_reset.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 100;

// 8 x 8 image: the top half red, the bottom half blue.
std::unique_ptr<CPPixelBucket> RedOverBlue() {
    std::unique_ptr<CPPixelBucket> image = CPPixelBucket::NewOwnedBucket(8, 8, 24, false);
    for (int r = 0; r < 8; ++r)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = image->Row(r) + x * 3;
            p[0] = r < 4 ? 0 : 255;  // blue
            p[1] = 0;
            p[2] = r < 4 ? 255 : 0;  // red
        }
    return image;
}

struct TMeans {
    double redRow = 0.0, blueRow = 0.0, redColumn = 0.0, blueColumn = 0.0;
    int red = 0, blue = 0;
};

// Where the red and the blue paint lie on the surface (rows from the top),
// within the window of columns [x0, x1) and rows [y0, y1).
TMeans Measure(const CPOffscreen& surface, int x0, int x1, int y0, int y1) {
    TMeans m;
    for (int r = y0; r < y1; ++r)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = surface.Row(r) + x * 4;
            if (p[2] > 100 && p[2] > 2 * p[0]) {
                m.redRow += r;
                m.redColumn += x;
                ++m.red;
            } else if (p[0] > 100 && p[0] > 2 * p[2]) {
                m.blueRow += r;
                m.blueColumn += x;
                ++m.blue;
            }
        }
    if (m.red) m.redRow /= m.red, m.redColumn /= m.red;
    if (m.blue) m.blueRow /= m.blue, m.blueColumn /= m.blue;
    return m;
}

struct TStrokeCase {
    const char* what;
    double x0, y0, x1, y1;  // canvas units: the longer side spans 0..1, y grows upward
    int window[4];          // measured columns x0, x1 and rows y0, y1 (from the top)
};

// Paints one straight stroke in ten moves with an image-textured brush.
void PaintStroke(CPOffscreen& surface, bool depth, const TStrokeCase& c) {
    TPaintContext context;
    context.AttachCanvas(&surface, depth);
    TBrushRecord& b = *context.slot[0].brush;
    b.tubes = false;
    b.illuminated = false;
    b.depth = depth;
    b.globalScale = 0.1;  // about 25 pixels wide
    b.softness = 0.0;
    b.color1R = b.color1G = b.color1B = 1.0;
    b.transparency1R = b.transparency1G = b.transparency1B = 0.0;
    b.incandescence1R = b.incandescence1G = b.incandescence1B = 0.0;
    b.mapColor = true;
    b.mapOpacity = false;
    b.textureType = 4;

    std::unique_ptr<CPPixelBucket> image = RedOverBlue();
    b.imageHandle[0] = RegisterImage(DescribeImage(*image));
    ASSERT_GT(b.imageHandle[0], 0);

    context.StartStroke({c.x0, c.y0, 0.0, 1.0}, 0);
    constexpr int kMoves = 10;
    for (int k = 1; k <= kMoves; ++k) {
        const double f = static_cast<double>(k) / kMoves;
        TRect changed{0, 0, 0, 0};
        context.ContinueStroke(changed, {c.x0 + (c.x1 - c.x0) * f, c.y0 + (c.y1 - c.y0) * f, 0.0, 1.0}, 0);
    }
    ClearImageTable(b.imageHandle);
}

TEST(TextureOnAStroke, ImageTopLiesLeftOfTheDirectionOfTravel) {
    const TStrokeCase cases[] = {
        // Left to right across the middle: red above blue.
        {"left to right", 0.1, 0.3, 0.9, 0.3, {50, 110, 0, kH}},
        // Right to left: the image turns with the stroke, red below.
        {"right to left", 0.9, 0.3, 0.1, 0.3, {50, 110, 0, kH}},
        // Upward (y grows upward): the left of travel is the screen's left.
        {"upward", 0.5, 0.1, 0.5, 0.55, {0, kW, 35, 65}},
    };
    for (bool depth : {false, true}) {
        for (const TStrokeCase& c : cases) {
            const std::string what = std::string(c.what) + (depth ? ", depth on" : ", depth off");
            CPOffscreen surface;
            ASSERT_TRUE(surface.Create(kW, kH, 32, false, true));
            PaintStroke(surface, depth, c);
            const TMeans m = Measure(surface, c.window[0], c.window[1], c.window[2], c.window[3]);
            ASSERT_GT(m.red, 100) << what << ": the image's top half was not painted";
            ASSERT_GT(m.blue, 100) << what << ": the image's bottom half was not painted";
            // The two halves lie side by side across the stroke, some
            // pixels apart (a stroke is about 25 pixels wide).
            if (c.y0 == c.y1) {
                const double gap = m.blueRow - m.redRow;
                if (c.x1 > c.x0)
                    EXPECT_GT(gap, 5.0) << what << ": red should lie above blue";
                else
                    EXPECT_LT(gap, -5.0) << what << ": red should lie below blue";
            } else {
                EXPECT_GT(m.blueColumn - m.redColumn, 5.0) << what << ": red should lie left of blue";
            }
        }
    }
}

}  // namespace
