// The paint context: its slots, ownership, canvas binding, stroke selection
// and the window-to-canvas mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/offscreen.h"
#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "render/view_3d.h"
#include "render/paint_canvas.h"
#include "shell/paint_context.h"

namespace {

TEST(PaintContext, ConstructionMakesBothSlotsReady) {
    TPaintContext context;
    EXPECT_TRUE(context.flag);
    EXPECT_FALSE(context.wireframe);
    EXPECT_TRUE(context.smoothUp);
    ASSERT_NE(context.canvas, nullptr);
    ASSERT_NE(context.view, nullptr);
    EXPECT_EQ(context.surface, nullptr);
    EXPECT_EQ(context.currentStroke, nullptr);
    EXPECT_EQ(context.strokes.Count(), 0);
    EXPECT_EQ(context.strokes.GrowthStep(), 16);
    for (const TPainterSlot& s : context.slot) {
        EXPECT_EQ(s.pointCount, 1);
        EXPECT_EQ(s.seedIndex, 0);
        EXPECT_EQ(s.previousUp.z, 1.0);
        EXPECT_EQ(s.currentUp.z, 1.0);
        EXPECT_EQ(s.previousPoint.w, 1.0);
        ASSERT_NE(s.brush, nullptr);
        ASSERT_NE(s.stroke, nullptr);
        EXPECT_EQ(s.textureImage, nullptr);
        EXPECT_EQ(s.leafImage, nullptr);
        EXPECT_EQ(s.flowerImage, nullptr);
        EXPECT_TRUE(s.stroke->IsEmpty());
        // The brush starts with the record's initial values.
        const TBrushRecord initial;
        EXPECT_EQ(s.brush->globalScale, initial.globalScale);
        EXPECT_EQ(s.brush->tubes, initial.tubes);
    }
    EXPECT_NE(context.slot[0].brush, context.slot[1].brush);
    EXPECT_EQ(context.canvas->glow, context.slot[1].brush->shaderGlow);
}

TEST(PaintContext, AttachingABrushCopiesItsGlowAndEmptiesThePointArray) {
    TPaintContext context;
    context.slot[1].brush->shaderGlow = 0.75;
    context.slot[1].stroke->points.Append(SFLPoint{});
    context.AttachBrush(1);
    EXPECT_EQ(context.canvas->glow, 0.75);
    EXPECT_EQ(context.slot[1].stroke->points.Count(), 0);
    context.AttachBrush(2);  // no such painter
    EXPECT_EQ(context.canvas->glow, 0.75);
}

TEST(PaintContext, SelectStrokeOnlyWithinTheList) {
    TPaintContext context;
    auto* a = new CFLStroke();
    auto* b = new CFLStroke();
    context.strokes.Append(a);
    context.strokes.Append(b);
    struct Case {
        int32_t index;
        CFLStroke* expected;
    };
    const Case cases[] = {{0, a}, {1, b}, {-1, nullptr}, {2, nullptr}, {1, b}, {INT32_MIN, nullptr}};
    for (const Case& c : cases) {
        context.SelectStroke(c.index);
        EXPECT_EQ(context.currentStroke, c.expected) << c.index;
    }
    // The context frees the strokes it holds.
}

TEST(PaintContext, AttachCanvasWithDepthMakesTheWorkingLayers) {
    CPOffscreen surface;
    ASSERT_TRUE(surface.Create(33, 17, 32, false, true));
    std::memset(surface.Pixels(), 0x5A, static_cast<size_t>(surface.RowStride()) * surface.Height());
    TPaintContext context;
    context.AttachCanvas(&surface, true);
    TPaintCanvas& c = *context.canvas;
    EXPECT_EQ(context.surface, &surface);
    EXPECT_EQ(c.width, 33);
    EXPECT_EQ(c.height, 17);
    EXPECT_EQ(c.layerCount, 4);
    ASSERT_NE(c.ColourLayer(0), nullptr);
    EXPECT_EQ(c.layer[0].pixels, surface.Pixels());
    EXPECT_TRUE(c.layer[0].external);
    EXPECT_EQ(c.layer[0].topDown, surface.TopDown());
    for (int i = 1; i <= 3; ++i) ASSERT_NE(c.ColourLayer(i), nullptr) << i;
    EXPECT_NE(c.DepthLayer(0), nullptr);
    EXPECT_NE(c.DepthLayer(1), nullptr);
    EXPECT_EQ(c.DepthLayer(2), nullptr);
    // Layer 1 is the background copy of the surface.
    for (int y = 0; y < 17; ++y)
        EXPECT_EQ(std::memcmp(c.layer[1].Row(y), c.layer[0].Row(y), 33 * 4), 0) << y;
    EXPECT_EQ(c.layer[2].Row(5)[7], 0);
}

TEST(PaintContext, AttachCanvasWithoutDepthBindsOnlyTheSurface) {
    CPOffscreen surface;
    ASSERT_TRUE(surface.Create(20, 10, 32, true, true));
    TPaintContext context;
    context.AttachCanvas(&surface, false);
    EXPECT_EQ(context.canvas->layerCount, 1);
    EXPECT_TRUE(context.canvas->layer[0].topDown);
    EXPECT_EQ(context.canvas->ColourLayer(1), nullptr);
    EXPECT_EQ(context.canvas->DepthLayer(0), nullptr);
}

TEST(PaintContext, AttachCanvasWithoutASurfaceDoesNothing) {
    TPaintContext context;
    context.AttachCanvas(nullptr, true);
    EXPECT_EQ(context.surface, nullptr);
    EXPECT_EQ(context.canvas->layerCount, 0);
}

TEST(PaintContext, CanvasPaintedBackgroundReachesTheSurface) {
    CPOffscreen surface;
    ASSERT_TRUE(surface.Create(4, 3, 32, false, true));
    TPaintContext context;
    context.AttachCanvas(&surface, true);
    context.canvas->FillGradient(0, 0, 0, 0, 0, 1.0, 0);
    // Bottom-up surface: its first memory row is the bottom row, blue.
    uint32_t bottom;
    std::memcpy(&bottom, surface.Pixels(), 4);
    EXPECT_EQ(bottom, 0x000000FFu);
}

TEST(ScreenToCanvas, LongerSideSpansZeroToOneAndYGrowsUpward) {
    struct Case {
        const char* what;
        int32_t px, py, w, h;
        double x, y;
    };
    const Case cases[] = {
        {"bottom-left of landscape", 0, 600, 800, 600, 0.0, 0.0},
        {"top-right of landscape", 800, 0, 800, 600, 1.0, 0.75},
        {"centre of landscape", 400, 300, 800, 600, 0.5, 0.375},
        {"top-right of portrait", 600, 0, 600, 800, 0.75, 1.0},
        {"bottom-left of square", 0, 100, 100, 100, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        const double m = std::max(c.w, c.h);
        const TRect r{0, 0, c.w, c.h};
        const TFLPoint p = ScreenToCanvas(c.px, c.py, r, c.w / m, c.h / m);
        EXPECT_DOUBLE_EQ(p.x, c.x) << c.what;
        EXPECT_DOUBLE_EQ(p.y, c.y) << c.what;
        EXPECT_EQ(p.z, 0.0) << c.what;
        EXPECT_EQ(p.w, 1.0) << c.what;
    }
}

TEST(ScreenToCanvas, OffsetRectanglesAndEmptyWindows) {
    const TFLPoint p = ScreenToCanvas(110, 20, TRect{10, 20, 210, 120}, 1.0, 0.5);
    EXPECT_DOUBLE_EQ(p.x, 0.5);
    EXPECT_DOUBLE_EQ(p.y, 0.5);
    const TFLPoint q = ScreenToCanvas(5, 5, TRect{0, 0, 0, 0}, 1.0, 1.0);
    EXPECT_TRUE(std::isfinite(q.x));
    EXPECT_TRUE(std::isfinite(q.y));
}

}  // namespace
