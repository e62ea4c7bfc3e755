// The canvas's viewing queries, the 3-D view and the row copy.
#include <gtest/gtest.h>

#include "platform/offscreen.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "render/row_copy.h"
#include "render/view_3d.h"
#include "render/paint_canvas.h"

namespace {

// A canvas of the given size with no pixels: only its viewing state.
void Size(TPaintCanvas& canvas, int w, int h) {
    canvas.width = w;
    canvas.height = h;
    canvas.referenceWidth = w;
    canvas.referenceHeight = h;
}

TEST(CanvasProjection, ProjectionOffScalesByTheLongerSide) {
    TPaintCanvas canvas;
    Size(canvas, 800, 600);
    canvas.placement.left = 10;
    canvas.placement.top = 20;
    const TFLPoint p = canvas.Project({0.5, 0.25, 0.125, 1.0});
    EXPECT_DOUBLE_EQ(p.x, 400.0 - 10);
    EXPECT_DOUBLE_EQ(p.y, 200.0 - 20);
    EXPECT_DOUBLE_EQ(p.z, -0.125);
}

TEST(CanvasProjection, HomogeneousPointsAreDividedFirst) {
    TPaintCanvas canvas;
    Size(canvas, 600, 800);
    const TFLPoint p = canvas.Project({1.0, 0.5, 0.0, 2.0});
    EXPECT_DOUBLE_EQ(p.x, 400.0);
    EXPECT_DOUBLE_EQ(p.y, 200.0);
}

TEST(CanvasProjection, PlaneMappingKeepsTheCallersDepth) {
    TPaintCanvas canvas;
    Size(canvas, 100, 100);
    canvas.SetProjectionOn(true);
    canvas.panX = 1.0;
    canvas.panY = -1.0;
    canvas.zoomX = 10.0;
    canvas.zoomY = 20.0;
    const TFLPoint p = canvas.Project({2.0, 3.0, 0.7, 1.0});
    EXPECT_DOUBLE_EQ(p.x, 30.0);
    EXPECT_DOUBLE_EQ(p.y, 40.0);
    EXPECT_DOUBLE_EQ(p.z, 0.7);
}

TEST(CanvasProjection, CameraTransformKind) {
    TPaintCanvas canvas;
    Size(canvas, 100, 100);
    canvas.SetProjectionOn(true);
    canvas.projectionKind = 1;
    canvas.camera.transform.column[0] = {2, 0, 0};
    canvas.camera.transform.column[3] = {5, 6, 7};
    const TFLPoint p = canvas.Project({1.0, 1.0, 1.0, 1.0});
    EXPECT_DOUBLE_EQ(p.x, 7.0);
    EXPECT_DOUBLE_EQ(p.y, 7.0);
    EXPECT_DOUBLE_EQ(p.z, -8.0);
}

TEST(CanvasProjection, PerspectiveCameraInTheEyePlaneStaysFinite) {
    TPaintCanvas canvas;
    Size(canvas, 100, 100);
    canvas.SetProjectionOn(true);
    canvas.projectionKind = 2;
    const TFLPoint onPlane = canvas.Project({3.0, 4.0, 0.0, 1.0});
    EXPECT_TRUE(std::isfinite(onPlane.x));
    EXPECT_TRUE(std::isfinite(onPlane.z));
    const TFLPoint p = canvas.Project({1.0, -1.0, 2.0, 1.0});
    EXPECT_DOUBLE_EQ(p.x, (1.0 - 0.5) * 50.0);
    EXPECT_DOUBLE_EQ(p.y, (1.0 + 0.5) * 50.0);
    EXPECT_DOUBLE_EQ(p.z, 0.5);
}

TEST(CanvasDistance, ProjectionOffMeasuresFromZ1000) {
    TPaintCanvas canvas;
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0.3, 0.3, 0.25, 1.0}), 999.75);
    const TFLVector v = canvas.ViewDirection();
    EXPECT_EQ(v.z, -1.0);
    EXPECT_EQ(canvas.EyePoint().z, 1000.0);
}

TEST(CanvasDistance, SignedByTheViewingDirection) {
    TPaintCanvas canvas;
    canvas.SetProjectionOn(true);
    canvas.projectionKind = 1;
    canvas.camera.eye = {0, 0, 10, 1};
    canvas.camera.viewDirection = {0, 0, -1};
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0, 0, 4, 1}), 6.0);
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0, 0, 13, 1}), -3.0);
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0, 0, 10, 1}), 0.0);  // at the eye
}

TEST(CanvasDistance, PlaneMappingUsesTheViewOrJustZ) {
    TPaintCanvas canvas;
    canvas.SetProjectionOn(true);
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({1, 2, -4, 1}), -4.0);
    TFL3dView view;
    canvas.view3d = &view;
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0, 3, 4, 1}), 5.0);
    EXPECT_DOUBLE_EQ(canvas.DistanceFromEye({0, 0, -2, 1}), -2.0);
    EXPECT_EQ(canvas.ViewDirection().z, 1.0);
}

TEST(CanvasPixelSize, LongerReferenceSideTimesLengthOnlyWithProjectionOff) {
    TPaintCanvas canvas;
    Size(canvas, 640, 480);
    EXPECT_DOUBLE_EQ(canvas.PixelSize(0.5), 320.0);
    canvas.SetProjectionOn(true);
    EXPECT_DOUBLE_EQ(canvas.PixelSize(0.5), 0.0);
}

TEST(CanvasVisibility, MarginsAndWrapping) {
    struct Case {
        double x, y, margin;
        bool wrapX, wrapY, visible;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {-10, 50, 12, false, false, true},   // stamp 10 left of the canvas, margin 12
        {-10, 50, 8, false, false, false},
        {-1e9, 50, 0, true, false, true},    // wrapping horizontally
        {50, 129, 30, false, false, true},
        {50, 131, 30, false, false, false},
        {50, 200, 30, false, false, false},
        {50, 200, 30, false, true, true},
        {nan, 50, 10, false, false, false},  // never visible when not a number
    };
    for (const Case& c : cases) {
        TPaintCanvas canvas;
        Size(canvas, 100, 100);
        canvas.wrapX = c.wrapX;
        canvas.wrapY = c.wrapY;
        EXPECT_EQ(canvas.Visible({c.x, c.y, 0, 1}, c.margin), c.visible) << c.x << "," << c.y << " m " << c.margin;
    }
}

TEST(CanvasVisibility, BehindTheCameraIsHidden) {
    TPaintCanvas canvas;
    Size(canvas, 100, 100);
    canvas.SetProjectionOn(true);
    canvas.projectionKind = 1;
    EXPECT_FALSE(canvas.Visible({50, 50, -0.1, 1}, 0));
    EXPECT_TRUE(canvas.Visible({50, 50, 0.1, 1}, 0));
}

TEST(View3d, IsNeverA3dViewAndDrawsNothingWithoutAPort) {
    TFL3dView view;
    EXPECT_FALSE(view.IsThreeD());
    view.DrawLine({0, 0, 0, 1}, {1, 1, 0, 1});
    EXPECT_EQ(view.linesDrawn, 0);
    CPOffscreen surface(40, 20, 32, true, true);
    view.drawingPort = surface.BorrowDC();
    ASSERT_NE(view.drawingPort, nullptr);
    view.width = 40;
    view.height = 20;
    view.SetPreviewSize(40, 20);
    view.drawingOff = true;
    view.DrawLine({0, 0.25, 0, 1}, {1, 0.25, 0, 1});
    EXPECT_EQ(view.linesDrawn, 0);
    view.drawingOff = false;
    // The line takes the pen colour (y up in the world, down in the picture).
    view.penColour[0] = 1.0, view.penColour[1] = 0.5, view.penColour[2] = 0.0;
    view.DrawLine({0, 0.25, 0, 1}, {1, 0.25, 0, 1});
    EXPECT_EQ(view.linesDrawn, 1);
    const uint32_t* row = reinterpret_cast<const uint32_t*>(surface.Row(10));
    EXPECT_EQ(row[20] & 0xFFFFFFu, 0xFF8000u);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(surface.Row(5))[20] & 0xFFFFFFu, 0u);
    surface.ReturnDC();
}

TEST(View3d, AspectFactorsFollowTheLongerSide) {
    TFL3dView view;
    view.SetPreviewSize(200, 100);
    EXPECT_DOUBLE_EQ(view.aspectX, 1.0);
    EXPECT_DOUBLE_EQ(view.aspectY, 0.5);
    view.SetPreviewSize(0, 0);
    EXPECT_DOUBLE_EQ(view.aspectX, 1.0);
}

TEST(RowCopy, RefusesImagesOfDifferentShape) {
    std::vector<uint8_t> a(64, 1), b(64, 0);
    struct Case {
        int w2, h2, size2;
    };
    const Case cases[] = {{4, 4, 3}, {3, 4, 4}, {4, 3, 4}};
    for (const Case& c : cases) {
        TImageRows from{a.data(), 4, 4, 16, 4, true};
        TImageRows to{b.data(), c.w2, c.h2, 16, c.size2, true};
        EXPECT_FALSE(CopyImageRows(from, to));
        for (uint8_t v : b) ASSERT_EQ(v, 0);
    }
    TImageRows none{nullptr, 4, 4, 16, 4, true};
    TImageRows to{b.data(), 4, 4, 16, 4, true};
    EXPECT_FALSE(CopyImageRows(none, to));
}

TEST(RowCopy, FlipsBetweenRowOrdersAndCopiesTheShorterStride) {
    // Source bottom-up, stride 8; target top-down, stride 12 with padding.
    std::vector<uint8_t> src(8 * 3), dst(12 * 3, 0xEE);
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 8; ++k) src[row * 8 + k] = static_cast<uint8_t>(row * 10 + k);
    TImageRows from{src.data(), 2, 3, 8, 4, true};
    TImageRows to{dst.data(), 2, 3, 12, 4, false};
    ASSERT_TRUE(CopyImageRows(from, to));
    for (int memoryRow = 0; memoryRow < 3; ++memoryRow) {
        const int sourceRow = 2 - memoryRow;  // the top row is last in the source
        for (int k = 0; k < 8; ++k) EXPECT_EQ(dst[memoryRow * 12 + k], sourceRow * 10 + k);
        for (int k = 8; k < 12; ++k) EXPECT_EQ(dst[memoryRow * 12 + k], 0xEE);
    }
}

}  // namespace
