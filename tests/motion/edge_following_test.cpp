#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "motion/brush_walker.h"
#include "motion/edge_following.h"
#include "motion/force_modes.h"
#include "motion_test_support.h"

namespace {

using motion_test::MakeWalker;
using motion_test::PaintedCanvas;
using motion_test::Position;
using motion_test::StartRun;

constexpr int kSize = 200;

double BrightRight(int x, int) { return x >= 100 ? 1.0 : 0.0; }
double BrightLeft(int x, int) { return x < 100 ? 1.0 : 0.0; }
double BrightBelow(int, int y) { return y >= 100 ? 1.0 : 0.0; }
double BrightAbove(int, int y) { return y < 100 ? 1.0 : 0.0; }

TEST(EdgeGradient, IsZeroWithoutACanvasOrLayer) {
    EXPECT_EQ(Length(EdgeGradient(nullptr, 100, 100)), 0.0);
    TPaintCanvas empty;
    EXPECT_EQ(Length(EdgeGradient(&empty, 100, 100)), 0.0);
}

TEST(EdgeGradient, IsZeroOnAnEvenCanvasAlsoAtItsBorders) {
    const double levels[] = {0.0, 0.5, 1.0};
    const double points[][2] = {{100, 100}, {3, 100},   {197, 100}, {100, 2},   {100, 198},
                                {1.5, 1.5}, {199, 199}, {12.7, 5.2}, {-40, 100}, {100, 1e12}};
    for (double level : levels) {
        PaintedCanvas painted(kSize, kSize, false, [level](int, int) { return level; });
        for (const auto& pt : points) {
            const TFLVector g = EdgeGradient(painted.canvas(), pt[0], pt[1]);
            EXPECT_NEAR(g.x, 0.0, 1e-12) << "level " << level << " at " << pt[0] << "," << pt[1];
            EXPECT_NEAR(g.y, 0.0, 1e-12) << "level " << level << " at " << pt[0] << "," << pt[1];
        }
    }
}

TEST(EdgeGradient, PointsTowardsTheBrighterSideInWindowDirections) {
    const struct {
        const char* name;
        double (*brightness)(int, int);
        TFLVector expected;
    } cases[] = {
        {"bright right", BrightRight, {8, 0, 0}},
        {"bright left", BrightLeft, {-8, 0, 0}},
        {"bright below (window y down)", BrightBelow, {0, 8, 0}},
        {"bright above", BrightAbove, {0, -8, 0}},
    };
    for (bool topDown : {false, true}) {
        for (const auto& c : cases) {
            PaintedCanvas painted(kSize, kSize, topDown, c.brightness);
            const TFLVector g = EdgeGradient(painted.canvas(), 100.5, 100.5);
            EXPECT_NEAR(g.x, c.expected.x, 1e-9) << c.name << (topDown ? " top-down" : " bottom-up");
            EXPECT_NEAR(g.y, c.expected.y, 1e-9) << c.name << (topDown ? " top-down" : " bottom-up");
        }
    }
}

TEST(EdgeGradient, GrowsWithTheSlopeUntilItsLimitOfEight) {
    double previous = 0.0;
    const double slopes[] = {0.0005, 0.001, 0.002, 0.004, 0.05};
    for (double slope : slopes) {
        PaintedCanvas painted(kSize, kSize, false, [slope](int x, int) { return 0.3 + slope * (x - 100); });
        const TFLVector g = EdgeGradient(painted.canvas(), 100, 100);
        EXPECT_GT(g.x, previous) << slope;
        EXPECT_LE(g.x, 8.0 + 1e-12);
        EXPECT_NEAR(g.y, 0.0, 1e-12);
        previous = g.x;
    }
    EXPECT_NEAR(previous, 8.0, 1e-9);  // the steep ramp is limited
}

TEST(EdgeGradient, ReadsSixteenBitLayersLikeEightBitOnes) {
    PaintedCanvas painted(kSize, kSize, false, [](int x, int y) { return 0.2 + 0.002 * x + 0.001 * y; });
    const TCanvasLayer& eight = painted.canvas()->layer[0];
    std::vector<uint8_t> wide(static_cast<size_t>(kSize) * kSize * 8);
    for (int row = 0; row < kSize; ++row) {
        for (int x = 0; x < kSize; ++x) {
            const uint8_t* p = eight.Row(row) + x * 4;
            uint16_t channels[4] = {static_cast<uint16_t>(p[0] * 257), static_cast<uint16_t>(p[1] * 257),
                                    static_cast<uint16_t>(p[2] * 257), 65535};
            std::memcpy(&wide[(static_cast<size_t>(row) * kSize + x) * 8], channels, 8);
        }
    }
    TPaintCanvas sixteen;
    TCanvasLayer& layer = sixteen.layer[0];
    layer.pixels = wide.data();
    layer.width = kSize;
    layer.height = kSize;
    layer.rowStride = kSize * 8;
    layer.bitsPerPixel = 64;
    layer.bytesPerPixel = 8;
    layer.external = true;
    for (double x : {50.0, 100.0, 150.0}) {
        const TFLVector a = EdgeGradient(painted.canvas(), x, 90);
        const TFLVector b = EdgeGradient(&sixteen, x, 90);
        EXPECT_NEAR(a.x, b.x, 1e-9);
        EXPECT_NEAR(a.y, b.y, 1e-9);
        EXPECT_GT(Length(a), 0.0);
    }
}

TEST(EdgeTerm, RunsAlongOrAcrossTheEdgeAndAgreesWithTheVelocity) {
    PaintedCanvas painted(kSize, kSize, false, BrightRight);
    const struct {
        const char* name;
        TFLVector velocity;
        bool cross;
        TFLVector expected;
    } cases[] = {
        {"along, heading up", {0.3, -0.95, 0}, false, {0, -0.8, 0}},
        {"along, heading down", {-0.3, 0.95, 0}, false, {0, 0.8, 0}},
        {"across, heading right", {0.3, -0.95, 0}, true, {8, 0, 0}},
        {"across, heading left", {-0.3, 0.95, 0}, true, {-8, 0, 0}},
    };
    for (const auto& c : cases) {
        TBrushWalker walker = MakeWalker(1, 0, 0, 10, kSize, kSize);
        walker.velocity = Normalized(c.velocity);
        // The look-ahead point 20 velocities ahead sits on the edge.
        const TFLVector p0 = TFLVector{100.5, 100.5, 0} - walker.velocity * 20.0;
        const TFLVector t = EdgeTerm(walker, p0, c.cross, painted.canvas());
        EXPECT_NEAR(t.x, c.expected.x, 1e-9) << c.name;
        EXPECT_NEAR(t.y, c.expected.y, 1e-9) << c.name;
        EXPECT_NEAR(t.z, 0.0, 1e-12) << c.name;
    }
}

TEST(EdgeTerm, DepthFollowsTheVelocitysShareOfDepth) {
    PaintedCanvas painted(kSize, kSize, false, BrightRight);
    TBrushWalker walker = MakeWalker(1, 0, 0, 10, kSize, kSize);
    walker.velocity = {0.0, -0.6, 0.8};
    const TFLVector p0 = TFLVector{100.5, 100.5 + 12.0, 0};  // look-ahead at y = 100.5
    const TFLVector t = EdgeTerm(walker, p0, false, painted.canvas());
    EXPECT_NEAR(t.y, -0.8, 1e-9);
    EXPECT_NEAR(t.z, 0.8 * 0.8, 1e-9);
    // A zero velocity keeps its zero depth.
    walker.velocity = {0, 0, 0};
    EXPECT_EQ(EdgeTerm(walker, {100.5, 100.5, 0}, false, painted.canvas()).z, 0.0);
}

// Follow Edges along a vertical edge drawn into a small canvas: the brush
// starts on the edge heading up and slanting right, so that the point it
// looks ahead to still sees the edge.
std::vector<Position> FollowEdgeWalk(int32_t mode, TPaintCanvas* canvas) {
    StartRun(17);
    TBrushWalker walker = MakeWalker(0.3, -0.95, 0.0, 2.0, kSize, 400);
    walker.stepCount = 2.0;
    Position p{100.0f, 350.0f, 0.0f};
    std::vector<Position> path;
    for (int n = 0; n < 60; ++n) {
        walker.Step(p.x, p.y, p.z, mode, canvas);
        path.push_back(p);
    }
    return path;
}

TEST(FollowEdges, TheBrushRunsAlongAnEdgeItFinds) {
    PaintedCanvas painted(kSize, 400, false, BrightRight);
    const std::vector<Position> along = FollowEdgeWalk(kForceFollowEdges, painted.canvas());
    const std::vector<Position> blind = FollowEdgeWalk(kForceFollowEdges, nullptr);
    double worstAlong = 0.0;
    for (const Position& p : along) worstAlong = std::fmax(worstAlong, std::fabs(p.x - 100.0));
    EXPECT_LT(worstAlong, 12.0);
    EXPECT_LT(along.back().y, 350.0 - 100.0);  // it kept going up the edge
    // Without the canvas the same start drifts away from the edge line.
    EXPECT_GT(std::fabs(blind.back().x - 100.0), 30.0);
}

TEST(CrossEdgesFlow, TheBrushTurnsToCrossAnEdge) {
    PaintedCanvas painted(kSize, 400, false, BrightRight);
    const auto heading = [&painted](TPaintCanvas* canvas) {
        StartRun(17);
        TBrushWalker walker = MakeWalker(0.3, -0.95, 0.0, 2.0, kSize, 400);
        walker.stepCount = 2.0;
        Position p{94.0f, 350.0f, 0.0f};
        for (int n = 0; n < 20; ++n) walker.Step(p.x, p.y, p.z, kForceCrossEdgesFlow, canvas);
        return walker.velocity;
    };
    const TFLVector crossing = heading(painted.canvas());
    const TFLVector blind = heading(nullptr);
    EXPECT_GT(crossing.x, 0.9);  // nearly straight across
    EXPECT_LT(blind.x, 0.35);
}

}  // namespace
