// A stand-in for the system's screen saver settings page: a window with a
// 152x112 preview area that starts "SCR /p AREA" the way the page does, then
// checks the saver's side of the deal. Exit codes: 0 the preview filled the
// area, lived through input and ended with the area's window; 2 it ended on
// input; 3 it outlived the window; 4 it never showed; 5 wrong size; 1 other.
// Run: preview_host SCR_PATH
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kAreaWidth = 152;
constexpr int kAreaHeight = 112;
constexpr UINT_PTR kStepTimer = 1;

HWND gHost = nullptr;
HWND gArea = nullptr;
PROCESS_INFORMATION gSaver = {};
int gStep = 0;
int gResult = 1;

bool SaverRunning() {
    DWORD code = 0;
    return GetExitCodeProcess(gSaver.hProcess, &code) && code == STILL_ACTIVE;
}

void Finish(int result, const char* why) {
    std::printf("preview_host: %s\n", why);
    std::fflush(stdout);
    gResult = result;
    KillTimer(gHost, kStepTimer);
    DestroyWindow(gHost);
}

// One step a second: find the preview, feed it input, then close the page.
void Step() {
    ++gStep;
    HWND preview = FindWindowExA(gArea, nullptr, "WindowsScreenSaverClass", "Preview");
    if (gStep == 3) {
        if (!preview) return Finish(4, "no preview window inside the area");
        RECT r;
        GetClientRect(preview, &r);
        if (r.right != kAreaWidth || r.bottom != kAreaHeight) return Finish(5, "the preview does not fill the area");
        // Keys, clicks and a long mouse move: a preview must not close on any.
        PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(preview, WM_KEYUP, VK_SPACE, 0);
        PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PostMessageA(preview, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        PostMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(140, 100));
        std::printf("preview_host: preview %dx%d found, input sent\n", r.right, r.bottom);
        std::fflush(stdout);
    } else if (gStep == 14) {  // time for the script to wait for paint
        if (!SaverRunning()) return Finish(2, "the preview ended on input");
        std::printf("preview_host: the preview lived through input; closing the page\n");
        std::fflush(stdout);
        KillTimer(gHost, kStepTimer);
        gResult = 0;
        DestroyWindow(gHost);
    }
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kStepTimer) Step();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview_host SCR_PATH\n");
        return 1;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hbrBackground = CreateSolidBrush(RGB(200, 200, 200));
    wc.lpszClassName = "TFPreviewHost";
    RegisterClassA(&wc);
    WNDCLASSA area = wc;
    area.lpfnWndProc = DefWindowProcA;
    area.hbrBackground = CreateSolidBrush(RGB(60, 60, 60));
    area.lpszClassName = "TFPreviewArea";
    RegisterClassA(&area);
    // The page: a plain pop-up (no frame without a window manager) with the
    // preview area in its top-left corner.
    gHost = CreateWindowExA(0, "TFPreviewHost", "Tarn Flourish preview host", WS_POPUP | WS_VISIBLE, 40, 40, 320, 200,
                            nullptr, nullptr, instance, nullptr);
    gArea = CreateWindowExA(0, "TFPreviewArea", "", WS_CHILD | WS_VISIBLE, 0, 0, kAreaWidth, kAreaHeight, gHost,
                            nullptr, instance, nullptr);
    if (!gHost || !gArea) return 1;
    // Wine only: lets the other process's child draw into this X window
    // (Windows ignores the property).
    SetPropA(gArea, "__wine_x11_whole_window", GetPropA(gHost, "__wine_x11_whole_window"));
    UpdateWindow(gHost);

    std::string command = "\"" + std::string(argv[1]) + "\" /p " +
                          std::to_string(reinterpret_cast<uintptr_t>(gArea));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &gSaver)) {
        std::printf("preview_host: cannot start %s\n", command.c_str());
        return 1;
    }
    std::printf("preview_host: started %s\n", command.c_str());
    std::fflush(stdout);
    SetTimer(gHost, kStepTimer, 1000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (gResult == 0) {
        // The page is gone: the preview must follow it.
        if (WaitForSingleObject(gSaver.hProcess, 10000) != WAIT_OBJECT_0) {
            std::printf("preview_host: the preview outlived its window\n");
            TerminateProcess(gSaver.hProcess, 1);
            gResult = 3;
        } else {
            std::printf("preview_host: the preview ended with its window\n");
        }
    } else if (SaverRunning()) {
        TerminateProcess(gSaver.hProcess, 1);
    }
    CloseHandle(gSaver.hThread);
    CloseHandle(gSaver.hProcess);
    return gResult;
}
