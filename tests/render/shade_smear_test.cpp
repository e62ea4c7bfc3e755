// Smear and blur brushes: the paint under the stamp becomes its colour.
#include <gtest/gtest.h>

#include "render/stamp_shading.h"
#include "stamp_fixture.h"

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

namespace {

TStamp Disc(const TBrushRecord& brush, TPaintCanvas& canvas, double x, double y, double width) {
    TStamp s;
    s.brush = &brush;
    s.canvas = &canvas;
    s.x = x;
    s.y = y;
    s.width = width;
    return s;
}

}  // namespace

TEST(ShadeSmear, SmearCarriesThePaintOfThePreviousStampAlong) {
    TTestCanvas t(40, 10, false);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 40; ++x) t.Set(0, x, y, x < 20 ? 255 : 0, 0, x < 20 ? 0 : 255, 255);
    TBrushRecord brush = PlainBrush();
    brush.brushType = 1;
    t.canvas.shading.newRun = true;
    RasterStamp(Disc(brush, t.canvas, 10.5, 5.5, 6.0), TStampPass::normal, TStampLighting{});
    EXPECT_FALSE(t.canvas.shading.newRun) << "the run's first stamp takes the flag";
    EXPECT_EQ(t.Get(0, 10, 5, 0), 255.0) << "the first stamp of a run draws the paint under itself";
    RasterStamp(Disc(brush, t.canvas, 30.5, 5.5, 6.0), TStampPass::normal, TStampLighting{});
    EXPECT_EQ(t.Get(0, 30, 5, 0), 255.0) << "red carried into the blue half";
    EXPECT_EQ(t.Get(0, 30, 5, 2), 0.0);
    EXPECT_EQ(t.Get(0, 36, 5, 2), 255.0) << "outside the stamp the blue stays";
}

TEST(ShadeSmear, BlurAveragesEachPixelWithItsNeighbours) {
    TTestCanvas t(15, 15, false);
    t.Fill(0, 0, 0, 0, 255);
    t.Set(0, 7, 7, 255, 255, 255, 255);
    TBrushRecord brush = PlainBrush();
    brush.brushType = 2;
    brush.blurIntensity = 1;
    RasterStamp(Disc(brush, t.canvas, 7.5, 7.5, 9.0), TStampPass::normal, TStampLighting{});
    // p' = p / 2 + (sum of four neighbours) / 8, plus one dither below a step.
    EXPECT_NEAR(t.Get(0, 7, 7, 0), 127.5, 1.0);
    EXPECT_NEAR(t.Get(0, 8, 7, 0), 31.875, 1.0);
    EXPECT_NEAR(t.Get(0, 7, 6, 1), 31.875, 1.0);
    EXPECT_NEAR(t.Get(0, 8, 8, 2), 0.0, 1.0);
}

TEST(ShadeSmear, BlurAtTheCanvasEdgeReadsClampedPixels) {
    TTestCanvas t(8, 8, false);
    t.Fill(0, 100, 100, 100, 255);
    TBrushRecord brush = PlainBrush();
    brush.brushType = 2;
    brush.blurIntensity = 3;
    RasterStamp(Disc(brush, t.canvas, 0.0, 0.0, 7.0), TStampPass::normal, TStampLighting{});
    EXPECT_NEAR(t.Get(0, 0, 0, 0), 100.0, 2.0) << "an even field stays even";
    EXPECT_TRUE(t.GuardIntact());
}

TEST(ShadeSmear, HugeBlurCountsFinish) {
    TTestCanvas t(16, 16, false);
    TBrushRecord brush = PlainBrush();
    brush.brushType = 2;
    brush.blurIntensity = 2000000000;
    RasterStamp(Disc(brush, t.canvas, 8, 8, 12), TStampPass::normal, TStampLighting{});
    brush.blurIntensity = -7;
    RasterStamp(Disc(brush, t.canvas, 8, 8, 12), TStampPass::normal, TStampLighting{});
    EXPECT_TRUE(t.GuardIntact());
}

TEST(ShadeSmear, ScratchImagesGrowOnlyWhenABoxNeedsMore) {
    TTestCanvas t(64, 64, false);
    TBrushRecord brush = PlainBrush();
    brush.brushType = 1;
    RasterStamp(Disc(brush, t.canvas, 32, 32, 40), TStampPass::normal, TStampLighting{});
    const uint8_t* storage = t.canvas.shading.scratch[0].data();
    const size_t size = t.canvas.shading.scratch[0].size();
    for (int i = 0; i < 20; ++i)
        RasterStamp(Disc(brush, t.canvas, 10 + i, 30, 10 + i), TStampPass::normal, TStampLighting{});
    EXPECT_EQ(t.canvas.shading.scratch[0].data(), storage);
    EXPECT_EQ(t.canvas.shading.scratch[0].size(), size);
}
