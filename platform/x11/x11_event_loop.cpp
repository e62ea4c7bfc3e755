#include "platform/x11/x11_event_loop.h"

#include <poll.h>

#include <cerrno>

#include "platform/native.h"
#include "platform/x11/stop_signals.h"
#include "platform/x11/x11_window.h"

namespace {

struct SPeek {
    bool (*look)(const XEvent&, void*);
    void* context;
    bool stopped;
};

Bool PeekOne(Display*, XEvent* event, XPointer arg) {
    SPeek& peek = *reinterpret_cast<SPeek*>(arg);
    if (!peek.stopped) peek.stopped = peek.look(*event, peek.context);
    return False;  // never taken out of the queue
}

// Milliseconds until the deadline, 0 when it has passed.
int Until(uint32_t deadline, uint32_t now) {
    const int32_t left = static_cast<int32_t>(deadline - now);
    return left > 0 ? left : 0;
}

}  // namespace

void PeekQueuedEvents(Display* display, bool (*look)(const XEvent&, void*), void* context) {
    if (!display || !look) return;
    SPeek peek{look, context, false};
    XEvent event;
    // XCheckIfEvent reads what has arrived without waiting; a predicate that
    // never matches visits every queued event and removes none.
    XCheckIfEvent(display, &event, PeekOne, reinterpret_cast<XPointer>(&peek));
}

bool RunX11MessageLoop(CPX11Window& window, CPX11MessageHandler& handler) {
    Display* display = window.XDisplay();
    const int xfd = ConnectionNumber(display);
    uintptr_t timerId = 0;
    uint32_t deadline = 0;
    for (;;) {
        while (!handler.Done() && !StopRequested() && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            SWinMessage messages[2];
            const int n = TranslateXEvent(event, window.DeleteAtom(), messages);
            for (int k = 0; k < n && !handler.Done(); ++k) handler.OnMessage(messages[k]);
        }
        if (StopRequested()) return true;
        if (handler.Done()) return false;

        const uint32_t now = PlatformTickCount();
        if (window.TimerId() != timerId) {
            timerId = window.TimerId();
            deadline = now + window.TimerPeriod();
        }
        if (timerId != 0 && Until(deadline, now) == 0) {
            // The next tick a period after this one, or a period from now
            // when the frame ran long: no burst of ticks to catch up.
            deadline += window.TimerPeriod();
            handler.OnTimer(timerId);
            XFlush(display);
            const uint32_t after = PlatformTickCount();
            if (static_cast<int32_t>(deadline - after) < 0) deadline = after + window.TimerPeriod();
            continue;
        }

        pollfd fds[2] = {{xfd, POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
        const int timeout = timerId != 0 ? Until(deadline, now) : -1;
        const int ready = ::poll(fds, StopSignalFd() >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) return false;
        if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return false;  // the server went away
    }
}
