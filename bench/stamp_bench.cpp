// Stamps per second and stamp pixels per second of the stamp shader, at a
// few widths, with depth painting on and off, beside the bare blend loop of
// two 1920x1080 surfaces (the bound a stamp pixel is measured against).
//   build-stamp/bench/stamp_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/offscreen.h"
#include "presets/brush_record.h"
#include "render/stamp_shading.h"
#include "render/stamp_span.h"
#include "render/paint_canvas.h"

namespace {

constexpr int32_t kCanvasWidth = 1024;
constexpr int32_t kCanvasHeight = 768;

struct TBenchCanvas {
    std::vector<uint8_t> picture;
    TPaintCanvas canvas;
    explicit TBenchCanvas(bool depth) : picture(static_cast<size_t>(kCanvasWidth) * kCanvasHeight * 4, 0x40) {
        canvas.SetExternalLayer(0, picture.data(), kCanvasWidth, kCanvasHeight, kCanvasWidth * 4, false);
        if (depth) {
            for (int i = 1; i <= 3; ++i) canvas.AddColourLayer(kCanvasWidth, kCanvasHeight, i);
            canvas.AddDepthLayer(kCanvasWidth, kCanvasHeight, 0);
            canvas.AddDepthLayer(kCanvasWidth, kCanvasHeight, 1);
            canvas.CopyLayer(0, 1);
        }
    }
};

// The shipped default brush (soft, lit, antialiased), with or without depth.
TBrushRecord BenchBrush(bool depth) {
    TBrushRecord brush;
    brush.depth = depth;
    brush.mapColor = false;
    brush.mapOpacity = false;
    brush.glow = 0.0;
    brush.fakeShadow = 0;
    return brush;
}

// One shaded stamp at a time, lit by the brush's own light, wandering over
// the canvas so that the cache sees a realistic spread.
void BM_ShadeStamp(benchmark::State& state) {
    const double width = static_cast<double>(state.range(0));
    const bool depth = state.range(1) != 0;
    TBenchCanvas target(depth);
    TBrushRecord brush = BenchBrush(depth);
    LightRecord light;
    light.direction[0] = -0.2f;
    light.direction[1] = 0.9f;
    light.direction[2] = 0.5f;
    TStamp stamp;
    stamp.brush = &brush;
    stamp.canvas = &target.canvas;
    stamp.width = width;
    stamp.softness = brush.softness;
    stamp.translucence = brush.translucence;
    stamp.depthExtent = width / kCanvasWidth;
    stamp.colour[0] = 0.8;
    stamp.colour[1] = 0.5;
    stamp.colour[2] = 0.2;
    stamp.transparency[0] = stamp.transparency[1] = stamp.transparency[2] = 0.3;
    double x = 100.0, y = 100.0, z = 0.0;
    int64_t pixels = 0;
    for (auto _ : state) {
        stamp.x = x;
        stamp.y = y;
        stamp.depth = z;
        target.canvas.segmentPixels = 0;
        ShadeStamp(stamp, &light, 1);
        pixels += target.canvas.segmentPixels;
        x += width * 0.37 + 1.0;
        if (x > kCanvasWidth - 50) {
            x = 50.0;
            y += width * 0.5 + 3.0;
            if (y > kCanvasHeight - 50) y = 50.0;
        }
        z -= 1e-6;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadeStamp)->ArgsProduct({{8, 32, 128}, {0, 1}})->ArgNames({"width", "depth"});

// A whole stroke body span, placement included: 200 px long at density 8.
void BM_StampSpan(benchmark::State& state) {
    const double width = static_cast<double>(state.range(0));
    const bool depth = state.range(1) != 0;
    TBenchCanvas target(depth);
    TBrushRecord brush = BenchBrush(depth);
    LightRecord light;
    StampRun run;
    TStampSpanArgs args;
    args.brush = &brush;
    args.canvas = &target.canvas;
    args.run = &run;
    args.translucence = brush.translucence;
    args.lightGiven = true;
    args.lights = &light;
    args.lightCount = 1;
    const double w = width / kCanvasWidth;
    args.start.width = args.end.width = w;
    double y = 0.1;
    int64_t stamps = 0, pixels = 0;
    for (auto _ : state) {
        run = StampRun{};
        args.start.point = {0.2, y, 0, 1};
        args.end.point = {0.2 + 200.0 / kCanvasWidth, y, 0, 1};
        args.start.interpolate = args.start.point;
        args.end.interpolate = args.end.point;
        target.canvas.segmentStamps = 0;
        target.canvas.segmentPixels = 0;
        StampSpan(args);
        stamps += target.canvas.segmentStamps;
        pixels += target.canvas.segmentPixels;
        y += 0.01;
        if (y > 0.6) y = 0.1;
    }
    state.counters["stamps/s"] = benchmark::Counter(static_cast<double>(stamps), benchmark::Counter::kIsRate);
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StampSpan)->ArgsProduct({{8, 32, 128}, {0, 1}})->ArgNames({"width", "depth"});

// The bare blend loop: one surface blended over another by a fixed opacity
// (compositing mode 0), every pixel read twice and written once.
void BM_BareBlend(benchmark::State& state) {
    constexpr int kW = 1920, kH = 1080;
    CPOffscreen source(kW, kH, 32, false, true);
    CPOffscreen target(kW, kH, 32, false, true);
    for (CPOffscreen* s : {&source, &target}) {
        std::mt19937 rng(s == &source ? 1u : 2u);
        auto* p = reinterpret_cast<uint32_t*>(s->Pixels());
        for (size_t i = 0, n = static_cast<size_t>(s->RowStride()) * kH / 4; i < n; ++i) p[i] = rng();
    }
    for (auto _ : state) {
        source.Composite(target, 0, 0, 200, 0);
        benchmark::ClobberMemory();
    }
    state.counters["pixels/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kW * kH, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareBlend)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
