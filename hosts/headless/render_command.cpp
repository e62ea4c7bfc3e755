// `tarn-flourish render` drives the real saver on a virtual window and
// writes what a user would have seen to a picture file.
#include <cstdio>
#include <ctime>
#include <string>

#include "hosts/common/picture_file.h"
#include "hosts/headless/headless_window.h"
#include "hosts/headless/render_command.h"
#include "hosts/headless/render_options.h"
#include "shell/frame_driver.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"

namespace {

int Render(const RenderOptions& o) {
    HeadlessWindow window(o.width, o.height);
    if (!window.Valid()) {
        std::fprintf(stderr, "tarn-flourish: cannot make a %dx%d picture\n", o.width, o.height);
        return 1;
    }
    VirtualWorld& world = World();
    world.startSeconds = o.clock ? *o.clock : static_cast<uint32_t>(std::time(nullptr));
    world.keyAfterPolls = o.keyAfterPolls;
    InstallVirtualWorld();

    if (std::string error; !ApplyRunOptions(o, error)) {
        std::fprintf(stderr, "tarn-flourish: %s\n", error.c_str());
        return 2;
    }
    RunOverrides().wireframe = o.wireframe;

    NativeWindow handle = static_cast<CPHostWindow*>(&window);
    ScreenSaverProc(handle, kMsgEraseBackground, 0, 0);
    for (int64_t frame = 0; frame < o.frames; ++frame) {
        world.elapsedMilliseconds = static_cast<uint32_t>(frame * kFrameTimerPeriod);
        ScreenSaverProc(handle, kMsgTimer, kFrameTimerId, 0);
    }
    ScreenSaverProc(handle, kMsgDestroy, 0, 0);

    std::string error;
    if (!WritePictureFile(window.Screen(), o.out, error)) {
        std::fprintf(stderr, "tarn-flourish: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s (%dx%d, %lld frames, clock %u)\n", o.out.c_str(), o.width, o.height,
                static_cast<long long>(o.frames), world.startSeconds);
    return 0;
}

}  // namespace

int RunRenderCommand(int argc, const char* const* argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tarn-flourish render: %s\n%s%s", error.c_str(), kRenderUsage, kRunOptionsUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        std::fputs(kRunOptionsUsage, stdout);
        return 0;
    }
    return Render(options);
}
