// The procedural texture patterns: each maps texture coordinates and the
// texture span of one pixel (the filter width) to a scalar p in [0, 1].
// Every pattern fades toward its mean (0.5) as the filter width grows, so
// that fine textures on small stamps do not shimmer.
//
// Inputs are expected finite and widths not negative (the sampler cleans
// them); the results are then finite.
#pragma once

#include <cmath>
#include <cstdint>

namespace texturepattern {

// floor(x) by a conversion, which is much cheaper than the library call on
// targets without a rounding instruction. From 2^52 on every double is a
// whole number already; NaN passes through.
inline double Floor(double x) {
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const double t = static_cast<double>(static_cast<int64_t>(x));
    return t > x ? t - 1.0 : t;
}

// The fractional part in [0, 1). Floor rather than truncation, so that a
// pattern keeps its period across 0 (mapping offsets and flow make
// negative coordinates common).
inline double Fraction(double x) {
    const double f = x - Floor(x);
    return f < 1.0 ? f : 0.0;  // x just below a whole number can round up to 1
}

// How much of one checker axis's contrast survives a filter of width w
// (in checker cells, two per unit) at fractional position f.
inline double CheckerEdge(double f, double w) {
    if (w >= 2.0) return 0.0;
    double g = Fraction(2.0 * f);
    if (g > 0.5) g = 1.0 - g;  // distance to the nearest edge
    double e = w <= g ? 1.0 : g / w;
    if (w > 1.0) e *= 2.0 - w;
    return e > 0.0 ? e : 0.0;
}

// Checker of two cells per unit in each direction: 1 where exactly one of
// the fractional coordinates lies above 0.5, 0 elsewhere, blended toward
// 0.5 near the cell edges over the filter width, and flat 0.5 from du or
// dv of 1 on.
inline double Checker(double u, double v, double du, double dv) {
    const double fu = Fraction(u);
    const double fv = Fraction(v);
    const double eu = CheckerEdge(fu, 2.0 * du);
    const double ev = CheckerEdge(fv, 2.0 * dv);
    const double e = eu < ev ? eu : ev;
    const bool odd = (fu > 0.5) != (fv > 0.5);
    return odd ? (e + 1.0) * 0.5 : (1.0 - e) * 0.5;
}

// A ramp rising from 0 to 1 over each unit of c; its wrap from 1 back to 0
// is blended over the filter width w, and from w = 0.5 on the ramp is flat
// 0.5.
inline double Ramp(double c, double w) {
    if (w >= 0.5) return 0.5;
    const double f = Fraction(c);
    if (f < w) {
        const double t = (f + w) / (2.0 * w);
        return (1.0 - t) * (1.0 - w) + t * w;
    }
    if (f > 1.0 - w) {
        const double t = (1.0 - f + w) / (2.0 * w);
        return (1.0 - t) * w + (1.0 - w) * t;
    }
    return f;
}

// The octave layout of the fractal for a filter width: how many whole
// octaves of noise, the weight of the partial one, and the amplitude of
// the first. Depends on the width only, so a stamp computes it once.
struct TFractalOctaves {
    bool flat = false;      // the width is beyond the finest octave: p is 0.5
    int whole = 0;          // whole octaves, 0..6
    double partial = 0.0;   // weight of the octave after them, in [0, 1)
    double amplitude = 0.0; // amplitude of the first octave
};

inline TFractalOctaves FractalOctavesFor(double w, double amplitude) {
    TFractalOctaves o;
    if (w > 1.0) {
        o.flat = true;
        return o;
    }
    // Widths above 0.2 fade the whole fractal out toward w = 1.
    if (w > 0.2) amplitude = (1.0 - w) * amplitude * 1.25;
    if (w <= 1e-8) w = 1e-8;
    const double finest = 32.0 * w < 0.5 ? 32.0 * w : 0.5;
    double levels = std::log(finest) * -1.4427932477276004;
    levels = levels < 0.0 ? 0.0 : (levels > 6.0 ? 6.0 : levels);
    o.whole = static_cast<int>(levels);
    o.partial = levels - o.whole;
    o.amplitude = amplitude;
    return o;
}

}  // namespace texturepattern
