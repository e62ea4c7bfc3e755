// Where the stamps of a span go, and the twisted normal of flat brushes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "render/stamp_placement.h"
#include "render/stamp_span.h"

namespace {

std::vector<double> Positions(double length, double r0, double r1, double spacing, int32_t cap = kMaxStampsPerSpan) {
    std::vector<double> f(static_cast<size_t>(cap));
    const int32_t n = PlaceStamps(length, r0, r1, spacing, f.data(), cap);
    f.resize(static_cast<size_t>(n));
    for (double& v : f) v *= length;
    return f;
}

// Width at x on the straight path from r0 (x = 0) to r1 (x = L).
double WidthAt(double x, double length, double r0, double r1) { return r1 + (r0 - r1) / length * (length - x); }

}  // namespace

TEST(StampPlacement, EqualWidthsAreSpacedByWidthOverDensity) {
    struct TCase {
        double width;
        double density;
        double length;
    } cases[] = {{2.0, 1.0, 21.0}, {2.0, 2.0, 21.0}, {0.5, 8.0, 3.3}, {7.0, 0.5, 100.0}};
    for (const TCase& c : cases) {
        const double s = StampSpacingFactor(c.length, c.length, c.density);
        const std::vector<double> x = Positions(c.length, c.width, c.width, s);
        ASSERT_FALSE(x.empty());
        const double gap = c.width / c.density;
        EXPECT_NEAR(x[0], gap, 1e-9);
        for (size_t i = 1; i < x.size(); ++i) EXPECT_NEAR(x[i] - x[i - 1], gap, 1e-9) << "density " << c.density;
        EXPECT_EQ(x.size(), static_cast<size_t>(std::ceil(c.length / gap)) - 1) << "every place before the end";
    }
}

TEST(StampPlacement, UnequalWidthsAreSpacedByTheirMeanWidth) {
    struct TCase {
        double r0, r1, density;
    } cases[] = {{1.0, 4.0, 1.0}, {6.0, 0.5, 1.0}, {3.0, 1.0, 2.5}};
    const double length = 40.0;
    for (const TCase& c : cases) {
        const double s = StampSpacingFactor(length, length, c.density);
        const std::vector<double> x = Positions(length, c.r0, c.r1, s);
        ASSERT_GE(x.size(), 2u);
        double previous = 0.0;
        for (double xi : x) {
            const double expected = (WidthAt(previous, length, c.r0, c.r1) + WidthAt(xi, length, c.r0, c.r1)) * 0.5 / c.density;
            EXPECT_NEAR(xi - previous, expected, 1e-9) << c.r0 << " to " << c.r1;
            previous = xi;
        }
    }
}

TEST(StampPlacement, DensityTooSmallToDivideByLaysOnePerSpanAtMost) {
    for (double density : {0.0, 1e-7, -3.0, std::nan("")}) {
        const double s = StampSpacingFactor(10.0, 10.0, density);
        EXPECT_TRUE(Positions(10.0, 1.0, 1.0, s).empty()) << density;
    }
}

TEST(StampPlacement, HugeStampCountsAreCappedPerSpan) {
    // A spacing of 1e-300 would ask for 1e300 stamps.
    const double s = StampSpacingFactor(10.0, 10.0, 1e300);
    EXPECT_GT(s, 0.0);
    const std::vector<double> x = Positions(10.0, 1.0, 1.0, s);
    EXPECT_EQ(x.size(), static_cast<size_t>(kMaxStampsPerSpan));
    TStampPlacer placer(10.0, 1.0, 1.0, s, 5);
    double f;
    int n = 0;
    while (placer.Next(f)) ++n;
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(placer.Capped());
}

TEST(StampPlacement, BadInputsEndWithoutStampsOrHangs) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    struct TCase {
        double length, r0, r1, spacing;
    } cases[] = {
        {nan, 1, 1, 0.5}, {inf, 1, 1, 0.5}, {0, 1, 1, 0.5}, {-4, 1, 1, 0.5}, {10, 1, 1, nan},
        {10, 1, 1, inf},  {10, 1, 1, 0},    {10, 1, 1, -1}, {10, nan, nan, 0.5}, {10, inf, -inf, 0.5},
        {10, 1e300, 1e-300, 0.5}, {10, -5, 1e308, 0.5}, {1e-300, 1, 1, 0.5}, {1e300, 1e-300, 1e-300, 1e-300},
    };
    for (const TCase& c : cases) {
        const std::vector<double> x = Positions(c.length, c.r0, c.r1, c.spacing);
        EXPECT_LE(x.size(), static_cast<size_t>(kMaxStampsPerSpan));
        for (double v : x) {
            EXPECT_TRUE(std::isfinite(v));
            EXPECT_LT(v, c.length);
        }
    }
}

TEST(StampPlacement, NonPositiveWidthsReadAsAHundredthOfThePath) {
    const double s = StampSpacingFactor(10.0, 10.0, 1.0);
    const std::vector<double> zero = Positions(10.0, 0.0, -2.0, s);
    const std::vector<double> small = Positions(10.0, 0.1, 0.1, s);
    ASSERT_EQ(zero.size(), small.size());
    for (size_t i = 0; i < zero.size(); ++i) EXPECT_NEAR(zero[i], small[i], 1e-9);
}

TEST(TwistedNormal, IsAUnitVectorAcrossTheSpanTurnedByTheTwist) {
    const TFLVector side = kAxisX, direction = kAxisY, up = kAxisZ;
    const TFLVector spans[] = {{0, 1, 0}, {1, 1, 0}, {0.3, -2, 0.5}, {-1, 0.2, -0.7}};
    for (const TFLVector& v : spans) {
        const TFLVector n0 = TwistedNormal(0.0, v, side, direction, up);
        EXPECT_NEAR(Length(n0), 1.0, 1e-12);
        EXPECT_NEAR(Dot(n0, Normalized(v)), 0.0, 1e-12);
        // At twist 0 it lies in the plane of v and up, on the up side.
        EXPECT_NEAR(Dot(n0, Cross(Normalized(v), up)), 0.0, 1e-12);
        EXPECT_GT(Dot(n0, up), 0.0);
        for (double twist : {0.4, 1.5707963267948966, 3.0}) {
            const TFLVector n = TwistedNormal(twist, v, side, direction, up);
            EXPECT_NEAR(Length(n), 1.0, 1e-12);
            EXPECT_NEAR(Dot(n, Normalized(v)), 0.0, 1e-12);
            EXPECT_NEAR(std::acos(std::clamp(Dot(n, n0), -1.0, 1.0)), twist, 1e-9) << "turned about v by the twist";
        }
    }
    // Along the travel direction at twist 0 the normal is the up axis.
    const TFLVector n = TwistedNormal(0.0, {0, 5, 0}, side, direction, up);
    EXPECT_NEAR(n.z, 1.0, 1e-12);
}
