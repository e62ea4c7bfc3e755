#include "base/portable_math.h"

#include <cmath>

namespace {

// pi/2 split into two 33-bit parts and a rest: n * part is exact for
// n < 2^20, so the reduced argument keeps its accuracy.
constexpr double kHalfPiHigh = 1.5707963267341256;
constexpr double kHalfPiMid = 6.077100506303966e-11;
constexpr double kHalfPiLow = 2.0222662487959506e-21;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kMaxQuadrants = 1048576.0;  // 2^20

// Taylor series on |r| <= pi/4 to r^17 and r^18: the first term left out is
// below 1e-18 there, far under half a unit in the last place.
double SinKernel(double r) {
    const double z = r * r;
    const double p =
        -1.0 / 6.0 +
        z * (1.0 / 120.0 +
             z * (-1.0 / 5040.0 +
                  z * (1.0 / 362880.0 +
                       z * (-1.0 / 39916800.0 +
                            z * (1.0 / 6227020800.0 +
                                 z * (-1.0 / 1307674368000.0 + z * (1.0 / 355687428096000.0)))))));
    return r + r * z * p;
}

double CosKernel(double r) {
    const double z = r * r;
    const double p =
        1.0 / 24.0 +
        z * (-1.0 / 720.0 +
             z * (1.0 / 40320.0 +
                  z * (-1.0 / 3628800.0 +
                       z * (1.0 / 479001600.0 +
                            z * (-1.0 / 87178291200.0 +
                                 z * (1.0 / 20922789888000.0 + z * (-1.0 / 6402373705728000.0)))))));
    return 1.0 - 0.5 * z + z * z * p;
}

// x = n * pi/2 + r with |r| <= pi/4 (about); returns r and the quadrant n mod 4.
double Reduce(double x, int& quadrant) {
    // Far out, first fold by the double nearest 2 pi (fmod is exact): still
    // the same on every build, though no longer the true sine there.
    if (std::fabs(x) >= kMaxQuadrants) x = std::fmod(x, kTwoPi);
    const double n = std::nearbyint(x * kTwoOverPi);
    quadrant = static_cast<int>(static_cast<long long>(n) & 3);
    return ((x - n * kHalfPiHigh) - n * kHalfPiMid) - n * kHalfPiLow;
}

}  // namespace

double PortableSin(double x) {
    if (!std::isfinite(x)) return x - x;  // NaN
    int quadrant;
    const double r = Reduce(x, quadrant);
    switch (quadrant) {
        case 0: return SinKernel(r);
        case 1: return CosKernel(r);
        case 2: return -SinKernel(r);
        default: return -CosKernel(r);
    }
}

double PortableCos(double x) {
    if (!std::isfinite(x)) return x - x;
    int quadrant;
    const double r = Reduce(x, quadrant);
    switch (quadrant) {
        case 0: return CosKernel(r);
        case 1: return -SinKernel(r);
        case 2: return -CosKernel(r);
        default: return SinKernel(r);
    }
}
