#include "hosts/x11/fps_overlay.h"

#include <cstdio>
#include <cstring>

#include "platform/posix/host_window.h"

namespace {

constexpr int kScale = 2;
constexpr int kGlyphW = 3, kGlyphH = 5;
constexpr int kAdvance = (kGlyphW + 1) * kScale;
constexpr int kMaxChars = 20;
constexpr int kPad = 4;

struct SGlyph {
    char c;
    uint8_t rows[kGlyphH];  // three bits a row, leftmost first
};

constexpr SGlyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {'M', {5, 7, 7, 5, 5}},
    {'S', {3, 4, 2, 1, 6}}, {'F', {7, 4, 6, 4, 4}}, {'P', {7, 5, 7, 4, 4}},
};

const SGlyph* GlyphOf(char c) {
    for (const SGlyph& g : kGlyphs) {
        if (g.c == c) return &g;
    }
    return nullptr;  // a blank
}

}  // namespace

FpsOverlay::FpsOverlay() {
    box_.Create(kMaxChars * kAdvance + 2 * kPad, kGlyphH * kScale + 2 * kPad, 32, true, true);
}

void FpsOverlay::FrameDone(double frameMs, uint32_t now) {
    if (!started_) {
        started_ = true;
        windowStart_ = now;
    }
    ++framesInWindow_;
    const uint32_t span = now - windowStart_;
    if (span >= 1000) {
        fps_ = framesInWindow_ * 1000.0 / span;
        framesInWindow_ = 0;
        windowStart_ = now;
    }
    std::snprintf(text_, sizeof text_, "%.1f MS  %.1f FPS", frameMs, fps_);
}

void FpsOverlay::Draw(CPBlitTarget& target) {
    if (!box_.Valid()) return;
    const int w = box_.Width(), h = box_.Height();
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(box_.Row(y));
        for (int x = 0; x < w; ++x) row[x] = 0xFF101010u;
    }
    const int n = static_cast<int>(std::strlen(text_));
    for (int k = 0; k < n && k < kMaxChars; ++k) {
        const SGlyph* g = GlyphOf(text_[k]);
        if (!g) continue;
        for (int gy = 0; gy < kGlyphH; ++gy) {
            for (int gx = 0; gx < kGlyphW; ++gx) {
                if (!(g->rows[gy] & (4 >> gx))) continue;
                for (int sy = 0; sy < kScale; ++sy) {
                    uint32_t* row = reinterpret_cast<uint32_t*>(box_.Row(kPad + gy * kScale + sy));
                    for (int sx = 0; sx < kScale; ++sx) row[kPad + k * kAdvance + gx * kScale + sx] = 0xFFF0F0F0u;
                }
            }
        }
    }
    target.Blit({8, 8, 8 + w, 8 + h}, box_, {0, 0, w, h});
}
