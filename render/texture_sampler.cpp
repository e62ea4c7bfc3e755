#include "render/texture_sampler.h"

#include <cmath>

#include "base/random.h"
#include "presets/brush_kinds.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"

namespace {

constexpr double kWidest = 1e300;

inline double CleanCoordinate(double c) { return std::isfinite(c) ? c : 0.0; }

inline double CleanWidth(double w) {
    w = std::fabs(w);
    return w <= kWidest ? w : kWidest;  // NaN and infinity fail the test
}

}  // namespace

TTextureSampler::TTextureSampler(const TBrushRecord& brush, int32_t kind, bool procedural, int32_t imageIndex) {
    if (!procedural) {
        const int32_t handle = imageIndex != 0 ? imageIndex : brush.imageHandle[0];
        image_ = TextureImageOf(ImageTableEntry(handle), ImageTablePyramid(handle));
        mode_ = image_.Valid() ? TMode::image : TMode::plain;
        return;
    }
    switch (kind) {
        case kTextureChecker: mode_ = TMode::checker; break;
        case kTextureRampU: mode_ = TMode::rampU; break;
        case kTextureRampV: mode_ = TMode::rampV; break;
        case kTextureFractal: mode_ = TMode::fractal; break;
        default: mode_ = TMode::plain; return;
    }
    smear_ = brush.smear;
    smearU_ = brush.smearU;
    smearV_ = brush.smearV;
    smearing_ = smearU_ != 0.0 || smearV_ != 0.0;
    colour1_[0] = brush.texColor1R;
    colour1_[1] = brush.texColor1G;
    colour1_[2] = brush.texColor1B;
    colour2_[0] = brush.texColor2R;
    colour2_[1] = brush.texColor2G;
    colour2_[2] = brush.texColor2B;
    alpha1_ = brush.texAlpha1;
    alpha2_ = brush.texAlpha2;
    fractalAmplitude_ = brush.fractalAmplitude;
    fractalRatio_ = brush.fractalRatio;
    fractalThreshold_ = brush.fractalThreshold;
}

// s = sum over octaves k of a r^k noise(2^k (u + 1000), 2^k (v + 1000)),
// the last octave weighted by its partial level; p = (s + 1) / 2 + threshold.
double TTextureSampler::Fractal(double u, double v, double w) {
    if (w != octaveWidth_) {
        octaves_ = texturepattern::FractalOctavesFor(w, fractalAmplitude_);
        octaveWidth_ = w;
    }
    if (octaves_.flat) return 0.5;
    const double x = u + 1000.0;
    const double y = v + 1000.0;
    double a = octaves_.amplitude;
    double f = 1.0;
    double s = 0.0;
    for (int k = 0; k < octaves_.whole; ++k) {
        s += Noise2(f * x, f * y) * a;
        f *= 2.0;
        a *= fractalRatio_;
    }
    if (octaves_.partial > 0.0) s += octaves_.partial * a * Noise2(f * x, f * y);
    const double p = (s + 1.0) * 0.5 + fractalThreshold_;
    return p > 0.0 ? (p < 1.0 ? p : 1.0) : 0.0;  // NaN (from absurd amplitudes) reads as 0
}

// colour = texColor1 p + (1 - p) texColor2, and alpha likewise.
TTextureSample TTextureSampler::FromPattern(double p) const {
    const double q = 1.0 - p;
    TTextureSample t;
    t.red = colour1_[0] * p + q * colour2_[0];
    t.green = colour1_[1] * p + q * colour2_[1];
    t.blue = colour1_[2] * p + q * colour2_[2];
    t.alpha = alpha1_ * p + q * alpha2_;
    return t;
}

TTextureSample TTextureSampler::Sample(double u, double v, double du, double dv) {
    if (mode_ == TMode::plain) return TTextureSample{};
    u = CleanCoordinate(u);
    v = CleanCoordinate(v);
    du = CleanWidth(du);
    dv = CleanWidth(dv);

    if (mode_ == TMode::image) {
        double c[4];
        if (du != levelDu_ || dv != levelDv_) {
            level_ = TextureImageLevelFor(image_, du, dv);
            levelDu_ = du;
            levelDv_ = dv;
        }
        SampleTextureImageLevel(level_, u, v, du, dv, c);
        TTextureSample t;
        t.red = c[0];
        t.green = c[1];
        t.blue = c[2];
        t.alpha = c[3];
        return t;
    }

    // Smear: shift both coordinates by one smooth noise value.
    if (smearing_) {
        const double n = Noise2(u * smear_, v * smear_);
        u = CleanCoordinate(u + n * smearU_);
        v = CleanCoordinate(v + n * smearV_);
    }

    double p = 0.5;
    switch (mode_) {
        case TMode::checker: p = texturepattern::Checker(u, v, du, dv); break;
        case TMode::rampU: p = texturepattern::Ramp(u, du); break;
        case TMode::rampV: p = texturepattern::Ramp(v, dv); break;
        case TMode::fractal: p = Fractal(u, v, du > dv ? du : dv); break;
        default: break;
    }
    return FromPattern(p);
}
