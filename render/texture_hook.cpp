#include "render/texture_hook.h"

TTextureSample SampleTexture(const TBrushRecord&, double, double, double, double, int32_t, bool,
                             int32_t) {
    return TTextureSample{};
}
