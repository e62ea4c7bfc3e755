// What a POSIX host (headless or X11) provides in place of a Win32 window:
// a client size, a target for blits, a timer and a source of input. The
// native.h functions forward to the window handed to them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/native.h"

class CPOffscreen;

// What a CPDraw has selected into a POSIX device context, in the manner of
// an HDC: the pen, brush and font of the holders, the viewport origin
// (device = logical + origin), the pen position and the clip rectangles in
// device coordinates.
struct SPosixPen {
    int32_t width = 1;
    int32_t style = 0;
    uint32_t colour = 0;  // 0x00RRGGBB
};
struct SPosixBrush {
    uint32_t colour = 0;
};
struct SPosixDCState {
    const SPosixPen* pen = nullptr;
    const SPosixBrush* brush = nullptr;
    const void* font = nullptr;  // the font holder's SPosixFont
    uint32_t textColour = 0;
    int32_t viewportX = 0;
    int32_t viewportY = 0;
    int32_t penX = 0;
    int32_t penY = 0;
    bool clipped = false;
    std::vector<TRect> clip;  // disjoint rectangles; empty with clipped set draws nothing
};

// Receives rectangles of pixels; the POSIX stand-in for a device context.
class CPBlitTarget {
public:
    virtual ~CPBlitTarget() = default;
    // Copies srcRect of the source surface (rows counted from the top) to
    // destRect of the target, stretching when the sizes differ.
    virtual bool Blit(const TRect& destRect, const CPOffscreen& source, const TRect& srcRect) = 0;
    // The surface that CPDraw draws into (32 or 24 bits), or null when
    // the target cannot be drawn on.
    virtual CPOffscreen* DrawSurface() { return nullptr; }
    // Pixels per inch of the target, for font sizes and the panel's scale.
    virtual int32_t PixelsPerInch() const { return 96; }
    SPosixDCState& DrawState() { return drawState_; }

private:
    SPosixDCState drawState_;
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
};
PosixHostServices& PosixServices();
