// The texture lookup a stamp pixel makes when its brush maps colour or
// opacity (texture_hook.cpp). The stamp rasteriser holds a TTextureSampler
// per stamp instead (texture_sampler.h); the answers are the same.
#pragma once

#include <cstdint>

struct TBrushRecord;

struct TTextureSample {
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
    double alpha = 1.0;
};

// (u, v): texture coordinates; (du, dv): the texture span of one pixel, so
// fine patterns fade to their mean. kind is the brush's textureType,
// procedural is set for kinds 0 to 3, imageIndex is 1-based into the
// loaded brush images. Called once per textured stamp pixel: keep it cheap.
TTextureSample SampleTexture(const TBrushRecord& brush, double u, double v, double du, double dv,
                             int32_t kind, bool procedural, int32_t imageIndex);
