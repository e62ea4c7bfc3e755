// TarnFlourish.scr: the Windows screen saver host. It reads the command
// line, makes the full-screen or preview window, runs the message loop and
// hands every message to ScreenSaverProc first.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "hosts/win32/configure_win32.h"
#include "shell/saver_entry.h"

namespace {

enum class Mode { FullScreen, Preview, Settings, Password };

HINSTANCE gInstance = nullptr;
bool gPreview = false;
bool gClosing = false;
POINT gStartCursor = {-1, -1};
bool gCursorKnown = false;

const char kClassName[] = "WindowsScreenSaverClass";

void Close(HWND window) {
    if (gPreview || gClosing) return;
    gClosing = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ScreenSaverProc(window, message, wParam, lParam);
}

// The command-line switch: the first character after blanks and "-" or "/".
Mode ParseMode(const char* line, HWND& handle) {
    handle = nullptr;
    while (*line == ' ' || *line == '\t' || *line == '"') ++line;
    // The program's own path may lead the line; skip to the switch.
    const char* sw = line;
    while (*sw && *sw != '-' && *sw != '/') ++sw;
    if (!*sw) return Mode::Settings;
    const char c = sw[1];
    const char* rest = sw + 2;
    while (*rest == ' ' || *rest == ':') ++rest;
    handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(rest, nullptr, 10)));
    switch (c) {
        case 's': case 'S': return Mode::FullScreen;
        case 'p': case 'P': case 'l': case 'L': return Mode::Preview;
        case 'a': case 'A': return Mode::Password;
        default: return Mode::Settings;
    }
}

int RunWindow(Mode mode, HWND parent) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = gInstance;
    wc.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(100));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 1;

    HWND window = nullptr;
    if (mode == Mode::Preview) {
        RECT r;
        if (!parent || !GetClientRect(parent, &r)) return 1;
        gPreview = true;
        window = CreateWindowExA(0, kClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, r.right - r.left,
                                 r.bottom - r.top, parent, nullptr, gInstance, nullptr);
    } else {
        if (HWND other = FindWindowA(kClassName, "Screen Saver")) {
            SetForegroundWindow(other);
            return 0;
        }
        HDC screen = GetDC(nullptr);
        RECT r;
        GetClipBox(screen, &r);
        ReleaseDC(nullptr, screen);
        window = CreateWindowExA(WS_EX_TOPMOST, kClassName, "Screen Saver", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr, gInstance, nullptr);
        if (window) ShowCursor(FALSE);
    }
    if (!window) return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (!gPreview) ShowCursor(TRUE);
    return 0;
}

// The default processing behind ScreenSaverProc: close on input, as a
// screen saver must.
intptr_t DefScreenSaverProc(NativeWindow handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND window = static_cast<HWND>(handle);
    switch (message) {
        case WM_SETCURSOR:
            if (!gPreview) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        case WM_MOUSEMOVE: {
            if (gPreview) break;
            POINT p;
            GetCursorPos(&p);
            if (!gCursorKnown) {
                gStartCursor = p;
                gCursorKnown = true;
            } else if (std::abs(p.x - gStartCursor.x) + std::abs(p.y - gStartCursor.y) > 4) {
                Close(window);
            }
            return 0;
        }
        case WM_KEYDOWN: case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            Close(window);
            return 0;
        case WM_ACTIVATEAPP:
            if (!wParam) Close(window);
            break;
        case WM_POWERBROADCAST:
            Close(window);
            break;
        case WM_SYSCOMMAND:
            if (!gPreview && (wParam == SC_SCREENSAVE || wParam == SC_CLOSE)) return 0;
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    gInstance = instance;
    SetSaverDefaultProc(DefScreenSaverProc);
    HWND handle = nullptr;
    const Mode mode = ParseMode(commandLine ? commandLine : "", handle);
    switch (mode) {
        case Mode::FullScreen:
        case Mode::Preview:
            return RunWindow(mode, handle);
        case Mode::Settings:
            // Local hook until the switch parsing lands: /c without a handle is owned by the foreground window.
            return RunConfigure(handle ? handle : (std::strchr(commandLine ? commandLine : "", '/') || std::strchr(commandLine ? commandLine : "", '-') ? GetForegroundWindow() : nullptr));
        case Mode::Password:
            // The settings panel and the password change come with the panel.
            return 0;
    }
    return 0;
}
