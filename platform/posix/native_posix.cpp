// The native.h functions for POSIX hosts that need the system: the clock
// and the program's folder. Those a host window answers (timers, client
// rectangle, DC, input) are in host_window_native.cpp.
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "platform/native.h"
#include "platform/posix/host_window.h"

uint32_t PlatformTickCount() {
    if (PosixServices().tickCount) return PosixServices().tickCount();
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    // Wraps every 49.7 days, as GetTickCount does.
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}


int PlatformProgramFolder(char* out, int capacity) {
    if (!out || capacity <= 1) return 0;
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof path - 1)) return 0;  // error or cut
    path[n] = 0;
    const char* slash = std::strrchr(path, '/');
    if (!slash) return 0;
    const int length = static_cast<int>(slash - path) + 1;  // keep the separator
    if (length >= capacity) return 0;
    std::memcpy(out, path, static_cast<size_t>(length));
    out[length] = 0;
    return length;
}
