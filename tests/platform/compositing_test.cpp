#include "platform/compositing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/dib_format.h"
#include "platform/pixel_bucket.h"

namespace {

// ---- Plain reference twins: one channel at a time, no packed tricks. ----

int FloorDiv(int a, int b) { return (a >= 0) ? a / b : -((-a + b - 1) / b); }

uint32_t RefBlend(uint32_t s, uint32_t d, int a) {
    if (a <= 0) return d;
    if (a >= 255) return s;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int sc = static_cast<int>((s >> shift) & 255), dc = static_cast<int>((d >> shift) & 255);
        out |= static_cast<uint32_t>(dc + FloorDiv((sc - dc) * (a + 1), 256)) << shift;
    }
    return out;
}

uint32_t RefOver(uint32_t s, uint32_t d) {
    const int sa = static_cast<int>(s >> 24), da = static_cast<int>(d >> 24);
    if (sa == 0 && da == 0) return 0;
    int w = sa;
    if (da < 255) {
        const int t = ((256 - sa) * da) / 256 + sa;
        w = ((65536 / t) * sa) / 256;
    }
    uint32_t c = RefBlend(s, d, w);
    if (da < 255) c = (c & 0xFFFFFFu) | static_cast<uint32_t>(255 - ((255 - da) * (255 - sa)) / 256) << 24;
    return c;
}

// A surface as plain bytes, addressed by picture position.
struct SImage {
    int width = 0, height = 0, bits = 32;
    bool topDown = false;
    int originX = 0, originY = 0;
    std::vector<uint8_t> bytes;
    int Stride() const { return DibRowStride(bits, width); }
    uint8_t* At(int x, int y) {
        const int memRow = topDown ? y : height - 1 - y;
        return bytes.data() + static_cast<size_t>(memRow) * Stride() + static_cast<size_t>(x) * (bits / 8);
    }
    uint32_t Get(int x, int y) {
        const uint8_t* p = At(x, y);
        uint32_t v = p[0] | p[1] << 8 | static_cast<uint32_t>(p[2]) << 16;
        return v | (bits == 32 ? static_cast<uint32_t>(p[3]) << 24 : 0xFF000000u);
    }
    void Put(int x, int y, uint32_t v) {
        uint8_t* p = At(x, y);
        for (int i = 0; i < bits / 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
    CPPixelBucket Bucket() {
        CPPixelBucket b(bytes.data(), Stride(), width, height, bits, bits / 8, topDown);
        b.SetOrigin(originX, originY);
        return b;
    }
};

SImage RandomImage(std::mt19937& rng, int w, int h, int bits, bool topDown) {
    SImage img;
    img.width = w;
    img.height = h;
    img.bits = bits;
    img.topDown = topDown;
    img.bytes.resize(static_cast<size_t>(img.Stride()) * h);
    // Alphas favour the edges 0 and 255, where the rules branch.
    for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
    if (bits == 32) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned pick = rng() % 4;
                if (pick == 0) img.At(x, y)[3] = 0;
                if (pick == 1) img.At(x, y)[3] = 255;
            }
    }
    return img;
}

void RefComposite(SImage& s, SImage& t, int x, int y, int opacity, int mode) {
    if (opacity < 0) opacity = 0;
    if (opacity > 255) opacity = 255;
    for (int ty = t.originY; ty < t.originY + t.height; ++ty)
        for (int tx = t.originX; tx < t.originX + t.width; ++tx) {
            const int sx = tx - x, sy = ty - y;
            if (sx < 0 || sy < 0 || sx >= s.width || sy >= s.height) continue;
            const uint32_t sp = s.Get(sx, sy), tp = t.Get(tx - t.originX, ty - t.originY);
            uint32_t out;
            if (mode == 1 && t.bits == 32) out = RefOver(sp, tp);
            else out = RefBlend(sp, tp, static_cast<int>((sp >> 24) * static_cast<uint32_t>(opacity) / 256));
            t.Put(tx - t.originX, ty - t.originY, out);
        }
}

// ---- Blend and Over ----

TEST(Blend, MatchesThePerChannelFormulaForEveryWeight) {
    std::mt19937 rng(7);
    for (int a = -3; a <= 258; ++a)
        for (int i = 0; i < 400; ++i) {
            const uint32_t s = rng(), d = rng();
            ASSERT_EQ(Blend(s, d, a), RefBlend(s, d, a)) << std::hex << "s=" << s << " d=" << d << std::dec << " a=" << a;
        }
}

TEST(Blend, EdgeWeightsKeepOneSideWholeAndOthersMakeAlphaOpaque) {
    EXPECT_EQ(Blend(0x11223344u, 0x55667788u, 0), 0x55667788u);
    EXPECT_EQ(Blend(0x11223344u, 0x55667788u, 255), 0x11223344u);
    EXPECT_EQ(Blend(0x11223344u, 0x55667788u, 300), 0x11223344u);
    // Every colour byte d + ((s - d) * 255) / 256, rounded down, alpha 0xFF.
    EXPECT_EQ(Blend(0x00FF00FFu, 0x0000FF00u, 254), 0xFFFE00FEu);
    // Borrows: 0 - 255 in blue must not reach green.
    EXPECT_EQ(Blend(0x00000000u, 0x000000FFu, 127), 0xFF00007Fu);
}

TEST(Over, MatchesTheReferenceForEveryAlphaPair) {
    std::mt19937 rng(11);
    for (uint32_t sa = 0; sa < 256; ++sa)
        for (uint32_t da = 0; da < 256; ++da) {
            const uint32_t s = (rng() & 0xFFFFFFu) | sa << 24, d = (rng() & 0xFFFFFFu) | da << 24;
            ASSERT_EQ(Over(s, d), RefOver(s, d)) << std::hex << "s=" << s << " d=" << d;
        }
}

TEST(Over, TransparentSourceGivesZeroOnTransparentAndNothingOnOpaque) {
    EXPECT_EQ(Over(0x00ABCDEFu, 0x00123456u), 0u);
    EXPECT_EQ(Over(0x00ABCDEFu, 0xFF123456u), 0xFF123456u);
    // An opaque source covers any target, whatever its alpha.
    EXPECT_EQ(Over(0xFFABCDEFu, 0x40123456u), 0xFFABCDEFu);
    EXPECT_EQ(Over(0xFFABCDEFu, 0x00123456u), 0xFFABCDEFu);
}

// ---- Composite ----

TEST(Composite, OpaqueSourceAtFullOpacityIsANearCopy) {
    SImage s, t;
    s.width = t.width = 3;
    s.height = t.height = 1;
    s.bytes.assign(16, 0);
    t.bytes.assign(16, 0);
    s.Put(0, 0, 0xFFFF8040u);
    t.Put(0, 0, 0xFF000000u);
    CPPixelBucket sb = s.Bucket(), tb = t.Bucket();
    CompositeBuckets(sb, tb, 0, 0, 255, 0);
    // Weight (255 * 255) / 256 = 254: each byte 0 + (c * 255) / 256.
    EXPECT_EQ(t.Get(0, 0), 0xFFFE7F3Fu);
}

TEST(Composite, OpacityIsClamped) {
    std::mt19937 rng(3);
    SImage s = RandomImage(rng, 9, 4, 32, false);
    SImage t1 = RandomImage(rng, 9, 4, 32, false);
    SImage t2 = t1, t3 = t1;
    const std::vector<uint8_t> original = t1.bytes;
    CPPixelBucket sb = s.Bucket(), b1 = t1.Bucket(), b2 = t2.Bucket(), b3 = t3.Bucket();
    CompositeBuckets(sb, b1, 0, 0, 300, 0);
    CompositeBuckets(sb, b2, 0, 0, 255, 0);
    EXPECT_EQ(t1.bytes, t2.bytes);
    EXPECT_NE(t1.bytes, original);
    CompositeBuckets(sb, b3, 0, 0, -5, 0);
    EXPECT_EQ(t3.bytes, original);
}

TEST(Composite, PartlyOutsidePlacementTouchesOnlyTheOverlap) {
    SImage s, t;
    s.width = 4;
    s.height = 4;
    t.width = 6;
    t.height = 5;
    s.bytes.assign(static_cast<size_t>(s.Stride()) * 4, 0xFF);  // opaque white
    t.bytes.assign(static_cast<size_t>(t.Stride()) * 5, 0);
    CPPixelBucket sb = s.Bucket(), tb = t.Bucket();
    CompositeBuckets(sb, tb, -2, 3, 255, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inOverlap = x < 2 && y >= 3;
            EXPECT_EQ(t.Get(x, y) != 0, inOverlap) << x << "," << y;
        }
    // Entirely outside: nothing.
    const std::vector<uint8_t> before = t.bytes;
    CompositeBuckets(sb, tb, 6, 0, 255, 0);
    CompositeBuckets(sb, tb, -4, -4, 255, 0);
    EXPECT_EQ(t.bytes, before);
}

TEST(Composite, BucketsOfOtherDepthsAreLeftAlone) {
    uint8_t s8[16] = {1, 2, 3, 4}, t8[16] = {};
    uint32_t t32[4] = {};
    CPPixelBucket s(s8, 4, 4, 4, 8, 1, true), t(t8, 4, 4, 4, 8, 1, true), t4(t32, 16, 4, 1, 32, 4, true);
    CompositeBuckets(s, t, 0, 0, 255, 0);
    CompositeBuckets(s, t4, 0, 0, 255, 0);
    for (uint8_t b : t8) EXPECT_EQ(b, 0);
    for (uint32_t w : t32) EXPECT_EQ(w, 0u);
}

TEST(Composite, MatchesThePlainTwinOverRandomInputs) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        const int sBits = rng() % 2 ? 32 : 24, tBits = rng() % 2 ? 32 : 24;
        const bool sDown = rng() % 2, tDown = rng() % 2;
        const int sw = seed % 10 == 0 ? 513 : 1 + static_cast<int>(rng() % 40);
        const int sh = seed % 10 == 0 ? 7 : 1 + static_cast<int>(rng() % 20);
        const int tw = 1 + static_cast<int>(rng() % 60), th = 1 + static_cast<int>(rng() % 25);
        SImage s = RandomImage(rng, sw, sh, sBits, sDown);
        SImage t = RandomImage(rng, tw, th, tBits, tDown);
        s.originX = static_cast<int>(rng() % 7) - 3;  // the source's own origin plays no part
        t.originX = static_cast<int>(rng() % 9) - 4;
        t.originY = static_cast<int>(rng() % 9) - 4;
        const int x = t.originX + static_cast<int>(rng() % (tw + sw)) - sw + 1 - static_cast<int>(rng() % 3);
        const int y = t.originY + static_cast<int>(rng() % (th + sh)) - sh + 1;
        const int opacity = static_cast<int>(rng() % 320) - 30;
        const int mode = static_cast<int>(rng() % 2);
        SImage expected = t;
        RefComposite(s, expected, x, y, opacity, mode);
        CPPixelBucket sb = s.Bucket(), tb = t.Bucket();
        CompositeBuckets(sb, tb, x, y, opacity, mode);
        ASSERT_EQ(t.bytes, expected.bytes)
            << "seed " << seed << ": source " << sw << "x" << sh << "x" << sBits << (sDown ? " top-down" : " bottom-up")
            << ", target " << tw << "x" << th << "x" << tBits << (tDown ? " top-down" : " bottom-up") << " at origin ("
            << t.originX << "," << t.originY << "), placed (" << x << "," << y << "), opacity " << opacity << ", mode "
            << mode;
    }
}

TEST(Composite, RowsMatchByPicturePositionAcrossOrientations) {
    SImage s, t;
    s.width = t.width = 1;
    s.height = t.height = 3;
    s.topDown = true;
    t.topDown = false;
    s.bytes.assign(12, 0);
    t.bytes.assign(12, 0);
    s.Put(0, 0, 0xFF0000FFu);  // top row blue
    CPPixelBucket sb = s.Bucket(), tb = t.Bucket();
    CompositeBuckets(sb, tb, 0, 0, 256, 1);
    EXPECT_EQ(t.Get(0, 0), 0xFF0000FFu);
    EXPECT_EQ(t.bytes[8], 0xFF);  // memory row 2 of a bottom-up target is its top row
    EXPECT_EQ(t.bytes[0], 0x00);
}

}  // namespace
