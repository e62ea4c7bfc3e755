// tarn-flourish: with no subcommand the X11 saver, `render` the headless
// renderer, `xscreensaver-config FOLDER` the hack's settings file.
#include <cstdio>
#include <cstring>
#include <string>

#include "hosts/common/run_options.h"
#include "hosts/headless/panel_host.h"
#include "hosts/headless/render_command.h"
#include "hosts/x11/saver_options.h"
#include "hosts/x11/x11_saver.h"
#include "hosts/x11/x11_settings.h"
#include "hosts/x11/xscreensaver_config.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "render") == 0) return RunRenderCommand(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "panel") == 0) {
        PanelOptions panel;
        std::string error;
        if (!ParsePanelOptions(argc - 2, argv + 2, panel, error)) {
            std::fprintf(stderr, "tarn-flourish panel: %s\n%s", error.c_str(), kPanelUsage);
            return 2;
        }
        if (panel.help) {
            std::fputs(kPanelUsage, stdout);
            return 0;
        }
        return RunPanel(panel);
    }
    if (argc == 3 && std::strcmp(argv[1], "xscreensaver-config") == 0) {
        // The build writes the hack's settings file with this.
        std::string xml;
        if (!XScreenSaverConfig(argv[2], xml)) {
            std::fprintf(stderr, "tarn-flourish: no presets under %s\n", argv[2]);
            return 1;
        }
        std::fputs(xml.c_str(), stdout);
        return 0;
    }
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
    if (options.settings) return RunX11Settings();
    return RunX11Saver(options);
}
