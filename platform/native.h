// The few things the portable engine asks of the operating system, as plain
// functions over opaque handles. Each backend (platform/win32, platform/posix)
// implements them; nothing else in the engine sees an OS header.
#pragma once

#include <cstdint>

// Opaque native handles: an HWND, HDC and HMODULE on Windows; on POSIX a
// CPHostWindow*, a CPBlitTarget* and null.
using NativeWindow = void*;
using NativeDC = void*;
using NativeModule = void*;

// (left, top, right, bottom), as everywhere in the system.
struct TRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline bool operator==(const TRect& a, const TRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Window messages keep their Windows numbers on every platform.
constexpr uint32_t kMsgDestroy = 0x0002;
constexpr uint32_t kMsgEraseBackground = 0x0014;
constexpr uint32_t kMsgTimer = 0x0113;

// Timers; SetTimer answers the timer id, 0 on failure.
uintptr_t PlatformSetTimer(NativeWindow window, uintptr_t id, uint32_t milliseconds);
bool PlatformKillTimer(NativeWindow window, uintptr_t id);

// The window's client rectangle in client coordinates, (0, 0, W, H).
bool PlatformGetClientRect(NativeWindow window, TRect* rect);

// A drawing context for the window, given back with ReleaseDC.
NativeDC PlatformGetDC(NativeWindow window);
void PlatformReleaseDC(NativeWindow window, NativeDC dc);

// Milliseconds since some fixed start (GetTickCount). The headless host's
// clock is virtual.
uint32_t PlatformTickCount();

// True when a key, mouse button or mouse movement waits in the queue.
bool PlatformInputPending();

// The module whose resources the engine loads.
NativeModule PlatformThisModule();

// The folder of the running program file, with a trailing separator.
// Returns the length written, 0 on failure.
int PlatformProgramFolder(char* out, int capacity);

// The one separator for building paths.
constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif
