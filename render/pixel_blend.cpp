#include "render/pixel_blend.h"

#include "platform/compositing.h"

uint32_t BlendPixels(uint32_t a, uint32_t b, int32_t k, uint32_t outerMask) {
    if (k <= 0) return b;
    if (k > 254) return a;
    // c = b + ((a - b) * (k + 1)) >> 8 per channel group, in wrapping
    // unsigned arithmetic: a borrow lands between the channels and the mask drops it.
    const uint32_t scale = static_cast<uint32_t>(k) + 1;
    const uint32_t bo = b & outerMask;
    const uint32_t bg = b & 0x0000FF00u;
    const uint32_t outer = (bo + (((a & outerMask) - bo) * scale >> 8)) & outerMask;
    const uint32_t green = (bg + (((a & 0x0000FF00u) - bg) * scale >> 8)) & 0x0000FF00u;
    return 0xFF000000u | ((outer | green) & 0x00FFFFFFu);
}

uint32_t CompositePixel(uint32_t s, uint32_t d) { return Over(s, d); }
