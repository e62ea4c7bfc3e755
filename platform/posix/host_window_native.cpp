// The native functions that a host window answers, whatever the system
// under it: the POSIX hosts and the Windows headless renderer share them.
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

bool PlatformInputPending() { return PosixServices().inputPending ? PosixServices().inputPending() : false; }

NativeModule PlatformThisModule() { return nullptr; }
