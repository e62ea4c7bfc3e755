#include <cmath>

#include "render/stamp_placement.h"
#include "render/stamp_span.h"

namespace {

// Widths are clamped relative to the path: not positive (or NaN) reads as
// a hundredth of it, anything below a thousandth is raised, and widths
// beyond a billion path lengths (or infinite) are held there so that the
// slope stays finite.
double ClampWidth(double r, double length) {
    if (!(r > 0.0)) r = length * 0.01;
    if (r < length * 0.001) r = length * 0.001;
    if (!(r <= length * 1e9)) r = length * 1e9;
    return r;
}

}  // namespace

TStampPlacer::TStampPlacer(double length, double r0, double r1, double spacing, int32_t capacity)
    : capacity_(capacity) {
    if (!(length > 0.0) || !std::isfinite(length) || !(spacing > 0.0) || !std::isfinite(spacing) || capacity <= 0) {
        done_ = true;
        return;
    }
    length_ = length;
    minimum_ = length * 0.001;
    r_ = ClampWidth(r0, length);
    r1_ = ClampWidth(r1, length);
    slope_ = (r_ - r1_) / length;
    spacing_ = spacing;
}

bool TStampPlacer::Next(double& fraction) {
    if (done_) return false;
    const double step = spacing_ * r_;
    // r(x') in closed form: (r1 + k (L - x - s r(x))) / (1 + k s). A width
    // growing faster than the spacing can follow has no solution; the end
    // width stands in.
    const double divisor = 1.0 + slope_ * spacing_;
    double next = divisor > 1e-9 ? (r1_ + slope_ * (length_ - x_ - step)) / divisor : r1_;
    if (next < minimum_) next = std::fabs(next);
    if (!(next >= minimum_)) next = minimum_;
    const double x = x_ + step + spacing_ * next;
    if (!(x < length_)) {
        beyond_ = x / length_;
        done_ = true;
        return false;
    }
    if (!(x > x_)) {  // the step vanished against x: no further progress possible
        done_ = true;
        return false;
    }
    if (count_ >= capacity_) {
        capped_ = true;
        done_ = true;
        return false;
    }
    x_ = x;
    r_ = next;
    ++count_;
    fraction = x / length_;
    return true;
}

int32_t PlaceStamps(double length, double r0, double r1, double spacing, double* fractions, int32_t capacity) {
    TStampPlacer placer(length, r0, r1, spacing, capacity);
    double f = 0.0;
    int32_t n = 0;
    while (placer.Next(f)) fractions[n++] = f;
    return n;
}

double StampSpacingFactor(double length, double distanceToCover, double stampDensity) {
    if (!(distanceToCover > 0.0) || !std::isfinite(distanceToCover)) return 0.0;
    if (stampDensity > 1e-6) return length / (2.0 * stampDensity * distanceToCover);
    return length / (distanceToCover * 2e-6);
}

TFLVector TwistedNormal(double twist, const TFLVector& v, const TFLVector& side, const TFLVector& direction,
                        const TFLVector& up) {
    TFLVector c{Dot(v, side), Dot(v, direction), Dot(v, up)};
    Normalize(c);
    double rho = std::sqrt(c.x * c.x + c.y * c.y);
    if (!(rho >= 1e-6)) rho = 1e-6;
    const double s = std::sin(twist);
    const double k = std::cos(twist);
    return side * ((s * c.y - k * c.x * c.z) / rho) + direction * ((-s * c.x - k * c.y * c.z) / rho) +
           up * (k * rho);
}
