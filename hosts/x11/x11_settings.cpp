// The settings panel's X11 host. Every toolkit window (the dialog, a pop-up
// menu) is drawn by the toolkit into a memory surface; before the host
// waits for the next X event, what was drawn is put on the screen through
// the window's kept image, which also answers exposes.
#include "hosts/x11/x11_settings.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/offscreen.h"
#include "platform/posix/host_window.h"
#include "platform/window_ops.h"
#include "platform/x11/x11_messages.h"
#include "platform/x11/x11_window.h"
#include "shell/config_panel.h"

namespace {

constexpr const char* kSettingsTitle = "Tarn Flourish Setup Version 1.02";

// A toolkit window on the display: the toolkit's drawing surface and the
// X window that shows it.
class CPToolkitX11Window final : public CPHostWindow, public CPBlitTarget {
public:
    CPToolkitX11Window(std::unique_ptr<CPX11Window> x, Window ownWindow, int32_t width, int32_t height)
        : x_(std::move(x)), ownWindow_(ownWindow) {
        surface_.Create(width, height, 32, true, true);
        Locate();
    }
    ~CPToolkitX11Window() override {
        Display* d = x_->XDisplay();
        x_.reset();
        // An attached window (a pop-up) is ours all the same.
        if (ownWindow_) XDestroyWindow(d, ownWindow_);
        XFlush(d);
    }
    CPToolkitX11Window(const CPToolkitX11Window&) = delete;
    CPToolkitX11Window& operator=(const CPToolkitX11Window&) = delete;

    bool Valid() const { return surface_.Valid(); }
    CPX11Window& X() { return *x_; }

    TRect ClientRect() const override { return {0, 0, surface_.Width(), surface_.Height()}; }
    CPBlitTarget* Target() override { return this; }
    CPOffscreen* DrawSurface() override {
        drawn_ = true;  // whoever asks for the surface draws on it
        return &surface_;
    }
    TRect ScreenRect() const override {
        return {screenX_, screenY_, screenX_ + surface_.Width(), screenY_ + surface_.Height()};
    }
    bool Blit(const TRect& dest, const CPOffscreen& source, const TRect& src) override {
        if (!surface_.Valid() || !source.Valid() || source.BitsPerPixel() != 32) return false;
        const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
        const int sw = src.right - src.left, sh = src.bottom - src.top;
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
        drawn_ = true;
        for (int y = 0; y < dh; ++y) {
            const int ty = dest.top + y;
            const int sy = src.top + static_cast<int>(static_cast<int64_t>(y) * sh / dh);
            if (ty < 0 || ty >= surface_.Height() || sy < 0 || sy >= source.Height()) continue;
            const uint32_t* from = reinterpret_cast<const uint32_t*>(source.Row(sy));
            uint32_t* to = reinterpret_cast<uint32_t*>(surface_.Row(ty));
            for (int x = 0; x < dw; ++x) {
                const int tx = dest.left + x;
                const int sx = src.left + static_cast<int>(static_cast<int64_t>(x) * sw / dw);
                if (tx >= 0 && tx < surface_.Width() && sx >= 0 && sx < source.Width()) to[tx] = from[sx];
            }
        }
        return true;
    }

    // Puts what the toolkit drew since the last time on the screen.
    void Present() {
        if (!drawn_) return;
        drawn_ = false;
        const TRect all = ClientRect();
        x_->Blit(all, surface_, all);
    }
    // The window manager may have moved it: where its client area is now.
    void Locate() {
        Display* d = x_->XDisplay();
        Window child = 0;
        int x = 0, y = 0;
        if (XTranslateCoordinates(d, x_->XWindow(), DefaultRootWindow(d), 0, 0, &x, &y, &child)) {
            screenX_ = x;
            screenY_ = y;
        }
    }

private:
    std::unique_ptr<CPX11Window> x_;
    Window ownWindow_;
    CPOffscreen surface_;
    bool drawn_ = true;
    int32_t screenX_ = 0, screenY_ = 0;
};

// The host's state for one run of the panel.
struct SettingsHost {
    Display* display = nullptr;
    std::unique_ptr<CPToolkitX11Window> dialog;
    TPosixToolkitProc proc = nullptr;
    std::vector<std::unique_ptr<CPToolkitX11Window>> popups;
    uintptr_t timerId = 0;
    uint32_t deadline = 0;
    // A key press's character, handed over after its key message.
    bool haveChar = false;
    SHostMessage pendingChar;
};

SettingsHost gHost;

CPToolkitX11Window* WindowOf(Window w) {
    if (gHost.dialog && gHost.dialog->X().XWindow() == w) return gHost.dialog.get();
    for (auto& p : gHost.popups)
        if (p->X().XWindow() == w) return p.get();
    return nullptr;
}

void PaintAndPresent() {
    if (gHost.dialog && gHost.dialog->NeedsPaint() && !gHost.dialog->Closed())
        gHost.proc(gHost.dialog.get(), kWmPaint, 0, 0);
    if (gHost.dialog) gHost.dialog->Present();
    for (auto& p : gHost.popups) p->Present();
    XFlush(gHost.display);
}

// Waits for the display or the dialog's timer; false when the server is gone.
bool Wait() {
    const uint32_t now = PlatformTickCount();
    int timeout = -1;
    if (gHost.timerId != 0) {
        const int32_t left = static_cast<int32_t>(gHost.deadline - now);
        timeout = left > 0 ? left : 0;
    }
    pollfd fd{ConnectionNumber(gHost.display), POLLIN, 0};
    const int ready = ::poll(&fd, 1, timeout);
    if (ready < 0 && errno != EINTR) return false;
    return (fd.revents & (POLLERR | POLLHUP)) == 0;
}

// The next message for a toolkit window: X input translated, the timer's
// ticks, and the window manager's close. Exposes and moves are answered here.
bool NextMessage(SHostMessage* out) {
    for (;;) {
        if (!gHost.dialog || gHost.dialog->Closed()) return false;
        if (gHost.haveChar) {
            gHost.haveChar = false;
            *out = gHost.pendingChar;
            return true;
        }
        if (gHost.dialog->TimerId() != gHost.timerId) {
            gHost.timerId = gHost.dialog->TimerId();
            gHost.deadline = PlatformTickCount() + std::max<uint32_t>(10, gHost.dialog->TimerPeriod());
        }
        if (XPending(gHost.display) == 0) {
            if (gHost.timerId != 0 && static_cast<int32_t>(gHost.deadline - PlatformTickCount()) <= 0) {
                gHost.deadline = PlatformTickCount() + std::max<uint32_t>(10, gHost.dialog->TimerPeriod());
                *out = {gHost.dialog.get(), kMsgTimer, gHost.timerId, 0};
                return true;
            }
            PaintAndPresent();
            if (!Wait()) return false;
            continue;
        }
        XEvent event;
        XNextEvent(gHost.display, &event);
        CPToolkitX11Window* target = WindowOf(event.xany.window);
        if (!target) continue;
        if (event.type == ConfigureNotify || event.type == ReparentNotify || event.type == MapNotify) {
            target->Locate();
            continue;
        }
        SWinMessage m[2];
        const int n = TranslateXEvent(event, target->X().DeleteAtom(), m);
        if (n == 0) continue;
        if (m[0].message == wm::kPaint) {
            const int w = static_cast<uint16_t>(m[0].lParam), h = static_cast<uint16_t>(m[0].lParam >> 16);
            target->X().Repaint({m[0].x, m[0].y, m[0].x + w, m[0].y + h});
            continue;
        }
        if (m[0].message == wm::kSize || m[0].message == wm::kSetFocus || m[0].message == wm::kKillFocus ||
            m[0].message == wm::kMouseWheel)
            continue;
        if (n == 2) {
            gHost.haveChar = true;
            gHost.pendingChar = {target, m[1].message, m[1].wParam, m[1].lParam};
        }
        // A window manager need not tell a framed window it moved; a press
        // is where a pop-up opens, so the place is asked for then.
        if (m[0].message == wm::kLButtonDown || m[0].message == wm::kRButtonDown) target->Locate();
        PosixNoteInput(target, m[0].message, m[0].wParam, m[0].lParam);
        *out = {target, m[0].message, m[0].wParam, m[0].lParam};
        return true;
    }
}

CPHostWindow* OpenPopup(NativeWindow, const TRect& screen) {
    const int32_t w = screen.right - screen.left, h = screen.bottom - screen.top;
    if (w <= 0 || h <= 0 || !gHost.display) return nullptr;
    Display* d = gHost.display;
    XSetWindowAttributes a{};
    a.override_redirect = True;  // a menu: no frame, no placing by the window manager
    a.save_under = True;
    a.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                   KeyPressMask | KeyReleaseMask;
    const Window window = XCreateWindow(d, DefaultRootWindow(d), screen.left, screen.top, static_cast<unsigned>(w),
                                        static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWOverrideRedirect | CWSaveUnder | CWEventMask, &a);
    if (!window) return nullptr;
    std::unique_ptr<CPX11Window> x = CPX11Window::Attach(d, window);
    if (!x) {
        XDestroyWindow(d, window);
        return nullptr;
    }
    XMapRaised(d, window);
    auto popup = std::make_unique<CPToolkitX11Window>(std::move(x), window, w, h);
    if (!popup->Valid()) return nullptr;
    // A click beside the menu must reach the menu to close it: the pointer
    // is ours while it is open, events on our own windows stay theirs.
    XGrabPointer(d, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    gHost.popups.push_back(std::move(popup));
    return gHost.popups.back().get();
}

void ClosePopup(CPHostWindow* popup) {
    for (auto it = gHost.popups.begin(); it != gHost.popups.end(); ++it)
        if (it->get() == popup) {
            gHost.popups.erase(it);
            break;
        }
    if (gHost.popups.empty()) XUngrabPointer(gHost.display, CurrentTime);
    XFlush(gHost.display);
}

intptr_t RunDialog(int32_t resourceId, NativeWindow, TPosixToolkitProc proc, intptr_t initParam) {
    // The dialog's size from its template, in dialog units of 1.5 x 1.625 pixels at 96 dpi.
    int32_t size = 0;
    const char* face = PlatformLoadDialogTemplate(nullptr, resourceId, &size);
    if (!face) return -1;
    const std::string text(face, static_cast<size_t>(size));
    auto number = [&text](const char* key) {
        const size_t at = text.find(key);
        return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + std::strlen(key));
    };
    const int32_t w = static_cast<int32_t>(number("width=") * 1.5 + 0.5);
    const int32_t h = static_cast<int32_t>(number("height=") * 1.625 + 0.5);
    std::unique_ptr<CPX11Window> x = CPX11Window::CreateTopLevel(gHost.display, w, h, kSettingsTitle, false);
    if (!x) return -1;
    gHost.dialog = std::make_unique<CPToolkitX11Window>(std::move(x), 0, w, h);
    if (!gHost.dialog->Valid()) return -1;
    gHost.proc = proc;
    proc(gHost.dialog.get(), kWmInitDialog, 0, initParam);
    SHostMessage m;
    while (!gHost.dialog->Closed() && NextMessage(&m)) {
        if (m.window == gHost.dialog.get()) proc(m.window, m.message, m.wParam, m.lParam);
    }
    // The server went away with the panel open: close it as its own button does.
    if (!gHost.dialog->Closed()) proc(gHost.dialog.get(), kWmCommand, static_cast<uintptr_t>(kPanelCloseId), 0);
    const intptr_t result = gHost.dialog->Result() < 0 ? -1 : 0;
    gHost.popups.clear();
    gHost.dialog.reset();
    return result;
}

}  // namespace

int RunX11Settings() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "tarn-flourish: cannot open the X display '%s'\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    gHost = SettingsHost{};
    gHost.display = display;
    PosixHostServices& s = PosixServices();
    s.nextMessage = NextMessage;
    s.openPopup = OpenPopup;
    s.closePopup = ClosePopup;
    s.runDialog = RunDialog;
    const intptr_t r = ShowConfigureDialog(nullptr, nullptr);
    s.nextMessage = nullptr;
    s.openPopup = nullptr;
    s.closePopup = nullptr;
    s.runDialog = nullptr;
    gHost = SettingsHost{};
    XCloseDisplay(display);
    if (r < 0) {
        std::fputs("tarn-flourish: the settings panel could not be opened\n", stderr);
        return 1;
    }
    return 0;
}
