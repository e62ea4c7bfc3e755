// The disc rasteriser against a plain reference twin, and its edge cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "render/stamp_shading.h"
#include "stamp_fixture.h"

using stamptest::PlainBrush;
using stamptest::TTestCanvas;

namespace {

double S(double t) { return 2 * t * t * t - 3 * t * t + 1; }

// The coverage rule written out plainly.
double ReferenceCoverage(double d, double r, double s, double rim, bool glow) {
    if (d > r) return 0.0;
    const double q = 1.0 - s * 0.5;
    const double limit = std::max(0.0, r - rim);
    double c;
    if (q > 1.0) {
        const double edge = std::min(2.0 * (q - 1.0) * r, limit);
        const double middle = limit;
        if (d < edge) {
            c = 0.0;
        } else if (d <= middle) {
            c = middle > edge ? 1.0 - std::pow(S((d - edge) / (middle - edge)), 2) : 1.0;
        } else {
            c = std::pow(S((d - middle) / (r - middle)), 2);
        }
    } else {
        const double inner = q >= 0.5 ? std::max(0.0, std::min(2.0 * (q - 0.5) * r, limit)) : 0.0;
        const double factor = q >= 0.5 ? 1.0 : 2.0 * q;
        if (d < inner) {
            c = 1.0;
        } else {
            const double t = (d - inner) / (r - inner);
            c = glow ? std::pow(1.0 - t, 8) : std::pow(S(t), 2);
        }
        c *= factor;
    }
    return std::clamp(c, 0.0, 1.0);
}

// The whole stamp pass, one canvas pixel at a time, through the canvas-level
// pixel writers: no boxes, no row tables, no precomputed terms.
void ReferenceRaster(const TStamp& stamp, TStampPass pass, const TStampLighting& lighting) {
    const TBrushRecord& brush = *stamp.brush;
    TPaintCanvas& canvas = *stamp.canvas;
    double width = stamp.width;
    double softness = stamp.softness;
    const bool erase = brush.brushType == 3;
    const double half = stamp.depthExtent * 0.5;
    const double front = stamp.depth - half;
    auto settledDepth = [&](int32_t x, int32_t y) -> double {
        return canvas.depthLayer[0] ? canvas.depthLayer[0][y * canvas.width + x] : 1e30;
    };
    if (!(width > 0.0)) return;
    if (pass == TStampPass::glow) {
        if (erase) return;
        if (brush.depth) {
            const int32_t cx = static_cast<int32_t>(std::floor(stamp.x));
            const int32_t cy = static_cast<int32_t>(std::floor(stamp.y));
            if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) return;
            if (settledDepth(cx, cy) < front) return;
        }
        width *= brush.glowSpread;
        softness = std::clamp(1.0 - (1.0 - softness) / brush.glowSpread, 0.1, 1.0);
    }
    const double minimum = brush.edgeAntialias ? 2.5 : 0.5;
    const double rim = brush.edgeAntialias ? 1.5 : 0.0;
    double scale = 1.0;
    if (width < minimum) {
        scale = (width / minimum) * (width / minimum);
        if (width < brush.stampDensity * 0.5) scale *= brush.stampDensity * 0.5 / width;
        scale = std::min(scale, 1.0);
        width = minimum;
    }
    const double r = width / 2;
    for (int32_t y = 0; y < canvas.height; ++y) {
        for (int32_t x = 0; x < canvas.width; ++x) {
            const double dx = x + 0.5 - stamp.x;
            const double dy = y + 0.5 - stamp.y;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;
            if (brush.depth && settledDepth(x, y) < front) continue;
            const double coverage = ReferenceCoverage(d, r, softness, rim, pass == TStampPass::glow) * scale;
            if (!(coverage > 0.0)) continue;
            double colour[3];
            for (int c = 0; c < 3; ++c)
                colour[c] = std::max(0.0, (erase ? canvas.shading.background[c] : stamp.colour[c]) * 255.0);
            const double a = std::clamp((dx * -stamp.travel[1] + dy * stamp.travel[0]) / r, -1.0, 1.0);
            const double q = 1.0 - a * a;
            const bool lit = lighting.lit && pass != TStampPass::shadow && !erase;
            if (lit && stamp.translucence == 1.0) {
                for (int c = 0; c < 3; ++c)
                    colour[c] = (colour[c] * lighting.colour[c] + lighting.specular[c] * 255.0) * lighting.backShadow[c];
            } else if (lit) {
                const double W = lighting.weight;
                double diffuse[3] = {0, 0, 0};
                for (int k = 0; k < lighting.lightCount; ++k) {
                    if (!lighting.lightDiffuse[k]) continue;
                    const double t = (q * lighting.facing[k] + a * lighting.across[k]) * W + (1.0 - W);
                    if (t > 0.0)
                        for (int c = 0; c < 3; ++c) diffuse[c] += lighting.lightColour[k][c] * t;
                }
                const double mean = (diffuse[0] + diffuse[1] + diffuse[2]) / 3.0;
                for (int c = 0; c < 3; ++c) {
                    const double factor = W * (diffuse[c] * std::min(stamp.brightness, 1.0) + lighting.ambient[c]) +
                                          (1.0 - W) * lighting.colour[c];
                    colour[c] = (colour[c] * factor + lighting.specular[c] * 255.0 * mean) * lighting.backShadow[c];
                }
            }
            TPixelPaint paint;
            for (int c = 0; c < 3; ++c) {
                const double keep = std::clamp(1.0 - stamp.transparency[c], 0.0, 1.0);
                const double glow[3] = {brush.glowColorR, brush.glowColorG, brush.glowColorB};
                const double incandescence = erase ? 0.0 : stamp.incandescence[c] * 255.0;
                if (pass == TStampPass::shadow) {
                    paint.colour[c] = 0.0;
                    paint.light[c] = 0.0;
                    paint.opacity[c] = keep * std::clamp(1.0 - brush.shadowTransparency, 0.0, 1.0) * coverage;
                } else if (pass == TStampPass::glow) {
                    paint.colour[c] = colour[c];
                    paint.opacity[c] = 0.0;
                    paint.light[c] = (colour[c] * keep + incandescence) * glow[c] * brush.glow * coverage;
                } else {
                    paint.colour[c] = colour[c];
                    paint.opacity[c] = keep * coverage;
                    paint.light[c] = incandescence * coverage;
                }
            }
            TPixelWriteMode mode;
            mode.modifyColor = brush.modifyColor;
            mode.modifyAlpha = brush.modifyAlpha;
            mode.modifyDepth = brush.modifyDepth;
            mode.erase = erase;
            mode.shadowPass = pass == TStampPass::shadow;
            if (brush.depth)
                WritePixelDepth(canvas, mode, x, y, paint, stamp.depth - q * half, stamp.depth + q * half, half * 0.5);
            else
                WritePixel(canvas, mode, x, y, paint);
        }
    }
}

struct TRandomStamp {
    TBrushRecord brush = PlainBrush();
    TStamp stamp;
    TStampPass pass = TStampPass::normal;
    TStampLighting lighting;
};

TRandomStamp MakeRandomStamp(std::mt19937& rng, int32_t w, int32_t h, bool depth) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto range = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    TRandomStamp s;
    TBrushRecord& b = s.brush;
    b.depth = depth;
    b.edgeAntialias = unit(rng) < 0.5;
    b.stampDensity = range(0.0, 6.0);
    b.brushType = unit(rng) < 0.1 ? 3 : 0;
    b.modifyAlpha = unit(rng) < 0.8;
    b.modifyDepth = unit(rng) < 0.8;
    b.glow = range(0.0, 1.5);
    b.glowSpread = range(0.5, 3.0);
    b.glowColorR = range(0, 1);
    b.glowColorG = range(0, 1);
    b.glowColorB = range(0, 1);
    b.shadowTransparency = range(0.0, 1.0);
    const double pick = unit(rng);
    s.pass = pick < 0.6 ? TStampPass::normal : (pick < 0.8 ? TStampPass::glow : TStampPass::shadow);
    TStamp& st = s.stamp;
    st.x = range(-12.0, w + 12.0);
    st.y = range(-12.0, h + 12.0);
    st.width = unit(rng) < 0.2 ? range(0.05, 2.5) : range(2.5, 34.0);
    st.softness = range(-1.0, 1.8);
    st.depth = range(-0.2, 0.2);
    st.depthExtent = range(0.0, 0.3);
    for (int c = 0; c < 3; ++c) {
        st.colour[c] = range(-0.1, 1.1);
        st.transparency[c] = range(-0.1, 1.0);
        st.incandescence[c] = range(0.0, 0.3);
    }
    const double angle = range(0.0, 6.283185307179586);
    st.travel[0] = std::cos(angle);
    st.travel[1] = std::sin(angle);
    st.brightness = range(0.3, 1.2);
    st.translucence = unit(rng) < 0.3 ? 1.0 : range(0.0, 1.0);
    if (unit(rng) < 0.5) {
        TStampLighting& l = s.lighting;
        l.lit = true;
        for (int c = 0; c < 3; ++c) {
            l.colour[c] = range(0.0, 1.5);
            l.diffuse[c] = range(0.0, 1.0);
            l.ambient[c] = range(0.0, 0.5);
            l.specular[c] = range(0.0, 0.4);
            l.backShadow[c] = range(0.5, 1.0);
        }
        l.screenTerms = true;
        l.weight = st.translucence;
        l.lightCount = 1 + static_cast<int32_t>(unit(rng) * 3);
        for (int k = 0; k < l.lightCount; ++k) {
            l.across[k] = static_cast<float>(range(-1, 1));
            l.facing[k] = static_cast<float>(range(-1, 1));
            l.lightDiffuse[k] = unit(rng) < 0.8;
            for (int c = 0; c < 3; ++c) l.lightColour[k][c] = static_cast<float>(range(0, 1));
        }
    }
    return s;
}

std::vector<uint8_t> AllLayers(const TTestCanvas& t) {
    std::vector<uint8_t> out = t.Snapshot(0);
    for (int i = 1; i <= 3; ++i) {
        if (!t.canvas.layer[i].pixels) continue;
        const std::vector<uint8_t> l = t.Snapshot(i);
        out.insert(out.end(), l.begin(), l.end());
    }
    for (int i = 0; i < 2; ++i) {
        if (!t.canvas.depthLayer[i]) continue;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(t.canvas.depthLayer[i]);
        out.insert(out.end(), p, p + sizeof(float) * t.Width() * t.Height());
    }
    return out;
}

}  // namespace

TEST(ShadeRaster, MatchesThePlainTwinOnRandomStamps) {
    struct TConfig {
        int32_t w, h;
        bool depth;
        uint32_t seed;
        bool sixteenBit;
    } configs[] = {{37, 29, false, 1u, false}, {37, 29, true, 2u, false}, {61, 17, true, 3u, false},
                   {13, 41, false, 4u, false}, {29, 23, true, 5u, true}};
    for (const TConfig& config : configs) {
        TTestCanvas fast(config.w, config.h, config.depth, 4, config.sixteenBit);
        TTestCanvas plain(config.w, config.h, config.depth, 4, config.sixteenBit);
        for (TTestCanvas* t : {&fast, &plain}) {
            t->canvas.shading.background[0] = 0.2;
            t->canvas.shading.background[1] = 0.5;
            t->canvas.shading.background[2] = 0.7;
            t->Fill(0, 30, 60, 90, 255);
            if (config.depth) t->Fill(1, 30, 60, 90, 255);
        }
        std::mt19937 rng(config.seed);
        for (int i = 0; i < 400; ++i) {
            TRandomStamp s = MakeRandomStamp(rng, config.w, config.h, config.depth);
            s.stamp.brush = &s.brush;
            s.stamp.canvas = &fast.canvas;
            RasterStamp(s.stamp, s.pass, s.lighting);
            s.stamp.canvas = &plain.canvas;
            ReferenceRaster(s.stamp, s.pass, s.lighting);
            ASSERT_EQ(AllLayers(fast), AllLayers(plain))
                << "seed " << config.seed << " stamp " << i << " size " << config.w << "x" << config.h << " depth "
                << config.depth << " at (" << s.stamp.x << ", " << s.stamp.y << ") width " << s.stamp.width
                << " softness " << s.stamp.softness << " pass " << static_cast<int>(s.pass);
            ASSERT_EQ(fast.canvas.shading.ditherCounter, plain.canvas.shading.ditherCounter);
        }
        EXPECT_TRUE(fast.GuardIntact());
    }
}

namespace {

TStamp CentredStamp(const TBrushRecord& brush, TPaintCanvas& canvas, double x, double y, double width) {
    TStamp s;
    s.brush = &brush;
    s.canvas = &canvas;
    s.x = x;
    s.y = y;
    s.width = width;
    s.softness = brush.softness;
    s.colour[0] = s.colour[1] = s.colour[2] = 1.0;
    return s;
}

}  // namespace

TEST(ShadeRaster, AThinStampIsDrawnAtTheMinimumWidthFainter) {
    TTestCanvas t(21, 21, false);
    TBrushRecord brush = PlainBrush();
    brush.stampDensity = 0.5;  // below the width: no spacing compensation
    RasterStamp(CentredStamp(brush, t.canvas, 10.5, 10.5, 0.3), TStampPass::normal, TStampLighting{});
    // Drawn 0.5 wide: only the centre pixel, at opacity (0.3 / 0.5)^2 = 0.36.
    EXPECT_NEAR(t.Get(0, 10, 10, 0), 0.36 * 255, 1.0);
    EXPECT_EQ(t.Get(0, 11, 10, 0), 0.0);
    EXPECT_EQ(t.Get(0, 10, 11, 0), 0.0);
}

TEST(ShadeRaster, DirtyRectangleCoversEveryChangedPixel) {
    TTestCanvas t(40, 30, false);
    TBrushRecord brush = PlainBrush();
    brush.softness = 0.4;
    const double spots[][3] = {{20.2, 14.7, 9.0}, {-3.0, 5.0, 12.0}, {38.0, 29.5, 7.5}};
    for (const auto& spot : spots) {
        TTestCanvas fresh(40, 30, false);
        fresh.canvas.ResetDirtyRect();
        RasterStamp(CentredStamp(brush, fresh.canvas, spot[0], spot[1], spot[2]), TStampPass::normal, TStampLighting{});
        int changed = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                if (fresh.Get(0, x, y, 0) == 0.0) continue;
                ++changed;
                EXPECT_GE(x, fresh.canvas.dirtyMinX);
                EXPECT_LT(x, fresh.canvas.dirtyMaxX);
                EXPECT_GE(y, fresh.canvas.dirtyMinY);
                EXPECT_LT(y, fresh.canvas.dirtyMaxY);
            }
        EXPECT_GT(changed, 0);
        EXPECT_GE(fresh.canvas.dirtyMinX, 0);
        EXPECT_LE(fresh.canvas.dirtyMaxX, 40);
    }
}

TEST(ShadeRaster, WrappingCanvasCarriesTheDiscAcrossTheEdge) {
    TTestCanvas t(30, 20, false);
    t.canvas.wrapX = true;
    TBrushRecord brush = PlainBrush();
    RasterStamp(CentredStamp(brush, t.canvas, 1.0, 10.5, 8.0), TStampPass::normal, TStampLighting{});
    EXPECT_EQ(t.Get(0, 0, 10, 0), 255.0);
    EXPECT_EQ(t.Get(0, 29, 10, 0), 255.0) << "the left part of the disc lands on the right edge";
    EXPECT_EQ(t.Get(0, 15, 10, 0), 0.0);
    EXPECT_TRUE(t.GuardIntact());
    // A disc wider than the canvas covers each column of its rows once.
    TTestCanvas wide(9, 9, false);
    wide.canvas.wrapX = true;
    wide.canvas.wrapY = true;
    TBrushRecord faint = PlainBrush();
    TStamp s = CentredStamp(faint, wide.canvas, 4.5, 4.5, 1e6);
    s.transparency[0] = s.transparency[1] = s.transparency[2] = 0.5;
    RasterStamp(s, TStampPass::normal, TStampLighting{});
    EXPECT_NEAR(wide.Get(0, 4, 4, 0), 127.5, 1.0);
    EXPECT_NEAR(wide.Get(0, 0, 0, 0), 127.5, 1.0);
    EXPECT_TRUE(wide.GuardIntact());
}

TEST(ShadeRaster, HostileStampsNeitherCrashNorWriteOutside) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    const double values[] = {nan, inf, -inf, 1e300, -1e300, 1e-300, 0.0, -1.0};
    TTestCanvas t(23, 19, true);
    TBrushRecord brush = PlainBrush();
    for (double v : values) {
        for (int field = 0; field < 8; ++field) {
            brush.depth = field % 2 == 0;
            brush.stampDensity = field == 6 ? v : 1.0;
            brush.glowSpread = field == 7 ? v : 1.0;
            TStamp s = CentredStamp(brush, t.canvas, 11.0, 9.0, 6.0);
            switch (field) {
                case 0: s.x = v; break;
                case 1: s.y = v; break;
                case 2: s.width = v; break;
                case 3: s.softness = v; break;
                case 4: s.colour[0] = s.transparency[1] = s.incandescence[2] = v; break;
                case 5: s.depth = v; s.depthExtent = v; break;
                default: break;
            }
            for (TStampPass pass : {TStampPass::normal, TStampPass::glow, TStampPass::shadow}) {
                RasterStamp(s, pass, TStampLighting{});
                ShadeStamp(s, nullptr, 0);
            }
        }
    }
    EXPECT_TRUE(t.GuardIntact());
    for (int32_t y = 0; y < 19; ++y)
        for (int32_t x = 0; x < 23; ++x) {
            EXPECT_FALSE(std::isnan(t.Depth(0, x, y)));
            EXPECT_FALSE(std::isnan(t.Depth(1, x, y)));
        }
}

// A depth stamp wholly behind settled paint is skipped before its colour and
// light are worked out: it must leave every layer and the dither counter as
// they were and ask the input poll as often as a drawn stamp of its size (a
// key that arrives mid-stamp closes the saver at the same moment); one
// pixel of the disc in front is enough to draw it.
TEST(ShadeRaster, AStampBehindSettledPaintIsSkippedButCountsItsPolls) {
    TBrushRecord brush = PlainBrush();
    brush.depth = true;
    brush.illuminated = true;
    const auto paint = [&brush](float settledDepth, bool holeAtCentre, int32_t& polls, int32_t& dither,
                                std::vector<uint8_t> (&before)[4], std::vector<uint8_t> (&after)[4]) {
        TTestCanvas t(24, 20, true);
        float* settled = t.canvas.DepthLayer(0);
        for (int32_t k = 0; k < 24 * 20; ++k) settled[k] = settledDepth;
        if (holeAtCentre) settled[10 * 24 + 12] = 1e6f;
        t.canvas.poll.enabled = true;
        t.canvas.poll.interval = 1 << 30;  // counted, never asked
        t.canvas.shading.ditherCounter = 17;
        for (int k = 0; k < 4; ++k) before[k] = t.Snapshot(k);
        TStamp s = CentredStamp(brush, t.canvas, 12.5, 10.5, 9.0);
        s.depth = 5.0;
        s.depthExtent = 1.0;
        ShadeStamp(s, nullptr, 0);
        polls = t.canvas.poll.callsSincePoll;
        dither = t.canvas.shading.ditherCounter;
        for (int k = 0; k < 4; ++k) after[k] = t.Snapshot(k);
    };
    std::vector<uint8_t> before[4], after[4];
    int32_t hiddenPolls = 0, drawnPolls = 0, dither = 0;
    paint(0.0f, false, hiddenPolls, dither, before, after);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(before[k], after[k]) << "layer " << k;
    EXPECT_EQ(dither, 17);
    paint(1e6f, false, drawnPolls, dither, before, after);
    EXPECT_NE(before[0], after[0]);
    EXPECT_GT(drawnPolls, 0);
    EXPECT_EQ(hiddenPolls, drawnPolls);
    // Settled paint in front everywhere but at the centre pixel.
    paint(0.0f, true, drawnPolls, dither, before, after);
    int changed = 0;
    for (size_t i = 0; i < before[0].size(); ++i) changed += before[0][i] != after[0][i];
    EXPECT_GT(changed, 0);
    EXPECT_LE(changed, 4) << "only the centre pixel lies in front";
}
