#include "hosts/common/run_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/run_overrides.h"
#include "shell/settings.h"

const char* const kRunOptionsUsage =
    "  --preset FILE     painter 1's preset: a path, or category/name under the presets folder\n"
    "  --preset2 FILE    painter 2's preset (adds the second painter)\n"
    "  --force N         painter 1's force mode: -1 random, 0 cycle, 1 to 13 a mode\n"
    "  --force2 N        painter 2's force mode\n"
    "  --background B    dark or bright\n"
    "  --depth on|off    paint with depth layers or straight over\n"
    "  --speed S         brush step in pixels (0.1 to 1000)\n"
    "  --pace STEPS|max  brush steps per painter per second of saver time, 1 to 1000;\n"
    "                    max (1000) is 20 steps every 20 ms frame (default: the profile's)\n";

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

OptionParse ParseRunOption(const std::string& option, const char* value, RunOptions& o, std::string& error) {
    int64_t n = 0;
    if (option == "--preset" || option == "--preset2") {
        if (!*value) {
            error = "empty preset name";
            return OptionParse::kBad;
        }
        o.preset[option == "--preset" ? 0 : 1] = value;
    } else if (option == "--force" || option == "--force2") {
        if (!ParseWhole(value, -1, 13, n)) {
            error = std::string("bad force mode '") + value + "': want -1 to 13";
            return OptionParse::kBad;
        }
        o.forceMode[option == "--force" ? 0 : 1] = static_cast<int32_t>(n);
    } else if (option == "--background") {
        if (std::strcmp(value, "dark") == 0) {
            o.background = 0;
        } else if (std::strcmp(value, "bright") == 0) {
            o.background = 1;
        } else {
            error = std::string("bad background '") + value + "': want dark or bright";
            return OptionParse::kBad;
        }
    } else if (option == "--depth") {
        if (std::strcmp(value, "on") == 0) {
            o.useDepth = 1;
        } else if (std::strcmp(value, "off") == 0) {
            o.useDepth = 0;
        } else {
            error = std::string("bad depth '") + value + "': want on or off";
            return OptionParse::kBad;
        }
    } else if (option == "--speed") {
        char* end = nullptr;
        const double s = std::strtod(value, &end);
        if (!*value || *end != 0 || !std::isfinite(s) || s < 0.1 || s > 1000) {
            error = std::string("bad speed '") + value + "': want 0.1 to 1000";
            return OptionParse::kBad;
        }
        o.speed = static_cast<float>(s);
    } else if (option == "--pace") {
        if (std::strcmp(value, "max") == 0) {
            o.pace = kMaxPace;
            return OptionParse::kTaken;
        }
        char* end = nullptr;
        const double pace = std::strtod(value, &end);
        if (!*value || *end != 0 || !std::isfinite(pace) || pace < 1 || pace > kMaxPace) {
            error = std::string("bad pace '") + value + "': want 1 to 1000 or max";
            return OptionParse::kBad;
        }
        o.pace = static_cast<float>(pace);
    } else {
        return OptionParse::kNotMine;
    }
    return OptionParse::kTaken;
}

bool ApplyRunOptions(const RunOptions& o, std::string& error) {
    TRunOverrides& overrides = RunOverrides();
    for (int i = 0; i < 2; ++i) {
        overrides.preset[i] = o.preset[i];
        overrides.forceMode[i] = o.forceMode[i];
    }
    overrides.background = o.background;
    overrides.useDepth = o.useDepth;
    overrides.speed = o.speed;
    overrides.pace = o.pace;
    if (const std::string missing = MissingOverridePreset(); !missing.empty()) {
        error = "no preset '" + missing + "': give a .vbr file, or category/name from the presets folder";
        return false;
    }
    return true;
}
