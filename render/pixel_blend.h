// The two pixel blends used when a stamp or a preview line lands on a
// 32-bit surface (0xAARRGGBB words).
#pragma once

#include <cstdint>

// Blend pixel a toward pixel b by weight k (0..255):
//   c = b + ((a - b) * (k + 1)) >> 8   for the channels under outerMask and green,
// k = 0 gives b, k > 254 gives a; the result's alpha is 0xFF.
uint32_t BlendPixels(uint32_t a, uint32_t b, int32_t k, uint32_t outerMask = 0x00FF00FFu);

// Composite source s over destination d, each with alpha in the top byte.
// Over an opaque destination the weight is the source alpha; over a
// partly transparent one the weight is raised so that the colour ends up
// as "s over d" and the alpha as 255 - (255 - da)(255 - sa) / 256.
uint32_t CompositePixel(uint32_t s, uint32_t d);
