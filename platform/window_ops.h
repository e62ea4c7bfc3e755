// Native windows and dialogs as the view toolkit uses them: the toolkit's
// window class and dialog boxes, painting, coordinates, pointer and key
// state, menus, resources and the shell. On Windows these are the Win32
// calls; on POSIX a host window (CPHostWindow) answers them and the host
// feeds messages into the toolkit's procedures itself.
#pragma once

#include <cstdint>

#include "platform/native.h"

// Message numbers and packing keep their Windows values everywhere.
enum : uint32_t {
    kWmCreate = 0x0001,
    kWmSize = 0x0005,
    kWmActivate = 0x0006,
    kWmPaint = 0x000F,
    kWmClose = 0x0010,
    kWmNcDestroy = 0x0082,
    kWmNcActivate = 0x0086,
    kWmMouseActivate = 0x0021,
    kWmNcLButtonDown = 0x00A1,
    kWmNcLButtonDblClk = 0x00A3,
    kWmNcRButtonDown = 0x00A4,
    kWmNcRButtonDblClk = 0x00A6,
    kWmKeyDown = 0x0100,
    kWmKeyUp = 0x0101,
    kWmChar = 0x0102,
    kWmSysKeyDown = 0x0104,
    kWmSysKeyUp = 0x0105,
    kWmSysChar = 0x0106,
    kWmInitDialog = 0x0110,
    kWmCommand = 0x0111,
    kWmSysCommand = 0x0112,
    kWmMouseMove = 0x0200,
    kWmLButtonDown = 0x0201,
    kWmLButtonUp = 0x0202,
    kWmLButtonDblClk = 0x0203,
    kWmRButtonDown = 0x0204,
    kWmRButtonUp = 0x0205,
    kWmRButtonDblClk = 0x0206,
    kWmSizing = 0x0214,
    kWmDropFiles = 0x0233,
};
constexpr uintptr_t kScClose = 0xF060;
constexpr uintptr_t kMkShift = 0x0004;
constexpr uintptr_t kMkControl = 0x0008;
constexpr intptr_t kIdOk = 1;
// Virtual keys used by the toolkit.
enum : int32_t {
    kVkLButton = 0x01,
    kVkRButton = 0x02,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkCapital = 0x14,
    kVkEscape = 0x1B,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
};

// lParam of a mouse message: x in the low word, y in the high word, both signed.
constexpr intptr_t PackPoint(int32_t x, int32_t y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                                 static_cast<uint16_t>(x));
}
constexpr int32_t PointX(intptr_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
constexpr int32_t PointY(intptr_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }

// The toolkit's window and dialog procedure, with the message numbers and
// packing of Windows.
using TToolkitProc = intptr_t (*)(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Registers the class "OSCoreWindow" (once); false on failure.
bool PlatformRegisterToolkitClass(NativeModule module, TToolkitProc windowProc);
void PlatformUnregisterToolkitClass(NativeModule module);
// Shows dialog resourceId modally with dialogProc; initParam arrives as the
// lParam of WM_INITDIALOG. Answers the dialog's result, -1 on failure.
intptr_t PlatformDialogBox(NativeModule module, int32_t resourceId, NativeWindow owner, TToolkitProc dialogProc,
                           intptr_t initParam);
bool PlatformEndDialog(NativeWindow dialog, intptr_t result);
bool PlatformDestroyWindow(NativeWindow window);
intptr_t PlatformDefaultWindowProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t PlatformDefaultDialogProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Painting: the DC and rectangle to repaint, and the end of it.
struct SPaintState {
    NativeDC dc = nullptr;
    TRect rect;
    uint8_t opaque[128] = {};  // PAINTSTRUCT
};
bool PlatformBeginPaint(NativeWindow window, SPaintState& paint);
void PlatformEndPaint(NativeWindow window, SPaintState& paint);
// Gives a memory DC the pixels per inch of the window DC it stands in for
// (fonts then come out at the window's size).
void PlatformInheritDeviceScale(NativeDC from, NativeDC to);
// Moves the logical origin of dc; answers the previous one.
bool PlatformSetViewportOrigin(NativeDC dc, int32_t x, int32_t y, int32_t* oldX, int32_t* oldY);
// Asks for a repaint of rect (all of the client area for null or empty).
bool PlatformInvalidateRect(NativeWindow window, const TRect* rect);

bool PlatformClientToScreen(NativeWindow window, int32_t* x, int32_t* y);
bool PlatformScreenToClient(NativeWindow window, int32_t* x, int32_t* y);
// Resizes the window so that its client area is width x height.
bool PlatformSetClientSize(NativeWindow window, int32_t width, int32_t height);
// A child control's rectangle in the parent's client coordinates.
bool PlatformChildRect(NativeWindow window, int32_t controlId, TRect* rect);
bool PlatformMoveChild(NativeWindow window, int32_t controlId, const TRect& rect);

// The pointer in the window's client coordinates.
bool PlatformPointerPosition(NativeWindow window, int32_t* x, int32_t* y);
// The mouse button held now (left and right as the user sees them).
bool PlatformMouseButtonDown(bool right);
bool PlatformKeyDown(int32_t virtualKey);     // held now
bool PlatformKeyToggled(int32_t virtualKey);  // caps lock and the like
// Lets time pass inside a tracking loop; on POSIX the host takes its next
// input here. False when no more input will ever come (a script ran out).
bool PlatformTrackWait(NativeWindow window);

// Pop-up menus. On Windows these build a native menu and TrackPopupMenu
// shows it; PlatformNativeMenus says whether the backend has them.
bool PlatformNativeMenus();
void* PlatformMenuCreate();
bool PlatformMenuAppend(void* menu, const char* text, int32_t commandId, void* submenu, bool disabled);
void PlatformMenuDestroy(void* menu);
// The command chosen, 0 for none. alignment: 0 left, 1 centre, 2 right of x.
int32_t PlatformMenuTrack(void* menu, int32_t x, int32_t y, int32_t alignment, NativeWindow owner);

// Toolkit-drawn menus (backends without native ones): a window of the
// host's for one menu level at screenRect, drawn through its DC; the
// toolkit calls PlatformInvalidateRect on it when a drawing is complete,
// which is when the host shows it. The next input message of any window
// comes from PlatformNextMessage (false: no more input will come).
struct SPlatformMessage {
    NativeWindow window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};
NativeWindow PlatformOpenPopup(NativeWindow owner, const TRect& screenRect);
void PlatformClosePopup(NativeWindow popup);
bool PlatformNextMessage(SPlatformMessage* out);

// The display's pixels per inch for the window (96 is 100 %).
int32_t PlatformWindowDpi(NativeWindow window);
// Backends whose dialogs are real system dialogs with their own controls.
bool PlatformNativeDialogs();
// The dialog template as layout text (caption, width, height, push
// buttons in dialog units) where the toolkit draws the dialog itself; null
// on Windows.
const char* PlatformLoadDialogTemplate(NativeModule module, int32_t resourceId, int32_t* size);

// Resources and the shell.
// The "TEXT" resource's bytes (not copied) or null.
const char* PlatformLoadTextResource(NativeModule module, int32_t resourceId, int32_t* size);
// String table entry; the length written, 0 when missing.
int32_t PlatformLoadString(NativeModule module, int32_t id, char* out, int32_t capacity);
// Opens path with the system's handler: 0 on success, -1 on failure.
int32_t PlatformOpenWithShell(const char* path);
// The task-modal OK / Cancel box; true for OK.
bool PlatformAskOkCancel(const char* caption, const char* text);
