// The toolkit's window operations on POSIX: a toolkit window is a
// CPHostWindow of the host; the host feeds its messages and answers the
// modal parts (dialogs, pop-up windows, the next input) through
// PosixServices. Pop-up menus are drawn by the toolkit itself.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/host_window.h"
#include "platform/window_ops.h"
#include "resources/embedded.h"

namespace {

CPHostWindow* Host(NativeWindow window) { return static_cast<CPHostWindow*>(window); }

}  // namespace

PosixInputState& PosixInput() {
    static PosixInputState state;
    return state;
}

void PosixNoteInput(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PosixInputState& in = PosixInput();
    switch (message) {
        case kWmMouseMove: case kWmLButtonDown: case kWmLButtonUp: case kWmLButtonDblClk:
        case kWmRButtonDown: case kWmRButtonUp: case kWmRButtonDblClk: {
            int32_t x = PointX(lParam), y = PointY(lParam);
            PlatformClientToScreen(window, &x, &y);
            in.pointerX = x;
            in.pointerY = y;
            if (message == kWmLButtonDown || message == kWmLButtonDblClk) in.left = true;
            if (message == kWmLButtonUp) in.left = false;
            if (message == kWmRButtonDown || message == kWmRButtonDblClk) in.right = true;
            if (message == kWmRButtonUp) in.right = false;
            break;
        }
        case kWmKeyDown: case kWmSysKeyDown:
            in.keys[wParam & 0xFF] = true;
            if ((wParam & 0xFF) == static_cast<uintptr_t>(kVkCapital)) in.capsLock = !in.capsLock;
            break;
        case kWmKeyUp: case kWmSysKeyUp:
            in.keys[wParam & 0xFF] = false;
            break;
        default:
            break;
    }
}

bool PlatformRegisterToolkitClass(NativeModule, TToolkitProc proc) { return proc != nullptr; }
void PlatformUnregisterToolkitClass(NativeModule) {}

intptr_t PlatformDialogBox(NativeModule, int32_t resourceId, NativeWindow owner, TToolkitProc proc,
                           intptr_t initParam) {
    if (!PosixServices().runDialog || !proc) return -1;
    return PosixServices().runDialog(resourceId, owner, proc, initParam);
}

bool PlatformEndDialog(NativeWindow dialog, intptr_t result) {
    if (!dialog) return false;
    Host(dialog)->MarkClosed(result);
    return true;
}

bool PlatformDestroyWindow(NativeWindow window) { return PlatformEndDialog(window, 0); }

intptr_t PlatformDefaultWindowProc(NativeWindow, uint32_t, uintptr_t, intptr_t) { return 0; }
intptr_t PlatformDefaultDialogProc(NativeWindow, uint32_t, uintptr_t, intptr_t) { return 0; }

bool PlatformBeginPaint(NativeWindow window, SPaintState& paint) {
    if (!window) return false;
    paint.rect = Host(window)->TakeInvalid();
    paint.dc = Host(window)->Target();
    return paint.dc != nullptr;
}

void PlatformEndPaint(NativeWindow, SPaintState& paint) { paint.dc = nullptr; }

void PlatformInheritDeviceScale(NativeDC from, NativeDC to) {
    if (!from || !to) return;
    const SPosixDCState& f = static_cast<CPBlitTarget*>(from)->DrawState();
    static_cast<CPBlitTarget*>(to)->DrawState().pixelsPerInch =
        f.pixelsPerInch > 0 ? f.pixelsPerInch : static_cast<CPBlitTarget*>(from)->PixelsPerInch();
}

bool PlatformSetViewportOrigin(NativeDC dc, int32_t x, int32_t y, int32_t* oldX, int32_t* oldY) {
    if (!dc) return false;
    SPosixDCState& s = static_cast<CPBlitTarget*>(dc)->DrawState();
    if (oldX) *oldX = s.viewportX;
    if (oldY) *oldY = s.viewportY;
    s.viewportX = x;
    s.viewportY = y;
    return true;
}

bool PlatformInvalidateRect(NativeWindow window, const TRect* rect) {
    if (!window) return false;
    const TRect all = Host(window)->ClientRect();
    Host(window)->Invalidate(rect && rect->right > rect->left && rect->bottom > rect->top ? *rect : all);
    return true;
}

bool PlatformClientToScreen(NativeWindow window, int32_t* x, int32_t* y) {
    if (!window || !x || !y) return false;
    const TRect s = Host(window)->ScreenRect();
    *x += s.left;
    *y += s.top;
    return true;
}

bool PlatformScreenToClient(NativeWindow window, int32_t* x, int32_t* y) {
    if (!window || !x || !y) return false;
    const TRect s = Host(window)->ScreenRect();
    *x -= s.left;
    *y -= s.top;
    return true;
}

bool PlatformSetClientSize(NativeWindow window, int32_t width, int32_t height) {
    return window && Host(window)->SetClientSize(width, height);
}

// A host window has no native child controls.
bool PlatformChildRect(NativeWindow, int32_t, TRect*) { return false; }
bool PlatformMoveChild(NativeWindow, int32_t, const TRect&) { return false; }

bool PlatformPointerPosition(NativeWindow window, int32_t* x, int32_t* y) {
    if (!x || !y) return false;
    *x = PosixInput().pointerX;
    *y = PosixInput().pointerY;
    return window ? PlatformScreenToClient(window, x, y) : true;
}

bool PlatformMouseButtonDown(bool right) { return right ? PosixInput().right : PosixInput().left; }
bool PlatformKeyDown(int32_t key) { return PosixInput().keys[key & 0xFF]; }
bool PlatformKeyToggled(int32_t key) { return key == kVkCapital && PosixInput().capsLock; }

bool PlatformTrackWait(NativeWindow) {
    // The host notes the next input (pointer, buttons) as it hands it over;
    // the tracking loop then reads the state.
    SHostMessage m;
    return PosixServices().nextMessage && PosixServices().nextMessage(&m);
}

bool PlatformNativeMenus() { return false; }
void* PlatformMenuCreate() { return nullptr; }
bool PlatformMenuAppend(void*, const char*, int32_t, void*, bool) { return false; }
void PlatformMenuDestroy(void*) {}
int32_t PlatformMenuTrack(void*, int32_t, int32_t, int32_t, NativeWindow) { return 0; }

NativeWindow PlatformOpenPopup(NativeWindow owner, const TRect& screenRect) {
    return PosixServices().openPopup ? static_cast<NativeWindow>(PosixServices().openPopup(owner, screenRect)) : nullptr;
}

void PlatformClosePopup(NativeWindow popup) {
    if (popup && PosixServices().closePopup) PosixServices().closePopup(Host(popup));
}

bool PlatformNextMessage(SPlatformMessage* out) {
    SHostMessage m;
    if (!out || !PosixServices().nextMessage || !PosixServices().nextMessage(&m)) return false;
    *out = {m.window, m.message, m.wParam, m.lParam};
    return true;
}

int32_t PlatformWindowDpi(NativeWindow window) {
    CPBlitTarget* t = window ? Host(window)->Target() : nullptr;
    return t ? t->PixelsPerInch() : 96;
}

bool PlatformNativeDialogs() { return false; }

const char* PlatformLoadDialogTemplate(NativeModule, int32_t resourceId, int32_t* size) {
    const SEmbeddedResource* r = FindEmbeddedResource(TResourceType::Dialog, resourceId);
    if (!r) return nullptr;
    if (size) *size = static_cast<int32_t>(r->size);
    return reinterpret_cast<const char*>(r->data);
}

const char* PlatformLoadTextResource(NativeModule, int32_t resourceId, int32_t* size) {
    const SEmbeddedResource* r = FindEmbeddedResource(TResourceType::Text, resourceId);
    if (!r) return nullptr;
    if (size) *size = static_cast<int32_t>(r->size);
    return reinterpret_cast<const char*>(r->data);
}

int32_t PlatformLoadString(NativeModule, int32_t id, char* out, int32_t capacity) {
    if (!out || capacity < 1) return 0;
    out[0] = 0;
    const SEmbeddedResource* r = FindEmbeddedResource(TResourceType::String, id);
    if (!r) return 0;
    const int32_t n = static_cast<int32_t>(r->size) < capacity - 1 ? static_cast<int32_t>(r->size) : capacity - 1;
    std::memcpy(out, r->data, static_cast<size_t>(n));
    out[n] = 0;
    return n;
}

int32_t PlatformOpenWithShell(const char* path) {
    if (!path || !*path) return -1;
    if (PosixServices().openWithShell) return PosixServices().openWithShell(path);
    // xdg-open in a child of its own; the panel does not wait for the browser.
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        // A grandchild runs xdg-open, so that no zombie is left behind.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execlp("xdg-open", "xdg-open", path, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}

bool PlatformAskOkCancel(const char* caption, const char* text) {
    return PosixServices().askOkCancel ? PosixServices().askOkCancel(caption, text) : true;
}
