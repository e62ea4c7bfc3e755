// Texture samples: nanoseconds per sample for each texture kind, through
// the per-pixel hook (SampleTexture) and through a sampler held for a
// whole stamp (TTextureSampler). One benchmark iteration is one sample.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/random.h"
#include "platform/pixel_bucket.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"
#include "render/texture_hook.h"
#include "render/texture_sampler.h"

namespace {

constexpr int kPositions = 4096;  // a power of two

// Texture coordinates as a stamp of radius 10 visits them: across in
// [0, 1], along a stretch of the stroke.
struct TPositions {
    TPositions() {
        for (int k = 0; k < kPositions; ++k) {
            u[k] = (k % 64) / 63.0;
            v[k] = 3.0 + (k / 64) * 0.0125;
        }
    }
    double u[kPositions];
    double v[kPositions];
};

const TPositions& Positions() {
    static const TPositions positions;
    return positions;
}

TBrushRecord Brush(bool smear) {
    TBrushRecord b;
    b.texColor1R = 1.0, b.texColor1G = 0.8, b.texColor1B = 0.2;
    b.texColor2R = 0.1, b.texColor2G = 0.3, b.texColor2B = 0.9;
    b.smear = smear ? 2.0 : 0.0;
    b.smearU = smear ? 0.2 : 0.0;
    b.smearV = smear ? 0.1 : 0.0;
    b.fractalAmplitude = 1.0;
    b.fractalRatio = 0.5;
    return b;
}

// A 64 x 64 image with alpha, registered for the run of one benchmark.
struct TBenchImage {
    TBenchImage() : bucket(CPPixelBucket::NewOwnedBucket(64, 64, 32, false)) {
        for (int r = 0; r < 64; ++r)
            for (int x = 0; x < 64 * 4; ++x) bucket->Row(r)[x] = static_cast<uint8_t>(r * 7 + x * 13);
        handle = RegisterImage(DescribeImage(*bucket));
    }
    ~TBenchImage() { ClearImageTable(nullptr); }
    std::unique_ptr<CPPixelBucket> bucket;
    int32_t handle = 0;
};

// args: kind, filter width in 1/1000, smear (0 or 1).
void HookSample(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const double w = state.range(1) / 1000.0;
    const TBrushRecord brush = Brush(state.range(2) != 0);
    TBenchImage image;
    const TPositions& p = Positions();
    uint32_t k = 0;
    for (auto _ : state) {
        const TTextureSample t = SampleTexture(brush, p.u[k], p.v[k], w, w, kind, kind != 4, image.handle);
        benchmark::DoNotOptimize(t);
        k = (k + 1) & (kPositions - 1);
    }
}

void StampSampler(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const double w = state.range(1) / 1000.0;
    const TBrushRecord brush = Brush(state.range(2) != 0);
    TBenchImage image;
    TTextureSampler sampler(brush, kind, kind != 4, image.handle);
    const TPositions& p = Positions();
    uint32_t k = 0;
    for (auto _ : state) {
        const TTextureSample t = sampler.Sample(p.u[k], p.v[k], w, w);
        benchmark::DoNotOptimize(t);
        k = (k + 1) & (kPositions - 1);
    }
}

void Kinds(benchmark::internal::Benchmark* b) {
    b->ArgNames({"kind", "width_milli", "smear"});
    b->Args({0, 50, 0});     // checker
    b->Args({1, 50, 0});     // ramp along u
    b->Args({2, 50, 0});     // ramp along v
    b->Args({3, 50, 0});     // fractal, one octave at a stamp's width
    b->Args({3, 1, 0});      // fractal, finer filter: about four octaves
    b->Args({3, 0, 0});      // fractal, unfiltered: six octaves
    b->Args({0, 50, 1});     // checker with smear
    b->Args({4, 10, 0});     // image, one texel per pixel or less: one tap
    b->Args({4, 50, 0});     // image, about three texels per pixel: 4 x 4 taps
}

// The smooth noise the fractal and the smear are built from, for scale.
void Noise2Baseline(benchmark::State& state) {
    const TPositions& p = Positions();
    uint32_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Noise2(p.u[k] + 1000.0, p.v[k] + 1000.0));
        k = (k + 1) & (kPositions - 1);
    }
}

}  // namespace

BENCHMARK(Noise2Baseline);
BENCHMARK(HookSample)->Apply(Kinds);
BENCHMARK(StampSampler)->Apply(Kinds);

BENCHMARK_MAIN();
