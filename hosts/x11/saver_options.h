// The options of `tarn-flourish` with no subcommand, the X11 saver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hosts/common/run_options.h"

struct SaverOptions : RunOptions {
    int width = 1280;
    int height = 720;
    bool fullscreen = false;
    bool root = false;                   // XSCREENSAVER_WINDOW, else the root window
    std::optional<uint64_t> windowId;    // a window handed in
    bool wireframe = false;
    bool fps = false;
    bool settings = false;
    bool help = false;
};

// False with a one-line error on bad input.
bool ParseSaverOptions(int argc, const char* const* argv, SaverOptions& options, std::string& error);

// A window id in decimal or 0x hexadecimal, as xscreensaver and xwininfo
// print them; false for anything else, zero included.
bool ParseWindowId(const char* text, uint64_t& id);

extern const char* const kSaverUsage;
