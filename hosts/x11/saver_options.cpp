#include "hosts/x11/saver_options.h"

#include <cerrno>
#include <cstdlib>

const char* const kSaverUsage =
    "usage: tarn-flourish [--geometry WxH] [--fullscreen] [--root] [--window-id ID] [--wireframe] [--fps]\n"
    "                     [run options]\n"
    "       tarn-flourish --settings\n"
    "       tarn-flourish render --help\n"
    "The saver in a window of its own (closed by a key, a click or moving the mouse),\n"
    "full screen, or in a window xscreensaver gives it.\n"
    "  --geometry WxH    window size (also --size; default 1280x720)\n"
    "  --fullscreen      a full-screen window\n"
    "  --root            paint $XSCREENSAVER_WINDOW, else the root window; input is left alone\n"
    "  --window-id ID    paint the window ID (decimal or 0x hex); input is left alone\n"
    "  --wireframe       draw the strokes' wireframe instead of paint\n"
    "  --fps             show frame time and frames per second in a corner\n"
    "  --settings        the settings panel\n";

bool ParseWindowId(const char* text, uint64_t& id) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    errno = 0;
    char* end = nullptr;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned long long v = std::strtoull(hex ? text + 2 : text, &end, hex ? 16 : 10);
    if (errno != 0 || end == (hex ? text + 2 : text) || *end != 0 || v == 0 || v > 0xFFFFFFFFull) return false;
    id = v;
    return true;
}

bool ParseSaverOptions(int argc, const char* const* argv, SaverOptions& o, std::string& error) {
    for (int k = 0; k < argc; ++k) {
        std::string option = argv[k];
        // xscreensaver's own hacks take single-dash options; take both.
        if (option.size() > 2 && option[0] == '-' && option[1] != '-') option = "-" + option;
        if (option == "--help" || option == "-h") {
            o.help = true;
        } else if (option == "--fullscreen") {
            o.fullscreen = true;
        } else if (option == "--root") {
            o.root = true;
        } else if (option == "--wireframe") {
            o.wireframe = true;
        } else if (option == "--fps") {
            o.fps = true;
        } else if (option == "--settings") {
            o.settings = true;
        } else if (k + 1 >= argc) {
            error = option.rfind("--", 0) == 0 ? "missing value for " + option : "unknown argument " + option;
            return false;
        } else {
            const char* value = argv[++k];
            if (option == "--geometry" || option == "--size") {
                if (!ParseSize(value, o.width, o.height)) {
                    error = std::string("bad size '") + value + "': want WxH, each 1 to 16384";
                    return false;
                }
            } else if (option == "--window-id") {
                uint64_t id = 0;
                if (!ParseWindowId(value, id)) {
                    error = std::string("bad window id '") + value + "': want decimal or 0x hex";
                    return false;
                }
                o.windowId = id;
            } else {
                const OptionParse run = ParseRunOption(option, value, o, error);
                if (run == OptionParse::kBad) return false;
                if (run == OptionParse::kNotMine) {
                    error = "unknown option " + option;
                    return false;
                }
            }
        }
    }
    if (o.root && o.windowId) {
        error = "--root and --window-id name two windows; give one";
        return false;
    }
    return true;
}
