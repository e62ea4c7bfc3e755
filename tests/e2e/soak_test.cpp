// A long run of the real frame driver on the headless window: several
// saver sessions, one or two painters each, switching among the shipped
// presets (body and tube presets alike) under Random Selection. After every
// batch of frames the depth layers hold no NaN and the brushes and painters
// stay finite; memory in use stays flat from batch to batch and goes back to
// where it was whenever a session closes.
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hosts/headless/headless_window.h"
#include "presets/brush_record.h"
#include "shell/preset_loader.h"
#include "shell/frame_driver.h"
#include "shell/paint_context.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"
#include "shell/settings.h"
#include "tests/common/saver_run_checks.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSeed = 31337;  // the preset picks and the first session's clock
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kSessions = 4;
constexpr int kBatchesPerSession = 15;
constexpr int kFramesPerBatch = 50;
// The virtual clock runs fast, 0.4 s a frame, so each session passes the
// ten-minute background repaint and the driver's own reloads of a preset,
// which wait 100 s from the last one.
constexpr uint32_t kMillisecondsPerFrame = 400;
// Batches of a session before its memory counts: the canvas, caches and
// images of the first presets are made there. The heap rises and falls as
// tube caches are made and dropped, so the reference is the most that the
// first few counted batches hold.
constexpr int kWarmUpBatches = 2;
constexpr int kReferenceBatches = 3;
// Heap a session may hold beyond its first counted batch. The tube caches
// keep their largest storage for the stroke after, and presets differ in
// it and in their images by a few MiB at this size. A leak of the canvas
// layers every batch passes this within the session; smaller leaks of a
// preset reload are the reload test's.
constexpr double kSessionGrowthMiB = 6.0;
// Heap left over when a session has closed, against the first session (it
// makes the process-wide tables): nothing beyond allocator slack.
constexpr double kClosedGrowthMiB = 0.5;
// Rounds of the reload test: each gives both painters another preset and
// back, with images on both sides.
constexpr int kReloadRounds = 40;
constexpr int kReloadWarmUpRounds = 3;
constexpr int kReloadReferenceRounds = 10;
// Heap the later rounds may hold beyond the most of the reference rounds:
// a waiting-tube cache reaching a new largest size, and the image table's
// entry of each image loaded (its handles are never reused), under 1 KiB a
// round; far below a leaked image or stroke every round.
constexpr double kReloadGrowthMiB = 0.25;

std::vector<std::string> ShippedPresets() {
    std::vector<std::string> found;
    const fs::path root = fs::path(TF_SOURCE_DIR) / "TARN_FL_PRESETS";
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".vbr") found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool IsTubePreset(const std::string& path) {
    TBrushRecord brush;
    TPaintContext context;
    if (!LoadPresetIntoPainter(context, path.c_str(), "", false, &brush, 0)) return false;
    return brush.tubes;
}

// Heap in use, the blocks the allocator maps on their own (canvases, depth
// layers) included; with no allocator statistics, the resident size.
double MemoryInUseMiB() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
#else
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
#endif
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        // The same run whichever tests ran before in this process.
        ResetSaverProcess();
        SetProfilePathForTests((::testing::TempDir() + "tf_soak_missing.prf").c_str());
    }
    void TearDown() override {
        ResetFrameDriver();
        ResetRunOverrides();
        SetProfilePathForTests(nullptr);
    }

    static NativeWindow Handle(HeadlessWindow& w) { return static_cast<CPHostWindow*>(&w); }

    static void Frames(HeadlessWindow& w, int count) {
        for (int k = 0; k < count; ++k) {
            World().elapsedMilliseconds += kMillisecondsPerFrame;
            ScreenSaverProc(Handle(w), kMsgTimer, kFrameTimerId, 0);
        }
    }

    // What the driver does when it reads a preset again at a stroke's end,
    // with another preset: the stroke ends, the new brush becomes the
    // painter's reference and a new stroke starts where the painter is.
    static bool SwitchPreset(int painter, const std::string& path) {
        TFrameDriver& d = FrameDriver();
        if (!d.context) return false;
        const float* p = d.position[painter];
        const double m = std::max(kWidth, kHeight);
        const TFLPoint at = ScreenToCanvas(static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1]),
                                           {0, 0, kWidth, kHeight}, kWidth / m, kHeight / m);
        TRect changed{0, 0, 0, 0};
        d.context->CompleteStroke(changed, at, painter);
        d.presetPath[painter] = path;
        const bool loaded =
            LoadPainterPreset(*d.context, path.c_str(), d.imagesPath[painter].c_str(), 1, nullptr, painter);
        if (const TBrushRecord* brush = d.context->slot[painter].brush) d.referenceBrush[painter] = *brush;
        d.context->StartStroke(at, painter);
        return loaded;
    }
};

TEST_F(Soak, ManyFramesOverSwitchingPresetsStayFiniteAndKeepMemoryFlat) {
    const std::vector<std::string> presets = ShippedPresets();
    ASSERT_GT(presets.size(), 10u) << "no shipped presets under " << TF_SOURCE_DIR;
    std::vector<std::string> tubes;
    std::vector<std::string> bodies;
    for (const std::string& p : presets) (IsTubePreset(p) ? tubes : bodies).push_back(p);
    ASSERT_FALSE(tubes.empty());
    ASSERT_FALSE(bodies.empty());

    // Fixed picks: painter 1 alternates tube and body presets, painter 2 any.
    std::mt19937 pick(kSeed);
    auto any = [&] { return presets[pick() % presets.size()]; };
    auto ofKind = [&](bool tube) { return tube ? tubes[pick() % tubes.size()] : bodies[pick() % bodies.size()]; };

    std::vector<double> closed;  // heap in use after each session has closed
    for (int session = 0; session < kSessions; ++session) {
        const uint32_t start = kSeed + 1000u * static_cast<uint32_t>(session);
        const bool twoPainters = session % 2 == 1;
        ResetFrameDriver();
        ResetRunOverrides();
        RunOverrides().preset[0] = ofKind(session % 4 < 2);
        if (twoPainters) RunOverrides().preset[1] = any();
        RunOverrides().forceMode[0] = RunOverrides().forceMode[1] = -1;  // Random Selection
        RunOverrides().useDepth = session % 3 == 2 ? 0 : 1;
        RunOverrides().background = session % 2;
        World() = VirtualWorld{};
        World().startSeconds = start;
        InstallVirtualWorld();

        std::vector<double> inUse;
        {
            HeadlessWindow window(kWidth, kHeight);
            ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
            for (int batch = 0; batch < kBatchesPerSession; ++batch) {
                std::string switched;
                if (batch > 0) {
                    const int painter = twoPainters ? batch % 2 : 0;
                    switched = ofKind(batch % 2 == 0);
                    ASSERT_TRUE(SwitchPreset(painter, switched)) << switched;
                }
                Frames(window, kFramesPerBatch);
                const std::string fault = saverchecks::SaverFault();
                ASSERT_EQ(fault, "") << "session " << session << " (clock " << start << ", " << kWidth << "x"
                                     << kHeight << "), batch " << batch << ", presets " << FrameDriver().presetPath[0]
                                     << " and " << FrameDriver().presetPath[1];
                inUse.push_back(MemoryInUseMiB());
            }
            ScreenSaverProc(Handle(window), kMsgDestroy, 0, 0);
        }
        ResetFrameDriver();
        closed.push_back(MemoryInUseMiB());

        std::printf("session %d: heap in use (MiB) by batch", session);
        for (double v : inUse) std::printf(" %.2f", v);
        std::printf("; closed %.2f\n", closed.back());
        const auto referenceEnd = inUse.begin() + kWarmUpBatches + kReferenceBatches;
        const double reference = *std::max_element(inUse.begin() + kWarmUpBatches, referenceEnd);
        for (size_t batch = kWarmUpBatches + kReferenceBatches; batch < inUse.size(); ++batch) {
            EXPECT_LE(inUse[batch], reference + kSessionGrowthMiB)
                << "session " << session << " (clock " << start << ") grows: batch " << batch << " holds "
                << inUse[batch] << " MiB against at most " << reference << " MiB in batches " << kWarmUpBatches
                << " to " << kWarmUpBatches + kReferenceBatches - 1;
        }
    }
    for (size_t session = 1; session < closed.size(); ++session) {
        EXPECT_LE(closed[session], closed[0] + kClosedGrowthMiB)
            << "session " << session << " left " << closed[session] - closed[0] << " MiB behind after closing";
    }
}

TEST_F(Soak, ReloadingPresetsOverAndOverKeepsMemoryFlat) {
    const std::string root = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/";
    // Each painter swaps between two presets; all four load brush images
    // (leaves, texture), so a reload that loses an image shows here.
    const std::string first[2] = {root + "trees/autumnOak.vbr", root + "prints/barkBand.vbr"};
    const std::string second[2] = {root + "prints/daisyChain.vbr", root + "plants/roseBush.vbr"};
    RunOverrides().preset[0] = first[0];
    RunOverrides().preset[1] = first[1];
    RunOverrides().forceMode[0] = RunOverrides().forceMode[1] = -1;
    World() = VirtualWorld{};
    World().startSeconds = kSeed;
    InstallVirtualWorld();
    HeadlessWindow window(kWidth, kHeight);
    ScreenSaverProc(Handle(window), kMsgEraseBackground, 0, 0);
    Frames(window, 20);
    std::vector<double> inUse;
    for (int round = 0; round < kReloadRounds; ++round) {
        for (const std::string* presets : {second, first}) {
            Frames(window, 2);
            for (int painter = 0; painter < 2; ++painter) ASSERT_TRUE(SwitchPreset(painter, presets[painter]));
        }
        // Counted right after the switches: both strokes have just ended, so
        // no tubes are in flight and the heap is the same from round to round.
        ASSERT_EQ(saverchecks::SaverFault(), "") << "round " << round << " (clock " << kSeed << ")";
        inUse.push_back(MemoryInUseMiB());
    }
    const auto referenceEnd = inUse.begin() + kReloadWarmUpRounds + kReloadReferenceRounds;
    const double reference = *std::max_element(inUse.begin() + kReloadWarmUpRounds, referenceEnd);
    for (int round = kReloadWarmUpRounds + kReloadReferenceRounds; round < kReloadRounds; ++round) {
        EXPECT_LE(inUse[round], reference + kReloadGrowthMiB)
            << "reloads grow the heap: round " << round << " holds " << inUse[round] << " MiB against at most "
            << reference << " MiB in the reference rounds (clock " << kSeed << ")";
    }
    ScreenSaverProc(Handle(window), kMsgDestroy, 0, 0);
}

}  // namespace
