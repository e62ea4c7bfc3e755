// The toolkit's window operations on Windows: the Win32 calls themselves.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/window_ops.h"

// The toolkit's message numbers are the system's own.
static_assert(kWmCreate == WM_CREATE);
static_assert(kWmSize == WM_SIZE);
static_assert(kWmActivate == WM_ACTIVATE);
static_assert(kWmPaint == WM_PAINT);
static_assert(kWmClose == WM_CLOSE);
static_assert(kWmNcDestroy == WM_NCDESTROY);
static_assert(kWmNcActivate == WM_NCACTIVATE);
static_assert(kWmMouseActivate == WM_MOUSEACTIVATE);
static_assert(kWmNcLButtonDown == WM_NCLBUTTONDOWN);
static_assert(kWmNcLButtonDblClk == WM_NCLBUTTONDBLCLK);
static_assert(kWmNcRButtonDown == WM_NCRBUTTONDOWN);
static_assert(kWmNcRButtonDblClk == WM_NCRBUTTONDBLCLK);
static_assert(kWmKeyDown == WM_KEYDOWN);
static_assert(kWmKeyUp == WM_KEYUP);
static_assert(kWmChar == WM_CHAR);
static_assert(kWmSysKeyDown == WM_SYSKEYDOWN);
static_assert(kWmSysKeyUp == WM_SYSKEYUP);
static_assert(kWmSysChar == WM_SYSCHAR);
static_assert(kWmInitDialog == WM_INITDIALOG);
static_assert(kWmCommand == WM_COMMAND);
static_assert(kWmSysCommand == WM_SYSCOMMAND);
static_assert(kWmMouseMove == WM_MOUSEMOVE);
static_assert(kWmLButtonDown == WM_LBUTTONDOWN);
static_assert(kWmLButtonUp == WM_LBUTTONUP);
static_assert(kWmLButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(kWmRButtonDown == WM_RBUTTONDOWN);
static_assert(kWmRButtonUp == WM_RBUTTONUP);
static_assert(kWmRButtonDblClk == WM_RBUTTONDBLCLK);
static_assert(kWmSizing == WM_SIZING);
static_assert(kWmDropFiles == WM_DROPFILES);

namespace {

const char kToolkitClass[] = "OSCoreWindow";

// The toolkit's procedures, behind the CALLBACK trampolines the system calls.
TToolkitProc gWindowProc = nullptr;
TToolkitProc gDialogProc = nullptr;
bool gClassRegistered = false;

LRESULT CALLBACK WindowTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!gWindowProc) return DefWindowProcA(window, message, wParam, lParam);
    return gWindowProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK DialogTrampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return gDialogProc ? gDialogProc(dialog, message, wParam, lParam) : FALSE;
}

HWND Wnd(NativeWindow w) { return static_cast<HWND>(w); }
HINSTANCE Module(NativeModule m) { return m ? static_cast<HINSTANCE>(m) : GetModuleHandleA(nullptr); }

}  // namespace

bool PlatformRegisterToolkitClass(NativeModule module, TToolkitProc windowProc) {
    gWindowProc = windowProc;
    if (gClassRegistered) return true;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_CLASSDC | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = WindowTrampoline;
    wc.cbWndExtra = 4;
    wc.hInstance = Module(module);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kToolkitClass;
    gClassRegistered = RegisterClassA(&wc) != 0;
    return gClassRegistered;
}

void PlatformUnregisterToolkitClass(NativeModule module) {
    if (gClassRegistered) UnregisterClassA(kToolkitClass, Module(module));
    gClassRegistered = false;
}

intptr_t PlatformDialogBox(NativeModule module, int32_t resourceId, NativeWindow owner, TToolkitProc dialogProc,
                           intptr_t initParam) {
    gDialogProc = dialogProc;
    return DialogBoxParamA(Module(module), MAKEINTRESOURCEA(resourceId), Wnd(owner), DialogTrampoline, initParam);
}

bool PlatformEndDialog(NativeWindow dialog, intptr_t result) { return EndDialog(Wnd(dialog), result) != 0; }
bool PlatformDestroyWindow(NativeWindow window) { return DestroyWindow(Wnd(window)) != 0; }

intptr_t PlatformDefaultWindowProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProcA(Wnd(window), message, wParam, lParam);
}

intptr_t PlatformDefaultDialogProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return DefDlgProcA(Wnd(window), message, wParam, lParam);
}

bool PlatformBeginPaint(NativeWindow window, SPaintState& paint) {
    static_assert(sizeof(PAINTSTRUCT) <= sizeof paint.opaque, "room for PAINTSTRUCT");
    PAINTSTRUCT* ps = reinterpret_cast<PAINTSTRUCT*>(paint.opaque);
    HDC dc = BeginPaint(Wnd(window), ps);
    paint.dc = dc;
    paint.rect = {ps->rcPaint.left, ps->rcPaint.top, ps->rcPaint.right, ps->rcPaint.bottom};
    return dc != nullptr;
}

void PlatformEndPaint(NativeWindow window, SPaintState& paint) {
    EndPaint(Wnd(window), reinterpret_cast<PAINTSTRUCT*>(paint.opaque));
    paint.dc = nullptr;
}

// A memory DC made compatible with the screen already has its pixels per inch.
void PlatformInheritDeviceScale(NativeDC, NativeDC) {}

bool PlatformSetViewportOrigin(NativeDC dc, int32_t x, int32_t y, int32_t* oldX, int32_t* oldY) {
    POINT old{};
    if (!SetViewportOrgEx(static_cast<HDC>(dc), x, y, &old)) return false;
    if (oldX) *oldX = old.x;
    if (oldY) *oldY = old.y;
    return true;
}

bool PlatformInvalidateRect(NativeWindow window, const TRect* rect) {
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return InvalidateRect(Wnd(window), nullptr, FALSE);
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    return InvalidateRect(Wnd(window), &r, FALSE) != 0;
}

bool PlatformClientToScreen(NativeWindow window, int32_t* x, int32_t* y) {
    POINT p{*x, *y};
    if (!ClientToScreen(Wnd(window), &p)) return false;
    *x = p.x, *y = p.y;
    return true;
}

bool PlatformScreenToClient(NativeWindow window, int32_t* x, int32_t* y) {
    POINT p{*x, *y};
    if (!ScreenToClient(Wnd(window), &p)) return false;
    *x = p.x, *y = p.y;
    return true;
}

bool PlatformSetClientSize(NativeWindow window, int32_t width, int32_t height) {
    RECT r{0, 0, width, height};
    const LONG style = GetWindowLongA(Wnd(window), GWL_STYLE);
    const LONG exStyle = GetWindowLongA(Wnd(window), GWL_EXSTYLE);
    if (!AdjustWindowRectEx(&r, static_cast<DWORD>(style), GetMenu(Wnd(window)) != nullptr, static_cast<DWORD>(exStyle)))
        return false;
    return SetWindowPos(Wnd(window), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool PlatformChildRect(NativeWindow window, int32_t controlId, TRect* rect) {
    HWND child = GetDlgItem(Wnd(window), controlId);
    RECT r;
    if (!child || !rect || !GetWindowRect(child, &r)) return false;
    MapWindowPoints(nullptr, Wnd(window), reinterpret_cast<POINT*>(&r), 2);
    *rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool PlatformMoveChild(NativeWindow window, int32_t controlId, const TRect& rect) {
    HWND child = GetDlgItem(Wnd(window), controlId);
    return child && MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

bool PlatformPointerPosition(NativeWindow window, int32_t* x, int32_t* y) {
    POINT p;
    if (!GetCursorPos(&p)) return false;
    if (window) ScreenToClient(Wnd(window), &p);
    *x = p.x, *y = p.y;
    return true;
}

bool PlatformMouseButtonDown(bool right) {
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    const int key = (right != swapped) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

bool PlatformKeyDown(int32_t key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }
bool PlatformKeyToggled(int32_t key) { return (GetKeyState(key) & 1) != 0; }

bool PlatformTrackWait(NativeWindow) {
    // Paint messages still get through while a view tracks the pointer.
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(10);
    return true;
}

bool PlatformNativeMenus() { return true; }
void* PlatformMenuCreate() { return CreatePopupMenu(); }

bool PlatformMenuAppend(void* menu, const char* text, int32_t commandId, void* submenu, bool disabled) {
    if (!menu) return false;
    UINT flags = MF_STRING | (disabled ? MF_GRAYED : 0);
    UINT_PTR id = static_cast<UINT_PTR>(commandId);
    if (submenu) {
        flags |= MF_POPUP;
        id = reinterpret_cast<UINT_PTR>(submenu);
    }
    return AppendMenuA(static_cast<HMENU>(menu), flags, id, text) != 0;
}

void PlatformMenuDestroy(void* menu) {
    if (menu) DestroyMenu(static_cast<HMENU>(menu));
}

int32_t PlatformMenuTrack(void* menu, int32_t x, int32_t y, int32_t alignment, NativeWindow owner) {
    if (!menu || GetMenuItemCount(static_cast<HMENU>(menu)) <= 0) return 0;
    HWND window = Wnd(owner);
    HWND temporary = nullptr;
    if (!window) {
        temporary = CreateWindowExA(0, "BUTTON", "", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        window = temporary;
    }
    UINT flags = TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_NONOTIFY;
    if (alignment == 1) flags |= TPM_CENTERALIGN;
    else if (alignment == 2) flags |= TPM_RIGHTALIGN;
    const int32_t chosen = static_cast<int32_t>(TrackPopupMenu(static_cast<HMENU>(menu), flags, x, y, 0, window, nullptr));
    if (temporary) DestroyWindow(temporary);
    return chosen;
}

// Windows has native menus; these are never needed there.
NativeWindow PlatformOpenPopup(NativeWindow, const TRect&) { return nullptr; }
void PlatformClosePopup(NativeWindow) {}
bool PlatformNextMessage(SPlatformMessage*) { return false; }

int32_t PlatformWindowDpi(NativeWindow window) {
    HDC dc = GetDC(Wnd(window));
    if (!dc) return 96;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(Wnd(window), dc);
    return dpi > 0 ? dpi : 96;
}

bool PlatformNativeDialogs() { return true; }
const char* PlatformLoadDialogTemplate(NativeModule, int32_t, int32_t*) { return nullptr; }

const char* PlatformLoadTextResource(NativeModule module, int32_t resourceId, int32_t* size) {
    HMODULE m = Module(module);
    HRSRC found = FindResourceA(m, MAKEINTRESOURCEA(resourceId), "TEXT");
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(m, found);
    if (!loaded) return nullptr;
    if (size) *size = static_cast<int32_t>(SizeofResource(m, found));
    return static_cast<const char*>(LockResource(loaded));
}

int32_t PlatformLoadString(NativeModule module, int32_t id, char* out, int32_t capacity) {
    if (!out || capacity < 1) return 0;
    out[0] = 0;
    return LoadStringA(Module(module), static_cast<UINT>(id), out, capacity);
}

int32_t PlatformOpenWithShell(const char* path) {
    if (!path || !*path) return -1;
    const HINSTANCE r = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(r) > 32 ? 0 : -1;
}

bool PlatformAskOkCancel(const char* caption, const char* text) {
    return MessageBoxA(nullptr, text, caption, MB_OKCANCEL | MB_TASKMODAL) == IDOK;
}
