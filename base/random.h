// The process-wide random generator and the fixed noise table. Every random
// decision of the saver draws from the one generator, so a run is replayed
// exactly from its seed (the start second).
#pragma once

#include <cstdint>

struct TRandomState {
    uint32_t v = 0;
    uint32_t i = 1;
    uint32_t j = 1;
};

// The next 32-bit word of a generator state.
uint32_t RandomNext(TRandomState& state);

// A unit draw in [0, 1) in steps of 2^-23, made from one word.
float UnitFromWord(uint32_t word);

// The one generator of the process.
TRandomState RandomGetState();
void RandomSetState(const TRandomState& state);
// Seed with (seconds, 1, 1) and throw the first word away, as the saver does at start.
void RandomSeedFromClock(uint32_t seconds);
uint32_t RandomWord();
// A fresh unit draw u in [0, 1) from the process generator.
double RandomUnit();
// Back to the state of a fresh process; for tests.
void RandomResetForTests();

// The fixed table of 65535 floats uniform in [-1, 1].
constexpr int kNoiseTableSize = 65535;
const float* NoiseTable();
float NoiseValue(int32_t index);
// One-dimensional smooth noise in [-0.5, 0.5], period 1.
double Noise1(double x);
// Two-dimensional smooth noise in [-1, 1], period 1 in each coordinate.
double Noise2(double x, double y);
