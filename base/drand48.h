// The 48-bit linear congruential generator of the depth discs (the drand48
// family's published scheme), with the one process-wide state that the
// stamper and the tube rasteriser share.
#pragma once

#include <cstdint>

struct TDrand48State {
    uint16_t x[3] = {0x330E, 0xABCD, 0x1234};  // low word first
};

// x' = (0x5DEECE66D x + 11) mod 2^48; the result is x' / 2^48 in [0, 1).
double Erand48(TDrand48State& state);
// The state srand48 makes: the seed's low 32 bits above a low word 0x330E.
TDrand48State Drand48StateFromSeed(int64_t seed);

// The process-wide generator.
void Srand48(int64_t seed);
double Drand48();
TDrand48State& Drand48Process();
// Back to the state of a fresh process; for tests.
void Drand48ResetForTests();
