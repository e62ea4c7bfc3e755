#include "shell/saver_command_line.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal handle after optional blanks; 0 when there is none or it does
// not fit in a pointer.
uintptr_t ReadHandle(const char* p) {
    while (IsBlank(*p)) ++p;
    uintptr_t value = 0;
    bool any = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const uintptr_t digit = static_cast<uintptr_t>(*p - '0');
        if (value > (UINTPTR_MAX - digit) / 10) return 0;
        value = value * 10 + digit;
        any = true;
    }
    return any ? value : 0;
}

}  // namespace

SSaverCommand ParseSaverCommandLine(const char* line) {
    SSaverCommand command;
    if (!line) return command;
    while (IsBlank(*line)) ++line;
    if (*line == '-' || *line == '/') ++line;
    const char* rest = *line ? line + 1 : line;
    switch (*line) {
        case 's': case 'S':
            command.mode = TSaverMode::FullScreen;
            break;
        case 'p': case 'P': case 'l': case 'L':
            command.mode = TSaverMode::Preview;
            command.window = ReadHandle(rest);
            break;
        case 'c': case 'C':
            command.mode = TSaverMode::Configure;
            if (*rest == ':') ++rest;
            command.window = ReadHandle(rest);
            break;
        case 'a': case 'A':
            command.mode = TSaverMode::Password;
            command.window = ReadHandle(rest);
            break;
        default:
            break;
    }
    return command;
}
