// The procedural textures through SampleTexture: the checker, the two
// ramps and the fractal, their filtering toward the mean, the smear, the
// mix of the two texture colours, and hostile coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "base/random.h"
#include "presets/brush_record.h"
#include "render/texture_hook.h"
#include "render/texture_sampler.h"

namespace {

constexpr int kChecker = 0;
constexpr int kRampU = 1;
constexpr int kRampV = 2;
constexpr int kFractal = 3;

// A brush whose texture colour is white at p = 1 and black at p = 0 and
// whose alpha is p too, so every channel of a sample reads the pattern.
TBrushRecord PatternBrush() {
    TBrushRecord b;
    b.texColor1R = b.texColor1G = b.texColor1B = 1.0;
    b.texColor2R = b.texColor2G = b.texColor2B = 0.0;
    b.texAlpha1 = 1.0;
    b.texAlpha2 = 0.0;
    b.smear = b.smearU = b.smearV = 0.0;
    b.fractalAmplitude = 0.5;
    b.fractalRatio = 0.5;
    b.fractalThreshold = 0.0;
    return b;
}

double P(const TBrushRecord& b, int kind, double u, double v, double du, double dv) {
    return SampleTexture(b, u, v, du, dv, kind, true, 0).red;
}

struct TStats {
    double mean = 0.0;
    double deviation = 0.0;  // mean |p - 0.5|
    double sd = 0.0;
};

// Statistics of the pattern over an n x n grid covering [0, 1)^2 (offset
// off the cell edges so no sample sits exactly on one).
TStats Over(const TBrushRecord& b, int kind, double du, double dv, int n = 200) {
    TStats s;
    double sum2 = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double p = P(b, kind, (i + 0.37) / n, (j + 0.61) / n, du, dv);
            s.mean += p;
            sum2 += p * p;
            s.deviation += std::fabs(p - 0.5);
        }
    const double count = static_cast<double>(n) * n;
    s.mean /= count;
    s.deviation /= count;
    s.sd = std::sqrt(std::max(0.0, sum2 / count - s.mean * s.mean));
    return s;
}

TEST(TextureChecker, UnfilteredCellsAlternateAlsoAcrossZero) {
    const TBrushRecord b = PatternBrush();
    struct Case {
        double u, v, expected;
    };
    const Case cases[] = {
        {0.25, 0.25, 0.0}, {0.75, 0.25, 1.0}, {0.25, 0.75, 1.0}, {0.75, 0.75, 0.0},
        {3.25, 7.75, 1.0}, {1000.75, 0.25, 1.0},
        // Negative coordinates keep the same period: -0.25 lies in the
        // upper half of its unit, like 0.75.
        {-0.25, 0.25, 1.0}, {-0.75, 0.25, 0.0}, {-0.25, -0.25, 0.0}, {-1.25, 0.75, 0.0},
    };
    for (const Case& c : cases) EXPECT_EQ(P(b, kChecker, c.u, c.v, 0.0, 0.0), c.expected) << c.u << ", " << c.v;
}

TEST(TextureChecker, UnitFilterWidthGivesTheMeanEverywhere) {
    const TBrushRecord b = PatternBrush();
    struct Case {
        double du, dv;
    };
    const Case widths[] = {{1.0, 1.0}, {1.0, 0.0}, {0.0, 1.0}, {3.0, 0.2}, {1e6, 1e6}};
    for (const Case& w : widths)
        for (int i = 0; i < 50; ++i) {
            const double u = i * 0.0731 - 1.3;
            const double v = i * 0.1173 + 0.05;
            EXPECT_EQ(P(b, kChecker, u, v, w.du, w.dv), 0.5) << u << ", " << v << " du " << w.du << " dv " << w.dv;
        }
}

TEST(TextureChecker, ContrastFadesSteadilyWithTheFilterWidth) {
    const TBrushRecord b = PatternBrush();
    double previous = 0.5 + 1e-12;
    for (double w : {0.0, 0.02, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 0.9, 0.99}) {
        const TStats s = Over(b, kChecker, w, w);
        EXPECT_LE(s.deviation, previous) << "du = dv = " << w;
        EXPECT_NEAR(s.mean, 0.5, 0.01) << "du = dv = " << w;
        previous = s.deviation;
    }
    EXPECT_NEAR(Over(b, kChecker, 0.0, 0.0).deviation, 0.5, 1e-12);
    EXPECT_GT(Over(b, kChecker, 0.1, 0.1).deviation, 0.3);
    EXPECT_LT(Over(b, kChecker, 0.9, 0.9).deviation, 0.05);
}

TEST(TextureChecker, FilteredCheckerHasNoJumps) {
    const TBrushRecord b = PatternBrush();
    // With a filter width the pattern is continuous: neighbouring samples
    // along a line crossing many cell edges differ by little.
    const double w = 0.05;
    const double step = 1e-4;
    double last = P(b, kChecker, -1.0, 0.3, w, w);
    for (int k = 1; k <= 30000; ++k) {
        const double u = -1.0 + k * step;
        const double p = P(b, kChecker, u, 0.3 + 0.37 * k * step, w, w);
        ASSERT_LT(std::fabs(p - last), 0.02) << "at u = " << u;
        last = p;
    }
}

TEST(TextureRamp, RisesOverEachUnitAlongItsOwnAxis) {
    const TBrushRecord b = PatternBrush();
    struct Case {
        double c, w, expected;
    };
    const Case cases[] = {
        {0.25, 0.0, 0.25}, {0.25, 0.6, 0.5}, {0.25, 0.5, 0.5}, {0.8, 0.1, 0.8},
        {2.25, 0.0, 0.25}, {-0.75, 0.0, 0.25}, {-3.5, 0.0, 0.5},
        // The wrap is blended: exactly on it the ramp is halfway.
        {0.0, 0.1, 0.5}, {1.0, 0.1, 0.5}, {-2.0, 0.2, 0.5},
    };
    for (const Case& c : cases) {
        // Kind 1 reads u and du only; kind 2 reads v and dv only.
        EXPECT_NEAR(P(b, kRampU, c.c, 0.37, c.w, 0.9), c.expected, 1e-12) << "u " << c.c << " du " << c.w;
        EXPECT_NEAR(P(b, kRampU, c.c, -5.1, c.w, 0.0), c.expected, 1e-12) << "u " << c.c << " du " << c.w;
        EXPECT_NEAR(P(b, kRampV, 0.37, c.c, 0.9, c.w), c.expected, 1e-12) << "v " << c.c << " dv " << c.w;
        EXPECT_NEAR(P(b, kRampV, 12.0, c.c, 0.0, c.w), c.expected, 1e-12) << "v " << c.c << " dv " << c.w;
    }
}

TEST(TextureRamp, WrapIsSharpUnfilteredAndSmoothWithAWidth) {
    const TBrushRecord b = PatternBrush();
    // Without a width the ramp drops from 1 to 0 at each whole number.
    EXPECT_GT(P(b, kRampU, 0.99999, 0.0, 0.0, 0.0), 0.9999);
    EXPECT_EQ(P(b, kRampU, 1.0, 0.0, 0.0, 0.0), 0.0);
    // With a width it is continuous over the whole period, wrap included:
    // no step between neighbouring samples is steeper than the blend's
    // slope (1 - 2w) / 2w or the ramp's own slope of 1.
    for (double w : {0.01, 0.1, 0.3, 0.49}) {
        const double step = 1e-4;
        const double steepest = std::max(1.0, (1.0 - 2.0 * w) / (2.0 * w));
        double last = P(b, kRampU, -0.5, 0.0, w, 0.0);
        for (int k = 1; k <= 20000; ++k) {
            const double u = -0.5 + k * step;
            const double p = P(b, kRampU, u, 0.0, w, 0.0);
            ASSERT_LE(std::fabs(p - last), step * steepest * 1.001) << "u = " << u << " du = " << w;
            last = p;
        }
    }
}

TEST(TextureRamp, FadesTowardTheMeanAsTheWidthGrows) {
    const TBrushRecord b = PatternBrush();
    double previous = 1.0;
    for (double w : {0.0, 0.05, 0.1, 0.2, 0.3, 0.4, 0.45, 0.49}) {
        const TStats s = Over(b, kRampU, w, 0.0);
        EXPECT_LT(s.deviation, previous) << "du " << w;
        EXPECT_NEAR(s.mean, 0.5, 0.01) << "du " << w;
        previous = s.deviation;
    }
    EXPECT_EQ(Over(b, kRampV, 0.0, 0.5).deviation, 0.0);
}

TEST(TextureFractal, MeanOverManySamplesIsHalfwayPlusTheThreshold) {
    TBrushRecord b = PatternBrush();
    b.fractalAmplitude = 0.4;  // small enough that nothing is clamped
    for (double threshold : {0.0, 0.2, -0.15}) {
        b.fractalThreshold = threshold;
        for (double w : {1e-9, 1e-3, 0.05, 0.5}) {
            const TStats s = Over(b, kFractal, w, w * 0.5, 256);
            EXPECT_NEAR(s.mean, 0.5 + threshold, 0.03) << "w " << w << " threshold " << threshold;
        }
    }
}

TEST(TextureFractal, VariationFadesWithTheWidthAndIsFlatBeyondOne) {
    TBrushRecord b = PatternBrush();
    b.fractalAmplitude = 1.0;
    const double sdFine = Over(b, kFractal, 1e-4, 1e-4).sd;
    EXPECT_GT(sdFine, 0.05) << "an unfiltered fractal varies";
    double previous = sdFine + 1e-12;
    for (double w : {0.25, 0.4, 0.6, 0.8, 0.95}) {
        const double sd = Over(b, kFractal, w, 0.0).sd;
        EXPECT_LT(sd, previous) << "w " << w;
        previous = sd;
    }
    EXPECT_LT(previous, 0.1 * sdFine);
    // The larger of du and dv decides.
    EXPECT_EQ(Over(b, kFractal, 0.0, 1.5).sd, 0.0);
    EXPECT_EQ(P(b, kFractal, 0.3, 0.7, 1.01, 0.0), 0.5);
}

TEST(TextureFractal, BeyondUnitWidthGivesTheMeanOfTheTwoColours) {
    TBrushRecord b = PatternBrush();
    b.texColor1R = 0.9;
    b.texColor1G = 0.2;
    b.texColor1B = 0.4;
    b.texColor2R = 0.1;
    b.texColor2G = 0.6;
    b.texColor2B = 1.0;
    b.texAlpha1 = 1.0;
    b.texAlpha2 = 0.5;
    b.fractalThreshold = 0.3;
    const TTextureSample t = SampleTexture(b, 0.42, 0.17, 2.0, 0.5, kFractal, true, 0);
    EXPECT_DOUBLE_EQ(t.red, 0.5);
    EXPECT_DOUBLE_EQ(t.green, 0.4);
    EXPECT_DOUBLE_EQ(t.blue, 0.7);
    EXPECT_DOUBLE_EQ(t.alpha, 0.75);
}

TEST(TextureFractal, ThresholdBeyondTheRangeClampsThePattern) {
    TBrushRecord b = PatternBrush();
    b.fractalAmplitude = 1.0;
    struct Case {
        double threshold, expected;
    };
    for (const Case c : {Case{5.0, 1.0}, Case{-5.0, 0.0}}) {
        b.fractalThreshold = c.threshold;
        const TStats s = Over(b, kFractal, 1e-3, 1e-3, 40);
        EXPECT_EQ(s.mean, c.expected) << c.threshold;
        EXPECT_EQ(s.sd, 0.0) << c.threshold;
    }
}

TEST(TextureSmear, ShiftsTheCoordinatesByOneNoiseValue) {
    TBrushRecord plain = PatternBrush();
    struct Case {
        int kind;
        double smear, smearU, smearV;
    };
    const Case cases[] = {
        {kRampU, 2.0, 0.3, 0.0},  {kRampV, 3.0, 0.0, 0.25}, {kChecker, 1.5, 0.2, -0.4},
        {kFractal, 0.7, 0.5, 0.5}, {kRampU, 0.0, 0.3, 0.0},
    };
    for (const Case& c : cases) {
        TBrushRecord smeared = plain;
        smeared.smear = c.smear;
        smeared.smearU = c.smearU;
        smeared.smearV = c.smearV;
        bool differs = false;
        for (int i = 0; i < 40; ++i) {
            const double u = 0.013 + i * 0.0517;
            const double v = 0.71 - i * 0.0311;
            const double n = Noise2(u * c.smear, v * c.smear);
            const double expected = P(plain, c.kind, u + n * c.smearU, v + n * c.smearV, 0.001, 0.001);
            const double got = P(smeared, c.kind, u, v, 0.001, 0.001);
            EXPECT_DOUBLE_EQ(got, expected) << "kind " << c.kind << " at " << u << ", " << v;
            differs = differs || std::fabs(got - P(plain, c.kind, u, v, 0.001, 0.001)) > 1e-6;
        }
        EXPECT_TRUE(differs) << "kind " << c.kind << ": the smear moved nothing";
    }
}

TEST(TextureSmear, NothingMovesWithoutASmearDirection) {
    TBrushRecord b = PatternBrush();
    b.smear = 4.0;  // a frequency alone smears nothing
    const TBrushRecord plain = PatternBrush();
    for (int i = 0; i < 30; ++i) {
        const double u = i * 0.0377;
        EXPECT_EQ(P(b, kRampU, u, 0.5, 0.0, 0.0), P(plain, kRampU, u, 0.5, 0.0, 0.0)) << u;
    }
}

TEST(TextureColours, PatternMixesTheTwoTextureColoursAndAlphas) {
    TBrushRecord b = PatternBrush();
    b.texColor1R = 1.0;
    b.texColor1G = 0.5;
    b.texColor1B = 0.0;
    b.texColor2R = 0.0;
    b.texColor2G = 0.25;
    b.texColor2B = 1.0;
    b.texAlpha1 = 0.8;
    b.texAlpha2 = 0.2;
    struct Case {
        double u, du;  // a ramp along u: p = u, or the mean from du 0.5
        double r, g, bl, a;
    };
    const Case cases[] = {
        {0.25, 0.0, 0.25, 0.3125, 0.75, 0.35},
        {0.75, 0.0, 0.75, 0.4375, 0.25, 0.65},
        {0.3, 0.5, 0.5, 0.375, 0.5, 0.5},
    };
    for (const Case& c : cases) {
        const TTextureSample t = SampleTexture(b, c.u, 0.0, c.du, 0.0, kRampU, true, 0);
        EXPECT_NEAR(t.red, c.r, 1e-12) << c.u;
        EXPECT_NEAR(t.green, c.g, 1e-12) << c.u;
        EXPECT_NEAR(t.blue, c.bl, 1e-12) << c.u;
        EXPECT_NEAR(t.alpha, c.a, 1e-12) << c.u;
    }
}

TEST(TextureKinds, UnknownProceduralKindsPaintAsNoTexture) {
    TBrushRecord b = PatternBrush();
    b.texColor1R = b.texColor2R = 0.2;
    for (int kind : {-1, 4, 5, 1000}) {
        const TTextureSample t = SampleTexture(b, 0.3, 0.3, 0.0, 0.0, kind, true, 0);
        EXPECT_EQ(t.red, 1.0) << kind;
        EXPECT_EQ(t.green, 1.0) << kind;
        EXPECT_EQ(t.blue, 1.0) << kind;
        EXPECT_EQ(t.alpha, 1.0) << kind;
    }
}

TEST(TextureKinds, HostileCoordinatesAndWidthsGiveFiniteMixes) {
    TBrushRecord b = PatternBrush();
    b.smear = 3.0;
    b.smearU = 0.5;
    b.smearV = 0.5;
    b.fractalAmplitude = 1.0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0.0, 0.3, -0.3, 1e300, -1e300, 1e16, -1e16, 1e9, 4e9, nan, inf, -inf,
                             std::numeric_limits<double>::denorm_min(), -0.0};
    for (int kind : {kChecker, kRampU, kRampV, kFractal})
        for (double u : values)
            for (double v : {0.4, nan, -1e300})
                for (double d : values) {
                    const TTextureSample t = SampleTexture(b, u, v, d, d * 0.5, kind, true, 0);
                    ASSERT_TRUE(t.red >= 0.0 && t.red <= 1.0)
                        << "kind " << kind << " u " << u << " v " << v << " d " << d << " -> " << t.red;
                    ASSERT_TRUE(t.alpha >= 0.0 && t.alpha <= 1.0) << "kind " << kind << " u " << u << " d " << d;
                }
    // A width that is not a number filters as widely as possible.
    for (int kind : {kChecker, kRampU, kFractal}) EXPECT_EQ(P(b, kind, 0.2, 0.2, nan, nan), 0.5) << kind;
}

TEST(TextureSampler, OneSamplerPerStampAnswersLikeTheHook) {
    TBrushRecord b = PatternBrush();
    b.smear = 1.3;
    b.smearU = 0.2;
    b.fractalAmplitude = 0.8;
    for (int kind : {kChecker, kRampU, kRampV, kFractal}) {
        TTextureSampler sampler(b, kind, true, 0);
        // Widths change from time to time, as between stamps.
        for (int i = 0; i < 300; ++i) {
            const double u = i * 0.0131 - 1.0;
            const double v = i * 0.0277;
            const double du = (i / 50) * 0.07 + 1e-4;
            const TTextureSample a = sampler.Sample(u, v, du, du * 0.7);
            const TTextureSample h = SampleTexture(b, u, v, du, du * 0.7, kind, true, 0);
            ASSERT_EQ(a.red, h.red) << "kind " << kind << " i " << i;
            ASSERT_EQ(a.alpha, h.alpha) << "kind " << kind << " i " << i;
        }
    }
}

}  // namespace
