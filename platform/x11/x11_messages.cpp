#include "platform/x11/x11_messages.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

struct SKeyName {
    unsigned long keysym;
    uint32_t vk;
};

// X key symbols that are not letters or digits, with their virtual keys.
constexpr SKeyName kKeys[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09},       {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D},  {XK_Shift_L, 0x10},   {XK_Shift_R, 0x10},      {XK_Control_L, 0x11},
    {XK_Control_R, 0x11}, {XK_Alt_L, 0x12},     {XK_Alt_R, 0x12},        {XK_Pause, 0x13},
    {XK_Caps_Lock, 0x14}, {XK_Escape, 0x1B},    {XK_space, 0x20},        {XK_Prior, 0x21},
    {XK_Next, 0x22},      {XK_End, 0x23},       {XK_Home, 0x24},         {XK_Left, 0x25},
    {XK_Up, 0x26},        {XK_Right, 0x27},     {XK_Down, 0x28},         {XK_Insert, 0x2D},
    {XK_Delete, 0x2E},    {XK_Super_L, 0x5B},   {XK_Super_R, 0x5C},      {XK_Menu, 0x5D},
    {XK_KP_0, 0x60},      {XK_KP_1, 0x61},      {XK_KP_2, 0x62},         {XK_KP_3, 0x63},
    {XK_KP_4, 0x64},      {XK_KP_5, 0x65},      {XK_KP_6, 0x66},         {XK_KP_7, 0x67},
    {XK_KP_8, 0x68},      {XK_KP_9, 0x69},      {XK_KP_Multiply, 0x6A},  {XK_KP_Add, 0x6B},
    {XK_KP_Subtract, 0x6D}, {XK_KP_Decimal, 0x6E}, {XK_KP_Divide, 0x6F}, {XK_minus, 0xBD},
    {XK_equal, 0xBB},     {XK_comma, 0xBC},     {XK_period, 0xBE},       {XK_slash, 0xBF},
    {XK_semicolon, 0xBA}, {XK_apostrophe, 0xDE}, {XK_bracketleft, 0xDB}, {XK_bracketright, 0xDD},
    {XK_backslash, 0x5C}, {XK_grave, 0xC0},
};

uintptr_t ButtonFlags(unsigned int state) {
    uintptr_t flags = 0;
    if (state & Button1Mask) flags |= wm::kMkLButton;
    if (state & Button2Mask) flags |= wm::kMkMButton;
    if (state & Button3Mask) flags |= wm::kMkRButton;
    if (state & ShiftMask) flags |= wm::kMkShift;
    if (state & ControlMask) flags |= wm::kMkControl;
    return flags;
}

// The flag of the button an X button event names.
uintptr_t ButtonFlag(unsigned int button) {
    switch (button) {
        case Button1: return wm::kMkLButton;
        case Button2: return wm::kMkMButton;
        case Button3: return wm::kMkRButton;
        default: return 0;
    }
}

SWinMessage Mouse(uint32_t message, uintptr_t wParam, int x, int y) {
    SWinMessage m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = PackPoint(x, y);
    m.x = x;
    m.y = y;
    return m;
}

}  // namespace

uint32_t VirtualKeyOf(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint32_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint32_t>(keysym);
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint32_t>(keysym);
    if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<uint32_t>(0x70 + (keysym - XK_F1));
    for (const SKeyName& k : kKeys) {
        if (k.keysym == keysym) return k.vk;
    }
    return 0;
}

int TranslateXEvent(XEvent& event, Atom deleteAtom, SWinMessage out[2]) {
    switch (event.type) {
        case KeyPress:
        case KeyRelease: {
            XKeyEvent& key = event.xkey;
            char text[8] = {};
            KeySym keysym = NoSymbol;
            const int length = XLookupString(&key, text, sizeof text, &keysym, nullptr);
            const bool down = event.type == KeyPress;
            // lParam: repeat count 1, the scan code in bits 16 to 23, and for
            // a release the previous-state and transition bits.
            uint32_t lParam = 1u | ((key.keycode & 0xFFu) << 16);
            if (!down) lParam |= 0xC0000000u;
            out[0] = SWinMessage{};
            out[0].message = down ? wm::kKeyDown : wm::kKeyUp;
            out[0].wParam = VirtualKeyOf(keysym);
            out[0].lParam = static_cast<intptr_t>(static_cast<int32_t>(lParam));
            if (down && length == 1 && static_cast<unsigned char>(text[0]) >= 0x08) {
                out[1] = SWinMessage{};
                out[1].message = wm::kChar;
                out[1].wParam = static_cast<unsigned char>(text[0]);
                out[1].lParam = out[0].lParam;
                return 2;
            }
            return 1;
        }
        case ButtonPress:
        case ButtonRelease: {
            XButtonEvent& b = event.xbutton;
            const bool down = event.type == ButtonPress;
            if (b.button == Button4 || b.button == Button5) {
                if (!down) return 0;
                // One notch is 120 in the high word; the point is on the screen.
                const int16_t delta = b.button == Button4 ? 120 : -120;
                out[0] = Mouse(wm::kMouseWheel,
                               (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16) | ButtonFlags(b.state),
                               b.x_root, b.y_root);
                return 1;
            }
            uint32_t message = 0;
            switch (b.button) {
                case Button1: message = down ? wm::kLButtonDown : wm::kLButtonUp; break;
                case Button2: message = down ? wm::kMButtonDown : wm::kMButtonUp; break;
                case Button3: message = down ? wm::kRButtonDown : wm::kRButtonUp; break;
                default: return 0;
            }
            // X reports the state before the event; Windows after it.
            uintptr_t flags = ButtonFlags(b.state);
            flags = down ? flags | ButtonFlag(b.button) : flags & ~ButtonFlag(b.button);
            out[0] = Mouse(message, flags, b.x, b.y);
            return 1;
        }
        case MotionNotify:
            out[0] = Mouse(wm::kMouseMove, ButtonFlags(event.xmotion.state), event.xmotion.x, event.xmotion.y);
            return 1;
        case Expose: {
            const XExposeEvent& e = event.xexpose;
            out[0] = SWinMessage{};
            out[0].message = wm::kPaint;
            out[0].x = e.x;
            out[0].y = e.y;
            // The exposed size rides in lParam, as WM_SIZE packs a size.
            out[0].lParam = PackPoint(e.width, e.height);
            return 1;
        }
        case ConfigureNotify:
            out[0] = SWinMessage{};
            out[0].message = wm::kSize;
            out[0].lParam = PackPoint(event.xconfigure.width, event.xconfigure.height);
            return 1;
        case FocusIn:
        case FocusOut:
            out[0] = SWinMessage{};
            out[0].message = event.type == FocusIn ? wm::kSetFocus : wm::kKillFocus;
            return 1;
        case ClientMessage:
            if (deleteAtom != 0 && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) {
                out[0] = SWinMessage{};
                out[0].message = wm::kClose;
                return 1;
            }
            return 0;
        default:
            return 0;
    }
}
