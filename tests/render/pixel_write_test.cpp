// The two pixel writers on single hand-checked pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "render/pixel_write.h"
#include "stamp_fixture.h"

using stamptest::TTestCanvas;

namespace {

// Dither adds a value in [0, 1) before the floor, so a written channel is
// within one step of the exact value.
constexpr double kDitherTolerance = 1.0;

TPixelPaint Paint(double r, double g, double b, double o, double light = 0.0) {
    TPixelPaint p;
    p.colour[0] = r;
    p.colour[1] = g;
    p.colour[2] = b;
    for (int k = 0; k < 3; ++k) {
        p.opacity[k] = o;
        p.light[k] = light;
    }
    return p;
}

struct TPlainCase {
    const char* name;
    double old[4];  // r, g, b, a
    TPixelPaint paint;
    bool erase;
    double expect[4];
};

}  // namespace

TEST(PixelWrite, MixesColourAndRaisesAlphaByATenthOfTheOpacity) {
    const TPlainCase cases[] = {
        // new = (1 - a) old + c a + l; alpha: t = (1 - old/255)(1 - m), m = 0.1 * mean opacity
        {"half opacity", {100, 100, 100, 0}, Paint(200, 100, 0, 0.5), false, {150, 100, 50, 12.75}},
        {"full opacity gives a tenth of the alpha", {100, 100, 100, 0}, Paint(200, 100, 0, 1.0), false, {200, 100, 0, 25.5}},
        {"added light clamps at 255", {250, 250, 250, 255}, Paint(250, 250, 250, 1.0, 100.0), false, {255, 255, 255, 255}},
        {"zero opacity keeps the pixel", {10, 20, 30, 200}, Paint(255, 255, 255, 0.0), false, {10, 20, 30, 200}},
        {"erase full opacity takes a tenth of the alpha", {10, 20, 30, 200}, Paint(51, 102, 153, 1.0), true, {51, 102, 153, 180}},
        {"erase without opacity keeps the alpha", {10, 20, 30, 200}, Paint(51, 102, 153, 0.0), true, {10, 20, 30, 200}},
    };
    for (const TPlainCase& c : cases) {
        TTestCanvas t(3, 2, false);
        t.Set(0, 1, 1, c.old[0], c.old[1], c.old[2], c.old[3]);
        TPixelWriteMode mode;
        mode.erase = c.erase;
        WritePixel(t.canvas, mode, 1, 1, c.paint);
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(t.Get(0, 1, 1, k), c.expect[k], kDitherTolerance) << c.name << " channel " << k;
        EXPECT_EQ(t.Get(0, 0, 1, 0), 0.0) << c.name << ": the neighbour is untouched";
    }
}

TEST(PixelWrite, FlagsLimitWhatChanges) {
    TTestCanvas t(1, 1, false);
    t.Set(0, 0, 0, 100, 100, 100, 50);
    TPixelWriteMode colourOnly;
    colourOnly.modifyAlpha = false;
    WritePixel(t.canvas, colourOnly, 0, 0, Paint(200, 200, 200, 1.0));
    EXPECT_EQ(t.Get(0, 0, 0, 3), 50.0);
    EXPECT_EQ(t.Get(0, 0, 0, 0), 200.0);
    TPixelWriteMode alphaOnly;
    alphaOnly.modifyColor = false;
    WritePixel(t.canvas, alphaOnly, 0, 0, Paint(0, 0, 0, 1.0));
    EXPECT_EQ(t.Get(0, 0, 0, 0), 200.0);
    EXPECT_GT(t.Get(0, 0, 0, 3), 50.0);
}

TEST(PixelWrite, PositionsOutsideTheCanvasAreIgnored) {
    TTestCanvas t(4, 3, true);
    const int32_t positions[][2] = {{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT32_MIN, INT32_MAX}};
    for (const auto& p : positions) {
        WritePixel(t.canvas, TPixelWriteMode{}, p[0], p[1], Paint(255, 255, 255, 1.0));
        WritePixelDepth(t.canvas, TPixelWriteMode{}, p[0], p[1], Paint(255, 255, 255, 1.0), 0.0, 0.1, 0.025);
    }
    EXPECT_TRUE(t.GuardIntact());
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(t.Get(0, x, y, 0), 0.0);
}

TEST(PixelWrite, SixteenBitChannelsKeepTheFinerValue) {
    TPaintCanvas canvas;
    canvas.sixteenBit = true;
    canvas.AddColourLayer(2, 2, 0);
    ASSERT_EQ(canvas.layer[0].bytesPerPixel, 8);
    TPixelWriteMode mode;
    mode.modifyAlpha = false;
    WritePixel(canvas, mode, 1, 0, Paint(100.25, 0, 0, 1.0));
    uint16_t red;
    std::memcpy(&red, canvas.layer[0].Row(0) + 8 + 4, 2);
    EXPECT_EQ(red, static_cast<uint16_t>(std::lround(100.25 * 257)));
}

TEST(PixelWrite, EraseForgetsDepthAndEmptiesTheFrontPaint) {
    TTestCanvas t(2, 1, true);
    t.Set(0, 0, 0, 200, 0, 0, 255);
    t.Set(1, 0, 0, 90, 90, 90, 255);
    t.Set(2, 0, 0, 50, 50, 50, 0);
    t.Set(3, 0, 0, 128, 128, 128, 0);
    t.Depth(0, 0, 0) = 0.1f;
    t.Depth(1, 0, 0) = 0.2f;
    TPixelWriteMode mode;
    mode.erase = true;
    WritePixel(t.canvas, mode, 0, 0, Paint(51, 102, 153, 1.0));
    EXPECT_EQ(t.Depth(0, 0, 0), kEmptyDepth);
    EXPECT_EQ(t.Depth(1, 0, 0), kEmptyDepth);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(t.Get(2, 0, 0, k), 0.0);
        EXPECT_EQ(t.Get(3, 0, 0, k), 0.0);
        // The settled layer holds the erased picture, so later depth paint
        // composes over the background again.
        EXPECT_EQ(t.Get(1, 0, 0, k), t.Get(0, 0, 0, k));
    }
    EXPECT_NEAR(t.Get(0, 0, 0, 2), 153.0, kDitherTolerance);
}

TEST(PixelWrite, EraseWithDepthResetUsesTheProjectionsFarValue) {
    struct TCase {
        int32_t kind;
        float expect;
    } cases[] = {{0, 1.0f}, {1, 10000.0f}, {2, 10000.0f}};
    for (const TCase& c : cases) {
        TTestCanvas t(1, 1, true);
        t.canvas.projectionOn = true;
        t.canvas.projectionKind = c.kind;
        t.canvas.shading.depthReset = true;
        TPixelWriteMode mode;
        mode.erase = true;
        WritePixel(t.canvas, mode, 0, 0, Paint(0, 0, 0, 1.0));
        EXPECT_EQ(t.Depth(0, 0, 0), c.expect) << "kind " << c.kind;
        EXPECT_EQ(t.Depth(1, 0, 0), c.expect) << "kind " << c.kind;
    }
}

TEST(PixelWrite, MirrorReceivesEveryWrittenPixel) {
    TTestCanvas t(3, 3, false);
    TTestCanvas mirror(3, 3, false);
    t.canvas.shading.mirror = &mirror.canvas.layer[0];
    WritePixel(t.canvas, TPixelWriteMode{}, 2, 1, Paint(10, 20, 30, 1.0));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(mirror.Get(0, 2, 1, k), t.Get(0, 2, 1, k));
    EXPECT_EQ(mirror.Get(0, 1, 1, 0), 0.0);
}

// ---- The depth writer ------------------------------------------------------

namespace {

// A one-pixel depth canvas whose settled layer and picture hold grey 100,
// opaque, with no front paint and empty depths.
struct TDepthPixel {
    TTestCanvas t{1, 1, true};
    TDepthPixel() {
        t.Set(0, 0, 0, 100, 100, 100, 255);
        t.Set(1, 0, 0, 100, 100, 100, 255);
    }
    void Write(const TPixelPaint& p, double z, double zb, double e, bool shadow = false) {
        TPixelWriteMode mode;
        mode.shadowPass = shadow;
        WritePixelDepth(t.canvas, mode, 0, 0, p, z, zb, e);
    }
    void ExpectLayer(int index, double r, double g, double b, const char* what) {
        EXPECT_NEAR(t.Get(index, 0, 0, 0), r, kDitherTolerance) << what;
        EXPECT_NEAR(t.Get(index, 0, 0, 1), g, kDitherTolerance) << what;
        EXPECT_NEAR(t.Get(index, 0, 0, 2), b, kDitherTolerance) << what;
    }
};

}  // namespace

TEST(PixelWriteDepth, PaintInFrontOfNothingBecomesFrontPaint) {
    TDepthPixel p;
    p.Write(Paint(200, 0, 0, 0.5), 0.0, 0.1, 0.025);
    // c' = c o = (100, 0, 0); F = c'; v = 0.5; P = (1 - v) B + F.
    p.ExpectLayer(2, 100, 0, 0, "front paint");
    p.ExpectLayer(3, 127.5, 127.5, 127.5, "coverage");
    p.ExpectLayer(0, 150, 50, 50, "picture");
    EXPECT_NEAR(p.t.Get(0, 0, 0, 3), 255.0, kDitherTolerance);
    EXPECT_EQ(p.t.Depth(1, 0, 0), 0.0f);
    EXPECT_EQ(p.t.Depth(0, 0, 0), kEmptyDepth);
}

TEST(PixelWriteDepth, SecondPaintByDepthAgainstTheFrontPaint) {
    struct TCase {
        const char* name;
        double z;
        double front[3];
        double picture[3];
        float depth;
    } cases[] = {
        // In front: F = a F + c' = 0.5 (100, 0, 0) + (0, 100, 0).
        {"in front", -0.5, {50, 100, 0}, {75, 125, 25}, -0.5f},
        // Within the band at the front depth: t = 1/2 of in front and behind.
        {"within the band", 0.0, {75, 75, 0}, {100, 100, 25}, 0.0f},
        // Behind: F = (1 - v) c' + F, under the front paint.
        {"behind", 0.5, {100, 50, 0}, {125, 75, 25}, 0.0f},
    };
    for (const TCase& c : cases) {
        TDepthPixel p;
        p.Write(Paint(200, 0, 0, 0.5), 0.0, 0.1, 0.025);
        p.Write(Paint(0, 200, 0, 0.5), c.z, c.z + 0.1, 0.025);
        p.ExpectLayer(2, c.front[0], c.front[1], c.front[2], c.name);
        p.ExpectLayer(3, 191.25, 191.25, 191.25, c.name);  // v = 1 - 0.5 * 0.5
        p.ExpectLayer(0, c.picture[0], c.picture[1], c.picture[2], c.name);
        EXPECT_FLOAT_EQ(p.t.Depth(1, 0, 0), c.depth) << c.name;
    }
}

TEST(PixelWriteDepth, PaintBehindSettledPaintIsNotDrawn) {
    TDepthPixel p;
    p.t.Depth(0, 0, 0) = 0.0f;
    p.Write(Paint(0, 255, 0, 1.0), 0.5, 0.6, 0.025);
    p.ExpectLayer(0, 100, 100, 100, "picture");
    p.ExpectLayer(2, 0, 0, 0, "front");
}

TEST(PixelWriteDepth, NearlyOpaqueFrontPaintSettles) {
    TDepthPixel p;
    p.Write(Paint(0, 0, 200, 1.0), 0.2, 0.3, 0.025);
    // V = 1 > 0.95: the picture moves into the settled layer.
    p.ExpectLayer(0, 0, 0, 200, "picture");
    p.ExpectLayer(1, 0, 0, 200, "settled");
    p.ExpectLayer(2, 0, 0, 0, "front emptied");
    p.ExpectLayer(3, 0, 0, 0, "coverage emptied");
    EXPECT_FLOAT_EQ(p.t.Depth(0, 0, 0), 0.2f);
    // Later paint behind the settled depth is not drawn there at all.
    p.Write(Paint(255, 255, 255, 1.0), 0.5, 0.6, 0.025);
    p.ExpectLayer(0, 0, 0, 200, "picture after paint behind");
}

TEST(PixelWriteDepth, PaintBehindFullCoverageChangesNothing) {
    TDepthPixel p;
    p.t.Set(2, 0, 0, 30, 60, 90, 0);
    p.t.Set(3, 0, 0, 255, 255, 255, 0);
    p.t.Set(0, 0, 0, 30, 60, 90, 255);
    p.t.Depth(1, 0, 0) = 0.0f;
    p.Write(Paint(255, 0, 0, 1.0), 0.5, 0.6, 0.025);
    p.ExpectLayer(0, 30, 60, 90, "picture");
}

TEST(PixelWriteDepth, DepthFadeMovesPaintTowardTheFadeColour) {
    TDepthPixel p;
    TDepthFade& fade = p.t.canvas.fade;
    fade.enabled = true;
    fade.nearDepth = -0.5;
    fade.farDepth = 1.0;
    fade.colour[0] = 1.0;
    fade.colour[1] = 0.0;
    fade.colour[2] = 0.0;
    // z = 0.25: f = 0.5; c = 0.5 c + 127.5 fade; the added light fades too.
    p.Write(Paint(0, 200, 0, 1.0, 40.0), 0.25, 0.35, 0.025);
    p.ExpectLayer(0, 127.5 + 20, 100 + 20, 20, "faded picture");
    // Near paint (f = 0) keeps its colour and its light.
    TDepthPixel q;
    q.t.canvas.fade = fade;
    q.Write(Paint(0, 200, 0, 1.0, 40.0), -0.5, -0.4, 0.025);
    q.ExpectLayer(0, 40, 240, 40, "near picture");
}

TEST(PixelWriteDepth, ShadowDarkensOnlySettledPaintNearItsDepth) {
    TDepthPixel p;
    p.t.Set(1, 0, 0, 200, 200, 200, 255);
    p.t.Depth(0, 0, 0) = 0.0f;
    // r = 2 (zb - z) = 0.2, delta = d0 - zb = -0.05: g = 0.75, o = 0.375.
    p.Write(Paint(0, 0, 0, 0.5), -0.05, 0.05, 0.1, true);
    p.ExpectLayer(1, 125, 125, 125, "settled");
    p.ExpectLayer(0, 125, 125, 125, "picture");

    TDepthPixel far;
    far.Write(Paint(0, 0, 0, 0.5), -0.05, 0.05, 0.1, true);  // nothing settled nearby
    far.ExpectLayer(1, 100, 100, 100, "settled");
}

TEST(PixelWriteDepth, EraseAndMissingLayersFallBackToThePlainWriter) {
    TTestCanvas t(1, 1, false);
    t.Set(0, 0, 0, 100, 100, 100, 0);
    WritePixelDepth(t.canvas, TPixelWriteMode{}, 0, 0, Paint(200, 200, 200, 0.5), 0.0, 0.1, 0.025);
    EXPECT_NEAR(t.Get(0, 0, 0, 0), 150.0, kDitherTolerance);
}

TEST(PixelWriteDepth, NaNDepthsLeaveTheBuffersClean) {
    TDepthPixel p;
    p.Write(Paint(200, 0, 0, 1.0), std::nan(""), 0.1, 0.025);
    p.Write(Paint(200, 0, 0, 1.0), 0.0, std::nan(""), 0.025);
    p.Write(Paint(200, 0, 0, 1.0), 0.0, 0.1, std::nan(""));
    EXPECT_EQ(p.t.Depth(0, 0, 0), kEmptyDepth);
    EXPECT_EQ(p.t.Depth(1, 0, 0), kEmptyDepth);
}

TEST(PixelWrite, DitherCounterWalksTheNoiseTableOnePerChannel) {
    TTestCanvas t(1, 1, false);
    t.canvas.shading.ditherCounter = 7;
    TPixelWriteMode mode;
    mode.modifyAlpha = false;
    WritePixel(t.canvas, mode, 0, 0, Paint(1, 1, 1, 0.5));
    EXPECT_EQ(t.canvas.shading.ditherCounter, 10);
    t.canvas.shading.ditherCounter = -5;  // out of range starts again at 0
    WritePixel(t.canvas, mode, 0, 0, Paint(1, 1, 1, 0.5));
    EXPECT_EQ(t.canvas.shading.ditherCounter, 3);
}

TEST(PixelWriteDepth, SixteenBitLayersKeepTheFrontPaintWithoutDither) {
    TTestCanvas t(1, 1, true, 4, true);
    ASSERT_EQ(t.canvas.layer[2].bytesPerPixel, 8);
    t.Set(0, 0, 0, 100, 100, 100, 255);
    t.Set(1, 0, 0, 100, 100, 100, 255);
    WritePixelDepth(t.canvas, TPixelWriteMode{}, 0, 0, Paint(201, 0, 0, 0.5), 0.0, 0.1, 0.025);
    // 16-bit channels round to 1/257 of an 8-bit step, with no dither.
    EXPECT_NEAR(t.Get(2, 0, 0, 0), 100.5, 1.0 / 257);
    EXPECT_NEAR(t.Get(3, 0, 0, 0), 127.5, 1.0 / 257);
}
