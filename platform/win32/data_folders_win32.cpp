#include <windows.h>

#include <cstdlib>

#include "platform/data_folders.h"

bool PlatformFolderWritable(const std::string& folder) {
    if (folder.empty()) return false;
    // Only a file made and removed proves it (attributes say little on Windows).
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "tfw", 0, name)) return false;
    DeleteFileA(name);
    return true;
}

std::string PlatformUserSettingsFolder() {
    const char* appData = std::getenv("APPDATA");
    if (!appData || !*appData) return "";
    std::string folder = appData;
    if (folder.back() != '\\') folder += '\\';
    return folder + "Tarn Flourish\\";
}

bool PlatformMakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (part.size() == 2 && part[1] == ':') continue;  // a drive
        CreateDirectoryA(part.c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PlatformInstalledDataFolder() { return ""; }
