#include "render/brush_variation.h"

#include <cmath>
#include <cstdlib>

#include "base/random.h"
#include "presets/brush_record.h"

namespace {

// The noise table at any 64-bit index, folded the way NoiseValue folds an
// int32 (so seeds near the int32 limits do not overflow 18 * s).
double N(int64_t k) {
    const int64_t magnitude = k < 0 ? -k : k;
    return NoiseValue(static_cast<int32_t>(magnitude % kNoiseTableSize));
}

// Clamp that takes NaN to the lower bound, so a broken preset value cannot
// survive a variation.
double ClampTo(double v, double lo, double hi) {
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return v;
}

}  // namespace

void VaryBrush(TBrushRecord& brush, const TBrushRecord& reference, double amount, double minWidth, int32_t seed) {
    const double a = std::isfinite(amount) ? amount : 0.0;
    const int64_t s = seed;
    const double g = reference.globalScale;

    // Scale.
    double scale = brush.globalScale * (1.0 + N(18 * s) * a);
    if (std::isnan(scale)) scale = std::isfinite(g) ? g : 0.0;

    // Bounds from the reference scale.
    const double lower = brush.tubes ? 0.3 * g : 0.15 * g;
    const double upper = brush.tubes ? 2.0 * g : 2.5 * g;
    if (scale < lower) scale = lower;
    if (scale > upper) scale = upper;

    // Minimum width.
    const double width = brush.tubes ? std::fmax(brush.tubeWidth1, brush.tubeWidth2) : brush.brushWidth;
    if (width > 0.0 && width * scale < minWidth) scale = minWidth / width;
    // A huge preset scale can drift, or a vanishing width be scaled up, past
    // the largest double; the brush then keeps the scale it had.
    if (!std::isfinite(scale)) {
        scale = std::isfinite(brush.globalScale) ? brush.globalScale : (std::isfinite(g) ? g : 0.0);
    }
    brush.globalScale = scale;

    // Colours: both ends move by the same drift.
    const double dr = N(s + 2) * a;
    const double dg = N(s + 1) * a;
    const double db = N(s) * a;
    // Each channel stays within kColourReach of the preset's own: unbounded,
    // the drift is a random walk that turns a green vine red and blossoms
    // blue within minutes.
    auto vary = [](double v, double d, double presetValue) {
        const double p = std::isfinite(presetValue) ? presetValue : 0.5;
        return ClampTo(v + d, ClampTo(p - kColourReach, 0.0, 1.0), ClampTo(p + kColourReach, 0.0, 1.0));
    };
    brush.color1R = vary(brush.color1R, dr, reference.color1R);
    brush.color1G = vary(brush.color1G, dg, reference.color1G);
    brush.color1B = vary(brush.color1B, db, reference.color1B);
    brush.color2R = vary(brush.color2R, dr, reference.color2R);
    brush.color2G = vary(brush.color2G, dg, reference.color2G);
    brush.color2B = vary(brush.color2B, db, reference.color2B);

    // Transparencies: capped a little above the preset's own; a grey one
    // stays grey.
    auto cap = [](double presetValue) { return ClampTo(0.25 * presetValue + 0.75, 0.0, 1.0); };
    double capR = cap(reference.transparency1R);
    double capG = cap(reference.transparency1G);
    double capB = cap(reference.transparency1B);
    double deltaR = 0.0;
    double deltaG = 0.0;
    double deltaB = 0.0;
    if (brush.transparency1R == brush.transparency1G && brush.transparency1G == brush.transparency1B) {
        capG = capB = capR;
        deltaR = deltaG = deltaB = N(s + 3);
    } else {
        deltaR = N(s + 5);
        deltaG = N(s + 4);
        deltaB = N(s + 3);
    }
    const double k = a * 0.5;
    deltaR *= k;
    deltaG *= k;
    deltaB *= k;
    brush.transparency1R = ClampTo(brush.transparency1R + deltaR, 0.0, capR);
    brush.transparency1G = ClampTo(brush.transparency1G + deltaG, 0.0, capG);
    brush.transparency1B = ClampTo(brush.transparency1B + deltaB, 0.0, capB);
    brush.transparency2R = ClampTo(brush.transparency2R + deltaR, 0.0, 1.0);
    brush.transparency2G = ClampTo(brush.transparency2G + deltaG, 0.0, 1.0);
    brush.transparency2B = ClampTo(brush.transparency2B + deltaB, 0.0, 1.0);
}
