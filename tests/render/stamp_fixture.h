// Small canvases and brushes made by code for the stamping and shading tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "presets/brush_record.h"
#include "render/paint_canvas.h"

namespace stamptest {

constexpr uint8_t kSentinel = 0xA5;

// A canvas whose picture layer sits inside a guard band of sentinel bytes,
// so that a write outside the picture shows up; with depth it also has the
// settled, front and coverage layers and both depth layers.
class TTestCanvas {
public:
    // sixteenBit: the owned layers (settled, front, coverage) hold 16-bit channels.
    TTestCanvas(int32_t w, int32_t h, bool depth, int32_t pad = 4, bool sixteenBit = false)
        : width_(w), height_(h), pad_(pad), stride_((w + 2 * pad) * 4),
          memory_(static_cast<size_t>(stride_) * (h + 2 * pad), kSentinel) {
        for (int32_t y = 0; y < h; ++y) std::memset(Interior() + static_cast<size_t>(y) * stride_, 0, w * 4u);
        canvas.SetExternalLayer(0, Interior(), w, h, stride_, false);
        canvas.sixteenBit = sixteenBit;
        if (depth) {
            for (int i = 1; i <= 3; ++i) canvas.AddColourLayer(w, h, i);
            canvas.AddDepthLayer(w, h, 0);
            canvas.AddDepthLayer(w, h, 1);
        }
        canvas.fade.enabled = false;
    }

    TPaintCanvas canvas;

    bool GuardIntact() const {
        for (int32_t row = 0; row < height_ + 2 * pad_; ++row) {
            for (int32_t col = 0; col < stride_; ++col) {
                const bool inside = row >= pad_ && row < pad_ + height_ && col >= pad_ * 4 && col < (pad_ + width_) * 4;
                if (!inside && memory_[static_cast<size_t>(row) * stride_ + col] != kSentinel) return false;
            }
        }
        return true;
    }

    // Fills every colour layer in use with one pixel (B, G, R, A bytes).
    void Fill(int layerIndex, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        const TCanvasLayer& l = canvas.layer[layerIndex];
        for (int32_t y = 0; y < l.height; ++y)
            for (int32_t x = 0; x < l.width; ++x) Set(layerIndex, x, y, r, g, b, a);
    }

    void Set(int layerIndex, int32_t x, int32_t y, double r, double g, double b, double a) {
        const TCanvasLayer& l = canvas.layer[layerIndex];
        uint8_t* p = l.Row(y) + static_cast<size_t>(x) * l.bytesPerPixel;
        const double v[4] = {b, g, r, a};
        for (int k = 0; k < 4; ++k) {
            if (l.bytesPerPixel == 8) {
                const uint16_t w = static_cast<uint16_t>(v[k] * 257.0 + 0.5);
                std::memcpy(p + 2 * k, &w, 2);
            } else {
                p[k] = static_cast<uint8_t>(v[k]);
            }
        }
    }

    // Channel k of a pixel: 0 red, 1 green, 2 blue, 3 alpha, in 0..255 units.
    double Get(int layerIndex, int32_t x, int32_t y, int k) const {
        static const int byteOf[4] = {2, 1, 0, 3};
        const TCanvasLayer& l = canvas.layer[layerIndex];
        const uint8_t* p = l.Row(y) + static_cast<size_t>(x) * l.bytesPerPixel;
        if (l.bytesPerPixel == 8) {
            uint16_t w;
            std::memcpy(&w, p + 2 * byteOf[k], 2);
            return w / 257.0;
        }
        return p[byteOf[k]];
    }

    float& Depth(int index, int32_t x, int32_t y) { return canvas.depthLayer[index][y * width_ + x]; }

    // The picture's bytes, for whole-canvas comparisons.
    std::vector<uint8_t> Snapshot(int layerIndex = 0) const {
        const TCanvasLayer& l = canvas.layer[layerIndex];
        std::vector<uint8_t> out;
        for (int32_t y = 0; y < l.height; ++y) {
            const uint8_t* row = l.Row(y);
            out.insert(out.end(), row, row + static_cast<size_t>(l.width) * l.bytesPerPixel);
        }
        return out;
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    uint8_t* Interior() { return memory_.data() + static_cast<size_t>(pad_) * stride_ + pad_ * 4; }

    int32_t width_;
    int32_t height_;
    int32_t pad_;
    int32_t stride_;
    std::vector<uint8_t> memory_;
};

// A brush that paints plainly: full colour and alpha updates, no lighting,
// no shadows, no texture, spacing by width.
inline TBrushRecord PlainBrush() {
    TBrushRecord b = TBrushRecord::Blank();
    b.brushType = 0;
    b.modifyColor = true;
    b.modifyAlpha = true;
    b.modifyDepth = true;
    b.edgeAntialias = false;
    b.depth = false;
    b.illuminated = false;
    b.stampDensity = 1.0;
    b.softness = 0.0;
    b.translucence = 1.0;
    b.glowSpread = 1.0;
    b.glow = 0.0;
    b.fakeShadow = 0;
    b.shadowTransparency = 0.5;
    b.specular = 0.0;
    b.mapColor = false;
    b.mapOpacity = false;
    return b;
}

}  // namespace stamptest
