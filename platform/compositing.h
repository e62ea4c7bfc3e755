// The two alpha-compositing rules of the system, on packed 0xAARRGGBB words,
// and the composite of one pixel bucket onto another.
#pragma once

#include <cstdint>

class CPPixelBucket;

// Blend of source s over destination d with weight a (0..255):
//   a <= 0:   d (its alpha included)
//   a >= 255: s (its alpha included)
//   else:     c' = d + ((s - d) * (a + 1)) >> 8 for each colour byte
//             (rounded toward minus infinity), alpha 0xFF.
// Red and blue are done together under 0x00FF00FF and green under 0x0000FF00
// in wrapping unsigned arithmetic: each channel's borrow lands in the bits
// between the channels (or above them), and the masks drop it.
inline uint32_t Blend(uint32_t s, uint32_t d, int a) {
    if (a <= 0) return d;
    if (a >= 255) return s;
    const uint32_t scale = static_cast<uint32_t>(a) + 1;
    const uint32_t drb = d & 0x00FF00FFu;
    const uint32_t dg = d & 0x0000FF00u;
    const uint32_t rb = (drb + (((s & 0x00FF00FFu) - drb) * scale >> 8)) & 0x00FF00FFu;
    const uint32_t g = (dg + (((s & 0x0000FF00u) - dg) * scale >> 8)) & 0x0000FF00u;
    return 0xFF000000u | rb | g;
}

// Over: source s onto a destination d that has its own alpha (sa, da):
//   sa = da = 0:  0
//   da < 255:     t = ((256 - sa) * da) / 256 + sa,  w = ((65536 / t) * sa) / 256
//   else:         w = sa
//   colour = Blend(s, d, w)
//   da < 255:     alpha = 255 - ((255 - da) * (255 - sa)) / 256
//   else:         the alpha Blend left stands.
// t >= 1 whenever sa or da is nonzero, so the division is safe.
inline uint32_t Over(uint32_t s, uint32_t d) {
    const uint32_t sa = s >> 24;
    const uint32_t da = d >> 24;
    if (sa == 0 && da == 0) return 0;
    if (da >= 255) return Blend(s, d, static_cast<int>(sa));
    const uint32_t t = ((256 - sa) * da) / 256 + sa;
    const uint32_t w = ((65536 / t) * sa) / 256;
    const uint32_t colour = Blend(s, d, static_cast<int>(w));
    const uint32_t alpha = 255 - ((255 - da) * (255 - sa)) / 256;
    return (colour & 0x00FFFFFFu) | (alpha << 24);
}

// Composites source placed at (x, y) onto target (in the target's own
// coordinates, its origin included). Both buckets must be 24 or 32 bits.
// opacity is clamped to 0..255. mode 0 blends with weight
// (sourceAlpha * opacity) / 256; mode 1 uses Over and ignores opacity; a
// 24-bit target always takes mode 0. Only the overlap is touched.
void CompositeBuckets(const CPPixelBucket& source, CPPixelBucket& target, int x, int y, int opacity, int mode);
