// tarn-flourish: with no subcommand the X11 saver, `render` the headless
// renderer.
#include <cstdio>
#include <cstring>
#include <string>

#include "hosts/common/run_options.h"
#include "hosts/headless/render_command.h"
#include "hosts/x11/saver_options.h"
#include "hosts/x11/x11_saver.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "render") == 0) return RunRenderCommand(argc - 2, argv + 2);
    SaverOptions options;
    std::string error;
    if (!ParseSaverOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "tarn-flourish: %s\n%s%s", error.c_str(), kSaverUsage, kRunOptionsUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kSaverUsage, stdout);
        std::fputs(kRunOptionsUsage, stdout);
        return 0;
    }
    if (options.settings) {
        std::fputs("tarn-flourish: the settings panel is not built yet\n", stderr);
        return 2;
    }
    return RunX11Saver(options);
}
