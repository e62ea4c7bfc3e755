#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "platform/native.h"
#include "platform/profile_location.h"

namespace {

// A folder is writable when a new file can be made in it; the probe is
// deleted again on close.
bool FolderWritable(const char* folder) {
    char probe[MAX_PATH * 2];
    if (std::snprintf(probe, sizeof probe, "%s~tarn-flourish-probe-%lu.tmp", folder, GetCurrentProcessId()) >=
        static_cast<int>(sizeof probe))
        return false;
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

int Join(const char* folder, const char* name, char* out, int capacity) {
    const int n = std::snprintf(out, static_cast<size_t>(capacity), "%s%s", folder, name);
    return n > 0 && n < capacity ? n : 0;
}

}  // namespace

int PlatformProfilePath(const char* fileName, char* out, int capacity) {
    if (!fileName || !out || capacity <= 1) return 0;
    char folder[MAX_PATH * 2];
    if (PlatformProgramFolder(folder, sizeof folder) > 0 && FolderWritable(folder))
        return Join(folder, fileName, out, capacity);
    // A saver installed into a protected folder keeps its settings with the user.
    char appData[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK)
        return 0;
    if (std::snprintf(folder, sizeof folder, "%s\\Tarn Flourish\\", appData) >= static_cast<int>(sizeof folder))
        return 0;
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
    return Join(folder, fileName, out, capacity);
}
