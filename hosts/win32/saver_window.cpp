#include "hosts/win32/saver_window.h"

#include <cstdlib>

#include "hosts/win32/password_check.h"
#include "resources/resource_ids.h"
#include "shell/saver_entry.h"

namespace {

const char kClassName[] = "WindowsScreenSaverClass";
const char kFullScreenCaption[] = "Screen Saver";
const char kPreviewCaption[] = "Preview";
constexpr int kMoveTolerance = 4;  // pixels (|dx| + |dy|) of mouse movement that do not close

// The host's state for its one window: one saver run per process.
struct SHostState {
    bool preview = false;
    bool closing = false;
    POINT startCursor = {0, 0};
    UINT queryCancelAutoPlay = 0;
    CPasswordCheck* password = nullptr;
};
SHostState gHost;

// Full screen: ask for WM_CLOSE once; a refused password check lets later
// input ask again.
void RequestClose(HWND window) {
    if (gHost.preview || gHost.closing) return;
    gHost.closing = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The library's default processing behind ScreenSaverProc.
intptr_t DefScreenSaverProc(NativeWindow handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND window = static_cast<HWND>(handle);
    if (gHost.queryCancelAutoPlay != 0 && message == gHost.queryCancelAutoPlay) return TRUE;  // no auto-play now
    if (!gHost.preview) {
        switch (message) {
            case WM_SETCURSOR:
                SetCursor(nullptr);
                return TRUE;
            case WM_MOUSEMOVE: {
                POINT p;
                GetCursorPos(&p);
                if (std::abs(p.x - gHost.startCursor.x) + std::abs(p.y - gHost.startCursor.y) > kMoveTolerance)
                    RequestClose(window);
                return 0;
            }
            case WM_KEYDOWN: case WM_SYSKEYDOWN:
            case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
                RequestClose(window);
                return 0;
            case WM_ACTIVATEAPP:
                if (!wParam) RequestClose(window);
                break;
            case WM_POWERBROADCAST:
                RequestClose(window);
                break;
            case WM_POWER:
                if (wParam == PWR_CRITICALRESUME) RequestClose(window);
                break;
            case WM_SYSCOMMAND:
                // No second saver, no task switch by menu while this one runs.
                if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_NEXTWINDOW ||
                    (wParam & 0xFFF0) == SC_PREVWINDOW)
                    return 0;
                break;
            case WM_CLOSE:
                if (gHost.password && !gHost.password->MayClose(window)) {
                    gHost.closing = false;
                    GetCursorPos(&gHost.startCursor);
                    return 0;
                }
                DestroyWindow(window);
                return 0;
            default:
                break;
        }
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ScreenSaverProc(window, message, wParam, lParam);
}

bool RegisterSaverClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(TF_ICON_SAVER));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

void StartHost(bool preview) {
    gHost = SHostState{};
    gHost.preview = preview;
    gHost.queryCancelAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    SetSaverDefaultProc(DefScreenSaverProc);
}

// Runs until the window's WM_DESTROY; a preview also ends when its parent
// is gone without taking the preview with it.
int MessageLoop(HWND window, HWND parent) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (parent && !IsWindow(parent) && IsWindow(window)) DestroyWindow(window);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int RunFullScreenSaver(HINSTANCE instance) {
    if (HWND other = FindWindowA(kClassName, kFullScreenCaption)) {
        SetForegroundWindow(other);
        return 0;
    }
    StartHost(false);
    if (!RegisterSaverClass(instance)) return 1;
    // The clip box of the screen's DC is the whole virtual screen: every
    // monitor, with negative coordinates left of or above the primary one.
    HDC screen = GetDC(nullptr);
    RECT r = {0, 0, 0, 0};
    GetClipBox(screen, &r);
    ReleaseDC(nullptr, screen);
    GetCursorPos(&gHost.startCursor);
    CPasswordCheck password;
    gHost.password = &password;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kClassName, kFullScreenCaption, WS_POPUP | WS_VISIBLE, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    int code = 1;
    if (window) {
        ShowCursor(FALSE);
        SetForegroundWindow(window);
        code = MessageLoop(window, nullptr);
        ShowCursor(TRUE);
    }
    gHost.password = nullptr;
    return code;
}

int RunPreviewSaver(HINSTANCE instance, HWND parent) {
    RECT r;
    if (!parent || !IsWindow(parent) || !GetClientRect(parent, &r)) return 1;
    StartHost(true);
    if (!RegisterSaverClass(instance)) return 1;
    HWND window = CreateWindowExA(0, kClassName, kPreviewCaption, WS_CHILD | WS_VISIBLE, 0, 0, r.right - r.left,
                                  r.bottom - r.top, parent, nullptr, instance, nullptr);
    if (!window) return 1;
    return MessageLoop(window, parent);
}
