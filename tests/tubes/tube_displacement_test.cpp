#include "tubes/tube_displacement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tube_test_support.h"
#include "tubes/turbulence_field.h"

namespace {

using namespace tubetest;

constexpr double kPi = 3.14159265358979323846;

TpaintParticleCacheData Tube(double width = 0.01) {
    TpaintParticleCacheData r = Record({0.4, 0.3, 0.2, 1.0}, 5, 10, width);
    r.clusterSeed = 1234;
    return r;
}

// The displacement vector of a record for a brush, a local direction u and t segments done.
TFLVector Offset(const TBrushRecord& brush, const TFLVector& u, double t, double globalScale = 1.0) {
    const Segment s;
    TpaintParticleCacheData r = Tube();
    DisplaceTubePoint(brush, r, u, t, s.B, s.side, s.D, s.N, globalScale, brush.segments);
    return r.drawnPoint - r.pathPoint;
}

TBrushRecord CurlBrush(double offset) {
    TBrushRecord b = QuietBrush(10);
    b.curl = 1.0;
    b.curlFrequency = 0.0;
    b.curlOffset = offset;
    return b;
}

TEST(Displacement, CurlWithoutFrequencyIsAConstantCircleOffset) {
    const Segment s;
    const TFLVector u{0.0, 1.0, 0.0};  // along D: the first axis is side, the second N
    for (double offset : {0.0, 0.125, 0.25, 0.6}) {
        for (double t : {0.0, 3.0, 9.0}) {
            const TFLVector v = Offset(CurlBrush(offset), u, t);
            const double amplitude = 0.01 * 1.0 * 10.0;
            EXPECT_NEAR(Dot(v, s.side), std::cos(2 * kPi * offset) * amplitude, 1e-12) << offset;
            EXPECT_NEAR(Dot(v, s.N), std::sin(2 * kPi * offset) * amplitude, 1e-12) << offset;
            EXPECT_NEAR(Dot(v, s.D), 0.0, 1e-12);
        }
    }
}

struct DelayCase {
    double t;
    double factor;
};

TEST(Displacement, DelayGrowsTheOffsetInOverTheFirstSegments) {
    TBrushRecord delayed = CurlBrush(0.0);
    delayed.displacementDelay = 0.5;  // 5 of 10 segments
    const TFLVector u{0.0, 1.0, 0.0};
    const double full = Length(Offset(CurlBrush(0.0), u, 1.0));
    ASSERT_GT(full, 0.0);
    const DelayCase cases[] = {{0.0, 0.0}, {1.0, 0.2}, {2.5, 0.5}, {5.0, 1.0}, {8.0, 1.0}};
    for (const DelayCase& c : cases) EXPECT_NEAR(Length(Offset(delayed, u, c.t)), full * c.factor, 1e-12) << c.t;
}

TEST(Displacement, WiggleIsASineAlongTheTube) {
    TBrushRecord b = QuietBrush(10);
    b.wiggle = 0.5;
    b.wiggleFrequency = 2.0;
    b.wiggleOffset = 0.1;
    const Segment s;
    const TFLVector u{0.0, 1.0, 0.0};
    for (double t : {0.0, 1.0, 2.5, 7.0}) {
        const TFLVector v = Offset(b, u, t);
        const double want = std::sin((t / 10.0 * 2.0 + 0.1) * 2 * kPi) * 0.01 * 0.5 * 10.0;
        EXPECT_NEAR(Dot(v, s.side), want, 1e-12) << t;
        EXPECT_NEAR(Dot(v, s.N), 0.0, 1e-12);
    }
}

TEST(Displacement, OffsetsAreAcrossTheTube) {
    TBrushRecord b = QuietBrush(10);
    b.curl = 0.7;
    b.curlFrequency = 3.0;
    b.wiggle = 0.3;
    b.noise = 0.4;
    b.noiseFrequency = 1.3;
    const Segment s;
    const TFLVector directions[] = {{1, 0, 0}, {0.6, 0.8, 0}, {0.48, 0.6, 0.64}, {0, -0.6, 0.8}, {-0.36, 0.48, -0.8}};
    for (const TFLVector& u : directions) {
        const TFLVector v = Offset(b, u, 4.0);
        EXPECT_GT(Length(v), 1e-6);
        const TFLVector along = s.side * u.x + s.D * u.y + s.N * u.z;
        EXPECT_NEAR(Dot(v, along), 0.0, 1e-12) << u.x << " " << u.y << " " << u.z;
    }
}

TEST(Displacement, ATubeAlongTheNormalStaysFinite) {
    TBrushRecord b = CurlBrush(0.2);
    b.wiggle = 1.0;
    const TFLVector v = Offset(b, {0.0, 0.0, 1.0}, 2.0);
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    EXPECT_LT(Length(v), 1e-3);  // the sideways axes nearly vanish there
}

TEST(Displacement, NothingToDisplaceLeavesThePathPoint) {
    const TFLVector v = Offset(QuietBrush(10), {0.0, 1.0, 0.0}, 3.0);
    EXPECT_EQ(Length(v), 0.0);
}

class DisplacementTurbulence : public ::testing::Test {
protected:
    void SetUp() override { ResetTurbulenceFieldForTests(); }
    void TearDown() override { ResetTurbulenceFieldForTests(); }
};

TEST_F(DisplacementTurbulence, TypeFourAddsTheFieldAtThePathPoint) {
    TBrushRecord b = QuietBrush(10);
    b.turbulence = 2.0;
    b.turbulenceType = 4;
    b.turbulenceFrequency = 0.8;
    b.turbulenceSpeed = 0.5;
    b.time = 1.5;
    b.turbulenceOffsetX = 0.25;
    const double gs = 0.5;
    const TpaintParticleCacheData r = Tube();
    const double f = 0.8 / gs;
    const TTurbulenceSample w = SampleTurbulence(static_cast<float>(r.pathPoint.x * f + 0.25),
                                                 static_cast<float>(r.pathPoint.y * f),
                                                 static_cast<float>(r.pathPoint.z * f), 0.75f, 0);
    const double k = gs * 0.1 * 2.0;
    const TFLVector v = Offset(b, {0.0, 1.0, 0.0}, 5.0, gs);
    EXPECT_NEAR(v.x, w.x * k, 1e-7);
    EXPECT_NEAR(v.y, w.y * k, 1e-7);
    EXPECT_NEAR(v.z, w.z * k, 1e-7);
    EXPECT_GT(Length(v), 0.0);
}

TEST_F(DisplacementTurbulence, TypeThreeDisplacesAcrossTheTubeFromTheReferencePoint) {
    TBrushRecord b = QuietBrush(10);
    b.turbulence = 2.0;
    b.turbulenceType = 3;
    b.turbulenceFrequency = 1.0;
    const Segment s;
    const TpaintParticleCacheData r = Tube();
    const TFLVector d = s.B - r.pathPoint;
    const TTurbulenceSample w =
        SampleTurbulence(static_cast<float>(Dot(d, s.side)), static_cast<float>(Dot(d, s.D)),
                         static_cast<float>(Dot(d, s.N)), 0.0f, 0);
    const TFLVector v = Offset(b, {0.0, 1.0, 0.0}, 5.0);
    EXPECT_NEAR(Dot(v, s.side), w.x * 0.2, 1e-7);
    EXPECT_NEAR(Dot(v, s.N), w.y * 0.2, 1e-7);
    EXPECT_NEAR(Dot(v, s.D), 0.0, 1e-12);
}

}  // namespace
