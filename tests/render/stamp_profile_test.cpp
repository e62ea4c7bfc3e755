// The coverage of a stamp disc by distance from its centre.
#include <gtest/gtest.h>

#include <cmath>

#include "render/stamp_profile.h"

namespace {

double S(double t) { return 2 * t * t * t - 3 * t * t + 1; }

}  // namespace

TEST(StampProfile, SoftnessShapesTheFalloff) {
    struct TCase {
        const char* name;
        double radius, softness, rim;
        bool glow;
        double d;
        double expect;
    } cases[] = {
        {"hard disc is solid to the rim", 10, 0.0, 0.0, false, 9.99, 1.0},
        {"hard disc ends at the radius", 10, 0.0, 0.0, false, 10.01, 0.0},
        {"soft disc at the centre", 10, 1.0, 0.0, false, 0.0, 1.0},
        {"soft disc half way", 10, 1.0, 0.0, false, 5.0, S(0.5) * S(0.5)},
        {"soft disc at the rim", 10, 1.0, 0.0, false, 10.0, 0.0},
        {"half soft: solid inside (1 - s) r", 10, 0.5, 0.0, false, 4.9, 1.0},
        {"half soft: falloff beyond", 10, 0.5, 0.0, false, 7.5, S(0.5) * S(0.5)},
        {"antialias rim keeps 1.5 px soft at softness 0", 10, 0.0, 1.5, false, 9.25, S(0.5) * S(0.5)},
        {"antialias rim: solid inside r - 1.5", 10, 0.0, 1.5, false, 8.4, 1.0},
        {"softness above 1 is fainter", 10, 1.5, 0.0, false, 0.0, 0.5},
        {"softness 2 and beyond draws nothing", 10, 2.5, 0.0, false, 0.0, 0.0},
        {"glow falls off as (1 - t)^8", 10, 1.0, 0.0, true, 5.0, std::pow(0.5, 8)},
        {"glow beyond its inner radius", 10, 0.5, 0.0, true, 7.5, std::pow(0.5, 8)},
    };
    for (const auto& c : cases) {
        const TCoverageProfile p = TCoverageProfile::Make(c.radius, c.softness, c.rim, c.glow);
        EXPECT_NEAR(p.At(c.d), c.expect, 1e-12) << c.name;
    }
}

TEST(StampProfile, NegativeSoftnessMakesAHollowRing) {
    // s = -0.6: inner edge at 0.6 r, full coverage at r - rim.
    const TCoverageProfile p = TCoverageProfile::Make(10, -0.6, 1.5, false);
    EXPECT_EQ(p.At(0.0), 0.0);
    EXPECT_EQ(p.At(5.9), 0.0);
    EXPECT_NEAR(p.At(6.0 + 0.5 * 2.5), 1.0 - S(0.5) * S(0.5), 1e-12);
    EXPECT_NEAR(p.At(8.5), 1.0, 1e-12);
    EXPECT_NEAR(p.At(9.25), S(0.5) * S(0.5), 1e-12);
    EXPECT_EQ(p.At(10.5), 0.0);
    // Without a rim the ring is hard on the outside.
    const TCoverageProfile hard = TCoverageProfile::Make(10, -0.6, 0.0, false);
    EXPECT_NEAR(hard.At(9.999), 1.0 - S(0.9999) * S(0.9999), 1e-9);
    EXPECT_EQ(hard.At(10.001), 0.0);
}

TEST(StampProfile, CoverageStaysWithinZeroAndOneForAnySoftness) {
    for (double s : {-1e300, -5.0, -2.0, -0.3, 0.0, 0.2, 0.99, 1.0, 1.7, 3.0, 1e300, std::nan("")}) {
        for (double r : {0.25, 1.25, 3.0, 40.0}) {
            for (double rim : {0.0, 1.5}) {
                const TCoverageProfile p = TCoverageProfile::Make(r, s, rim, false);
                for (double d = 0.0; d <= r * 1.2; d += r / 37.0) {
                    const double c = p.At(d);
                    ASSERT_TRUE(c >= 0.0 && c <= 1.0) << "s " << s << " r " << r << " d " << d;
                }
            }
        }
    }
}

TEST(StampProfile, SquaredDistanceGivesTheSameCoverage) {
    for (double s : {-0.7, 0.0, 0.3, 1.0, 1.6}) {
        const TCoverageProfile p = TCoverageProfile::Make(12.0, s, 1.5, false);
        for (double d = 0.0; d <= 13.0; d += 0.173) EXPECT_EQ(p.AtSquared(d * d), p.At(std::sqrt(d * d))) << s << " " << d;
    }
}
