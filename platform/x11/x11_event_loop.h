// The X11 host's message loop: X events turned into Windows messages, and
// the window's timer, waiting on the X connection and the stop-signal pipe
// with poll() and a timeout until the next tick, never spinning.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "platform/x11/x11_messages.h"

class CPX11Window;

class CPX11MessageHandler {
public:
    virtual ~CPX11MessageHandler() = default;
    virtual void OnMessage(const SWinMessage& message) = 0;
    // The window's timer fired (at most once per wait; a late tick is not
    // made up for).
    virtual void OnTimer(uintptr_t id) = 0;
    // Checked after every message and tick; true ends the loop.
    virtual bool Done() const = 0;
};

// Runs until the handler is done or a stop signal arrives. Answers true
// when a stop signal ended it.
bool RunX11MessageLoop(CPX11Window& window, CPX11MessageHandler& handler);

// Looks at every event already queued (reading what the server has sent,
// without blocking) and leaves them all in the queue. look returns true to
// stop looking.
void PeekQueuedEvents(Display* display, bool (*look)(const XEvent& event, void* context), void* context);
