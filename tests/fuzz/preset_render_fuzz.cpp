// libFuzzer target: any bytes as a brush preset, painted. The bytes are
// written to a preset file that the real frame driver loads as painter 1's
// preset (or painter 2's, over a plain companion, so smear, blur and erase
// brushes have paint to work on) on a small headless window. A few timer
// frames run, then every painter's stroke is completed, which grows its
// tubes to their ends. Nothing may crash or hang, no float depth value may
// become NaN and the brushes must keep only finite numbers. The sanitizers
// catch the rest, a NaN or an overflow reaching an integer pixel included.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "hosts/headless/headless_window.h"
#include "shell/frame_driver.h"
#include "shell/paint_context.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"
#include "shell/settings.h"
#include "tests/common/saver_run_checks.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFrames = 5;

std::string gPresetFile;

void Require(const std::string& fault) {
    if (fault.empty()) return;
    std::fprintf(stderr, "preset_render_fuzz: %s\n", fault.c_str());
    std::abort();
}

// The run's settings from the input, so the same bytes always paint alike.
uint32_t Hash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t k = 0; k < size; ++k) h = (h ^ data[k]) * 16777619u;
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = std::getenv("TMPDIR");
    const std::string base = folder && *folder ? folder : "/tmp";
    gPresetFile = base + "/tf_preset_render_fuzz_" + std::to_string(getpid()) + ".vbr";
    // No profile: every run starts from the defaults, whatever lies beside the program.
    static const std::string noProfile = base + "/tf_preset_render_fuzz_none.prf";
    SetProfilePathForTests(noProfile.c_str());
    std::atexit([] { std::remove(gPresetFile.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) return 0;
    FILE* file = std::fopen(gPresetFile.c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return 0;

    const uint32_t h = Hash(data, size);
    // Every input starts from a fresh process state, so one input alone
    // repeats what it did among the others.
    ResetSaverProcess();
    TRunOverrides& overrides = RunOverrides();
    if (h & 4) {
        overrides.preset[0] = std::string("basics/plainSoft.vbr");
        overrides.preset[1] = gPresetFile;
    } else {
        overrides.preset[0] = gPresetFile;
    }
    overrides.forceMode[0] = overrides.forceMode[1] = static_cast<int32_t>((h >> 8) % 15) - 1;
    overrides.useDepth = (h & 1) ? 1 : 0;
    overrides.background = (h & 2) ? 1 : 0;

    World() = VirtualWorld{};
    World().startSeconds = 1000;
    InstallVirtualWorld();
    HeadlessWindow window(kWidth, kHeight);
    NativeWindow handle = static_cast<CPHostWindow*>(&window);
    ScreenSaverProc(handle, kMsgEraseBackground, 0, 0);
    for (int frame = 0; frame < kFrames; ++frame) {
        World().elapsedMilliseconds += kFrameTimerPeriod;
        ScreenSaverProc(handle, kMsgTimer, kFrameTimerId, 0);
        Require(saverchecks::SaverFault());
    }
    // A stroke's completion grows every tube still growing to its end.
    if (TPaintContext* context = FrameDriver().context) {
        for (int painter = 0; painter < static_cast<int>(FrameDriver().painterCount); ++painter) {
            TRect changed{0, 0, 0, 0};
            const float* p = FrameDriver().position[painter];
            const TFLPoint at = ScreenToCanvas(static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1]),
                                               {0, 0, kWidth, kHeight}, 1.0, double(kHeight) / kWidth);
            context->CompleteStroke(changed, at, painter);
        }
    }
    Require(saverchecks::SaverFault());
    ScreenSaverProc(handle, kMsgDestroy, 0, 0);
    ResetFrameDriver();
    return 0;
}
