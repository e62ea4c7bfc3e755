// The tube engine: building the turbulence field, sampling it, and growing
// the tubes of a stroke (tube steps per second) with the default brush and
// with a branching, leafy one.
#include <benchmark/benchmark.h>

#include "presets/brush_record.h"
#include "base/geometry.h"
#include "tubes/particle_cache.h"
#include "tubes/tube_growth.h"
#include "tubes/turbulence_field.h"

namespace {

void BM_TurbulenceFieldBuild(benchmark::State& state) {
    for (auto _ : state) {
        ResetTurbulenceFieldForTests();
        ProcessTurbulenceField().EnsureBuilt();
        benchmark::DoNotOptimize(ProcessTurbulenceField().Cells());
    }
}
BENCHMARK(BM_TurbulenceFieldBuild)->Unit(benchmark::kMillisecond);

// Samples per second in each interpolation mode (0: 16 cells, 1: 24, 2: 81).
void BM_SampleTurbulence(benchmark::State& state) {
    const int32_t mode = static_cast<int32_t>(state.range(0));
    ProcessTurbulenceField().EnsureBuilt();
    float x = 0.0f;
    for (auto _ : state) {
        x += 0.013f;
        const TTurbulenceSample v = SampleTurbulence(x, 0.37f - x, 0.5f * x, 0.25f, mode);
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SampleTurbulence)->Arg(0)->Arg(1)->Arg(2);

TBrushRecord LeafyBrush() {
    TBrushRecord b;  // the defaults: branching tubes with gravity and jitter
    b.twigs = true;
    b.leaves = true;
    b.flowers = true;
    b.turbulenceType = 2;
    b.curl = 0.1;
    return b;
}

// A stroke of 200 segments and its completion; items are tube steps (one
// living tube grown by one segment).
void GrowStroke(benchmark::State& state, const TBrushRecord& brush) {
    ProcessTurbulenceField().EnsureBuilt();
    const TFLVector side{0, -1, 0}, D{1, 0, 0}, N{0, 0, 1};
    TubeParticleCache cache;
    int64_t steps = 0;
    for (auto _ : state) {
        cache.Reset();
        int32_t i = 0;
        for (; i < 200; ++i) {
            const TFLPoint A{0.2 + 0.003 * i, 0.5, 0.0, 1.0};
            const TFLPoint B{0.203 + 0.003 * i, 0.5, 0.0, 1.0};
            EmitTubes(brush, i, A, B, side, D, N, brush.globalScale, brush.brushWidth, 1000 + i, 100000.0, cache);
            steps += cache.LiveCount() + cache.PendingCount();
            AdvanceTubes(brush, i, A, B, N, N, side, D, N, brush.globalScale, 1.0, 100000.0, cache);
        }
        const TFLPoint end{0.2 + 0.003 * 200, 0.5, 0.0, 1.0};
        while (cache.HasLiving() && i < 2000) {
            steps += cache.LiveCount();
            AdvanceTubes(brush, i++, end, end, N, N, side, D, N, brush.globalScale, 1.0, 100000.0, cache);
        }
    }
    state.SetItemsProcessed(steps);
}

void BM_GrowDefaultBrush(benchmark::State& state) { GrowStroke(state, TBrushRecord()); }
BENCHMARK(BM_GrowDefaultBrush)->Unit(benchmark::kMillisecond);

void BM_GrowLeafyBrush(benchmark::State& state) { GrowStroke(state, LeafyBrush()); }
BENCHMARK(BM_GrowLeafyBrush)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
