// Native messages into the toolkit: translation into event records, the
// window table, routing to handlers and views, double-buffered painting and
// the idle pass.
#include "views/window.h"

#include "platform/draw.h"
#include "platform/offscreen.h"
#include "platform/window_ops.h"
#include "views/view.h"

namespace {

// The process's toolkit windows; a window is in it from construction to Close.
CPWindow* gWindows[kWindowTableSize] = {};
bool gClassRegistered = false;

int32_t SlotOf(const CPWindow* w) {
    if (!w) return -1;
    for (int32_t i = 0; i < kWindowTableSize; ++i)
        if (gWindows[i] == w) return i;
    return -1;
}

bool IsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

int16_t HitCode(uintptr_t hit, int16_t unchanged) {
    switch (hit) {
        case 1: return 0;   // HTCLIENT
        case 2: return 1;   // HTCAPTION
        case 5: return 2;   // HTMENU
        case 4: return 3;   // HTGROWBOX
        case 20: return 4;  // HTCLOSE
        case 8: return 5;   // HTREDUCE
        case 9: return 6;   // HTZOOM
        default: return unchanged;
    }
}

}  // namespace

void TranslateNativeMessage(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                            SViewEvent& e) {
    e = SViewEvent{};
    e.window = window;
    e.time = PlatformTickCount();
    e.nativeWindow = window;
    e.message = message;
    e.wParam = wParam;
    e.lParam = lParam;
    bool mouse = false;
    switch (message) {
        case kWmCreate: case kWmInitDialog: e.type = kEvOpen; break;
        case kWmClose: e.type = kEvClose; break;
        case kWmSysCommand: e.type = (wParam & 0xFFF0) == kScClose ? kEvClose : 0; break;
        case kWmNcDestroy: e.type = kEvDestroyed; break;
        case kWmMouseActivate: case kWmNcActivate: e.type = kEvActivateRequest; break;
        case kWmActivate: e.type = ((wParam & 0xFFFF) == 1 || (wParam & 0xFFFF) == 2) ? kEvActivated : kEvDeactivated; break;
        case kMsgEraseBackground: e.type = kEvEraseBackground; break;
        case kWmPaint: e.type = kEvPaint; break;
        case kWmSizing: e.type = kEvSizing; break;
        case kWmSize:
            e.type = kEvSize;
            e.rect.right = PointX(lParam) & 0xFFFF;
            e.rect.bottom = PointY(lParam) & 0xFFFF;
            break;
        case kWmLButtonDown: case kWmLButtonDblClk: case kWmRButtonDown: case kWmRButtonDblClk:
            e.type = kEvMouseDown;
            e.rightButton = message == kWmRButtonDown || message == kWmRButtonDblClk;
            e.doubleClick = message == kWmLButtonDblClk || message == kWmRButtonDblClk;
            mouse = true;
            break;
        case kWmLButtonUp: case kWmRButtonUp: e.type = kEvMouseUp; mouse = true; break;
        case kWmMouseMove: e.type = kEvMouseMove; mouse = true; break;
        case kWmNcLButtonDown: case kWmNcLButtonDblClk: case kWmNcRButtonDown: case kWmNcRButtonDblClk:
            e.type = kEvNcMouseDown;
            e.hitCode = HitCode(wParam, e.hitCode);
            e.rightButton = message == kWmNcRButtonDown || message == kWmNcRButtonDblClk;
            break;
        case kWmKeyDown: case kWmSysKeyDown:
            e.type = kEvKeyDown;
            e.virtualKey = static_cast<int32_t>(wParam);
            e.character = static_cast<int32_t>(wParam) < 0x80 ? static_cast<int32_t>(wParam) : 0;
            e.keyData = static_cast<int32_t>(lParam);
            break;
        case kWmKeyUp: case kWmSysKeyUp:
            e.type = kEvKeyUp;
            e.virtualKey = static_cast<int32_t>(wParam);
            e.character = static_cast<int32_t>(wParam) < 0x80 ? static_cast<int32_t>(wParam) : 0;
            e.keyData = static_cast<int32_t>(lParam);
            break;
        case kWmChar: case kWmSysChar:
            e.type = kEvChar;
            e.character = static_cast<int32_t>(wParam);
            e.keyData = static_cast<int32_t>(lParam);
            break;
        case kWmDropFiles: e.type = kEvDropFiles; break;
        case kWmCommand:
            e.type = kEvCommand;
            e.messageCode = kMsgClicked;
            e.viewId = static_cast<int32_t>(wParam & 0xFFFF);
            break;
        default: e.type = 0; break;
    }
    if (mouse) {
        e.x = PointX(lParam);
        e.y = PointY(lParam);
        if (wParam & kMkShift) e.modifiers |= kModShift;
        if (wParam & kMkControl) e.modifiers |= kModControl | kModCommand;
    } else if (e.type != 0) {
        if (PlatformKeyDown(kVkShift)) e.modifiers |= kModShift;
        if (PlatformKeyDown(kVkControl)) e.modifiers |= kModControl | kModCommand;
    }
    if (e.type != 0) {
        if (PlatformKeyToggled(kVkCapital)) e.modifiers |= kModCapsLock;
        if (PlatformKeyDown(kVkMenu)) e.modifiers |= kModAlt;
    }
    if (message == kWmSysKeyDown || message == kWmSysKeyUp || message == kWmSysChar) e.modifiers |= kModSystemKey;
}

CPWindow* FindToolkitWindow(NativeWindow handle) {
    if (!handle) return nullptr;
    for (CPWindow* w : gWindows)
        if (w && w->Handle() == handle) return w;
    return nullptr;
}

int32_t ToolkitWindowCount() {
    int32_t n = 0;
    for (CPWindow* w : gWindows) n += w != nullptr;
    return n;
}

bool RegisterWindowClass(NativeModule module) {
    if (gClassRegistered) return true;
    gClassRegistered = PlatformRegisterToolkitClass(module, gGlobalWindowsProc);
    if (!gClassRegistered)
        for (CPWindow*& w : gWindows) w = nullptr;
    return gClassRegistered;
}

void DestroyToolkitWindows(NativeModule module) {
    for (CPWindow* w : gWindows)
        if (w) w->Close();
    if (gClassRegistered) PlatformUnregisterToolkitClass(module);
    gClassRegistered = false;
}

CPWindow::CPWindow() {
    for (CPWindow*& slot : gWindows)
        if (!slot) {
            slot = this;
            break;
        }
}

CPWindow::~CPWindow() {
    Unregister();
    for (CView* v : views_) delete v;
    views_.Clear();
}

bool CPWindow::Registered() const { return SlotOf(this) >= 0; }

void CPWindow::Unregister() {
    const int32_t slot = SlotOf(this);
    if (slot >= 0) gWindows[slot] = nullptr;
}

bool CPWindow::Attach(NativeWindow handle, bool isDialog) {
    if (handle_ || !handle) return false;
    handle_ = handle;
    isDialog_ = isDialog;
    // Dialogs get the idle pass through their timer messages.
    if (isDialog) PlatformSetTimer(handle, kIdleTimerId, static_cast<uint32_t>(idleInterval_ > 0 ? idleInterval_ : 100));
    return true;
}

bool CPWindow::AddMsgMap(int32_t eventType, intptr_t parameter, TMsgHandler handler) {
    if (!handler) return false;
    return msgMap_.Append(SMsgMap{handler, eventType, parameter});
}

CView* CPWindow::AddView(std::unique_ptr<CView> view) {
    if (!view) return nullptr;
    CView* v = view.get();
    if (views_.IndexOf(v) >= 0) return view.release();
    if (!views_.Append(v)) return nullptr;  // the view is freed with the unique_ptr
    v->SetWindow(this);
    return view.release();
}

CView* CPWindow::FindView(int32_t id) const {
    for (CView* v : views_)
        if (v->Id() == id) return v;
    return nullptr;
}

void CPWindow::Close() {
    SViewEvent e;
    e.type = kEvDestroyed;
    e.window = handle_;
    for (int32_t i = 0; i < msgMap_.Count() && !e.handled; ++i)
        if (msgMap_[i].eventType == kEvDestroyed || msgMap_[i].eventType == kEvAny) msgMap_[i].handler(e, *this);
    if (handle_) {
        PlatformKillTimer(handle_, kIdleTimerId);
        if (isDialog_) PlatformEndDialog(handle_, 0);
        else PlatformDestroyWindow(handle_);
    }
    Unregister();
}

void CPWindow::Route(SViewEvent& e) {
    // The map sees the event first; an entry that handles it ends the routing.
    for (int32_t i = 0; i < msgMap_.Count(); ++i) {
        if (msgMap_[i].eventType != e.type && msgMap_[i].eventType != kEvAny) continue;
        msgMap_[i].handler(e, *this);
        if (e.handled) return;
    }
    switch (e.type) {
        case kEvPaint:
            for (int32_t i = 0; i < views_.Count(); ++i) {
                CView* v = views_[i];
                if (!v->HasFlag(kViewInactive) && RectsMeet(v->Rect(), e.rect)) v->HandleEvent(e);
            }
            break;
        case kEvMouseDown: case kEvMouseUp: case kEvMouseMove: {
            CView* target = nullptr;
            for (int32_t i = views_.Count() - 1; i >= 0; --i) {
                CView* v = views_[i];
                if (!v->HasFlag(kViewInactive) && !v->HasFlag(kViewDisabled) && RectContains(v->Rect(), e.x, e.y)) {
                    target = v;
                    break;
                }
            }
            if (e.type == kEvMouseMove && target != underPointer_) {
                if (underPointer_ && views_.IndexOf(underPointer_) >= 0) underPointer_->SetFlag(kViewMouseOver, false, true);
                underPointer_ = target;
            }
            if (target) target->HandleEvent(e);
            break;
        }
        case kEvIdle: {
            const uint32_t now = PlatformTickCount();
            for (int32_t i = views_.Count() - 1; i >= 0; --i) {
                CView* v = views_[i];
                const uint32_t due = v->NextIdleTime();
                if (!v->HasFlag(kViewInactive) && due != 0xFFFFFFFFu && due <= now) v->Idle();
            }
            break;
        }
        default:
            break;
    }
}

void CPWindow::PaintRect(NativeDC dc, const TRect& rect) {
    if (!dc || IsEmpty(rect)) return;
    CPRegion saved;
    saved.FromClip(dc);
    CPRegion clip(rect.left, rect.top, rect.right, rect.bottom);
    clip.SelectAsClip(dc);

    SViewEvent e;
    e.type = kEvPaint;
    e.window = handle_;
    e.rect = rect;
    e.time = PlatformTickCount();
    CPOffscreen surface(rect.right - rect.left, rect.bottom - rect.top, 32, false, true);
    NativeDC sdc = surface.Valid() ? surface.BorrowDC() : nullptr;
    NativeDC target = sdc ? sdc : dc;
    int32_t oldX = 0, oldY = 0;
    if (sdc) {
        PlatformInheritDeviceScale(dc, sdc);
        PlatformSetViewportOrigin(sdc, -rect.left, -rect.top, &oldX, &oldY);
    }
    e.dc = target;
    e.surface = sdc ? &surface : nullptr;
    // The background: the system's default erase, or the face colour where
    // the default procedure draws nothing.
    const intptr_t erased = isDialog_ ? PlatformDefaultDialogProc(handle_, kMsgEraseBackground, reinterpret_cast<uintptr_t>(target), 0)
                                      : PlatformDefaultWindowProc(handle_, kMsgEraseBackground, reinterpret_cast<uintptr_t>(target), 0);
    if (!erased) {
        CPDraw d(target);
        const uint32_t c = PlatformSysColour(isDialog_ ? TSysColour::ButtonFace : TSysColour::Window);
        d.SetColor(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c));
        d.FillRect(rect);
    }
    Route(e);
    if (sdc) {
        PlatformSetViewportOrigin(sdc, oldX, oldY, nullptr, nullptr);
        surface.ReturnDC();
        surface.BlitRect(dc, rect, TRect{0, 0, surface.Width(), surface.Height()});
    }
    saved.SelectAsClip(dc);
}

void CPWindow::DrawRectNow(const TRect& rect) {
    if (!handle_) return;
    NativeDC dc = PlatformGetDC(handle_);
    if (!dc) return;
    PaintRect(dc, rect);
    PlatformReleaseDC(handle_, dc);
}

void CPWindow::Invalidate(const TRect* rect) {
    if (handle_) PlatformInvalidateRect(handle_, rect);
}

void CPWindow::IdlePass(uint32_t now) {
    if (lastIdle_ >= 0 && static_cast<int64_t>(now) < lastIdle_ + idleInterval_) return;
    SViewEvent e;
    e.type = kEvIdle;
    e.window = handle_;
    e.time = now;
    Route(e);
    lastIdle_ = now;
}

intptr_t gGlobalWindowsProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    SViewEvent e;
    TranslateNativeMessage(window, message, wParam, lParam, e);
    CPWindow* w = FindToolkitWindow(window);
    if (!w) return PlatformDefaultWindowProc(window, message, wParam, lParam);
    if (e.type == kEvEraseBackground) return 0;
    if (e.type == kEvPaint) {
        SPaintState paint;
        if (PlatformBeginPaint(window, paint)) {
            w->PaintRect(paint.dc, paint.rect);
            PlatformEndPaint(window, paint);
        }
        return 0;
    }
    if (e.type != 0) w->Route(e);
    if (e.type == kEvClose && w->DestroyOnClose()) {
        w->Close();
        return 0;
    }
    return e.handled ? e.result : PlatformDefaultWindowProc(window, message, wParam, lParam);
}

intptr_t gWinGlobalDialogProc(NativeWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmInitDialog) {
        // lParam may be anything: it is taken for a window only when the table holds it.
        for (CPWindow* w : gWindows)
            if (w && reinterpret_cast<intptr_t>(w) == lParam && !w->Handle()) w->Attach(dialog, true);
    }
    if (message == kMsgTimer && wParam == kIdleTimerId) {
        const uint32_t now = PlatformTickCount();
        for (CPWindow* w : gWindows)
            if (w) w->IdlePass(now);
        return 0;
    }
    SViewEvent e;
    TranslateNativeMessage(dialog, message, wParam, lParam, e);
    CPWindow* w = FindToolkitWindow(dialog);
    if (!w) return 0;
    if (e.type == kEvEraseBackground) return 0;
    if (e.type == kEvPaint) {
        SPaintState paint;
        if (PlatformBeginPaint(dialog, paint)) {
            w->PaintRect(paint.dc, paint.rect);
            PlatformEndPaint(dialog, paint);
        }
        return 1;
    }
    if (e.type != 0) w->Route(e);
    if (e.type == kEvClose && w->DestroyOnClose()) {
        w->Close();
        return 1;
    }
    return e.handled ? e.result : 0;
}
