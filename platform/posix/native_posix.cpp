// The native.h functions for POSIX hosts: the window handle is a
// CPHostWindow*, its DC the window's blit target; clock and input come from
// the host's services.
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "platform/native.h"
#include "platform/posix/host_window.h"

PosixHostServices& PosixServices() {
    static PosixHostServices services;
    return services;
}

uintptr_t PlatformSetTimer(NativeWindow window, uintptr_t id, uint32_t milliseconds) {
    if (!window || id == 0) return 0;
    return static_cast<CPHostWindow*>(window)->SetTimer(id, milliseconds);
}

bool PlatformKillTimer(NativeWindow window, uintptr_t id) {
    return window && static_cast<CPHostWindow*>(window)->KillTimer(id);
}

bool PlatformGetClientRect(NativeWindow window, TRect* rect) {
    if (!window || !rect) return false;
    *rect = static_cast<CPHostWindow*>(window)->ClientRect();
    return true;
}

NativeDC PlatformGetDC(NativeWindow window) {
    return window ? static_cast<CPHostWindow*>(window)->Target() : nullptr;
}

void PlatformReleaseDC(NativeWindow, NativeDC) {}

uint32_t PlatformTickCount() {
    if (PosixServices().tickCount) return PosixServices().tickCount();
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    // Wraps every 49.7 days, as GetTickCount does.
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

bool PlatformInputPending() { return PosixServices().inputPending ? PosixServices().inputPending() : false; }

NativeModule PlatformThisModule() { return nullptr; }

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
