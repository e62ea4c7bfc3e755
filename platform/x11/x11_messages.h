// X events as the Windows messages the engine and the toolkit speak: the
// same message numbers, wParam and lParam packed as Windows packs them
// (MAKELPARAM(x, y), MK_ button flags, virtual-key codes), so the saver
// host and the settings panel's window routing read one kind of input.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "platform/window_ops.h"  // PackPoint: MAKELPARAM, as Windows packs it

namespace wm {
constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kSetFocus = 0x0007;
constexpr uint32_t kKillFocus = 0x0008;
constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kClose = 0x0010;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kChar = 0x0102;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kRButtonUp = 0x0205;
constexpr uint32_t kMButtonDown = 0x0207;
constexpr uint32_t kMButtonUp = 0x0208;
constexpr uint32_t kMouseWheel = 0x020A;

// wParam flags of the mouse messages.
constexpr uintptr_t kMkLButton = 0x0001;
constexpr uintptr_t kMkRButton = 0x0002;
constexpr uintptr_t kMkShift = 0x0004;
constexpr uintptr_t kMkControl = 0x0008;
constexpr uintptr_t kMkMButton = 0x0010;
}  // namespace wm

struct SWinMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    int32_t x = 0;  // the client point of mouse messages, unpacked for convenience
    int32_t y = 0;
};

// The Windows virtual-key code of an X key symbol, 0 when there is none.
uint32_t VirtualKeyOf(unsigned long keysym);

// Turns one X event into up to two messages (a key press gives WM_KEYDOWN
// and, for a character key, WM_CHAR). deleteAtom is the window's
// WM_DELETE_WINDOW atom; its client message becomes WM_CLOSE. Answers the
// number of messages written to out.
int TranslateXEvent(XEvent& event, Atom deleteAtom, SWinMessage out[2]);
