#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/data_folders.h"
#include "platform/native.h"

#ifndef TF_INSTALL_DATA_DIR
#define TF_INSTALL_DATA_DIR ""
#endif

bool PlatformFolderWritable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string PlatformUserSettingsFolder() {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (config && config[0] == '/') {
        base = config;
    } else if (home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return "";
    }
    if (base.back() != '/') base += '/';
    return base + "tarn-flourish/";
}

bool PlatformMakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat s {};
    return ::stat(folder.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::string PlatformInstalledDataFolder() {
    // <prefix>/bin/../share/tarn-flourish first, so an installed tree still
    // finds its data when moved or installed under another prefix.
    char program[4096];
    const int n = PlatformProgramFolder(program, sizeof program);
    if (n > 0) {
        const std::string near = std::string(program, n) + "../share/tarn-flourish/";
        struct stat s {};
        if (::stat(near.c_str(), &s) == 0 && S_ISDIR(s.st_mode)) return near;
    }
    std::string folder = TF_INSTALL_DATA_DIR;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}
