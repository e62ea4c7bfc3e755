// Compositing kernels on a 1920x1080 surface against a plain memcpy of the
// same bytes, the memory-bandwidth bound they cannot beat.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/compositing.h"
#include "platform/offscreen.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void Randomise(CPOffscreen& s, uint32_t seed) {
    std::mt19937 rng(seed);
    auto* p = reinterpret_cast<uint32_t*>(s.Pixels());
    for (size_t i = 0, n = static_cast<size_t>(s.RowStride()) * s.Height() / 4; i < n; ++i) p[i] = rng();
}

void BytesProcessed(benchmark::State& state, int64_t perIteration) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * perIteration);
    state.counters["pixels/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}

// mode 0 (Blend by source alpha and opacity) and mode 1 (Over), 32 on 32 bits.
void BM_Composite(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    CPOffscreen source(kWidth, kHeight, 32, false, true);
    CPOffscreen target(kWidth, kHeight, 32, false, true);
    Randomise(source, 1);
    Randomise(target, 2);
    for (auto _ : state) {
        source.Composite(target, 0, 0, 200, mode);
        benchmark::ClobberMemory();
    }
    // Reads both surfaces, writes the target.
    BytesProcessed(state, 3LL * kWidth * kHeight * 4);
}
BENCHMARK(BM_Composite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Composite24On32(benchmark::State& state) {
    CPOffscreen source(kWidth, kHeight, 24, false, false);
    CPOffscreen target(kWidth, kHeight, 32, false, true);
    Randomise(source, 1);
    Randomise(target, 2);
    for (auto _ : state) {
        source.Composite(target, 0, 0, 200, 0);
        benchmark::ClobberMemory();
    }
    BytesProcessed(state, static_cast<int64_t>(kWidth) * kHeight * (3 + 4 + 4));
}
BENCHMARK(BM_Composite24On32)->Unit(benchmark::kMillisecond);

void BM_Fill(benchmark::State& state) {
    CPOffscreen target(kWidth, kHeight, 32, false, true);
    auto bucket = target.MakeBucket();
    uint32_t colour = 0xFF102030u;
    for (auto _ : state) {
        bucket->Fill(colour++);
        benchmark::ClobberMemory();
    }
    BytesProcessed(state, 1LL * kWidth * kHeight * 4);
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

// The bound: copy the target's bytes (one read and one write stream).
void BM_MemcpyBandwidth(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(kWidth) * kHeight * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    BytesProcessed(state, 2LL * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyBandwidth)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
