#include "platform/compositing.h"

#include <cstring>

#include "platform/pixel_bucket.h"

namespace {

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
// A 24-bit pixel widened to 32 bits gets alpha 0xFF.
inline uint32_t Load24(const uint8_t* p) {
    return 0xFF000000u | static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16;
}
inline void Store24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

// One row of each pixel-format pairing. Weights: a 32-bit source pixel
// weighs (sa * opacity) / 256, a 24-bit one (255 * opacity) / 256.
void Row32On32Blend(const uint8_t* s, uint8_t* t, int n, int opacity) {
    for (int i = 0; i < n; ++i, s += 4, t += 4) {
        const uint32_t sp = Load32(s);
        Store32(t, Blend(sp, Load32(t), static_cast<int>((sp >> 24) * static_cast<uint32_t>(opacity) >> 8)));
    }
}
void Row32On32Over(const uint8_t* s, uint8_t* t, int n) {
    for (int i = 0; i < n; ++i, s += 4, t += 4) Store32(t, Over(Load32(s), Load32(t)));
}
void Row32On24(const uint8_t* s, uint8_t* t, int n, int opacity) {
    for (int i = 0; i < n; ++i, s += 4, t += 3) {
        const uint32_t sp = Load32(s);
        Store24(t, Blend(sp, Load24(t), static_cast<int>((sp >> 24) * static_cast<uint32_t>(opacity) >> 8)));
    }
}
void Row24On32Blend(const uint8_t* s, uint8_t* t, int n, int weight) {
    for (int i = 0; i < n; ++i, s += 3, t += 4) Store32(t, Blend(Load24(s), Load32(t), weight));
}
void Row24On32Over(const uint8_t* s, uint8_t* t, int n) {
    for (int i = 0; i < n; ++i, s += 3, t += 4) Store32(t, Over(Load24(s), Load32(t)));
}
void Row24On24(const uint8_t* s, uint8_t* t, int n, int weight) {
    for (int i = 0; i < n; ++i, s += 3, t += 3) Store24(t, Blend(Load24(s), Load24(t), weight));
}

bool Composable(const CPPixelBucket& b) { return b.Valid() && (b.BitsPerPixel() == 24 || b.BitsPerPixel() == 32); }

}  // namespace

void CompositeBuckets(const CPPixelBucket& source, CPPixelBucket& target, int x, int y, int opacity, int mode) {
    if (!Composable(source) || !Composable(target)) return;
    if (opacity < 0) opacity = 0;
    if (opacity > 255) opacity = 255;

    // The overlap of the placed source with the target's bounds.
    const TRect tb = target.Bounds();
    TRect overlap{x > tb.left ? x : tb.left, y > tb.top ? y : tb.top,
                  x + source.Width() < tb.right ? x + source.Width() : tb.right,
                  y + source.Height() < tb.bottom ? y + source.Height() : tb.bottom};
    if (overlap.left >= overlap.right || overlap.top >= overlap.bottom) return;

    // The source's view over the overlap, in its own coordinates.
    const int dx = source.OriginX() - x;
    const int dy = source.OriginY() - y;
    const CPPixelBucket s(source, TRect{overlap.left + dx, overlap.top + dy, overlap.right + dx, overlap.bottom + dy});
    CPPixelBucket t(target, overlap);
    if (!s.Valid() || !t.Valid()) return;

    const int n = s.Width();
    const bool over = mode == 1;
    const int opaqueWeight = (255 * opacity) >> 8;
    const int sBits = s.BitsPerPixel();
    const int tBits = t.BitsPerPixel();
    // Rows are matched by picture position, whatever each orientation.
    for (int r = 0; r < s.Height(); ++r) {
        const uint8_t* sRow = s.Row(r);
        uint8_t* tRow = t.Row(r);
        if (sBits == 32 && tBits == 32) {
            if (over) Row32On32Over(sRow, tRow, n);
            else Row32On32Blend(sRow, tRow, n, opacity);
        } else if (sBits == 32) {
            Row32On24(sRow, tRow, n, opacity);  // a 24-bit target has no alpha for Over
        } else if (tBits == 32) {
            if (over) Row24On32Over(sRow, tRow, n);
            else Row24On32Blend(sRow, tRow, n, opaqueWeight);
        } else {
            Row24On24(sRow, tRow, n, opaqueWeight);
        }
    }
}
