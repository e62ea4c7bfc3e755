// Brush variation: the working brush drifts around the preset's values
// within bounds, deterministically by seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/random.h"
#include "presets/brush_record.h"
#include "render/brush_variation.h"

namespace {

TBrushRecord FlatBrush() {
    TBrushRecord b;
    b.tubes = false;
    b.globalScale = 0.2;
    b.brushWidth = 1.0;
    b.color1R = 0.5;
    b.color1G = 0.4;
    b.color1B = 0.3;
    b.color2R = 0.6;
    b.color2G = 0.5;
    b.color2B = 0.4;
    b.transparency1R = b.transparency1G = b.transparency1B = 0.4;
    b.transparency2R = b.transparency2G = b.transparency2B = 0.2;
    return b;
}

TEST(VaryBrush, ZeroAmountOnlyClamps) {
    const TBrushRecord reference = FlatBrush();
    struct Case {
        double scale, expected;
    };
    // Bounds without tubes: [0.15 g, 2.5 g] with g = 0.2.
    const Case cases[] = {{0.2, 0.2}, {0.01, 0.03}, {5.0, 0.5}, {0.4, 0.4}};
    for (const Case& c : cases) {
        TBrushRecord b = FlatBrush();
        b.globalScale = c.scale;
        VaryBrush(b, reference, 0.0, 0.0, 123);
        EXPECT_DOUBLE_EQ(b.globalScale, c.expected) << c.scale;
        EXPECT_DOUBLE_EQ(b.color1R, 0.5);
        EXPECT_DOUBLE_EQ(b.color2B, 0.4);
        EXPECT_DOUBLE_EQ(b.transparency1G, 0.4);
    }
}

TEST(VaryBrush, TubeBrushesUseTighterScaleBounds) {
    TBrushRecord reference = FlatBrush();
    reference.tubes = true;
    TBrushRecord b = reference;
    b.globalScale = 0.01;
    VaryBrush(b, reference, 0.0, 0.0, 1);
    EXPECT_DOUBLE_EQ(b.globalScale, 0.3 * 0.2);
    b.globalScale = 1.0;
    VaryBrush(b, reference, 0.0, 0.0, 1);
    EXPECT_DOUBLE_EQ(b.globalScale, 2.0 * 0.2);
}

TEST(VaryBrush, DriftsWithinTheAmountByTheNoiseAtTheSeed) {
    const TBrushRecord reference = FlatBrush();
    const double a = 0.02;
    for (int32_t seed : {0, 1, 77, 4096, 9999}) {
        TBrushRecord b = FlatBrush();
        VaryBrush(b, reference, a, 0.0, seed);
        EXPECT_DOUBLE_EQ(b.globalScale, 0.2 * (1.0 + NoiseValue(18 * seed) * a)) << seed;
        EXPECT_DOUBLE_EQ(b.color1R, 0.5 + NoiseValue(seed + 2) * a);
        EXPECT_DOUBLE_EQ(b.color1G, 0.4 + NoiseValue(seed + 1) * a);
        EXPECT_DOUBLE_EQ(b.color1B, 0.3 + NoiseValue(seed) * a);
        // Both colour ends move by the same drift.
        EXPECT_NEAR(b.color2R - 0.6, b.color1R - 0.5, 1e-15);
        EXPECT_LE(std::fabs(b.transparency1R - 0.4), a * 0.5 + 1e-12);
    }
}

TEST(VaryBrush, SameSeedSameResultOtherSeedOtherResult) {
    const TBrushRecord reference = FlatBrush();
    TBrushRecord a = FlatBrush(), b = FlatBrush(), c = FlatBrush();
    VaryBrush(a, reference, 0.5, 0.0, 321);
    VaryBrush(b, reference, 0.5, 0.0, 321);
    VaryBrush(c, reference, 0.5, 0.0, 322);
    EXPECT_EQ(a.globalScale, b.globalScale);
    EXPECT_EQ(a.color1G, b.color1G);
    EXPECT_EQ(a.transparency2B, b.transparency2B);
    EXPECT_NE(a.color1R, c.color1R);
}

TEST(VaryBrush, GreyTransparencyStaysGrey) {
    const TBrushRecord reference = FlatBrush();
    for (int32_t seed = 0; seed < 50; ++seed) {
        TBrushRecord b = FlatBrush();
        VaryBrush(b, reference, 0.5, 0.0, seed);
        EXPECT_EQ(b.transparency1R, b.transparency1G) << seed;
        EXPECT_EQ(b.transparency1G, b.transparency1B) << seed;
        EXPECT_EQ(b.transparency2R, b.transparency2B) << seed;
    }
}

TEST(VaryBrush, ColouredTransparencyDriftsPerChannel) {
    TBrushRecord reference = FlatBrush();
    reference.transparency1R = 0.1;
    reference.transparency1G = 0.3;
    reference.transparency1B = 0.5;
    TBrushRecord b = reference;
    const int32_t s = 40;
    VaryBrush(b, reference, 0.2, 0.0, s);
    EXPECT_DOUBLE_EQ(b.transparency1R, std::clamp(0.1 + NoiseValue(s + 5) * 0.1, 0.0, 1.0));
    EXPECT_DOUBLE_EQ(b.transparency1G, std::clamp(0.3 + NoiseValue(s + 4) * 0.1, 0.0, 1.0));
    EXPECT_DOUBLE_EQ(b.transparency1B, std::clamp(0.5 + NoiseValue(s + 3) * 0.1, 0.0, 1.0));
}

TEST(VaryBrush, TransparencyNeverPassesItsCap) {
    TBrushRecord reference = FlatBrush();
    reference.transparency1R = reference.transparency1G = reference.transparency1B = 0.2;  // cap 0.8
    for (int32_t seed = 0; seed < 200; ++seed) {
        TBrushRecord b = reference;
        b.transparency1R = b.transparency1G = b.transparency1B = 0.79;
        VaryBrush(b, reference, 1.0, 0.0, seed);
        EXPECT_LE(b.transparency1R, 0.8) << seed;
        EXPECT_GE(b.transparency1R, 0.0) << seed;
    }
}

TEST(VaryBrush, ColoursStayInUnitRange) {
    const TBrushRecord reference = FlatBrush();
    for (int32_t seed = 0; seed < 200; ++seed) {
        TBrushRecord b = FlatBrush();
        b.color1R = 0.99;
        b.color1B = 0.01;
        VaryBrush(b, reference, 1.0, 0.0, seed);
        EXPECT_GE(b.color1B, 0.0);
        EXPECT_LE(b.color1R, 1.0);
    }
}

// Chance stroke ends vary by 0.5 each; over a long run the colours must stay
// near the preset's own instead of walking off to any colour.
TEST(VaryBrush, ColoursStayWithinReachOfThePresetOverManyVariations) {
    const TBrushRecord reference = FlatBrush();
    TBrushRecord b = reference;
    for (int32_t seed = 0; seed < 2000; ++seed) {
        VaryBrush(b, reference, seed % 7 == 0 ? 0.5 : 0.02, 0.0, seed * 13);
        const double pairs[][2] = {{b.color1R, reference.color1R}, {b.color1G, reference.color1G},
                                   {b.color1B, reference.color1B}, {b.color2R, reference.color2R},
                                   {b.color2G, reference.color2G}, {b.color2B, reference.color2B}};
        for (const auto& p : pairs) ASSERT_LE(std::fabs(p[0] - p[1]), kColourReach + 1e-12) << "variation " << seed;
    }
}

TEST(VaryBrush, APresetColourOutsideTheUnitRangeStillGivesOne) {
    TBrushRecord reference = FlatBrush();
    reference.color1R = 1.5;
    reference.color1G = -0.5;
    TBrushRecord b = reference;
    VaryBrush(b, reference, 0.5, 0.0, 3);
    EXPECT_DOUBLE_EQ(b.color1R, 1.0);
    EXPECT_DOUBLE_EQ(b.color1G, 0.0);
}

TEST(VaryBrush, ThinBrushIsScaledUpToExactlyTheMinimumWidth) {
    struct Case {
        bool tubes;
        double brushWidth, tubeWidth1, tubeWidth2;
        double widest;
    };
    const Case cases[] = {{false, 0.01, 5.0, 5.0, 0.01}, {true, 5.0, 0.002, 0.004, 0.004}};
    for (const Case& c : cases) {
        TBrushRecord reference = FlatBrush();
        reference.tubes = c.tubes;
        reference.brushWidth = c.brushWidth;
        reference.tubeWidth1 = c.tubeWidth1;
        reference.tubeWidth2 = c.tubeWidth2;
        TBrushRecord b = reference;
        const double minWidth = 0.005;
        VaryBrush(b, reference, 0.0, minWidth, 5);
        EXPECT_DOUBLE_EQ(b.globalScale * c.widest, minWidth) << c.tubes;
        EXPECT_GT(b.globalScale, reference.globalScale) << c.tubes;
    }
}

TEST(VaryBrush, BrokenValuesDoNotSurvive) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const TBrushRecord reference = FlatBrush();
    TBrushRecord b = FlatBrush();
    b.globalScale = nan;
    b.color1G = nan;
    b.transparency1R = inf;
    b.transparency2G = -inf;
    VaryBrush(b, reference, nan, 0.0, std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(std::isfinite(b.globalScale));
    EXPECT_GE(b.color1G, 0.0);
    EXPECT_LE(b.color1G, 1.0);
    EXPECT_LE(b.transparency1R, 1.0);
    EXPECT_GE(b.transparency2G, 0.0);
}

TEST(VaryBrush, ScaleStaysFiniteAtTheEndsOfTheDoubles) {
    const double largest = std::numeric_limits<double>::max();
    const double smallest = std::numeric_limits<double>::denorm_min();
    struct Case {
        const char* name;
        bool tubes;
        double globalScale;  // the preset's and the brush's
        double width;        // brushWidth, or both tube widths
        double minWidth;
    };
    // A preset's 1e330 reads as the largest double; a drift upward, or
    // bounds of 2 or 2.5 times it, overflow. A width of the smallest
    // double is scaled up to the minimum width past the largest.
    const Case cases[] = {{"largest scale", false, largest, 1.0, 0.0},
                          {"largest scale, tubes", true, largest, 1.0, 0.0},
                          {"smallest width", false, 0.2, smallest, 0.005},
                          {"smallest tube width", true, 0.2, smallest, 0.005}};
    for (const Case& c : cases) {
        TBrushRecord reference = FlatBrush();
        reference.tubes = c.tubes;
        reference.globalScale = c.globalScale;
        reference.brushWidth = reference.tubeWidth1 = reference.tubeWidth2 = c.width;
        for (int32_t seed = 0; seed < 40; ++seed) {
            TBrushRecord b = reference;
            VaryBrush(b, reference, 0.5, c.minWidth, seed);
            const bool finite = std::isfinite(b.globalScale);
            EXPECT_TRUE(finite) << c.name << ", seed " << seed << ": " << b.globalScale;
            EXPECT_GT(b.globalScale, 0.0) << c.name << ", seed " << seed;
            if (!finite) break;
        }
    }
}

}  // namespace
