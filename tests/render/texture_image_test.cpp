// Image textures through SampleTexture: texel reads and orientation,
// alpha, the edges (clamped across, wrapped along), filtering over the
// pixel footprint, and images or indices that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/pixel_bucket.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"
#include "render/texture_hook.h"

namespace {

constexpr int kImage = 4;

// 0xAARRGGBB of a small picture, by column and row counted from the top.
using TPicture = uint32_t (*)(int x, int rowFromTop);

void Put(uint8_t* p, uint32_t argb, int bytes) {
    p[0] = static_cast<uint8_t>(argb);
    p[1] = static_cast<uint8_t>(argb >> 8);
    p[2] = static_cast<uint8_t>(argb >> 16);
    if (bytes == 4) p[3] = static_cast<uint8_t>(argb >> 24);
}

// A registered brush image, dropped with the whole table at the end.
class TRegisteredImage {
public:
    TRegisteredImage(int w, int h, int bits, bool topDown, TPicture picture)
        : bucket_(CPPixelBucket::NewOwnedBucket(w, h, bits, topDown)) {
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) Put(bucket_->Row(r) + x * (bits / 8), picture(x, r), bits / 8);
        handle = RegisterImage(DescribeImage(*bucket_));
    }
    ~TRegisteredImage() { ClearImageTable(nullptr); }

    int32_t handle = 0;

private:
    std::unique_ptr<CPPixelBucket> bucket_;
};

TTextureSample Sample(int32_t handle, double u, double v, double du = 0.0, double dv = 0.0) {
    const TBrushRecord brush;
    return SampleTexture(brush, u, v, du, dv, kImage, false, handle);
}

// Distinct colours (and alphas) for each texel of a 3 x 2 picture.
uint32_t SixColours(int x, int rowFromTop) {
    static const uint32_t colours[2][3] = {{0x80FF0000u, 0x4000FF00u, 0xFF0000FFu},
                                           {0x10102030u, 0xC0F0E0D0u, 0x00808080u}};
    return colours[rowFromTop][x];
}

void ExpectTexel(const TTextureSample& t, uint32_t argb, bool alpha, const char* what) {
    EXPECT_NEAR(t.red, ((argb >> 16) & 255) / 255.0, 1e-12) << what;
    EXPECT_NEAR(t.green, ((argb >> 8) & 255) / 255.0, 1e-12) << what;
    EXPECT_NEAR(t.blue, (argb & 255) / 255.0, 1e-12) << what;
    EXPECT_NEAR(t.alpha, alpha ? (argb >> 24) / 255.0 : 1.0, 1e-12) << what;
}

TEST(TextureImage, TexelCentresReadTheirTexelWithUpRunningUpThePicture) {
    struct Case {
        int bits;
        bool topDown;
    };
    for (const Case c : {Case{24, false}, Case{24, true}, Case{32, false}, Case{32, true}}) {
        TRegisteredImage image(3, 2, c.bits, c.topDown, SixColours);
        ASSERT_GT(image.handle, 0);
        for (int rowFromTop = 0; rowFromTop < 2; ++rowFromTop)
            for (int x = 0; x < 3; ++x) {
                // u = 0 is the bottom of the picture, 1 its top.
                const double u = (1 - rowFromTop + 0.5) / 2.0;
                const double v = (x + 0.5) / 3.0;
                ExpectTexel(Sample(image.handle, u, v), SixColours(x, rowFromTop), c.bits == 32,
                            (std::to_string(c.bits) + (c.topDown ? " top-down" : " bottom-up") + " x " +
                             std::to_string(x) + " row " + std::to_string(rowFromTop))
                                .c_str());
            }
    }
}

TEST(TextureImage, AcrossThePictureTheEdgesClampAndAlongItTheImageRepeats) {
    TRegisteredImage image(3, 2, 32, false, SixColours);
    const double middle = 1.5 / 3.0;  // the centre of column 1
    // Rows: at and beyond the edges the edge row itself, never the other.
    for (double u : {1.0, 0.9999, 1.7, 50.0, 1e300}) ExpectTexel(Sample(image.handle, u, middle), SixColours(1, 0), true, "top");
    for (double u : {0.0, 1e-4, -0.3, -1e300}) ExpectTexel(Sample(image.handle, u, middle), SixColours(1, 1), true, "bottom");
    // Columns repeat with period 1.
    for (double k : {-3.0, -1.0, 1.0, 2.0, 1000.0})
        for (int x = 0; x < 3; ++x) {
            const TTextureSample t = Sample(image.handle, 0.75, (x + 0.5) / 3.0 + k);
            EXPECT_NEAR(t.red, ((SixColours(x, 0) >> 16) & 255) / 255.0, 1e-9) << "v shifted by " << k;
            EXPECT_NEAR(t.blue, (SixColours(x, 0) & 255) / 255.0, 1e-9) << "v shifted by " << k;
        }
    // On the seam the first and last columns meet half and half.
    const TTextureSample seam = Sample(image.handle, 0.75, 0.0);
    EXPECT_NEAR(seam.red, (0xFF + 0x00) / 2.0 / 255.0, 1e-12);
    EXPECT_NEAR(seam.blue, (0x00 + 0xFF) / 2.0 / 255.0, 1e-12);
    EXPECT_NEAR(seam.alpha, (0x80 + 0xFF) / 2.0 / 255.0, 1e-12);
}

TEST(TextureImage, BetweenTexelsTheColourIsInterpolated) {
    TRegisteredImage image(3, 2, 24, false, SixColours);
    // Halfway between columns 0 and 1 of the top row, and a quarter of
    // the way from the top row's centre toward the bottom row's.
    const TTextureSample t = Sample(image.handle, 0.75, 1.0 / 3.0);
    EXPECT_NEAR(t.red, (0xFF + 0x00) / 2.0 / 255.0, 1e-12);
    EXPECT_NEAR(t.green, (0x00 + 0xFF) / 2.0 / 255.0, 1e-12);
    const TTextureSample q = Sample(image.handle, 0.625, 0.5 / 3.0);
    EXPECT_NEAR(q.red, (0.75 * 0xFF + 0.25 * 0x10) / 255.0, 1e-12);
}

uint32_t OneTexelChecker(int x, int rowFromTop) { return (x + rowFromTop) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }

TEST(TextureImage, AFootprintOfSeveralTexelsAveragesThem) {
    TRegisteredImage image(16, 16, 24, false, OneTexelChecker);
    struct Case {
        double du, dv;
        double largestDeviation;  // from the checker's mean of 0.5
    };
    const Case cases[] = {
        {0.0, 0.0, 0.5},             // unfiltered at texel centres: black or white
        {2.0 / 16, 2.0 / 16, 1e-9},  // two texels each way: exactly the mean
        // Wider footprints read a halved copy, whose texels are 8-bit
        // means: the mean to within half a step.
        {4.0 / 16, 4.0 / 16, 0.5 / 255 + 1e-9},
        {8.0 / 16, 8.0 / 16, 0.5 / 255 + 1e-9},
        {0.0, 2.0 / 16, 1e-9},       // one axis is enough for a checker (along: no edge)
        {3.0 / 16, 3.0 / 16, 0.5 / 255 + 1e-9},
    };
    for (const Case& c : cases) {
        double largest = 0.0;
        for (int i = 0; i < 16; ++i)
            for (int j = 0; j < 16; ++j) {
                const TTextureSample t = Sample(image.handle, (i + 0.5) / 16, (j + 0.5) / 16, c.du, c.dv);
                largest = std::max(largest, std::fabs(t.red - 0.5));
            }
        if (c.largestDeviation == 0.5)
            EXPECT_EQ(largest, 0.5) << "du " << c.du << " dv " << c.dv;
        else
            EXPECT_LE(largest, c.largestDeviation) << "du " << c.du << " dv " << c.dv;
    }
    // Widths count up to the whole image: beyond it, as at it.
    for (int i = 0; i < 20; ++i) {
        const double u = i * 0.047, v = i * 0.031;
        EXPECT_EQ(Sample(image.handle, u, v, 1.0, 1.0).red, Sample(image.handle, u, v, 7.5, 1e300).red) << i;
    }
}

uint32_t WhiteTopHalf(int, int rowFromTop) { return rowFromTop < 8 ? 0xFFFFFFFFu : 0xFF000000u; }

TEST(TextureImage, AHalvedCopyKeepsThePictureUpright) {
    for (const bool topDown : {false, true}) {
        TRegisteredImage image(16, 16, 24, topDown, WhiteTopHalf);
        for (const double width : {0.25, 0.5}) {
            EXPECT_NEAR(Sample(image.handle, 0.97, 0.5, width, width).red, 1.0, 1e-9) << topDown << " " << width;
            EXPECT_NEAR(Sample(image.handle, 0.03, 0.5, width, width).red, 0.0, 1e-9) << topDown << " " << width;
        }
    }
}

TEST(TextureImage, IndicesThatNameNoImagePaintAsNoTexture) {
    TRegisteredImage image(3, 2, 32, false, SixColours);
    TBrushRecord brush;  // its own texture handle is 0
    for (int32_t index : {0, -1, 2, 3, 1000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        const TTextureSample t = SampleTexture(brush, 0.3, 0.4, 0.0, 0.0, kImage, false, index);
        EXPECT_EQ(t.red, 1.0) << index;
        EXPECT_EQ(t.green, 1.0) << index;
        EXPECT_EQ(t.blue, 1.0) << index;
        EXPECT_EQ(t.alpha, 1.0) << index;
    }
    const int32_t handle = image.handle;
    ClearImageTable(nullptr);
    EXPECT_EQ(Sample(handle, 0.75, 0.5).red, 1.0) << "a handle of a dropped table";
    EXPECT_EQ(Sample(handle, 0.75, 0.5).green, 1.0) << "a handle of a dropped table";
}

TEST(TextureImage, IndexZeroStandsForTheBrushsOwnTextureImage) {
    TRegisteredImage other(3, 2, 24, false, [](int, int) { return 0xFF00FF00u; });
    TRegisteredImage own(3, 2, 32, false, SixColours);
    TBrushRecord brush;
    brush.imageHandle[0] = own.handle;
    brush.imageHandle[1] = other.handle;  // leaf and flower images are not the texture
    ExpectTexel(SampleTexture(brush, 0.75, 0.5, 0.0, 0.0, kImage, false, 0), SixColours(1, 0), true, "index 0");
    ExpectTexel(SampleTexture(brush, 0.75, 0.5, 0.0, 0.0, kImage, false, other.handle), 0xFF00FF00u, false,
                "an explicit index wins");
}

TEST(TextureImage, EntriesThatCannotBeReadSafelyPaintAsNoTexture) {
    std::vector<uint8_t> pixels(64 * 4, 0);
    TImageWrapper good;
    good.pixels = pixels.data();
    good.width = 4;
    good.height = 4;
    good.rowStride = 16;
    good.bitsPerPixel = 32;
    good.addressBytesPerPixel = 4;
    good.bytesPerPixel = 4;
    good.hasAlpha = 1;
    struct Case {
        const char* what;
        void (*spoil)(TImageWrapper&);
    };
    const Case cases[] = {
        {"null pixels", [](TImageWrapper& e) { e.pixels = nullptr; }},
        {"no width", [](TImageWrapper& e) { e.width = 0; }},
        {"no height", [](TImageWrapper& e) { e.height = 0; }},
        {"stride too short", [](TImageWrapper& e) { e.rowStride = 15; }},
        {"two bytes a pixel", [](TImageWrapper& e) { e.bytesPerPixel = e.addressBytesPerPixel = 2; }},
        {"sixteen-bit channels", [](TImageWrapper& e) { e.bytesPerPixel = 8; }},
    };
    for (const Case& c : cases) {
        TImageWrapper entry = good;
        c.spoil(entry);
        const int32_t handle = RegisterImage(entry);
        const TTextureSample t = Sample(handle, 0.5, 0.5);
        EXPECT_EQ(t.red, 1.0) << c.what;
        EXPECT_EQ(t.alpha, 1.0) << c.what;
    }
    // The unspoilt entry reads its (black, clear) pixels.
    const TTextureSample t = Sample(RegisterImage(good), 0.5, 0.5);
    EXPECT_EQ(t.red, 0.0);
    EXPECT_EQ(t.alpha, 0.0);
    ClearImageTable(nullptr);
}

TEST(TextureImage, HostileCoordinatesNeverReadOutsideTheImage) {
    // A 5 x 3 red and blue image inside a larger green block: green in a
    // sample means a read outside the image or its rows.
    constexpr int kW = 5, kH = 3, kBytes = 4, kStride = 7 * kBytes, kRows = kH + 4;
    std::vector<uint8_t> block(static_cast<size_t>(kStride) * kRows);
    for (size_t k = 0; k < block.size(); k += 4) Put(&block[k], 0xFF00FF00u, 4);
    uint8_t* first = block.data() + 2 * kStride;
    for (int r = 0; r < kH; ++r)
        for (int x = 0; x < kW; ++x) Put(first + r * kStride + x * kBytes, (x + r) % 2 ? 0xFFFF0000u : 0x800000FFu, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0.0, 0.5, 1.0, -1.0, 0.9999999999, 1e-300, 1e300, -1e300, 1e17, -1e17,
                             4e9, nan, inf, -inf};
    for (uint8_t topDown : {uint8_t{0}, uint8_t{1}}) {
        TImageWrapper entry;
        entry.pixels = first;
        entry.width = kW;
        entry.height = kH;
        entry.rowStride = kStride;
        entry.bitsPerPixel = 32;
        entry.addressBytesPerPixel = entry.bytesPerPixel = 4;
        entry.topDown = topDown;
        entry.hasAlpha = 1;
        const int32_t handle = RegisterImage(entry);
        for (double u : values)
            for (double v : values)
                for (double d : values) {
                    const TTextureSample t = Sample(handle, u, v, d, std::fabs(d) * 0.3);
                    ASSERT_EQ(t.green, 0.0) << "u " << u << " v " << v << " d " << d;
                    ASSERT_TRUE(t.red >= 0.0 && t.red <= 1.0 && t.blue >= 0.0 && t.blue <= 1.0)
                        << "u " << u << " v " << v << " d " << d;
                    ASSERT_TRUE(t.alpha >= 0.5 && t.alpha <= 1.0) << "u " << u << " v " << v << " d " << d;
                }
    }
    ClearImageTable(nullptr);
}

TEST(TextureImage, ProceduralSettingsDoNotTouchImages) {
    TRegisteredImage image(3, 2, 32, false, SixColours);
    TBrushRecord brush;
    brush.smear = 3.0;
    brush.smearU = brush.smearV = 0.4;
    brush.texColor1R = brush.texColor2R = 0.0;
    brush.texAlpha1 = brush.texAlpha2 = 0.0;
    ExpectTexel(SampleTexture(brush, 0.75, 0.5, 0.0, 0.0, kImage, false, image.handle), SixColours(1, 0), true,
                "smear and texture colours are for procedural textures");
}

}  // namespace
