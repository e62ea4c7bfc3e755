#include "base/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace {

// Distance in units of the last place between two doubles of one sign.
int64_t UlpDistance(double a, double b) {
    int64_t ia, ib;
    std::memcpy(&ia, &a, 8);
    std::memcpy(&ib, &b, 8);
    if ((ia < 0) != (ib < 0)) return (a == b) ? 0 : INT64_MAX;
    return ia > ib ? ia - ib : ib - ia;
}

// Within two units of the C library's value, or, near a zero of the
// function, within 2^-52 absolutely (the reduced argument's own error).
void ExpectClose(double mine, double library, double x) {
#ifndef __GLIBC__
    // Only glibc's sin and cos are correctly rounded; others (Windows') are
    // a few units off now and then, so they are held to an absolute bound.
    EXPECT_NEAR(mine, library, 4e-15) << "x = " << x;
    return;
#endif
    if (std::fabs(library) < 1e-3) {
        EXPECT_NEAR(mine, library, 0x1p-52) << "x = " << x;
    } else {
        EXPECT_LE(UlpDistance(mine, library), 2) << "x = " << x << " mine " << mine << " library " << library;
    }
}

TEST(PortableMath, AgreesWithTheLibraryOverTheEngineRange) {
    // The engine's arguments: angles, phases and step counts up to about a million.
    uint64_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double unit = static_cast<double>(state >> 11) * 0x1p-53;
        const double scale = i % 4 == 0 ? 4.0 : i % 4 == 1 ? 100.0 : i % 4 == 2 ? 5000.0 : 1.0e6;
        const double x = (2 * unit - 1) * scale;
        if (scale < 1.0e6) {
            ExpectClose(PortableSin(x), std::sin(x), x);
            ExpectClose(PortableCos(x), std::cos(x), x);
        } else {
            // Far out the C libraries themselves part: Windows' sin is tens of
            // units off near 7e5 where glibc's is correctly rounded.
            EXPECT_NEAR(PortableSin(x), std::sin(x), 1e-13) << "x = " << x;
            EXPECT_NEAR(PortableCos(x), std::cos(x), 1e-13) << "x = " << x;
        }
        if (HasFailure()) return;
    }
}

TEST(PortableMath, ExactPointsAndSpecialValues) {
    EXPECT_EQ(PortableSin(0.0), 0.0);
    EXPECT_EQ(PortableCos(0.0), 1.0);
    EXPECT_EQ(PortableSin(1e-300), 1e-300);
    EXPECT_DOUBLE_EQ(PortableSin(std::numbers::pi / 2), 1.0);
    EXPECT_DOUBLE_EQ(PortableCos(std::numbers::pi), -1.0);
    EXPECT_DOUBLE_EQ(PortableSin(-std::numbers::pi / 6), -0.5);
    EXPECT_DOUBLE_EQ(PortableCos(std::numbers::pi / 3), 0.5);
    EXPECT_TRUE(std::isnan(PortableSin(INFINITY)));
    EXPECT_TRUE(std::isnan(PortableCos(-INFINITY)));
    EXPECT_TRUE(std::isnan(PortableSin(NAN)));
    // Far out the values stay bounded and odd/even as the functions are.
    for (const double x : {3.0e6, 1.0e12, 1.0e300}) {
        EXPECT_LE(std::fabs(PortableSin(x)), 1.0);
        EXPECT_EQ(PortableSin(-x), -PortableSin(x));
        EXPECT_EQ(PortableCos(-x), PortableCos(x));
    }
}

TEST(PortableMath, SineAndCosineAgreeWithEachOther) {
    for (double x = -50.0; x < 50.0; x += 0.0137) {
        const double s = PortableSin(x), c = PortableCos(x);
        EXPECT_NEAR(s * s + c * c, 1.0, 4e-16) << x;
        EXPECT_NEAR(PortableSin(x + std::numbers::pi / 2), c, 1e-14) << x;
    }
}

}  // namespace
