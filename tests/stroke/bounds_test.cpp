// Bounds and the stroke state's bounding box.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "stroke/stroke_state.h"

namespace {

class NothingBounds : public Tbounds {
public:
    int32_t Kind() const override { return kBoundsNothing; }
};

class EverythingBounds : public Tbounds {
public:
    int32_t Kind() const override { return kBoundsEverything; }
};

void SetBox(TboundingBox& b, double x0, double x1, double y0, double y1, double z0, double z1) {
    b.xMin = x0;
    b.xMax = x1;
    b.yMin = y0;
    b.yMax = y1;
    b.zMin = z0;
    b.zMax = z1;
}

TEST(BoundingBox, NewBoxIsEmpty) {
    TboundingBox box;
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(box.Kind(), kBoundsBox);
    EXPECT_FALSE(box.ContainsPoint(0, 0, 0));
    EXPECT_FALSE(box.ContainsPoint(TFLPoint{1e19, -1e19, 0, 1}));
    TboundingBox other;
    SetBox(other, -1, 1, -1, 1, -1, 1);
    EXPECT_FALSE(box.Intersects(other));
    EXPECT_FALSE(other.Intersects(box));
    EXPECT_EQ(box.Classify(other), 0);
}

TEST(BoundingBox, TransformingAnEmptyBoxLeavesItEmpty) {
    TboundingBox box;
    TFLTransform m;
    m.column[3] = {5, 5, 5};
    box.Transform(m);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(box.xMin, kBoxEmptyMin);
    EXPECT_EQ(box.zMax, kBoxEmptyMax);
}

TEST(BoundingBox, ContainsPointIncludesItsFaces) {
    TboundingBox box;
    SetBox(box, 0, 1, 0, 2, 0, 3);
    struct Case {
        double x, y, z;
        bool inside;
    };
    const Case cases[] = {{0, 0, 0, true}, {1, 2, 3, true}, {0.5, 1, 1.5, true},
                          {1.0001, 1, 1, false}, {0.5, -0.1, 1, false}, {0.5, 1, 3.5, false}};
    for (const Case& c : cases) EXPECT_EQ(box.ContainsPoint(c.x, c.y, c.z), c.inside) << c.x << c.y << c.z;
}

TEST(BoundingBox, IntersectsContainsAndClassifyByKind) {
    TboundingBox box;
    SetBox(box, 0, 10, 0, 10, 0, 10);
    TboundingBox inner, overlapping, apart, touching;
    SetBox(inner, 1, 2, 1, 2, 1, 2);
    SetBox(overlapping, 5, 15, 5, 15, 5, 15);
    SetBox(apart, 11, 12, 0, 10, 0, 10);
    SetBox(touching, 10, 12, 10, 12, 10, 12);
    NothingBounds nothing;
    EverythingBounds everything;

    struct Case {
        const char* what;
        const Tbounds* other;
        bool intersects, contains;
        int32_t classify;
    };
    const Case cases[] = {
        {"inner", &inner, true, true, 1},
        {"overlapping", &overlapping, true, false, 2},
        {"apart", &apart, false, false, 0},
        {"touching at a corner", &touching, true, false, 2},
        {"itself", &box, true, true, 1},
        {"kind 0", &nothing, false, false, 0},
        {"kind 1", &everything, true, false, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(box.Intersects(*c.other), c.intersects) << c.what;
        EXPECT_EQ(box.Contains(*c.other), c.contains) << c.what;
        EXPECT_EQ(box.Classify(*c.other), c.classify) << c.what;
    }
}

TEST(BoundingBox, TransformIsTheAxisAlignedBoxOfTheTransformedCorners) {
    TboundingBox box;
    SetBox(box, 1, 2, -1, 3, 0, 4);
    TFLTransform m;  // x' = -2x + 1, y' = z, z' = y + 0.5x
    m.column[0] = {-2, 0, 0.5};
    m.column[1] = {0, 0, 1};
    m.column[2] = {0, 1, 0};
    m.column[3] = {1, 0, 0};
    box.Transform(m);
    EXPECT_DOUBLE_EQ(box.xMin, -3.0);
    EXPECT_DOUBLE_EQ(box.xMax, -1.0);
    EXPECT_DOUBLE_EQ(box.yMin, 0.0);
    EXPECT_DOUBLE_EQ(box.yMax, 4.0);
    EXPECT_DOUBLE_EQ(box.zMin, -0.5);
    EXPECT_DOUBLE_EQ(box.zMax, 4.0);
}

TEST(BoundingBox, ExtendGrowsToCoverPointsAndIgnoresNonNumbers) {
    TboundingBox box;
    box.Extend({0.5, 0.25, -1, 1});
    EXPECT_TRUE(box.ContainsPoint(0.5, 0.25, -1));
    box.Extend({-0.5, 1, 2, 2});  // divided: (-0.25, 0.5, 1)
    EXPECT_DOUBLE_EQ(box.xMin, -0.25);
    EXPECT_DOUBLE_EQ(box.yMax, 0.5);
    EXPECT_DOUBLE_EQ(box.zMax, 1.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    box.Extend({nan, 100, 100, 1});
    box.Extend({std::numeric_limits<double>::infinity(), 0, 0, 1});
    EXPECT_DOUBLE_EQ(box.yMax, 0.5);
    EXPECT_DOUBLE_EQ(box.xMax, 0.5);
}

TEST(StrokeState, ResetReleasesBuffersEmptiesPointsAndStartsANewRun) {
    TboundingBox stroke;
    SFLPoint p;
    stroke.points.Append(p);
    stroke.points.Append(p);
    ASSERT_TRUE(stroke.EnsureFloatBuffer(32));
    stroke.run.runState = 1;
    stroke.textureCarry = 4.5;
    stroke.Reset();
    EXPECT_EQ(stroke.points.Count(), 0);
    EXPECT_EQ(stroke.floatBuffer, nullptr);
    EXPECT_EQ(stroke.floatBufferCount, 0);
    EXPECT_EQ(stroke.lights, nullptr);
    EXPECT_EQ(stroke.run.runState, 0);
    EXPECT_EQ(stroke.textureCarry, 0.0);
    EXPECT_EQ(stroke.particles.Count(), 0);
}

TEST(StrokeState, FloatBufferOnlyGrows) {
    TboundingBox stroke;
    ASSERT_TRUE(stroke.EnsureFloatBuffer(10));
    float* first = stroke.floatBuffer.get();
    ASSERT_TRUE(stroke.EnsureFloatBuffer(4));
    EXPECT_EQ(stroke.floatBuffer.get(), first);
    ASSERT_TRUE(stroke.EnsureFloatBuffer(100));
    EXPECT_EQ(stroke.floatBufferCount, 100);
    EXPECT_FALSE(stroke.EnsureFloatBuffer(-1));
}

}  // namespace
