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
    int32_t pixelsPerInch = 0;  // 0: the target's own
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

    // Toolkit windows (the settings panel and its pop-up menus). The host
    // decides where the window is on the screen and whether it can be
    // resized; the rest is kept here.
    virtual TRect ScreenRect() const { return ClientRect(); }  // the client area in screen coordinates
    virtual bool SetClientSize(int32_t width, int32_t height) {
        (void)width, (void)height;
        return false;
    }
    // Repaint requests gather into one rectangle, taken by BeginPaint.
    void Invalidate(const TRect& rect) {
        if (rect.right <= rect.left || rect.bottom <= rect.top) return;
        if (invalid_.right <= invalid_.left || invalid_.bottom <= invalid_.top) {
            invalid_ = rect;
            return;
        }
        if (rect.left < invalid_.left) invalid_.left = rect.left;
        if (rect.top < invalid_.top) invalid_.top = rect.top;
        if (rect.right > invalid_.right) invalid_.right = rect.right;
        if (rect.bottom > invalid_.bottom) invalid_.bottom = rect.bottom;
    }
    bool NeedsPaint() const { return invalid_.right > invalid_.left && invalid_.bottom > invalid_.top; }
    TRect TakeInvalid() {
        const TRect r = invalid_;
        invalid_ = TRect{};
        return r;
    }
    // EndDialog and DestroyWindow mark the window; the host's loop ends on it.
    void MarkClosed(intptr_t result) {
        closed_ = true;
        result_ = result;
    }
    bool Closed() const { return closed_; }
    intptr_t Result() const { return result_; }

private:
    TRect invalid_;
    bool closed_ = false;
    intptr_t result_ = 0;
    uintptr_t timerId_ = 0;
    uint32_t timerPeriod_ = 0;
};

// The process-wide clock and input source of a POSIX host. The headless host
// installs a virtual clock and virtual input; the X11 host the real ones.
//
// A host feeds a toolkit window by calling the toolkit's procedure with
// Windows message numbers and packing (WM_LBUTTONDOWN with the point in
// lParam, WM_KEYDOWN with the virtual key in wParam, WM_PAINT after
// CPHostWindow::Invalidate ...), calling PosixNoteInput first so that the
// pointer and key state the toolkit polls agree with the message.
struct SHostMessage {
    NativeWindow window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};
using TPosixToolkitProc = intptr_t (*)(NativeWindow, uint32_t, uintptr_t, intptr_t);
struct PosixHostServices {
    uint32_t (*tickCount)() = nullptr;  // null: the monotonic clock
    bool (*inputPending)() = nullptr;   // null: never
    // The clipboard picture as a packed DIB; null: no clipboard.
    bool (*readClipboard)(std::vector<uint8_t>& dib) = nullptr;
    bool (*writeClipboard)(const std::vector<uint8_t>& dib) = nullptr;
    // The next input message for a modal loop inside the toolkit (the
    // tracking of a pressed view, a pop-up menu). The host has already
    // noted it (PosixNoteInput). False: no more input will come.
    bool (*nextMessage)(SHostMessage* out) = nullptr;
    // A window of its own for a pop-up menu at screenRect (screen
    // coordinates), drawn by the toolkit through its target; null if the
    // host has none. closePopup takes it down again.
    CPHostWindow* (*openPopup)(NativeWindow owner, const TRect& screenRect) = nullptr;
    void (*closePopup)(CPHostWindow* popup) = nullptr;
    // Shows dialog resourceId: makes its window, sends WM_INITDIALOG with
    // initParam to proc and feeds it messages until the window is marked
    // closed; answers its result (-1 when it cannot).
    intptr_t (*runDialog)(int32_t resourceId, NativeWindow owner, TPosixToolkitProc proc, intptr_t initParam) = nullptr;
    // Opens a path or address with the desktop's handler (null: xdg-open).
    int32_t (*openWithShell)(const char* path) = nullptr;
    // The OK / Cancel question (null: OK without asking).
    bool (*askOkCancel)(const char* caption, const char* text) = nullptr;
};
PosixHostServices& PosixServices();

// What the toolkit polls: pointer (screen coordinates), buttons and keys.
struct PosixInputState {
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    bool left = false;
    bool right = false;
    bool keys[256] = {};
    bool capsLock = false;
};
PosixInputState& PosixInput();
// Updates the input state from a message about to be delivered to window.
void PosixNoteInput(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
