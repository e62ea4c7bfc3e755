#include "hosts/headless/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const kRenderUsage =
    "usage: tarn-flourish render [--size WxH] [--frames N] [--clock SECONDS] [--out FILE]\n"
    "                            [--preset FILE.vbr] [--preset2 FILE.vbr] [--force N] [--force2 N]\n"
    "                            [--background dark|bright] [--depth on|off] [--speed S] [--wireframe]\n"
    "  --size WxH        window size in pixels, each 1 to 16384 (default 1280x720)\n"
    "  --frames N        timer frames to paint (default 250)\n"
    "  --clock SECONDS   start second of the virtual clock, the picture's seed (default now)\n"
    "  --out FILE        picture to write, .png or .bmp (default flourish.png)\n"
    "  --preset FILE     painter 1's preset: a path, or category/name under the presets folder\n"
    "  --preset2 FILE    painter 2's preset (adds the second painter)\n"
    "  --force N         painter 1's force mode: -1 random, 0 cycle, 1 to 13 a mode\n"
    "  --force2 N        painter 2's force mode\n"
    "  --background B    dark or bright\n"
    "  --depth on|off    paint with depth layers or straight over\n"
    "  --speed S         brush step in pixels (0.1 to 1000)\n"
    "  --wireframe       the wireframe preview: each segment a line in the brush colour\n"
    "  --input-after N   testing: a key arrives after N input polls\n";

namespace {

bool ParseWhole(const char* text, int64_t low, int64_t high, int64_t& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != 0 || v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    const std::string w(text, x);
    int64_t a, b;
    if (!ParseWhole(w.c_str(), 1, 16384, a) || !ParseWhole(x + 1, 1, 16384, b)) return false;
    width = static_cast<int>(a);
    height = static_cast<int>(b);
    return true;
}

}  // namespace

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
        } else if (option == "--preset" || option == "--preset2") {
            if (!*value) {
                error = "empty preset name";
                return false;
            }
            o.preset[option == "--preset" ? 0 : 1] = value;
        } else if (option == "--force" || option == "--force2") {
            if (!ParseWhole(value, -1, 13, n)) {
                error = std::string("bad force mode '") + value + "': want -1 to 13";
                return false;
            }
            o.forceMode[option == "--force" ? 0 : 1] = static_cast<int32_t>(n);
        } else if (option == "--background") {
            if (std::strcmp(value, "dark") == 0) {
                o.background = 0;
            } else if (std::strcmp(value, "bright") == 0) {
                o.background = 1;
            } else {
                error = std::string("bad background '") + value + "': want dark or bright";
                return false;
            }
        } else if (option == "--depth") {
            if (std::strcmp(value, "on") == 0) {
                o.useDepth = 1;
            } else if (std::strcmp(value, "off") == 0) {
                o.useDepth = 0;
            } else {
                error = std::string("bad depth '") + value + "': want on or off";
                return false;
            }
        } else if (option == "--speed") {
            char* end = nullptr;
            const double s = std::strtod(value, &end);
            if (!*value || *end != 0 || !std::isfinite(s) || s < 0.1 || s > 1000) {
                error = std::string("bad speed '") + value + "': want 0.1 to 1000";
                return false;
            }
            o.speed = static_cast<float>(s);
        } else if (option == "--input-after") {
            if (!ParseWhole(value, 0, 1000000000, n)) {
                error = std::string("bad poll count '") + value + "'";
                return false;
            }
            o.keyAfterPolls = n;
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    return true;
}
