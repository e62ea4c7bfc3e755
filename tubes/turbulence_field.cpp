#include "tubes/turbulence_field.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/memory_block.h"
#include "base/drand48.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kSide = kTurbulenceSide;
constexpr int32_t kMask = kSide - 1;
constexpr int32_t kHalf = kSide / 2;  // the highest wave number stored
constexpr uint32_t kFieldSeed = 5;

// The one field of the process.
TurbulenceField gField;

int32_t CellIndex(int32_t x, int32_t y, int32_t z, int32_t t) {
    return (((x & kMask) * kSide + (y & kMask)) * kSide + (z & kMask)) * kSide + (t & kMask);
}

// A normal deviate from eight uniform draws: their sum has mean 4 and
// variance 2/3, so (sum - 4) * sqrt(24) / 4 has unit variance.
double NormalDeviate() {
    double sum = 0.0;
    for (int i = 0; i < 8; ++i) sum += Drand48();
    const double root24 = std::sqrt(24.0);
    return sum * root24 / 4.0 - root24;
}

double RootAbs(double v) { return std::sqrt(std::fabs(v)); }
double SafeDivide(double a, double pivot) { return pivot != 0.0 ? a / pivot : 0.0; }

struct Complex {
    double re = 0.0;
    double im = 0.0;
};

Complex Polar(double radius, double angle) { return {radius * std::cos(angle), radius * std::sin(angle)}; }
Complex operator*(double k, const Complex& c) { return {k * c.re, k * c.im}; }
Complex operator+(const Complex& a, const Complex& b) { return {a.re + b.re, a.im + b.im}; }

bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

// The classic routine works on 1-based indices; `at` keeps that shape
// without forming a pointer before the array.
bool FourierTransformInPlace(float* data, const int32_t* sizes, int32_t dimensions, int32_t sign) {
    if (!data || !sizes || dimensions < 1) return false;
    size_t total = 1;
    for (int32_t d = 0; d < dimensions; ++d) {
        if (!IsPowerOfTwo(sizes[d])) return false;
        total *= static_cast<size_t>(sizes[d]);
        if (total > (size_t{1} << 28)) return false;
    }
    const double direction = sign < 0 ? -1.0 : 1.0;
    auto at = [data](size_t i) -> float& { return data[i - 1]; };

    size_t previous = 1;
    for (int32_t d = dimensions - 1; d >= 0; --d) {
        const size_t n = static_cast<size_t>(sizes[d]);
        const size_t remaining = total / (n * previous);
        const size_t ip1 = previous << 1;
        const size_t ip2 = ip1 * n;
        const size_t ip3 = ip2 * remaining;

        // Bit reversal along this dimension.
        size_t i2rev = 1;
        for (size_t i2 = 1; i2 <= ip2; i2 += ip1) {
            if (i2 < i2rev) {
                for (size_t i1 = i2; i1 <= i2 + ip1 - 2; i1 += 2) {
                    for (size_t i3 = i1; i3 <= ip3; i3 += ip2) {
                        const size_t i3rev = i2rev + i3 - i2;
                        std::swap(at(i3), at(i3rev));
                        std::swap(at(i3 + 1), at(i3rev + 1));
                    }
                }
            }
            size_t bit = ip2 >> 1;
            while (bit >= ip1 && i2rev > bit) {
                i2rev -= bit;
                bit >>= 1;
            }
            i2rev += bit;
        }

        // Danielson-Lanczos passes; the twiddle factor advances by a
        // trigonometric recurrence instead of a sine per butterfly.
        size_t ifp1 = ip1;
        while (ifp1 < ip2) {
            const size_t ifp2 = ifp1 << 1;
            const double theta = direction * 2.0 * kPi / static_cast<double>(ifp2 / ip1);
            const double halfSine = std::sin(0.5 * theta);
            const double wpr = -2.0 * halfSine * halfSine;
            const double wpi = std::sin(theta);
            double wr = 1.0;
            double wi = 0.0;
            for (size_t i3 = 1; i3 <= ifp1; i3 += ip1) {
                for (size_t i1 = i3; i1 <= i3 + ip1 - 2; i1 += 2) {
                    for (size_t i2 = i1; i2 <= ip3; i2 += ifp2) {
                        const size_t k1 = i2;
                        const size_t k2 = k1 + ifp1;
                        const float tr = static_cast<float>(wr) * at(k2) - static_cast<float>(wi) * at(k2 + 1);
                        const float ti = static_cast<float>(wr) * at(k2 + 1) + static_cast<float>(wi) * at(k2);
                        at(k2) = at(k1) - tr;
                        at(k2 + 1) = at(k1 + 1) - ti;
                        at(k1) += tr;
                        at(k1 + 1) += ti;
                    }
                }
                const double w = wr;
                wr = w * wpr - wi * wpi + wr;
                wi = wi * wpr + w * wpi + wi;
            }
            ifp1 = ifp2;
        }
        previous *= n;
    }
    return true;
}

TurbulenceField::~TurbulenceField() { MemFree(cells_); }

void TurbulenceField::EnsureBuilt() {
    if (built_) return;
    // Marked first: a build that fails is not tried again.
    built_ = true;
    Build();
}

void TurbulenceField::ResetForTests(bool failAllocation) {
    MemFree(cells_);
    cells_ = nullptr;
    scale_ = 0.0f;
    built_ = false;
    failAllocation_ = failAllocation;
}

TTurbulenceSample TurbulenceField::Cell(int32_t x, int32_t y, int32_t z, int32_t t) const {
    if (!cells_) return {};
    const TTurbulenceCell& c = cells_[CellIndex(x, y, z, t)];
    const float k = static_cast<float>(c.magnitude) * scale_ * kTurbulenceDecode;
    return {c.x * k, c.y * k, c.z * k};
}

bool TurbulenceField::Build() {
    constexpr size_t kComplexFloats = 2 * (static_cast<size_t>(kTurbulenceCells) + 1);
    TTurbulenceCell* cells = nullptr;
    float* work[3] = {nullptr, nullptr, nullptr};
    if (!failAllocation_) {
        cells = static_cast<TTurbulenceCell*>(MemAllocate(sizeof(TTurbulenceCell) * kTurbulenceCells, true));
        for (float*& w : work) w = static_cast<float*>(MemAllocate(sizeof(float) * kComplexFloats, true));
    }
    auto release = [&work] {
        for (float*& w : work) {
            MemFree(w);
            w = nullptr;
        }
    };
    if (!cells || !work[0] || !work[1] || !work[2]) {
        MemFree(cells);
        release();
        return false;
    }

    // Spectral synthesis: random amplitudes shaped by an isotropic,
    // divergence-free spectrum, for non-negative wave numbers; their
    // conjugates at the mirrored indices make the transform real.
    Srand48(kFieldSeed);
    for (int32_t kx = 0; kx <= kHalf; ++kx) {
        for (int32_t ky = 0; ky <= kHalf; ++ky) {
            for (int32_t kz = 0; kz <= kHalf; ++kz) {
                const double k2 = static_cast<double>(kx * kx + ky * ky + kz * kz);
                if (k2 == 0.0) continue;  // the mean flow stays zero
                const double kappa = std::sqrt(k2);
                const double kv[3] = {static_cast<double>(kx), static_cast<double>(ky), static_cast<double>(kz)};
                for (int32_t omega = 0; omega <= kHalf; ++omega) {
                    double theta[3];
                    double g[3];
                    for (int c = 0; c < 3; ++c) {
                        theta[c] = Drand48() * 2.0 * kPi;
                        g[c] = NormalDeviate();
                    }

                    // Phi_ij = E(k) G(k, w) / (4 pi k^2) (delta_ij - k_i k_j / k^2)
                    const double energy = 1.5 / std::sqrt(kappa);
                    double sigma2 = 0.5 * k2;
                    if (sigma2 < 0.001) sigma2 = 0.001;
                    const double temporal = std::exp(-static_cast<double>(omega * omega) / (2.0 * sigma2)) /
                                            std::sqrt(2.0 * kPi * sigma2);
                    const double common = energy * temporal / (4.0 * kPi * k2);
                    double phi[3][3];
                    for (int a = 0; a < 3; ++a)
                        for (int b = 0; b < 3; ++b) phi[a][b] = common * ((a == b ? 1.0 : 0.0) - kv[a] * kv[b] / k2);

                    // Phi = L L^T. The tensor is singular (rank 2), so pivots
                    // can vanish; absolute values keep the roots real.
                    const double l11 = RootAbs(phi[0][0]);
                    const double l21 = SafeDivide(phi[1][0], l11);
                    const double l31 = SafeDivide(phi[2][0], l11);
                    const double l22 = RootAbs(phi[1][1] - l21 * l21);
                    const double l32 = SafeDivide(phi[2][1] - l31 * l21, l22);
                    const double l33 = RootAbs(phi[2][2] - l31 * l31 - l32 * l32);

                    const Complex e1 = Polar(g[0], theta[0]);
                    const Complex e2 = Polar(g[1], theta[1]);
                    const Complex e3 = Polar(g[2], theta[2]);
                    const Complex amplitude[3] = {l11 * e1, l21 * e1 + l22 * e2, l31 * e1 + l32 * e2 + l33 * e3};

                    const size_t direct = static_cast<size_t>(CellIndex(kx, ky, kz, omega));
                    const size_t mirror =
                        static_cast<size_t>(CellIndex(kSide - kx, kSide - ky, kSide - kz, kSide - omega));
                    for (int c = 0; c < 3; ++c) {
                        work[c][2 * direct] = static_cast<float>(amplitude[c].re);
                        work[c][2 * direct + 1] = static_cast<float>(amplitude[c].im);
                        work[c][2 * mirror] = static_cast<float>(amplitude[c].re);
                        work[c][2 * mirror + 1] = static_cast<float>(-amplitude[c].im);
                    }
                }
            }
        }
    }
    // Entries that are their own mirror must be real.
    for (int32_t m = 0; m < 16; ++m) {
        const size_t self = static_cast<size_t>(
            CellIndex((m & 1) ? kHalf : 0, (m & 2) ? kHalf : 0, (m & 4) ? kHalf : 0, (m & 8) ? kHalf : 0));
        for (int c = 0; c < 3; ++c) work[c][2 * self + 1] = 0.0f;
    }

    const int32_t sizes[4] = {kSide, kSide, kSide, kSide};
    for (int c = 0; c < 3; ++c) FourierTransformInPlace(work[c], sizes, 4, -1);

    // Pack: the direction scaled so that its largest component is 127, the
    // magnitude byte that component's share of the field's largest magnitude.
    double largest = 0.0;
    for (int32_t i = 0; i < kTurbulenceCells; ++i) {
        const double x = work[0][2 * i], y = work[1][2 * i], z = work[2][2 * i];
        const double m = std::sqrt(x * x + y * y + z * z);
        if (m > largest) largest = m;
    }
    const float scale = static_cast<float>(largest);
    if (largest > 0.0) {
        for (int32_t i = 0; i < kTurbulenceCells; ++i) {
            const double v[3] = {work[0][2 * i], work[1][2 * i], work[2][2 * i]};
            const double peak = std::fmax(std::fabs(v[0]), std::fmax(std::fabs(v[1]), std::fabs(v[2])));
            if (peak <= 0.0) continue;
            TTurbulenceCell& cell = cells[i];
            cell.x = static_cast<int8_t>(std::lround(v[0] / peak * 127.0));
            cell.y = static_cast<int8_t>(std::lround(v[1] / peak * 127.0));
            cell.z = static_cast<int8_t>(std::lround(v[2] / peak * 127.0));
            const long magnitude = std::lround(peak / static_cast<double>(scale) * 255.0);
            cell.magnitude = static_cast<uint8_t>(magnitude < 0 ? 0 : (magnitude > 255 ? 255 : magnitude));
        }
    }
    release();
    cells_ = cells;
    scale_ = scale;
    return true;
}

TurbulenceField& ProcessTurbulenceField() { return gField; }
void ResetTurbulenceFieldForTests(bool failAllocation) { gField.ResetForTests(failAllocation); }

namespace {

// Up to three lattice cells along one axis and their weights.
struct AxisTaps {
    int32_t index[3];
    float weight[3];
    int32_t count;
};

// coordinate * 8 + 8 in lattice units, wrapped into [0, 16).
void LatticePosition(float coordinate, int32_t& cell, float& fraction) {
    double v = static_cast<double>(coordinate) * kHalf + kHalf;
    if (!std::isfinite(v)) v = 0.0;
    v -= kSide * std::floor(v / kSide);
    double whole = std::floor(v);
    if (whole >= kSide) whole = 0.0;  // rounding of a value just below 0
    cell = static_cast<int32_t>(whole) & kMask;
    fraction = static_cast<float>(v - whole);
    if (!(fraction >= 0.0f && fraction < 1.0f)) fraction = 0.0f;
}

AxisTaps LinearTaps(float coordinate) {
    int32_t i;
    float f;
    LatticePosition(coordinate, i, f);
    return {{i, (i + 1) & kMask, 0}, {1.0f - f, f, 0.0f}, 2};
}

// (a - 2b + c) f^2 + 2 (b - a) f + (a + b): weights (1 - f)^2, 1 + 2f - 2f^2, f^2.
AxisTaps QuadraticTaps(float coordinate) {
    int32_t i;
    float f;
    LatticePosition(coordinate, i, f);
    return {{(i - 1) & kMask, i, (i + 1) & kMask}, {(1.0f - f) * (1.0f - f), 1.0f + 2.0f * f - 2.0f * f * f, f * f}, 3};
}

}  // namespace

TTurbulenceSample SampleTurbulence(float x, float y, float z, float time, int32_t mode) {
    TurbulenceField& field = ProcessTurbulenceField();
    field.EnsureBuilt();
    const TTurbulenceCell* cells = field.Cells();
    if (!cells) return {};

    const bool quadraticSpace = mode == 2;
    const bool quadraticTime = mode == 1 || mode == 2;
    const AxisTaps ax = quadraticSpace ? QuadraticTaps(x) : LinearTaps(x);
    const AxisTaps ay = quadraticSpace ? QuadraticTaps(y) : LinearTaps(y);
    const AxisTaps az = quadraticSpace ? QuadraticTaps(z) : LinearTaps(z);
    const AxisTaps at = quadraticTime ? QuadraticTaps(time) : LinearTaps(time);

    // Sum of direction bytes times magnitude byte, weighted; decoded once at the end.
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (int32_t a = 0; a < ax.count; ++a) {
        for (int32_t b = 0; b < ay.count; ++b) {
            const float wab = ax.weight[a] * ay.weight[b];
            for (int32_t c = 0; c < az.count; ++c) {
                const float wabc = wab * az.weight[c];
                const int32_t base = ((ax.index[a] * kSide + ay.index[b]) * kSide + az.index[c]) * kSide;
                for (int32_t d = 0; d < at.count; ++d) {
                    const TTurbulenceCell& cell = cells[base + at.index[d]];
                    const float w = wabc * at.weight[d] * static_cast<float>(cell.magnitude);
                    sx += w * cell.x;
                    sy += w * cell.y;
                    sz += w * cell.z;
                }
            }
        }
    }
    float k = field.Scale() * kTurbulenceDecode;
    if (mode == 2) k *= 0.125f;
    return {sx * k, sy * k, sz * k};
}
