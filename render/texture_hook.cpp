#include "render/texture_hook.h"

#include "render/texture_sampler.h"

TTextureSample SampleTexture(const TBrushRecord& brush, double u, double v, double du, double dv, int32_t kind,
                             bool procedural, int32_t imageIndex) {
    TTextureSampler sampler(brush, kind, procedural, imageIndex);
    return sampler.Sample(u, v, du, dv);
}
