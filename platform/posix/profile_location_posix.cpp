#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/native.h"
#include "platform/profile_location.h"

namespace {

int Join(const std::string& folder, const char* name, char* out, int capacity) {
    const int n = std::snprintf(out, static_cast<size_t>(capacity), "%s%s", folder.c_str(), name);
    return n > 0 && n < capacity ? n : 0;
}

bool MakeFolder(const std::string& folder) { return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST; }

}  // namespace

int PlatformProfilePath(const char* fileName, char* out, int capacity) {
    if (!fileName || !out || capacity <= 1) return 0;
    char program[1024];
    if (PlatformProgramFolder(program, sizeof program) > 0 && access(program, W_OK) == 0)
        return Join(program, fileName, out, capacity);
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        config = std::string(home) + "/.config";
        if (!MakeFolder(config)) return 0;
    } else {
        return 0;
    }
    const std::string folder = config + "/tarn-flourish/";
    if (!MakeFolder(folder)) return 0;
    return Join(folder, fileName, out, capacity);
}
