#include "hosts/headless/render_options.h"

const char* const kRenderUsage =
    "usage: tarn-flourish render [--size WxH] [--frames N] [--clock SECONDS] [--out FILE]\n"
    "                            [--preset FILE.vbr] [--preset2 FILE.vbr] [--force N] [--force2 N]\n"
    "                            [--background dark|bright] [--depth on|off] [--speed S]\n"
    "                            [--pace STEPS|max] [--wireframe]\n"
    "  --size WxH        window size in pixels, each 1 to 16384 (default 1280x720)\n"
    "  --frames N        timer frames to paint (default 250)\n"
    "  --clock SECONDS   start second of the virtual clock, the picture's seed (default now)\n"
    "  --out FILE        picture to write, .png or .bmp (default flourish.png)\n"
    "  --wireframe       the wireframe preview: each segment a line in the brush colour\n"
    "  --input-after N   testing: a key arrives after N input polls\n";

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& o, std::string& error) {
    for (int k = 0; k < argc; ++k) {
        const std::string option = argv[k];
        if (option == "--help" || option == "-h") {
            o.help = true;
            continue;
        }
        if (option == "--wireframe") {
            o.wireframe = true;
            continue;
        }
        if (k + 1 >= argc) {
            error = option.rfind("--", 0) == 0 ? "missing value for " + option : "unknown argument " + option;
            return false;
        }
        const char* value = argv[++k];
        int64_t n = 0;
        if (option == "--size") {
            if (!ParseSize(value, o.width, o.height)) {
                error = std::string("bad size '") + value + "': want WxH, each 1 to 16384";
                return false;
            }
        } else if (option == "--frames") {
            if (!ParseWhole(value, 0, 100000000, n)) {
                error = std::string("bad frame count '") + value + "'";
                return false;
            }
            o.frames = n;
        } else if (option == "--clock") {
            if (!ParseWhole(value, 0, 4294967295LL, n)) {
                error = std::string("bad clock '") + value + "': want whole seconds";
                return false;
            }
            o.clock = static_cast<uint32_t>(n);
        } else if (option == "--out") {
            if (!*value) {
                error = "empty output path";
                return false;
            }
            o.out = value;
        } else if (option == "--input-after") {
            if (!ParseWhole(value, 0, 1000000000, n)) {
                error = std::string("bad poll count '") + value + "'";
                return false;
            }
            o.keyAfterPolls = n;
        } else {
            const OptionParse run = ParseRunOption(option, value, o, error);
            if (run == OptionParse::kBad) return false;
            if (run == OptionParse::kNotMine) {
                error = "unknown option " + option;
                return false;
            }
        }
    }
    return true;
}
