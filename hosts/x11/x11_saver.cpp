// The saver's X11 host: a window of its own that closes on input as the
// Windows saver does, or a window it is given (the root, xscreensaver's,
// --window-id) that it paints until a signal tells it to stop. Both deliver
// erase-background, timer and destroy to ScreenSaverProc.
#include "hosts/x11/x11_saver.h"

#include "shell/run_overrides.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "hosts/x11/fps_overlay.h"
#include "hosts/x11/saver_options.h"
#include "hosts/x11/x11_clipboard.h"
#include "platform/posix/host_window.h"
#include "platform/x11/stop_signals.h"
#include "platform/x11/x11_event_loop.h"
#include "platform/x11/x11_window.h"
#include "shell/frame_driver.h"
#include "shell/saver_entry.h"

namespace {

constexpr int kMoveToClose = 4;  // pixels, |dx| + |dy|

// What the input poll asks about; one saver window per process.
struct SInputWatch {
    Display* display = nullptr;
    bool closeOnInput = false;
    Atom deleteAtom = 0;
    bool haveCursor = false;
    int cursorX = 0, cursorY = 0;
    bool MovedFar(int x, int y) const {
        return haveCursor && std::abs(x - cursorX) + std::abs(y - cursorY) > kMoveToClose;
    }
};
SInputWatch gWatch;

bool ClosesSaver(const XEvent& e, void* found) {
    bool closes = false;
    switch (e.type) {
        case KeyPress:
        case ButtonPress: closes = true; break;
        case MotionNotify: closes = gWatch.MovedFar(e.xmotion.x, e.xmotion.y); break;
        case ClientMessage:  // the window manager's close
            closes = static_cast<Atom>(e.xclient.data.l[0]) == gWatch.deleteAtom;
            break;
        default: break;
    }
    if (closes) *static_cast<bool*>(found) = true;
    return closes;
}

// The painting loops ask this between steps: a stop signal always ends the
// frame; in our own window so does input that will close it.
bool InputPending() {
    if (StopRequested()) return true;
    if (!gWatch.closeOnInput || !gWatch.display) return false;
    bool found = false;
    PeekQueuedEvents(gWatch.display, ClosesSaver, &found);
    return found;
}

class SaverHost final : public CPX11MessageHandler {
public:
    SaverHost(CPX11Window& window, const SaverOptions& options) : window_(window), options_(options) {
        painted_ = window.ClientRect();
    }

    void Start() { ScreenSaverProc(Handle(), kMsgEraseBackground, 0, 0); }
    void Stop() { ScreenSaverProc(Handle(), kMsgDestroy, 0, 0); }

    void OnMessage(const SWinMessage& m) override {
        switch (m.message) {
            case wm::kClose:
                done_ = true;
                return;
            case wm::kPaint: {
                const int w = static_cast<uint16_t>(m.lParam), h = static_cast<uint16_t>(m.lParam >> 16);
                window_.Repaint({m.x, m.y, m.x + w, m.y + h});
                return;
            }
            case wm::kSize:
                window_.Resized(static_cast<uint16_t>(m.lParam), static_cast<uint16_t>(m.lParam >> 16));
                return;
            default:
                break;
        }
        if (!gWatch.closeOnInput) return;
        switch (m.message) {
            case wm::kKeyDown:
            case wm::kLButtonDown:
            case wm::kMButtonDown:
            case wm::kRButtonDown:
            case wm::kMouseWheel:
                done_ = true;
                break;
            case wm::kMouseMove:
                // The first position seen is where the cursor was.
                if (!gWatch.haveCursor) {
                    gWatch.haveCursor = true;
                    gWatch.cursorX = m.x;
                    gWatch.cursorY = m.y;
                } else if (gWatch.MovedFar(m.x, m.y)) {
                    done_ = true;
                }
                break;
            default:
                break;
        }
    }

    void OnTimer(uintptr_t id) override {
        if (!(window_.ClientRect() == painted_)) Restart();
        const auto start = std::chrono::steady_clock::now();
        ScreenSaverProc(Handle(), kMsgTimer, id, 0);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (options_.fps) {
            fps_.FrameDone(ms, PlatformTickCount());
            fps_.Draw(window_);
        }
    }

    bool Done() const override { return done_; }

private:
    NativeWindow Handle() { return static_cast<CPHostWindow*>(&window_); }

    // A new size starts the picture afresh; the picture at the old size is
    // not the one to keep on the clipboard.
    void Restart() {
        FrameDriver().settings.SaveToClip = 0;
        Stop();
        painted_ = window_.ClientRect();
        window_.Clear();
        Start();
    }

    CPX11Window& window_;
    const SaverOptions& options_;
    TRect painted_;
    bool done_ = false;
    FpsOverlay fps_;
};

std::unique_ptr<CPX11Window> OpenSaverWindow(Display* display, const SaverOptions& o) {
    if (o.windowId) return CPX11Window::Attach(display, static_cast<Window>(*o.windowId));
    if (o.root) {
        uint64_t id = 0;
        const char* given = std::getenv("XSCREENSAVER_WINDOW");
        if (given && ParseWindowId(given, id)) return CPX11Window::Attach(display, static_cast<Window>(id));
        return CPX11Window::Attach(display, DefaultRootWindow(display));
    }
    int w = o.width, h = o.height;
    if (o.fullscreen) {
        w = DisplayWidth(display, DefaultScreen(display));
        h = DisplayHeight(display, DefaultScreen(display));
    }
    return CPX11Window::CreateTopLevel(display, w, h, "Tarn Flourish", o.fullscreen);
}

}  // namespace

int RunX11Saver(const SaverOptions& options) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "tarn-flourish: cannot open the X display '%s'\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    InstallStopSignals();
    if (std::string error; !ApplyRunOptions(options, error)) {
        std::fprintf(stderr, "tarn-flourish: %s\n", error.c_str());
        XCloseDisplay(display);
        return 2;
    }
    RunOverrides().wireframe = options.wireframe;
    std::unique_ptr<CPX11Window> window = OpenSaverWindow(display, options);
    if (!window) {
        std::fprintf(stderr, "tarn-flourish: cannot draw into that window\n");
        XCloseDisplay(display);
        return 1;
    }
    gWatch = SInputWatch{};
    gWatch.display = display;
    gWatch.closeOnInput = window->OwnsWindow();
    gWatch.deleteAtom = window->DeleteAtom();
    PosixServices().inputPending = InputPending;
    InstallX11Clipboard();

    {
        SaverHost host(*window, options);
        host.Start();
        RunX11MessageLoop(*window, host);
        host.Stop();
    }
    PosixServices().inputPending = nullptr;
    gWatch = SInputWatch{};
    window.reset();
    XCloseDisplay(display);
    return 0;
}
