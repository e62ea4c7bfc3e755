// The two 32-bit pixel blends, checked at their ends and against a plain
// per-channel twin.
#include <gtest/gtest.h>

#include <random>

#include "render/pixel_blend.h"

namespace {

// b + ((a - b)(k + 1)) >> 8 per channel, floor division, alpha 0xFF.
uint32_t ReferenceBlend(uint32_t a, uint32_t b, int32_t k) {
    if (k <= 0) return b;
    if (k > 254) return a;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        int32_t v = cb + (((ca - cb) * (k + 1)) >> 8);  // arithmetic shift: floor
        out |= static_cast<uint32_t>(v & 0xFF) << shift;
    }
    return out;
}

}  // namespace

TEST(PixelBlend, EndWeightsReturnOneSideUnchanged) {
    const uint32_t a = 0x12345678u, b = 0x9ABCDEF0u;
    EXPECT_EQ(BlendPixels(a, b, 255), a);
    EXPECT_EQ(BlendPixels(a, b, 0), b);
    EXPECT_EQ(BlendPixels(a, b, -3), b);
}

TEST(PixelBlend, MatchesThePerChannelTwin) {
    std::mt19937 rng(77);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t a = rng(), b = rng();
        const int32_t k = static_cast<int32_t>(rng() % 257);
        ASSERT_EQ(BlendPixels(a, b, k), ReferenceBlend(a, b, k)) << std::hex << a << " " << b << " k " << std::dec << k;
    }
}

TEST(PixelBlend, CompositeOverAnOpaqueDestinationStaysOpaque) {
    std::mt19937 rng(5);
    for (int i = 0; i < 10000; ++i) {
        const uint32_t s = rng();
        const uint32_t d = rng() | 0xFF000000u;
        EXPECT_EQ(CompositePixel(s, d) >> 24, 0xFFu);
    }
    EXPECT_EQ(CompositePixel(0x00FFFFFFu, 0x00123456u), 0u) << "both transparent";
    EXPECT_EQ(CompositePixel(0x80FF0000u, 0xFF0000FFu), BlendPixels(0x80FF0000u, 0xFF0000FFu, 0x80));
}
