// Textures as the stamper maps them onto a stamp's pixels.
//
// The tests named DISABLED_ reproduce faults in the stamping code that
// the texture code cannot mend; each says what it expects.
// Run them with --gtest_also_run_disabled_tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "presets/brush_record.h"
#include "render/stamp_shading.h"
#include "render/paint_canvas.h"
#include "stamp_fixture.h"

namespace {

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

// A white brush whose texture colour runs from black (p = 0) to white.
TBrushRecord TexturedBrush(int kind, int method) {
    TBrushRecord b = PlainBrush();
    b.mapColor = true;
    b.textureType = kind;
    b.mapMethod = method;
    b.texColorScale = 1.0;
    b.texColorOffset = 0.0;
    b.texColor1R = b.texColor1G = b.texColor1B = 1.0;
    b.texColor2R = b.texColor2G = b.texColor2B = 0.0;
    b.texAlpha1 = b.texAlpha2 = 1.0;
    b.repeatU = b.repeatV = 1.0;
    b.offsetU = b.offsetV = 0.0;
    b.blurMult = 1.0;
    return b;
}

// The range of red values painted over the middle row of a stamp at the
// centre of a 64 x 64 canvas.
int RedSpreadOnTheMiddleRow(const TBrushRecord& brush, const TStamp& proto) {
    TTestCanvas c(64, 64, false);
    TStamp s = proto;
    s.brush = &brush;
    s.canvas = &c.canvas;
    RasterStamp(s, TStampPass::normal, TStampLighting{});
    int lo = 255, hi = 0;
    for (int x = 20; x < 44; ++x) {
        const int red = static_cast<int>(c.Get(0, x, 32, 0));
        lo = std::min(lo, red);
        hi = std::max(hi, red);
    }
    return hi - lo;
}

TStamp CentredStamp() {
    TStamp s;
    s.x = 32.0;
    s.y = 32.5;
    s.width = 40.0;
    s.travel[0] = 1.0;
    s.travel[1] = 0.0;
    return s;
}

TEST(TextureOnAStamp, AlongTheStrokeTheBrushMappingFiltersAtItsOwnRate) {
    // Brush mapping: v changes by textureRate x repeatU, about 1 per pixel,
    // along the stroke, so a ramp along v is fully filtered to its mean.
    TBrushRecord b = TexturedBrush(2, 2);
    b.repeatU = 20.0;
    TStamp s = CentredStamp();
    s.textureRate = 0.0513;
    EXPECT_LE(RedSpreadOnTheMiddleRow(b, s), 2);
    // The same ramp at a low rate shows along the row.
    b.repeatU = 0.5;
    EXPECT_GT(RedSpreadOnTheMiddleRow(b, s), 50);
}

// Tube mapping (mapMethod 3) takes v = (texture + along x rate) x repeatU,
// as the brush mapping does, but filters it with repeatV in place of
// repeatU: with repeatU 20 and repeatV 1 one pixel spans about a ramp
// period along the stroke, yet the filter width is only 0.05, so the ramp
// aliases into a spread of values instead of its mean. Expected: dv =
// blurMult x |rate x repeatU|, as for the brush mapping.
TEST(TextureOnAStamp, AlongTheStrokeTheTubeMappingFiltersAtItsOwnRate) {
    TBrushRecord b = TexturedBrush(2, 3);
    b.repeatU = 20.0;
    b.repeatV = 1.0;
    TStamp s = CentredStamp();
    s.textureRate = 0.0513;
    EXPECT_LE(RedSpreadOnTheMiddleRow(b, s), 2);
}

// The drop-shadow pass leaves the texture out, so a brush whose opacity
// is mapped from a texture casts a solid shadow even where the texture
// makes the stamp itself clear. Expected: the shadow pass takes the
// texture's opacity as the normal pass does.
TEST(TextureOnAStamp, DISABLED_AShadowFollowsTheTexturedOpacity) {
    TBrushRecord b = TexturedBrush(1, 0);  // ramp along u = row / canvas height
    b.mapColor = false;
    b.mapOpacity = true;
    b.texOpacityScale = 1.0;
    b.texOpacityOffset = 0.0;
    b.texAlpha1 = 0.0;  // clear where the ramp is high...
    b.texAlpha2 = 1.0;  // ...opaque where it is low
    b.repeatU = 1.0;
    b.shadowTransparency = 0.0;
    TTestCanvas c(64, 64, false);
    c.Fill(0, 255, 255, 255, 255);
    TStamp s = CentredStamp();
    s.brush = &b;
    s.canvas = &c.canvas;
    RasterStamp(s, TStampPass::shadow, TStampLighting{});
    // Row 50 of 64: the ramp is at 0.78, so the opacity is 0.22 at most.
    EXPECT_GT(c.Get(0, 32, 50, 0), 255 * 0.7) << "the shadow ignores the texture's opacity";
    // Row 14: the ramp is at 0.22, opacity 0.78: a dark shadow.
    EXPECT_LT(c.Get(0, 32, 14, 0), 255 * 0.4);
}

}  // namespace
