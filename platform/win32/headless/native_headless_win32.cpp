// The native.h functions for the headless renderer on Windows: the same
// virtual window, clock and input as the POSIX hosts (a CPHostWindow* and
// its blit target), with the program's folder found the Windows way. With
// the POSIX memory surfaces beside it, a Windows render runs the same code
// as a Linux one, so the two pictures can be compared pixel for pixel.
#include <windows.h>

#include <cstring>

#include "platform/native.h"
#include "platform/posix/host_window.h"

uint32_t PlatformTickCount() {
    return PosixServices().tickCount ? PosixServices().tickCount() : ::GetTickCount();
}

int PlatformProgramFolder(char* out, int capacity) {
    if (!out || capacity <= 1) return 0;
    char path[MAX_PATH * 2];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return 0;  // error or cut
    path[n] = 0;
    const char* slash = std::strrchr(path, '\\');
    if (!slash) return 0;
    const int length = static_cast<int>(slash - path) + 1;
    if (length >= capacity) return 0;
    std::memcpy(out, path, static_cast<size_t>(length));
    out[length] = 0;
    return length;
}
