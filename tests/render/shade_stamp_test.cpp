// Lighting sums, passes and sub-stamps of the stamp shader, seen in the
// pixels they leave.
#include <gtest/gtest.h>

#include <cmath>

#include "render/bounds.h"
#include "render/stamp_shading.h"
#include "render/stamp_span.h"
#include "stamp_fixture.h"

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

namespace {

TStamp Grey(const TBrushRecord& brush, TPaintCanvas& canvas, double x, double y, double width, double grey) {
    TStamp s;
    s.brush = &brush;
    s.canvas = &canvas;
    s.x = x;
    s.y = y;
    s.width = width;
    s.softness = brush.softness;
    s.translucence = 1.0;
    s.colour[0] = s.colour[1] = s.colour[2] = grey;
    s.normal = kAxisZ;
    return s;
}

LightRecord Light(float z, bool ambient = false) {
    LightRecord l;
    l.direction[0] = l.direction[1] = 0.0f;
    l.direction[2] = z;
    l.ambient = ambient;
    return l;
}

}  // namespace

TEST(ShadeStamp, SpecularHighlightIsHeldToAFullHighlight) {
    // Light straight from the eye onto a face-on stamp: |d.e - n.e| = 2 would
    // give a factor of 1.5; it is held at 1, so the highlight is specular^... = 0.3.
    TTestCanvas t(21, 21, false);
    TBrushRecord brush = PlainBrush();
    brush.illuminated = true;
    brush.specular = 0.3;
    brush.specularPower = 2.0;
    brush.specularColorR = brush.specularColorG = brush.specularColorB = 1.0;
    const LightRecord light = Light(-1.0f);
    ShadeStamp(Grey(brush, t.canvas, 10.5, 10.5, 10.0, 0.5), &light, 1);
    EXPECT_NEAR(t.Get(0, 10, 10, 0), 0.3 * 255, 1.0);
}

TEST(ShadeStamp, BackShadowDarkensStampsLitFromBehind) {
    struct TCase {
        const char* name;
        float z;
        double backShadow;
        double expect;
    } cases[] = {
        {"lit from the front, no back shadow", 1.0f, 0.0, 255 * 0.5 * 1.5},  // diffuse 1 + ambient 0.5
        {"lit from the front with back shadow", 1.0f, 1.0, 255 * 0.5 * 1.5},
        {"lit from behind, ambient only", -1.0f, 0.0, 255 * 0.5 * 0.5},
        {"lit from behind with back shadow", -1.0f, 1.0, 0.0},
    };
    for (const TCase& c : cases) {
        TTestCanvas t(21, 21, false);
        TBrushRecord brush = PlainBrush();
        brush.illuminated = true;
        brush.backShadow = c.backShadow;
        const LightRecord light = Light(c.z, true);
        ShadeStamp(Grey(brush, t.canvas, 10.5, 10.5, 10.0, 0.5), &light, 1);
        EXPECT_NEAR(t.Get(0, 10, 10, 0), std::min(255.0, c.expect), 1.0) << c.name;
    }
}

TEST(ShadeStamp, RoundCrossSectionIsBrightestWhereItFacesTheLight) {
    TTestCanvas t(41, 41, false);
    TBrushRecord brush = PlainBrush();
    brush.illuminated = true;
    brush.edgeAntialias = false;
    // Light from the eye: the tube's centre line faces it, its sides turn away.
    const LightRecord light = Light(1.0f);
    TStamp s = Grey(brush, t.canvas, 20.5, 20.5, 30.0, 1.0);
    s.translucence = 0.8;
    s.travel[0] = 0.0;
    s.travel[1] = 1.0;  // travelling up: across is along x
    ShadeStamp(s, &light, 1);
    const double centre = t.Get(0, 20, 20, 0);
    const double side = t.Get(0, 32, 20, 0);
    const double along = t.Get(0, 20, 32, 0);
    EXPECT_GT(centre, side + 20.0);
    EXPECT_NEAR(along, centre, 1.0) << "along the travel the shading does not change";
}

TEST(ShadeStamp, GlowPassAddsLightBeyondTheStamp) {
    for (double glow : {0.0, 1.0}) {
        TTestCanvas t(41, 41, false);
        TBrushRecord brush = PlainBrush();
        brush.glow = glow;
        brush.glowSpread = 2.0;
        brush.glowColorR = brush.glowColorG = brush.glowColorB = 1.0;
        TStamp s = Grey(brush, t.canvas, 20.5, 20.5, 10.0, 0.5);
        ShadeStamp(s, nullptr, 0);
        const double outside = t.Get(0, 26, 20, 0);  // 6 px out: beyond the 5 px radius
        if (glow == 0.0) {
            EXPECT_EQ(outside, 0.0);
        } else {
            // 127.5 (1 - t)^8 with t = (6 - 5) / 5 on the doubled, half-soft disc.
            EXPECT_NEAR(outside, 127.5 * std::pow(0.8, 8), 1.0);
        }
    }
}

TEST(ShadeStamp, StampsOffTheCanvasAreDropped) {
    TTestCanvas t(20, 20, false);
    TBrushRecord brush = PlainBrush();
    t.canvas.ResetDirtyRect();
    ShadeStamp(Grey(brush, t.canvas, -30.0, 10.0, 8.0, 1.0), nullptr, 0);
    EXPECT_EQ(t.canvas.dirtyMaxX, -kDirtyNone) << "nothing was even considered";
}

TEST(ShadeStamp, SubStampsFillTheMoveSinceTheLastStamp) {
    for (bool subStamping : {false, true}) {
        TTestCanvas t(60, 20, false);
        TBrushRecord brush = PlainBrush();
        StampRun run;
        run.lastSubStampX = 10.5;
        run.lastSubStampY = 10.5;
        TStamp s = Grey(brush, t.canvas, 40.5, 10.5, 4.0, 1.0);
        s.run = &run;
        s.subStamping = subStamping;
        ShadeStamp(s, nullptr, 0);
        EXPECT_EQ(t.Get(0, 40, 10, 0), 255.0);
        EXPECT_EQ(t.Get(0, 25, 10, 0), subStamping ? 255.0 : 0.0) << "sub-stamping " << subStamping;
        if (subStamping) {
            EXPECT_EQ(run.lastSubStampX, 40.5);
        }
    }
}

namespace {

// A scene whose one light's red grows as x squared.
class TSquareLight : public TSceneLightProvider {
public:
    int32_t LightsAt(const TFLPoint& at, LightRecord* out, int32_t capacity) const override {
        if (capacity < 1) return 0;
        out[0] = LightRecord{};
        out[0].colour[0] = static_cast<float>(at.x * at.x);
        return 1;
    }
};

}  // namespace

TEST(SampleLights, WideBrushesAverageTheSceneAroundTheMidpoint) {
    TSquareLight scene;
    LightRecord out[kMaxStampLights];
    const TFLPoint m{0.5, 0.2, 0.0, 1.0};
    struct TCase {
        double meanPixels;
        double expect;
    } cases[] = {
        {10.0, 0.25},                               // narrow: the light at M as it is
        {30.0, 0.25 + 0.26666666666666666 * 0.01},  // b = 1: x^2 + (0.8 / 6) 2 h^2
        {20.0, 0.25 + 0.5 * 0.26666666666666666 * 0.01},
    };
    for (const TCase& c : cases) {
        ASSERT_EQ(SampleLights(scene, m, c.meanPixels, 0.1, out, kMaxStampLights), 1);
        EXPECT_NEAR(out[0].colour[0], c.expect, 1e-6) << "mean width " << c.meanPixels;
    }
}
