#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/random.h"

namespace {

struct NextCase {
    const char* name;
    TRandomState before;
    uint32_t word;
    TRandomState after;
};

TEST(RandomNext, GivesTheTableWordsAndAdvancesTheState) {
    const NextCase cases[] = {
        {"fresh state", {0, 1, 1}, 0xc650d56au, {0xc650d56au, 2, 0xc650d56bu}},
        {"indices read modulo 32", {0, 33, 65}, 0xc650d56au, {0xc650d56au, 34, 0xc650d5abu}},
        {"v enters the word", {0xffffffffu, 0, 0}, 0xdef5feb1u, {0xdef5feb1u, 1, 0xdef5feb1u}},
        {"i and j wrap at 2^32", {0, 0xffffffffu, 0xffffffffu}, 0x2602a87au, {0x2602a87au, 0, 0x2602a879u}},
    };
    for (const NextCase& c : cases) {
        TRandomState state = c.before;
        EXPECT_EQ(RandomNext(state), c.word) << c.name;
        EXPECT_EQ(state.v, c.after.v) << c.name;
        EXPECT_EQ(state.i, c.after.i) << c.name;
        EXPECT_EQ(state.j, c.after.j) << c.name;
    }
}

TEST(RandomSeed, SeedsWithTheSecondsAndDiscardsOneWord) {
    RandomSeedFromClock(0);
    const TRandomState s = RandomGetState();
    EXPECT_EQ(s.v, 0xc650d56au);
    EXPECT_EQ(s.i, 2u);
    EXPECT_EQ(s.j, 0xc650d56bu);
}

TEST(RandomState, SetStateReplaysTheSameDraws) {
    RandomSeedFromClock(777);
    const TRandomState saved = RandomGetState();
    double first[8];
    for (double& u : first) u = RandomUnit();
    RandomSetState(saved);
    for (double u : first) EXPECT_EQ(RandomUnit(), u);
}

TEST(UnitDraw, MapsTheLow23BitsOntoZeroToOne) {
    const struct {
        uint32_t word;
        float unit;
    } cases[] = {
        {0xffffffffu, 1.0f - std::ldexp(1.0f, -23)},
        {0x00000000u, 0.0f},
        {0xff800000u, 0.0f},  // only high bits set
        {0x12800000u, 0.0f},
        {0x00400000u, 0.5f},
        {0x00000001u, std::ldexp(1.0f, -23)},
    };
    for (const auto& c : cases) EXPECT_EQ(UnitFromWord(c.word), c.unit) << std::hex << c.word;
}

TEST(UnitDraw, ProcessDrawsStayInHalfOpenUnitInterval) {
    RandomSeedFromClock(42);
    for (int n = 0; n < 100000; ++n) {
        const double u = RandomUnit();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

TEST(NoiseValue, ReadsTheTableAtTheIndexMagnitudeModuloItsSize) {
    const float* table = NoiseTable();
    const struct {
        int32_t index;
        int32_t entry;
    } cases[] = {
        {0, 0},
        {7, 7},
        {-7, 7},
        {65534, 65534},
        {65535, 0},
        {65536, 1},
        {-65536, 1},
        {std::numeric_limits<int32_t>::max(), static_cast<int32_t>(2147483647LL % 65535)},
        {std::numeric_limits<int32_t>::min(), static_cast<int32_t>(2147483648LL % 65535)},
    };
    for (const auto& c : cases) EXPECT_EQ(NoiseValue(c.index), table[c.entry]) << c.index;
}

TEST(NoiseTable, IsUniformOverMinusOneToOne) {
    const float* table = NoiseTable();
    double sum = 0.0;
    double squares = 0.0;
    float low = 2.0f;
    float high = -2.0f;
    for (int k = 0; k < kNoiseTableSize; ++k) {
        sum += table[k];
        squares += static_cast<double>(table[k]) * table[k];
        low = std::fmin(low, table[k]);
        high = std::fmax(high, table[k]);
    }
    const double mean = sum / kNoiseTableSize;
    const double sd = std::sqrt(squares / kNoiseTableSize - mean * mean);
    EXPECT_NEAR(mean, 0.0, 0.01);
    EXPECT_NEAR(sd, 1.0 / std::sqrt(3.0), 0.01);
    EXPECT_GE(low, -1.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_LT(low, -0.999f);
    EXPECT_GT(high, 0.999f);
}

TEST(Noise1, KnownValuesAtCellPoints) {
    const float* t = NoiseTable();
    // x = 0.5: f = 16, t = 0.
    EXPECT_DOUBLE_EQ(Noise1(0.5), 0.25 * (t[15] + t[16]));
    // Whole x: the first cell is extrapolated from entries 0, 1 and 2.
    const double whole = 0.25 * (4.0 * t[0] - 3.0 * t[1] + t[2]);
    EXPECT_DOUBLE_EQ(Noise1(0.0), whole);
    EXPECT_DOUBLE_EQ(Noise1(3.0), whole);
    EXPECT_DOUBLE_EQ(Noise1(-2.0), whole);
    // Just below a whole x it tends to the end of the last cell.
    EXPECT_NEAR(Noise1(1.0 - 1e-9), 0.25 * (t[31] + t[32]), 1e-6);
    EXPECT_NEAR(Noise1(-1e-12), 0.25 * (t[31] + t[32]), 1e-6);
}

TEST(Noise1, RepeatsWithPeriodOne) {
    const double xs[] = {0.125, 0.3, 0.77, -0.6, -3.2, 5.5, 1000.25, 123456.78};
    for (double x : xs) {
        EXPECT_NEAR(Noise1(x), Noise1(x + 1.0), 1e-6) << x;
        EXPECT_NEAR(Noise1(x), Noise1(x - 3.0), 1e-6) << x;
    }
}

TEST(Noise1, IsContinuousInsideEachPeriod) {
    // Away from whole numbers (where it jumps on purpose) small steps give small changes.
    double worst = 0.0;
    for (double x = 0.04; x < 0.99; x += 0.0007) worst = std::fmax(worst, std::fabs(Noise1(x + 1e-7) - Noise1(x)));
    EXPECT_LT(worst, 1e-4);
}

TEST(Noise2, OriginIsTheBlendOfRows31And0) {
    const float* t = NoiseTable();
    const auto grid = [t](int row, int column) { return static_cast<double>(t[(row & 31) * 32 + (column & 31)]); };
    const double p31 = grid(31, 31) + grid(31, 0);
    const double p0 = grid(0, 31) + grid(0, 0);
    EXPECT_NEAR(Noise2(0.0, 0.0), 0.25 * (p31 + p0), 1e-6);
}

TEST(Noise2, RepeatsWithPeriodOneAndStaysInRange) {
    for (double x = -1.3; x < 1.4; x += 0.0371) {
        for (double y = -0.9; y < 1.2; y += 0.0533) {
            const double n = Noise2(x, y);
            ASSERT_LE(std::fabs(n), 1.0);
            ASSERT_NEAR(n, Noise2(x + 2.0, y - 1.0), 1e-5) << x << "," << y;
        }
    }
}

TEST(Noise2, IsContinuousAlsoAcrossWholeNumbers) {
    const double h = 1e-7;
    double worst = 0.0;
    for (double x = -0.5; x < 1.5; x += 0.0173) {
        for (double y = -0.5; y < 1.5; y += 0.0291) {
            worst = std::fmax(worst, std::fabs(Noise2(x + h, y) - Noise2(x, y)));
            worst = std::fmax(worst, std::fabs(Noise2(x, y + h) - Noise2(x, y)));
        }
    }
    // Straddling x = 1 and y = 1 exactly.
    for (double y = 0.0; y < 1.0; y += 0.061) {
        worst = std::fmax(worst, std::fabs(Noise2(1.0 - h, y) - Noise2(1.0 + h, y)));
        worst = std::fmax(worst, std::fabs(Noise2(y, 1.0 - h) - Noise2(y, 1.0 + h)));
    }
    EXPECT_LT(worst, 1e-4);
}

TEST(NoiseArguments, HugeAndNonFiniteCoordinatesReadAsZero) {
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {1e9 + 0.5, 3e12, 1e300, inf, -inf, std::nan("")};
    for (double c : odd) {
        EXPECT_EQ(Noise1(c), Noise1(0.0)) << c;
        EXPECT_EQ(Noise2(c, 0.25), Noise2(0.0, 0.25)) << c;
        EXPECT_EQ(Noise2(0.25, c), Noise2(0.25, 0.0)) << c;
    }
}

TEST(NoiseArguments, VeryNegativeCoordinatesStayFinite) {
    const double xs[] = {-1e-300, -1e-20, -1e9, -1e15 - 0.5, -1e300};
    for (double x : xs) {
        EXPECT_TRUE(std::isfinite(Noise1(x))) << x;
        EXPECT_LE(std::fabs(Noise2(x, x)), 1.0) << x;
    }
}

}  // namespace
