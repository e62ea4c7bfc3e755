// Frame time of the real frame driver for every shipped preset and every
// extreme preset of the render fuzz corpus, on the headless window: each
// benchmark runs one preset for a fixed number of timer frames (a stroke's
// completion, when all its tubes finish, is among them) and reports the
// median and the worst frame, and the most stamps and tube steps one frame
// did (the work the frame ceiling counts).
//   build/bench/frame_bench [--size=WxH] [--frames=N] [--frame-log] [--no-ceiling]
//                           [--benchmark_filter=plants]
// --no-ceiling lifts the frame's work ceiling, to measure what presets ask for.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts/headless/headless_window.h"
#include "shell/frame_driver.h"
#include "render/paint_canvas.h"
#include "shell/paint_context.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"
#include "stroke/frame_work.h"

namespace {

int gWidth = 1920;
int gHeight = 1080;
int gFrames = 150;
bool gFrameLog = false;  // --frame-log: every frame's time on standard error
bool gNoCeiling = false;  // --no-ceiling: frames do all the work their presets ask for

void RunPreset(benchmark::State& state, const std::string& preset) {
    std::vector<double> frameMs;
    double tubeFrames = 0;
    double stamps = 0;
    double paintSeconds = 0;
    int64_t worstStamps = 0;
    int64_t worstTubeSteps = 0;
    double worstCoverage = 0;  // stamp pixels of a frame per canvas pixel
    for (auto _ : state) {
        // Every preset starts from a fresh process state, so that its
        // figures do not depend on the presets measured before it.
        ResetSaverProcess();
        RunOverrides().preset[0] = preset;
        RunOverrides().forceMode[0] = -1;
        RunOverrides().pace = kMaxPace;  // the timer's full 20 passes a frame, as the figures assume
        HeadlessWindow window(gWidth, gHeight);
        VirtualWorld& world = World();
        world.startSeconds = 1000;
        world.keyAfterPolls = -1;
        InstallVirtualWorld();
        if (gNoCeiling) {
            FrameWork().stampCeiling = INT64_MAX;
            FrameWork().tubeStepCeiling = INT64_MAX;
            FrameWork().pixelCeiling = 1e30;
        }
        NativeWindow handle = static_cast<CPHostWindow*>(&window);
        ScreenSaverProc(handle, kMsgEraseBackground, 0, 0);
        frameMs.clear();
        for (int frame = 0; frame < gFrames; ++frame) {
            world.elapsedMilliseconds = static_cast<uint32_t>(frame * kFrameTimerPeriod);
            const auto start = std::chrono::steady_clock::now();
            ScreenSaverProc(handle, kMsgTimer, kFrameTimerId, 0);
            const auto end = std::chrono::steady_clock::now();
            // The first frame builds everything and paints the background.
            const double ms = std::chrono::duration<double, std::milli>(end - start).count();
            paintSeconds += ms / 1000.0;
            const TPaintCanvas* canvas = FrameDriver().context ? FrameDriver().context->canvas : nullptr;
            const int64_t stampsNow = canvas ? FrameStamps(*canvas) : 0;
            const int64_t stepsNow = FrameWork().tubeSteps;
            const double coverage =
                canvas ? static_cast<double>(FramePixels(*canvas)) / (static_cast<double>(gWidth) * gHeight) : 0.0;
            if (gFrameLog)
                std::fprintf(stderr, "%s frame %d %.1f ms %lld stamps %lld tube steps %.3f coverage\n",
                             preset.c_str(), frame, ms, static_cast<long long>(stampsNow),
                             static_cast<long long>(stepsNow), coverage);
            if (frame > 0) {
                frameMs.push_back(ms);
                worstStamps = std::max(worstStamps, stampsNow);
                worstTubeSteps = std::max(worstTubeSteps, stepsNow);
                worstCoverage = std::max(worstCoverage, coverage);
            }
        }
        if (FrameDriver().context && FrameDriver().context->canvas)
            stamps += static_cast<double>(FrameDriver().context->canvas->stampsLaid);
        ScreenSaverProc(handle, kMsgDestroy, 0, 0);
        tubeFrames += gFrames;
    }
    std::sort(frameMs.begin(), frameMs.end());
    if (!frameMs.empty()) {
        state.counters["median_ms"] = frameMs[frameMs.size() / 2];
        state.counters["p95_ms"] = frameMs[frameMs.size() * 95 / 100];
        state.counters["worst_ms"] = frameMs.back();
    }
    state.counters["frames"] = tubeFrames;
    state.counters["worst_stamps"] = static_cast<double>(worstStamps);
    state.counters["worst_tube_steps"] = static_cast<double>(worstTubeSteps);
    state.counters["worst_coverage"] = worstCoverage;
    // Stamps laid per second of frame time (the first frame included).
    state.counters["stamps_per_s"] = paintSeconds > 0 ? stamps / paintSeconds : 0.0;
}

// Every .vbr under root, named category/name, or prefix/name when a prefix is given.
void RegisterPresets(const std::filesystem::path& root, const std::string& prefix) {
    std::vector<std::filesystem::path> presets;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().extension() == ".vbr") presets.push_back(it->path());
    }
    std::sort(presets.begin(), presets.end());
    for (const auto& path : presets) {
        const std::string name =
            (prefix.empty() ? path.parent_path().filename().string() : prefix) + "/" + path.stem().string();
        benchmark::RegisterBenchmark(name.c_str(), [p = path.string()](benchmark::State& s) { RunPreset(s, p); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int k = 0; k < argc; ++k) {
        if (std::strncmp(argv[k], "--size=", 7) == 0) {
            std::sscanf(argv[k] + 7, "%dx%d", &gWidth, &gHeight);
        } else if (std::strncmp(argv[k], "--frames=", 9) == 0) {
            gFrames = std::max(2, std::atoi(argv[k] + 9));
        } else if (std::strcmp(argv[k], "--frame-log") == 0) {
            gFrameLog = true;
        } else if (std::strcmp(argv[k], "--no-ceiling") == 0) {
            gNoCeiling = true;
        } else {
            rest.push_back(argv[k]);
        }
    }
    int count = static_cast<int>(rest.size());
    const std::filesystem::path source(TF_SOURCE_DIR);
    RegisterPresets(source / "TARN_FL_PRESETS", "");
    // The render fuzz corpus: presets made to ask for far too much.
    RegisterPresets(source / "tests" / "fuzz" / "corpus" / "render", "extreme");
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
