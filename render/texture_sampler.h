// TTextureSampler: a brush's texture, read once and then sampled per stamp
// pixel.
//
// SampleTexture (texture_hook.h) makes one per call. A stamper that
// samples many pixels of one stamp can instead make one per stamp and call
// Sample per pixel: the brush's texture attributes are copied once, the
// image is looked up once, and the fractal's octave layout is kept while
// the filter width stays the same (as it does across one stamp). The
// answers are the same either way.
#pragma once

#include <cstdint>

#include "render/texture_hook.h"
#include "render/texture_image.h"
#include "render/texture_patterns.h"

struct TBrushRecord;

class TTextureSampler {
public:
    // kind is the texture type (0 checker, 1 ramp along u, 2 ramp along v,
    // 3 fractal, 4 image), procedural is set for kinds 0 to 3, and
    // imageIndex is the 1-based image of an image texture; an index of 0
    // stands for the brush's own texture image (its first image handle).
    // A procedural kind outside 0..3, or an image index that names no
    // readable image, samples as opaque white: the brush paints as if it
    // had no texture.
    TTextureSampler(const TBrushRecord& brush, int32_t kind, bool procedural, int32_t imageIndex);

    // The texture at (u, v) filtered over (du, dv). NaN or infinite
    // coordinates read as 0; a NaN or infinite width as one so wide that
    // the pattern is at its mean; negative widths by their size.
    TTextureSample Sample(double u, double v, double du, double dv);

    enum class TMode : uint8_t { plain, checker, rampU, rampV, fractal, image };
    TMode Mode() const { return mode_; }

private:
    double Fractal(double u, double v, double w);
    TTextureSample FromPattern(double p) const;

    TMode mode_ = TMode::plain;
    bool smearing_ = false;
    double smear_ = 0.0, smearU_ = 0.0, smearV_ = 0.0;
    double colour1_[3] = {1.0, 1.0, 1.0};
    double colour2_[3] = {0.0, 0.0, 0.0};
    double alpha1_ = 1.0, alpha2_ = 1.0;
    double fractalAmplitude_ = 1.0, fractalRatio_ = 0.5, fractalThreshold_ = 0.0;
    // The octave layout of the last fractal filter width.
    double octaveWidth_ = -1.0;
    texturepattern::TFractalOctaves octaves_;
    TTextureImage image_;
    // The copy of the image read at the last footprint; an image stamp keeps
    // one footprint for all its pixels.
    double levelDu_ = -1.0, levelDv_ = -1.0;
    TTextureImage level_;
};
