// The native.h functions over Win32: window handles are HWNDs, DCs HDCs.
#include <windows.h>

#include <cstring>

#include "platform/native.h"

// The portable message numbers are the Windows ones, so messages pass
// between the system and the engine unchanged.
static_assert(kMsgDestroy == WM_DESTROY);
static_assert(kMsgEraseBackground == WM_ERASEBKGND);
static_assert(kMsgTimer == WM_TIMER);

uintptr_t PlatformSetTimer(NativeWindow window, uintptr_t id, uint32_t milliseconds) {
    return ::SetTimer(static_cast<HWND>(window), id, milliseconds, nullptr);
}

bool PlatformKillTimer(NativeWindow window, uintptr_t id) { return ::KillTimer(static_cast<HWND>(window), id) != 0; }

bool PlatformGetClientRect(NativeWindow window, TRect* rect) {
    RECT r;
    if (!rect || !::GetClientRect(static_cast<HWND>(window), &r)) return false;
    *rect = TRect{r.left, r.top, r.right, r.bottom};
    return true;
}

NativeDC PlatformGetDC(NativeWindow window) { return ::GetDC(static_cast<HWND>(window)); }

void PlatformReleaseDC(NativeWindow window, NativeDC dc) {
    if (dc) ::ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(dc));
}

uint32_t PlatformTickCount() { return ::GetTickCount(); }

bool PlatformInputPending() {
    // New key or mouse messages in the queue, or a button or key held down
    // right now (a press whose message was already taken).
    if (HIWORD(::GetQueueStatus(QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON)) != 0) return true;
    return ((::GetKeyState(VK_LBUTTON) | ::GetKeyState(VK_RBUTTON) | ::GetKeyState(VK_ESCAPE)) & 0x8000) != 0;
}

NativeModule PlatformThisModule() { return ::GetModuleHandleA(nullptr); }

int PlatformProgramFolder(char* out, int capacity) {
    if (!out || capacity <= 1) return 0;
    char path[MAX_PATH * 2];
    const DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(PlatformThisModule()), path, sizeof path);
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
