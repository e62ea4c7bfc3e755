#include "base/drand48.h"

namespace {

constexpr uint64_t kMultiplier = 0x5DEECE66Dull;
constexpr uint64_t kIncrement = 11;
constexpr uint64_t kMask48 = (1ull << 48) - 1;

// The generator shared by the depth discs and the tube rasteriser.
TDrand48State gDrand48;

}  // namespace

double Erand48(TDrand48State& state) {
    uint64_t x = static_cast<uint64_t>(state.x[0]) | (static_cast<uint64_t>(state.x[1]) << 16) |
                 (static_cast<uint64_t>(state.x[2]) << 32);
    x = (kMultiplier * x + kIncrement) & kMask48;
    state.x[0] = static_cast<uint16_t>(x);
    state.x[1] = static_cast<uint16_t>(x >> 16);
    state.x[2] = static_cast<uint16_t>(x >> 32);
    // 48 bits fit a double's mantissa exactly: x / 2^48 is exact.
    return static_cast<double>(x) * (1.0 / 281474976710656.0);
}

TDrand48State Drand48StateFromSeed(int64_t seed) {
    const uint32_t high = static_cast<uint32_t>(static_cast<uint64_t>(seed));
    TDrand48State state;
    state.x[0] = 0x330E;
    state.x[1] = static_cast<uint16_t>(high);
    state.x[2] = static_cast<uint16_t>(high >> 16);
    return state;
}

void Srand48(int64_t seed) { gDrand48 = Drand48StateFromSeed(seed); }
double Drand48() { return Erand48(gDrand48); }
TDrand48State& Drand48Process() { return gDrand48; }
void Drand48ResetForTests() { gDrand48 = TDrand48State{}; }
