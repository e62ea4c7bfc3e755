// tarn-flourish: `render` drives the real saver on a virtual window and
// writes what a user would have seen to a picture file.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "hosts/common/picture_file.h"
#include "hosts/headless/headless_window.h"
#include "hosts/headless/panel_host.h"
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

    TRunOverrides& overrides = RunOverrides();
    for (int i = 0; i < 2; ++i) {
        overrides.preset[i] = o.preset[i];
        overrides.forceMode[i] = o.forceMode[i];
    }
    overrides.background = o.background;
    overrides.useDepth = o.useDepth;
    overrides.speed = o.speed;
    overrides.wireframe = o.wireframe;

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

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "render") == 0) {
        RenderOptions options;
        std::string error;
        if (!ParseRenderOptions(argc - 2, argv + 2, options, error)) {
            std::fprintf(stderr, "tarn-flourish render: %s\n%s", error.c_str(), kRenderUsage);
            return 2;
        }
        if (options.help) {
            std::fputs(kRenderUsage, stdout);
            return 0;
        }
        return Render(options);
    }
    if (argc >= 2 && std::strcmp(argv[1], "panel") == 0) {
        PanelOptions options;
        std::string error;
        if (!ParsePanelOptions(argc - 2, argv + 2, options, error)) {
            std::fprintf(stderr, "tarn-flourish panel: %s\n%s", error.c_str(), kPanelUsage);
            return 2;
        }
        if (options.help) {
            std::fputs(kPanelUsage, stdout);
            return 0;
        }
        return RunPanel(options);
    }
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "tarn-flourish: unknown command%s%s\n%s", argc >= 2 ? " " : "", argc >= 2 ? argv[1] : "",
                 kRenderUsage);
    return 2;
}
