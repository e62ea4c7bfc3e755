#include "tubes/turbulence_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <algorithm>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The transform written out as its definition: sum over every index of
// data * exp(sign * 2 pi i * sum_d (j_d k_d / n_d)).
std::vector<std::complex<double>> DirectDft(const std::vector<std::complex<double>>& in,
                                            const std::vector<int32_t>& sizes, int sign) {
    const size_t total = in.size();
    std::vector<std::complex<double>> out(total);
    auto digits = [&](size_t index) {
        std::vector<int> d(sizes.size());
        for (int k = static_cast<int>(sizes.size()) - 1; k >= 0; --k) {
            d[k] = static_cast<int>(index % sizes[k]);
            index /= sizes[k];
        }
        return d;
    };
    for (size_t a = 0; a < total; ++a) {
        const auto ka = digits(a);
        std::complex<double> sum = 0.0;
        for (size_t b = 0; b < total; ++b) {
            const auto jb = digits(b);
            double phase = 0.0;
            for (size_t d = 0; d < sizes.size(); ++d) phase += static_cast<double>(ka[d]) * jb[d] / sizes[d];
            sum += in[b] * std::polar(1.0, sign * 2.0 * kPi * phase);
        }
        out[a] = sum;
    }
    return out;
}

struct FftCase {
    std::vector<int32_t> sizes;
    int sign;
};

class FftAgainstDirectDft : public ::testing::TestWithParam<FftCase> {};

TEST_P(FftAgainstDirectDft, MatchesTheDefinition) {
    const FftCase& c = GetParam();
    size_t total = 1;
    for (int32_t s : c.sizes) total *= static_cast<size_t>(s);
    std::vector<std::complex<double>> input(total);
    std::vector<float> data(2 * total);
    for (size_t i = 0; i < total; ++i) {
        // Arbitrary but fixed values, different in every cell.
        input[i] = {std::sin(1.7 * i + 0.3), std::cos(0.9 * i * i + 1.1)};
        data[2 * i] = static_cast<float>(input[i].real());
        data[2 * i + 1] = static_cast<float>(input[i].imag());
    }
    ASSERT_TRUE(FourierTransformInPlace(data.data(), c.sizes.data(), static_cast<int32_t>(c.sizes.size()), c.sign));
    const auto expected = DirectDft(input, c.sizes, c.sign);
    for (size_t i = 0; i < total; ++i) {
        // Single-precision butterflies: a few ulps of the sum's size.
        EXPECT_NEAR(data[2 * i], expected[i].real(), 2e-4 * std::sqrt(static_cast<double>(total))) << i;
        EXPECT_NEAR(data[2 * i + 1], expected[i].imag(), 2e-4 * std::sqrt(static_cast<double>(total))) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, FftAgainstDirectDft,
                         ::testing::Values(FftCase{{8}, -1}, FftCase{{8}, 1}, FftCase{{4, 2}, -1},
                                           FftCase{{2, 4, 8}, 1}, FftCase{{4, 4, 2, 2}, -1},
                                           FftCase{{2, 2, 4, 4}, 1}, FftCase{{1, 4, 1, 2}, -1}));

TEST(FourierTransform, RefusesSizesThatAreNotPowersOfTwo) {
    std::vector<float> data(2 * 12, 1.0f);
    const int32_t bad[2] = {4, 3};
    EXPECT_FALSE(FourierTransformInPlace(data.data(), bad, 2, -1));
    const int32_t zero[1] = {0};
    EXPECT_FALSE(FourierTransformInPlace(data.data(), zero, 1, -1));
    for (float v : data) EXPECT_EQ(v, 1.0f);
}

class TurbulenceFieldTest : public ::testing::Test {
protected:
    void SetUp() override { ResetTurbulenceFieldForTests(); }
    void TearDown() override { ResetTurbulenceFieldForTests(); }
    static TurbulenceField& Field() {
        ProcessTurbulenceField().EnsureBuilt();
        return ProcessTurbulenceField();
    }
    static float Coordinate(int cell) { return (cell - 8) / 8.0f; }
};

TEST_F(TurbulenceFieldTest, BuildsOnFirstSampleAndIsNotSilent) {
    EXPECT_FALSE(ProcessTurbulenceField().IsBuilt());
    SampleTurbulence(0.1f, 0.2f, 0.3f, 0.4f, 0);
    ASSERT_TRUE(ProcessTurbulenceField().IsBuilt());
    ASSERT_FALSE(ProcessTurbulenceField().IsEmpty());
    EXPECT_GT(ProcessTurbulenceField().Scale(), 0.0f);
    int nonZero = 0;
    for (int i = 0; i < kTurbulenceCells; ++i) nonZero += ProcessTurbulenceField().Cells()[i].magnitude != 0;
    EXPECT_GT(nonZero, kTurbulenceCells / 2);
}

TEST_F(TurbulenceFieldTest, IsTheSameFieldOnEveryBuild) {
    std::vector<TTurbulenceCell> first(Field().Cells(), Field().Cells() + kTurbulenceCells);
    const float scale = Field().Scale();
    ResetTurbulenceFieldForTests();
    const TurbulenceField& again = Field();
    EXPECT_EQ(again.Scale(), scale);
    EXPECT_EQ(0, std::memcmp(first.data(), again.Cells(), sizeof(TTurbulenceCell) * kTurbulenceCells));
}

TEST_F(TurbulenceFieldTest, CellsDecodeAsDirectionTimesMagnitudeTimesScale) {
    const TurbulenceField& f = Field();
    for (int i : {0, 1, 777, 4097, 65535}) {
        const TTurbulenceCell& c = f.Cells()[i];
        const TTurbulenceSample v = f.Cell(i >> 12, (i >> 8) & 15, (i >> 4) & 15, i & 15);
        EXPECT_FLOAT_EQ(v.x, c.x * c.magnitude * f.Scale() * 0.000030878493f);
        EXPECT_FLOAT_EQ(v.z, c.z * c.magnitude * f.Scale() * 0.000030878493f);
    }
    // The largest vector spans the full byte range: the scale is the field's largest magnitude.
    int largest = 0;
    for (int i = 0; i < kTurbulenceCells; ++i) largest = std::max<int>(largest, f.Cells()[i].magnitude);
    EXPECT_GE(largest, 180);  // 255 / sqrt(3) at the least, for a vector along a diagonal
}

TEST_F(TurbulenceFieldTest, ModeZeroAtALatticePointIsThatCell) {
    const TurbulenceField& f = Field();
    const int cells[][4] = {{0, 0, 0, 0}, {8, 8, 8, 8}, {3, 12, 5, 9}, {15, 1, 15, 2}};
    for (const auto& c : cells) {
        const TTurbulenceSample want = f.Cell(c[0], c[1], c[2], c[3]);
        const TTurbulenceSample got =
            SampleTurbulence(Coordinate(c[0]), Coordinate(c[1]), Coordinate(c[2]), Coordinate(c[3]), 0);
        EXPECT_NEAR(got.x, want.x, 1e-6);
        EXPECT_NEAR(got.y, want.y, 1e-6);
        EXPECT_NEAR(got.z, want.z, 1e-6);
    }
}

TEST_F(TurbulenceFieldTest, ModeZeroBlendsLinearlyBetweenCells) {
    const TurbulenceField& f = Field();
    // A quarter of the way from cell 5 to cell 6 along y.
    const TTurbulenceSample a = f.Cell(3, 5, 7, 9);
    const TTurbulenceSample b = f.Cell(3, 6, 7, 9);
    const TTurbulenceSample got = SampleTurbulence(Coordinate(3), (5.25f - 8) / 8, Coordinate(7), Coordinate(9), 0);
    EXPECT_NEAR(got.x, 0.75f * a.x + 0.25f * b.x, 1e-6);
    EXPECT_NEAR(got.y, 0.75f * a.y + 0.25f * b.y, 1e-6);
}

TEST_F(TurbulenceFieldTest, QuadraticAxesUseThePreviousAndCurrentCellAtAWholeCoordinate) {
    const TurbulenceField& f = Field();
    const int x = 4, y = 9, z = 14, t = 0;
    // Mode 1: linear in space (the cell itself), quadratic in time: a + b.
    TTurbulenceSample want1;
    for (int dt : {-1, 0}) {
        const TTurbulenceSample c = f.Cell(x, y, z, t + dt);
        want1.x += c.x, want1.y += c.y, want1.z += c.z;
    }
    const TTurbulenceSample got1 = SampleTurbulence(Coordinate(x), Coordinate(y), Coordinate(z), Coordinate(t), 1);
    EXPECT_NEAR(got1.x, want1.x, 1e-5);
    EXPECT_NEAR(got1.z, want1.z, 1e-5);
    // Mode 2: the same on all four axes, times 0.125.
    TTurbulenceSample want2;
    for (int m = 0; m < 16; ++m) {
        const TTurbulenceSample c = f.Cell(x - (m & 1), y - ((m >> 1) & 1), z - ((m >> 2) & 1), t - ((m >> 3) & 1));
        want2.x += 0.125f * c.x, want2.y += 0.125f * c.y, want2.z += 0.125f * c.z;
    }
    const TTurbulenceSample got2 = SampleTurbulence(Coordinate(x), Coordinate(y), Coordinate(z), Coordinate(t), 2);
    EXPECT_NEAR(got2.x, want2.x, 1e-5);
    EXPECT_NEAR(got2.y, want2.y, 1e-5);
}

struct PeriodCase {
    int axis;
    int mode;
};

class TurbulencePeriod : public TurbulenceFieldTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(TurbulencePeriod, RepeatsEveryTwoUnitsAlongEachAxis) {
    const PeriodCase& c = GetParam();
    const float base[4] = {0.137f, -0.61f, 0.42f, 0.77f};
    for (float shift : {2.0f, -2.0f, 4.0f}) {
        float moved[4] = {base[0], base[1], base[2], base[3]};
        moved[c.axis] += shift;
        const TTurbulenceSample a = SampleTurbulence(base[0], base[1], base[2], base[3], c.mode);
        const TTurbulenceSample b = SampleTurbulence(moved[0], moved[1], moved[2], moved[3], c.mode);
        // Float coordinates: the shifted fraction differs by a few ulps of the coordinate.
        const float tol = 2e-4f * (std::fabs(a.x) + std::fabs(a.y) + std::fabs(a.z) + 1e-3f);
        EXPECT_NEAR(a.x, b.x, tol) << shift;
        EXPECT_NEAR(a.y, b.y, tol) << shift;
        EXPECT_NEAR(a.z, b.z, tol) << shift;
    }
}

INSTANTIATE_TEST_SUITE_P(AxesAndModes, TurbulencePeriod,
                         ::testing::Values(PeriodCase{0, 0}, PeriodCase{1, 0}, PeriodCase{2, 0}, PeriodCase{3, 0},
                                           PeriodCase{3, 1}, PeriodCase{0, 2}, PeriodCase{3, 2}));

TEST_F(TurbulenceFieldTest, SamplesVaryAcrossSpace) {
    const TTurbulenceSample a = SampleTurbulence(0.1f, 0.1f, 0.1f, 0.0f, 0);
    const TTurbulenceSample b = SampleTurbulence(0.6f, -0.3f, 0.9f, 0.0f, 0);
    EXPECT_GT(std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z), 1e-6f);
}

TEST_F(TurbulenceFieldTest, NonFiniteCoordinatesGiveAFiniteSample) {
    const float inf = INFINITY;
    for (const TTurbulenceSample& v : {SampleTurbulence(NAN, 0, 0, 0, 2), SampleTurbulence(inf, -inf, 1e30f, 0, 1),
                                       SampleTurbulence(-1e-9f, 0, 0, 0, 0)}) {
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    }
}

// The spectrum is divergence-free: every stored wave vector k is
// perpendicular to its amplitude. Transforming the packed field forward
// recovers the amplitudes up to the bytes' rounding.
TEST_F(TurbulenceFieldTest, FieldIsDivergenceFreeInItsSpectrum) {
    const TurbulenceField& f = Field();
    std::vector<float> comp[3];
    for (auto& c : comp) c.assign(2 * kTurbulenceCells, 0.0f);
    for (int i = 0; i < kTurbulenceCells; ++i) {
        const TTurbulenceSample v = f.Cell(i >> 12, (i >> 8) & 15, (i >> 4) & 15, i & 15);
        comp[0][2 * i] = v.x, comp[1][2 * i] = v.y, comp[2][2 * i] = v.z;
    }
    const int32_t sizes[4] = {16, 16, 16, 16};
    for (auto& c : comp) ASSERT_TRUE(FourierTransformInPlace(c.data(), sizes, 4, 1));
    double along = 0.0, total = 0.0;
    for (int kx = 1; kx < 8; ++kx)
        for (int ky = 1; ky < 8; ++ky)
            for (int kz = 0; kz < 8; ++kz)
                for (int w = 0; w < 3; ++w) {
                    const int i = ((kx * 16 + ky) * 16 + kz) * 16 + w;
                    std::complex<double> dot = 0.0;
                    double amp2 = 0.0;
                    const int k[3] = {kx, ky, kz};
                    for (int c = 0; c < 3; ++c) {
                        const std::complex<double> a(comp[c][2 * i], comp[c][2 * i + 1]);
                        dot += static_cast<double>(k[c]) * a;
                        amp2 += std::norm(a);
                    }
                    along += std::norm(dot);
                    total += amp2 * (kx * kx + ky * ky + kz * kz);
                }
    ASSERT_GT(total, 0.0);
    // Byte rounding leaves noise of about 1/127 of a cell in each component.
    EXPECT_LT(along / total, 0.01);
}

TEST_F(TurbulenceFieldTest, FailedAllocationMakesTurbulenceSilentAndIsNotRetried) {
    ResetTurbulenceFieldForTests(true);
    for (int mode : {0, 1, 2}) {
        const TTurbulenceSample v = SampleTurbulence(0.3f, 0.2f, 0.1f, 0.5f, mode);
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, 0.0f);
    }
    EXPECT_TRUE(ProcessTurbulenceField().IsBuilt());
    EXPECT_TRUE(ProcessTurbulenceField().IsEmpty());
}

}  // namespace
