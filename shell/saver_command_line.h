// The screen saver's command line as the system gives it: the first
// character after optional blanks and an optional "-" or "/" picks the mode,
// and a decimal window handle may follow.
#pragma once

#include <cstdint>

enum class TSaverMode : uint8_t {
    FullScreen,  // s
    Preview,     // p or l, then the window to paint in
    Configure,   // c, optionally ":" and the owner window (else the foreground window)
    ConfigureAlone,  // no switch: the settings with no owner
    Password,    // a, then the window that owns the password dialog
};

struct SSaverCommand {
    TSaverMode mode = TSaverMode::ConfigureAlone;
    uintptr_t window = 0;  // 0: none given
};

// Never fails: an empty line or an unknown switch asks for the settings
// with no owner, a missing or malformed handle gives window 0.
SSaverCommand ParseSaverCommandLine(const char* line);
