// Canvas layers: making, filling, copying and releasing colour and depth
// layers, with 8- and 16-bit channels and either row order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "render/paint_canvas.h"

namespace {

uint32_t Pixel32(const TCanvasLayer& l, int x, int y) {
    uint32_t v;
    std::memcpy(&v, l.Row(y) + x * 4, 4);
    return v;
}

uint64_t Pixel64(const TCanvasLayer& l, int x, int y) {
    uint64_t v;
    std::memcpy(&v, l.Row(y) + x * 8, 8);
    return v;
}

// A caller-owned 32-bit buffer for external layers.
struct ExternalBuffer {
    ExternalBuffer(int w, int h, int stride = 0) : width(w), height(h), rowStride(stride ? stride : w * 4),
                                                   bytes(static_cast<size_t>(rowStride) * h, 0xAB) {}
    int width;
    int height;
    int rowStride;
    std::vector<uint8_t> bytes;
};

TEST(PaintCanvasLayers, ExternalLayerTakesSizeAndDefaultStride) {
    ExternalBuffer buffer(7, 5);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 7, 5, 0, false);
    EXPECT_EQ(canvas.width, 7);
    EXPECT_EQ(canvas.height, 5);
    EXPECT_EQ(canvas.layerCount, 1);
    EXPECT_EQ(canvas.layer[0].rowStride, 28);
    EXPECT_EQ(canvas.layer[0].bitsPerPixel, 32);
    EXPECT_TRUE(canvas.layer[0].external);
    EXPECT_EQ(canvas.changedRight, 7);
    EXPECT_EQ(canvas.changedBottom, 5);
    EXPECT_EQ(canvas.PixelSize(1.0), 7.0);
}

TEST(PaintCanvasLayers, OutOfRangeIndexesAreIgnored) {
    ExternalBuffer buffer(4, 4);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(6, buffer.bytes.data(), 4, 4, 0, false);
    canvas.SetExternalLayer(-1, buffer.bytes.data(), 4, 4, 0, false);
    canvas.AddColourLayer(4, 4, 6);
    canvas.AddDepthLayer(4, 4, 5);  // only five depth layers exist
    EXPECT_EQ(canvas.layerCount, 0);
    for (int i = 0; i < kCanvasDepthLayers; ++i) EXPECT_EQ(canvas.depthLayer[i], nullptr);
}

TEST(PaintCanvasLayers, ExternalStrideTooShortForTheRowsLeavesNoPixels) {
    ExternalBuffer buffer(8, 2);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 8, 2, 16, false);  // 8 pixels need 32 bytes
    EXPECT_EQ(canvas.ColourLayer(0), nullptr);
    canvas.FillColour(1, 1, 1, 0);  // must not touch the buffer
    for (uint8_t b : buffer.bytes) ASSERT_EQ(b, 0xAB);
}

TEST(PaintCanvasLayers, OwnedLayerIsMadeBlackWithAlphaZero) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(5, 3, 2);
    const TCanvasLayer* l = canvas.ColourLayer(2);
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(l->external);
    EXPECT_EQ(l->rowStride, 20);
    EXPECT_EQ(canvas.layerCount, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Pixel32(*l, x, y), 0u);
}

TEST(PaintCanvasLayers, FillColourScalesAndTruncatesEachChannel) {
    struct Case {
        double r, g, b;
        uint32_t expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {1.0, 0.5, 0.0, 0x00FF7F00u},
        {0.0, 0.0, 1.0, 0x000000FFu},
        {0.25, 0.75, 0.5, 0x003FBF7Fu},
        // Out of range and NaN are held to 0..1.
        {2.0, -1.0, nan, 0x00FF0000u},
    };
    for (const Case& c : cases) {
        TPaintCanvas canvas;
        canvas.AddColourLayer(3, 2, 1);
        canvas.FillColour(c.r, c.g, c.b, 1);
        const TCanvasLayer& l = canvas.layer[1];
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel32(l, x, y), c.expected) << c.r << " " << c.g << " " << c.b;
    }
}

TEST(PaintCanvasLayers, SixteenBitLayersHoldFourSixteenBitChannels) {
    TPaintCanvas canvas;
    canvas.sixteenBit = true;
    canvas.AddColourLayer(3, 2, 1);
    const TCanvasLayer& l = canvas.layer[1];
    EXPECT_EQ(l.bitsPerPixel, 64);
    EXPECT_EQ(l.rowStride, 24);
    canvas.FillColour(1.0, 0.5, 0.25, 1);
    const uint64_t expected = uint64_t{16383} | (uint64_t{32767} << 16) | (uint64_t{65535} << 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel64(l, x, y), expected);
}

TEST(PaintCanvasLayers, GradientRunsFromDAtTheBottomTowardCAtTheTop) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(2, 4, 1);
    canvas.FillGradient(1.0, 1.0, 1.0, 0.0, 0.0, 0.0, 1);
    const TCanvasLayer& l = canvas.layer[1];
    // Row y gets t = y / 4 of c.
    const uint32_t expected[4] = {0x00000000u, 0x003F3F3Fu, 0x007F7F7Fu, 0x00BFBFBFu};
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(Pixel32(l, 0, y), expected[y]) << "row " << y;
        EXPECT_EQ(Pixel32(l, 1, y), expected[y]) << "row " << y;
    }
}

TEST(PaintCanvasLayers, GradientOfOneRowIsD) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(3, 1, 1);
    canvas.FillGradient(1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel32(canvas.layer[1], x, 0), 0x000000FFu);
}

TEST(PaintCanvasLayers, TopDownLayerKeepsItsBottomRowLastInMemory) {
    ExternalBuffer buffer(2, 3);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 2, 3, 0, true);
    canvas.FillGradient(0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0);  // bottom row blue
    uint32_t lastMemoryRow;
    std::memcpy(&lastMemoryRow, buffer.bytes.data() + 2 * 8, 4);
    uint32_t firstMemoryRow;
    std::memcpy(&firstMemoryRow, buffer.bytes.data(), 4);
    EXPECT_EQ(lastMemoryRow, 0x000000FFu);
    EXPECT_NE(firstMemoryRow, 0x000000FFu);
}

TEST(PaintCanvasLayers, FillLeavesRowPaddingOfExternalLayersAlone) {
    ExternalBuffer buffer(2, 2, 12);  // 4 bytes of padding per row
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 2, 2, 12, false);
    canvas.FillColour(0, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int k = 8; k < 12; ++k) EXPECT_EQ(buffer.bytes[y * 12 + k], 0xAB);
}

TEST(PaintCanvasLayers, CopyHonoursEachLayersRowOrder) {
    ExternalBuffer buffer(3, 4);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 3, 4, 0, true);
    canvas.AddColourLayer(3, 4, 1);
    canvas.FillGradient(1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0);
    canvas.CopyLayer(0, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel32(canvas.layer[1], x, y), Pixel32(canvas.layer[0], x, y));
}

TEST(PaintCanvasLayers, CopyBetweenLayersOfDifferentShapeCopiesNothing) {
    struct Case {
        const char* what;
        int w, h;
        bool sixteen;
    };
    const Case cases[] = {{"narrower", 2, 4, false}, {"shorter", 3, 3, false}, {"deeper pixels", 3, 4, true}};
    for (const Case& c : cases) {
        ExternalBuffer buffer(3, 4);
        TPaintCanvas canvas;
        canvas.SetExternalLayer(0, buffer.bytes.data(), 3, 4, 0, false);
        canvas.FillColour(1, 1, 1, 0);
        canvas.sixteenBit = c.sixteen;
        canvas.AddColourLayer(c.w, c.h, 1);
        canvas.CopyLayer(0, 1);
        const TCanvasLayer& l = canvas.layer[1];
        std::vector<uint8_t> zero(static_cast<size_t>(l.rowStride) * l.height, 0);
        EXPECT_EQ(std::memcmp(l.pixels, zero.data(), zero.size()), 0) << c.what;
    }
}

TEST(PaintCanvasLayers, CopyIntoAMissingLayerDoesNothing) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(2, 2, 0);
    canvas.CopyLayer(0, 3);
    canvas.CopyLayer(3, 0);
    canvas.CopyLayer(0, 0);
    EXPECT_EQ(canvas.ColourLayer(3), nullptr);
}

TEST(PaintCanvasLayers, DepthLayersStartEmptyAndClearResetsTheRange) {
    TPaintCanvas canvas;
    canvas.AddDepthLayer(3, 2, 1);
    float* d = canvas.DepthLayer(1);
    ASSERT_NE(d, nullptr);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(d[i], kEmptyDepth);
    d[4] = 0.25f;
    canvas.nearestDepth = 0.25f;
    canvas.farthestDepth = 0.25f;
    canvas.ClearDepthLayer(1);
    EXPECT_EQ(d[4], kEmptyDepth);
    EXPECT_EQ(canvas.nearestDepth, 999999.0f);
    EXPECT_EQ(canvas.farthestDepth, -999999.0f);
}

TEST(PaintCanvasLayers, ResetRestoresTheBackgroundCopyAndClearsTheWorkingLayers) {
    ExternalBuffer buffer(4, 3);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 4, 3, 0, false);
    for (int i = 1; i <= 3; ++i) canvas.AddColourLayer(4, 3, i);
    canvas.AddDepthLayer(4, 3, 1);
    canvas.FillColour(0.0, 1.0, 0.0, 0);
    canvas.FillColour(1.0, 0.0, 0.0, 2);
    canvas.FillColour(1.0, 0.0, 0.0, 3);
    canvas.depthLayer[1][5] = 0.5f;
    canvas.ResetLayers();
    EXPECT_EQ(Pixel32(canvas.layer[1], 2, 1), 0x0000FF00u);
    EXPECT_EQ(Pixel32(canvas.layer[2], 2, 1), 0u);
    EXPECT_EQ(Pixel32(canvas.layer[3], 3, 2), 0u);
    EXPECT_EQ(canvas.depthLayer[1][5], kEmptyDepth);
}

TEST(PaintCanvasLayers, ReleaseFreesOwnedLayersAndNeverExternalOnes) {
    ExternalBuffer buffer(2, 2);
    TPaintCanvas canvas;
    canvas.SetExternalLayer(0, buffer.bytes.data(), 2, 2, 0, false);
    canvas.AddColourLayer(2, 2, 1);
    canvas.ReleaseColourLayer(0);
    canvas.ReleaseColourLayer(1);
    EXPECT_EQ(canvas.ColourLayer(0), nullptr);
    EXPECT_EQ(canvas.ColourLayer(1), nullptr);
    buffer.bytes[0] = 1;  // still ours to write
    EXPECT_EQ(buffer.bytes[0], 1);
}

TEST(PaintCanvasLayers, ReplacingALayerReleasesTheOldOne) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(2, 2, 1);
    canvas.AddColourLayer(5, 1, 1);
    EXPECT_EQ(canvas.layer[1].width, 5);
    EXPECT_EQ(canvas.layer[1].height, 1);
}

TEST(PaintCanvasLayers, DegenerateSizesMakeNoLayer) {
    TPaintCanvas canvas;
    canvas.AddColourLayer(0, 4, 1);
    canvas.AddColourLayer(-3, 4, 2);
    canvas.AddDepthLayer(4, 0, 0);
    canvas.AddColourLayer(1 << 30, 1 << 30, 3);  // far too big to allocate
    EXPECT_EQ(canvas.ColourLayer(1), nullptr);
    EXPECT_EQ(canvas.ColourLayer(2), nullptr);
    EXPECT_EQ(canvas.ColourLayer(3), nullptr);
    EXPECT_EQ(canvas.DepthLayer(0), nullptr);
    canvas.FillColour(1, 1, 1, 1);
    canvas.FillGradient(1, 1, 1, 0, 0, 0, 3);
}

TEST(PaintCanvasDirtyRect, ResetAndWiden) {
    TPaintCanvas canvas;
    canvas.WidenDirty(1, 2, 3, 4);
    canvas.ResetDirtyRect();
    EXPECT_EQ(canvas.dirtyMinX, 999999);
    EXPECT_EQ(canvas.dirtyMaxY, -999999);
    canvas.WidenDirty(5, 6, 7, 8);
    canvas.WidenDirty(2, 9, 6, 10);
    EXPECT_EQ(canvas.dirtyMinX, 2);
    EXPECT_EQ(canvas.dirtyMinY, 6);
    EXPECT_EQ(canvas.dirtyMaxX, 7);
    EXPECT_EQ(canvas.dirtyMaxY, 10);
}

}  // namespace
