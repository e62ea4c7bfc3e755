#include "base/random.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kTableA[32] = {
    0xb430735a, 0xcfbfba73, 0x96ef5190, 0x8ccc8d8a, 0x15f931ab, 0x9430cb32, 0xfe0e552a, 0x1b342c6a,
    0xb9322931, 0x4dc389fd, 0x3eeca332, 0x241a0095, 0xc485794c, 0xdf81a828, 0x5de815f1, 0x905afbff,
    0x3fc405e1, 0x3bd885e9, 0xd14ecf8c, 0x940c7f93, 0x0b12f29a, 0x9220f6fc, 0x10972ea9, 0xffb1f235,
    0x999bda8e, 0x9f97488c, 0xdbb26956, 0x30078c05, 0x138d5052, 0xc7d985db, 0xd5f9382d, 0x622f2dc8};
constexpr uint32_t kTableB[32] = {
    0x953a7214, 0x09ef6f19, 0x7936ebcf, 0xb6f719ba, 0x0ff40173, 0x66b17273, 0x583c945a, 0x2009c456,
    0x6c969f35, 0x2fd25cb9, 0x3b237aa3, 0x9d8a8daf, 0xf94f227d, 0xbf85911b, 0xda0a9520, 0x3bbe9ccc,
    0x69348dae, 0x739f2546, 0xab2571d2, 0xbd83fb24, 0x4caafc64, 0x6a4b7bea, 0x5bf258f0, 0xd38b7488,
    0xb6e823c0, 0x7840d123, 0xfa5b91f1, 0xe736b75f, 0x66b76261, 0xcb7b4f7a, 0x3fdd5618, 0x442d85b2};

// The process generator: the only random state of a saver run.
TRandomState gRandom;

// The noise table is computed at build time from a fixed seed by a 64-bit
// mixing generator of its own, so it is the same on every build and
// platform and independent of the saver's generator.
struct NoiseTableData {
    float values[kNoiseTableSize] = {};
    constexpr NoiseTableData() {
        uint64_t s = 0x7A524E464C4F5552ull;  // fixed seed
        for (float& value : values) {
            s += 0x9E3779B97F4A7C15ull;
            uint64_t z = s;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            // 24 bits give an exact float in [0, 1); map onto [-1, 1].
            const double unit = static_cast<double>(z >> 40) / 16777216.0;
            value = static_cast<float>(unit * 2.0 - 1.0);
        }
    }
};

constexpr NoiseTableData kNoise{};

const NoiseTableData& Table() { return kNoise; }

// Quadratic blend: twice the uniform quadratic B-spline of a, b, c at t.
inline double Spline(double a, double b, double c, double t) {
    return a + b + t * ((a + c - 2.0 * b) * t - 2.0 * (a - b));
}

// The shared argument preparation: 32 cells per unit, period 1.
// A coordinate that is not a number, or infinite, reads as 0 like one above
// 1e9, so that the cell index below always lies in the table.
inline double CellCoordinate(double c) {
    if (c > 1e9 || !std::isfinite(c)) c = 0.0;
    double n = std::trunc(c);
    if (c <= 0.0 && n != c) n -= 1.0;
    return (c - n) * 32.0;
}

}  // namespace

uint32_t RandomNext(TRandomState& state) {
    const uint32_t r = kTableA[state.i & 31] ^ kTableB[state.j & 31] ^ state.v;
    state.i += 1;
    state.v = r;
    state.j += r;
    return r;
}

float UnitFromWord(uint32_t word) {
    const uint32_t bits = (word & 0x007FFFFFu) | 0x3F800000u;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f - 1.0f;
}

TRandomState RandomGetState() { return gRandom; }
void RandomSetState(const TRandomState& state) { gRandom = state; }

void RandomSeedFromClock(uint32_t seconds) {
    gRandom = TRandomState{seconds, 1, 1};
    RandomNext(gRandom);
}

uint32_t RandomWord() { return RandomNext(gRandom); }
double RandomUnit() { return UnitFromWord(RandomNext(gRandom)); }
void RandomResetForTests() { gRandom = TRandomState{}; }

const float* NoiseTable() { return Table().values; }

float NoiseValue(int32_t index) {
    // |INT32_MIN| does not fit; reduce in 64 bits.
    int64_t k = index < 0 ? -static_cast<int64_t>(index) : index;
    if (k >= kNoiseTableSize) k %= kNoiseTableSize;
    return Table().values[k];
}

double Noise1(double x) {
    const float* table = Table().values;
    const double f = CellCoordinate(x);
    const int k = f < 1.0 ? 1 : static_cast<int>(f);
    const double t = f - k;
    return 0.25 * Spline(table[k - 1], table[k], table[k + 1], t);
}

double Noise2(double x, double y) {
    const float* table = Table().values;
    const double fx = CellCoordinate(x);
    const double fy = CellCoordinate(y);
    const int ix = static_cast<int>(fx);
    const double tx = static_cast<float>(fx - ix);
    const int iy = static_cast<int>(fy);
    const double ty = fy - iy;
    double rows[3];
    for (int r = 0; r < 3; ++r) {
        const int row = ((iy - 1 + r) & 31) * 32;
        const double p = Spline(table[row + ((ix - 1) & 31)], table[row + (ix & 31)],
                                table[row + ((ix + 1) & 31)], tx);
        rows[r] = p;
    }
    rows[2] = static_cast<float>(rows[2]);
    return 0.25 * Spline(rows[0], rows[1], rows[2], ty);
}
