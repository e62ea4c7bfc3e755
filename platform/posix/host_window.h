// What a POSIX host (headless or X11) provides in place of a Win32 window:
// a client size, a target for blits, a timer and a source of input. The
// native.h functions forward to the window handed to them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/native.h"

class CPOffscreen;

// Receives rectangles of pixels; the POSIX stand-in for a device context.
class CPBlitTarget {
public:
    virtual ~CPBlitTarget() = default;
    // Copies srcRect of the source surface (rows counted from the top) to
    // destRect of the target, stretching when the sizes differ.
    virtual bool Blit(const TRect& destRect, const CPOffscreen& source, const TRect& srcRect) = 0;
};

class CPHostWindow {
public:
    virtual ~CPHostWindow() = default;
    virtual TRect ClientRect() const = 0;
    virtual CPBlitTarget* Target() = 0;
    virtual uintptr_t SetTimer(uintptr_t id, uint32_t milliseconds) {
        timerId_ = id;
        timerPeriod_ = milliseconds;
        return id;
    }
    virtual bool KillTimer(uintptr_t id) {
        if (timerId_ != id || id == 0) return false;
        timerId_ = 0;
        return true;
    }
    uintptr_t TimerId() const { return timerId_; }
    uint32_t TimerPeriod() const { return timerPeriod_; }

private:
    uintptr_t timerId_ = 0;
    uint32_t timerPeriod_ = 0;
};

// The process-wide clock and input source of a POSIX host. The headless host
// installs a virtual clock and virtual input; the X11 host the real ones.
struct PosixHostServices {
    uint32_t (*tickCount)() = nullptr;  // null: the monotonic clock
    bool (*inputPending)() = nullptr;   // null: never
    // The clipboard picture as a packed DIB; null: no clipboard.
    bool (*readClipboard)(std::vector<uint8_t>& dib) = nullptr;
    bool (*writeClipboard)(const std::vector<uint8_t>& dib) = nullptr;
};
PosixHostServices& PosixServices();
