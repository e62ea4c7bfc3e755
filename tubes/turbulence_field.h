// The turbulence field: one periodic, time-varying vector field shared by
// every brush, built once per process from a fixed seed by spectral
// synthesis (a divergence-free spectrum, inverse-transformed by a
// four-dimensional FFT) and packed four bytes a cell.
#pragma once

#include <cstdint>

// The lattice: 16 cells along x, y, z and time; a coordinate range of 2
// spans it.
constexpr int32_t kTurbulenceSide = 16;
constexpr int32_t kTurbulenceCells = kTurbulenceSide * kTurbulenceSide * kTurbulenceSide * kTurbulenceSide;
// A component decodes as direction byte x magnitude byte x scale x this (1 / (127 x 255)).
constexpr float kTurbulenceDecode = 0.000030878493f;

struct TTurbulenceSample {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// One packed cell: the direction as three signed bytes, the magnitude as one byte.
struct TTurbulenceCell {
    int8_t x = 0;
    int8_t y = 0;
    int8_t z = 0;
    uint8_t magnitude = 0;
};

// The process-wide field. Cells are indexed ((x * 16 + y) * 16 + z) * 16 + time.
class TurbulenceField {
public:
    // Builds the field on first use; a failed build leaves it empty for good.
    void EnsureBuilt();
    bool IsBuilt() const { return built_; }
    bool IsEmpty() const { return cells_ == nullptr; }
    float Scale() const { return scale_; }
    const TTurbulenceCell* Cells() const { return cells_; }
    // The decoded vector of one cell (indices wrap into the lattice).
    TTurbulenceSample Cell(int32_t x, int32_t y, int32_t z, int32_t t) const;

    // Tests only: back to the unbuilt state; with failAllocation the next
    // build behaves as if its storage could not be had.
    void ResetForTests(bool failAllocation = false);

    ~TurbulenceField();

private:
    bool Build();

    TTurbulenceCell* cells_ = nullptr;
    float scale_ = 0.0f;
    bool built_ = false;  // the build has been tried (successfully or not)
    bool failAllocation_ = false;
};

// The one field of the process.
TurbulenceField& ProcessTurbulenceField();
void ResetTurbulenceFieldForTests(bool failAllocation = false);

// The field at (x, y, z, time); mode 0 quadrilinear, 1 trilinear in space and
// quadratic in time, 2 quadratic on all four axes. (0, 0, 0) when the field
// could not be built.
TTurbulenceSample SampleTurbulence(float x, float y, float z, float time, int32_t mode);

// The classic in-place multidimensional complex FFT over interleaved
// (real, imaginary) floats, first dimension slowest. Every size must be a
// power of two. sign -1 transforms with exp(-2 pi i jk / n), +1 with
// exp(+2 pi i jk / n); no normalisation. False (data untouched) for bad sizes.
bool FourierTransformInPlace(float* data, const int32_t* sizes, int32_t dimensions, int32_t sign);
