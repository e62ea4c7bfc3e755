// The stroke body of a segment: texture coordinates along the stroke, the
// brush's own light and the span handed to the stamper.
#include <gtest/gtest.h>

#include <cmath>

#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "stroke/stroke_body.h"
#include "stroke_test_support.h"

namespace {

TBrushRecord BodyBrush() {
    TBrushRecord b;
    b.tubes = false;
    b.timeClip = false;
    b.gapSize = 0.0;
    b.globalScale = 0.5;
    b.brushWidth = 0.2;  // w = 0.1
    b.texUniformity = 0.0;
    b.time = 0.0;
    return b;
}

TEST(BodyTexture, StartAndStepAlongTheStroke) {
    struct Case {
        const char* what;
        double uniformity;
        int32_t i;
        double length, carry;
        double start, end;
    };
    // w = 0.1 throughout.
    const Case cases[] = {
        {"uniform, first segment starts half a width in", 1.0, 0, 0.2, 0.0, 0.5, 0.5 + 2.0},
        {"uniform, later segment starts at the carry", 1.0, 3, 0.2, 7.0, 7.0, 9.0},
        {"no uniformity: fixed step over the width", 0.0, 1, 0.2, 1.0, 1.0, 1.03},
        {"no uniformity, first segment", 0.0, 0, 0.2, 0.0, 0.0075, 0.0375},
        {"half uniformity", 0.5, 2, 0.1, 0.0, 0.0, (0.05 + 0.0015) / 0.1},
        {"a first segment of no length starts at 0", 1.0, 0, 0.0, 5.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        TBrushRecord b = BodyBrush();
        b.texUniformity = c.uniformity;
        const TBodyTexture t = BodyTextureSpan(b, c.i, c.length, c.carry);
        EXPECT_NEAR(t.start, c.start, 1e-12) << c.what;
        EXPECT_NEAR(t.end, c.end, 1e-12) << c.what;
    }
}

TEST(BodyTexture, WithoutWidthTheStepIsNotDivided) {
    TBrushRecord b = BodyBrush();
    b.brushWidth = 0.0;
    const TBodyTexture t = BodyTextureSpan(b, 1, 0.5, 0.0);
    EXPECT_DOUBLE_EQ(t.end, 0.003);
}

TEST(BodyTexture, FlowOffsetMovesTheSpanBackWithTime) {
    TBrushRecord b = BodyBrush();
    b.time = 2.0;
    b.flowSpeed = 0.5;
    EXPECT_DOUBLE_EQ(FlowOffset(b), -1.0);
    b.time = 1e300;
    b.flowSpeed = 1e300;  // overflows: no offset rather than infinity
    EXPECT_EQ(FlowOffset(b), 0.0);
}

TEST(BodyLight, WhiteDirectionalFromMinusTheLightDirection) {
    TBrushRecord b;
    b.lightDirectionX = 0.0;
    b.lightDirectionY = -3.0;
    b.lightDirectionZ = 4.0;
    const LightRecord light = DefaultBrushLight(b);
    EXPECT_FLOAT_EQ(light.direction[0], 0.0f);
    EXPECT_FLOAT_EQ(light.direction[1], 0.6f);
    EXPECT_FLOAT_EQ(light.direction[2], -0.8f);
    EXPECT_EQ(light.colour[0], 1.0f);
    EXPECT_EQ(light.ambient, 0);
    EXPECT_EQ(light.diffuse, 1);
    EXPECT_EQ(light.specular, 1);
}

struct BodyFixture {
    BodyFixture() {
        canvas.width = canvas.height = 200;
        canvas.referenceWidth = canvas.referenceHeight = 200;
        canvas.spanStamper = RecordingStamper;
        segment.a = {0.1, 0.2, 0.0, 1.0};
        segment.b = {0.3, 0.2, 0.0, 1.0};
        segment.previousUp = {0, 0, 1};
        segment.currentUp = {0, 0.6, 0.8};
        segment.h0 = 0.25;
        segment.h1 = 0.5;
        segment.frame = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
        RecordedSpans().clear();
    }
    TBrushRecord brush = BodyBrush();
    TPaintCanvas canvas;
    TboundingBox stroke;
    TStrokeSegment segment;
};

TEST(StrokeBody, HandsTheWholeSegmentToTheStamperWithTheBrushValues) {
    BodyFixture f;
    f.brush.color1R = 0.1;
    f.brush.color1G = 0.2;
    f.brush.color1B = 0.3;
    f.brush.transparency1G = 0.4;
    f.brush.incandescence1B = 0.7;
    f.brush.flatness1 = 0.25;
    f.brush.twist = 0.5;
    f.brush.translucence = 0.125;
    f.brush.illuminated = true;
    f.brush.realLights = false;
    f.segment.index = 4;
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    ASSERT_EQ(RecordedSpans().size(), 1u);
    const TStampSpanArgs& a = RecordedSpans()[0].args;
    EXPECT_EQ(a.start.point.x, 0.1);
    EXPECT_EQ(a.end.point.x, 0.3);
    EXPECT_EQ(a.start.interpolate.x, 0.1);
    EXPECT_EQ(a.end.up.y, 0.6);
    EXPECT_EQ(a.start.groundOffset, 0.25);
    EXPECT_EQ(a.end.groundOffset, 0.5);
    for (const TStampSpanEnd* e : {&a.start, &a.end}) {
        EXPECT_DOUBLE_EQ(e->width, 0.1);
        EXPECT_EQ(e->colour[2], 0.3);
        EXPECT_EQ(e->transparency[1], 0.4);
        EXPECT_EQ(e->incandescence[2], 0.7);
        EXPECT_EQ(e->brightness, 1.0);
        EXPECT_EQ(e->twist, 0.5);
    }
    EXPECT_EQ(a.flatness, 0.25);
    EXPECT_EQ(a.translucence, 0.125);
    EXPECT_EQ(a.segmentIndex, 4);
    EXPECT_EQ(a.kind, TStampSpanKind::body);
    EXPECT_EQ(a.side.y, -1.0);
    EXPECT_EQ(a.run, &f.stroke.run);
    EXPECT_EQ(a.strokeState, &f.stroke);
    ASSERT_TRUE(a.lightGiven);
    ASSERT_EQ(a.lightCount, 1);
    EXPECT_FALSE(a.completing);
}

TEST(StrokeBody, LightOnlyForIlluminatedBrushesWithoutSceneLights) {
    struct Case {
        bool illuminated, realLights, given;
    };
    for (const Case& c : {Case{true, false, true}, Case{false, false, false}, Case{true, true, false}}) {
        BodyFixture f;
        f.brush.illuminated = c.illuminated;
        f.brush.realLights = c.realLights;
        PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
        ASSERT_EQ(RecordedSpans().size(), 1u);
        EXPECT_EQ(RecordedSpans()[0].args.lightGiven, c.given);
        EXPECT_EQ(RecordedSpans()[0].args.lightCount, c.given ? 1 : 0);
    }
}

TEST(StrokeBody, TextureCarriesFromSegmentToSegment) {
    BodyFixture f;
    f.brush.texUniformity = 1.0;
    f.brush.time = 1.0;
    f.brush.flowSpeed = 0.25;
    f.segment.index = 0;
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    f.segment.index = 1;
    f.segment.a = f.segment.b;
    f.segment.b = {0.3, 0.3, 0.0, 1.0};
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    const auto& spans = RecordedSpans();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_NEAR(spans[0].args.start.texture, 0.5 - 0.25, 1e-12);  // half a width in, less the flow
    EXPECT_NEAR(spans[0].args.end.texture, 0.5 + 2.0 - 0.25, 1e-12);
    EXPECT_DOUBLE_EQ(spans[1].args.start.texture, spans[0].args.end.texture);
    EXPECT_NEAR(spans[1].args.end.texture, 2.5 + 1.0 - 0.25, 1e-12);
    EXPECT_NEAR(f.stroke.textureCarry, 3.5, 1e-12);
}

TEST(StrokeBody, ANewRunRaisesTheCanvasNewRunFlag) {
    BodyFixture f;
    f.canvas.shading.newRun = false;
    f.stroke.run.runState = 1;
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    EXPECT_FALSE(f.canvas.shading.newRun);
    f.stroke.run.runState = 0;
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    EXPECT_TRUE(f.canvas.shading.newRun);
}

TEST(StrokeBody, CompletingRunForcesAStamp) {
    BodyFixture f;
    f.stroke.run.runState = 3;
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    ASSERT_EQ(RecordedSpans().size(), 1u);
    EXPECT_TRUE(RecordedSpans()[0].args.completing);
}

TEST(StrokeBody, GapsGoThroughTheClipper) {
    BodyFixture f;
    f.brush.texUniformity = 1.0;
    f.brush.gapSize = 0.5;
    f.brush.gapSpacing = 1.0;
    f.segment.index = 0;  // texture 0.5 .. 2.5: painted [1, 1.5] and [2, 2.5]
    PaintStrokeBody(f.brush, f.segment, f.canvas, f.stroke);
    EXPECT_EQ(RecordedSpans().size(), 2u);
}

}  // namespace
