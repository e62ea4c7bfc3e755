// SViewEvent: one native message as the toolkit sees it, or a message a
// view broadcasts (type 27).
#pragma once

#include <cstdint>

#include "platform/native.h"

class CPOffscreen;
class CView;

enum : int32_t {
    kEvOpen = 1,
    kEvClose = 2,
    kEvDestroyed = 3,
    kEvActivateRequest = 4,
    kEvActivated = 5,
    kEvDeactivated = 7,
    kEvEraseBackground = 8,
    kEvPaint = 9,
    kEvSizing = 10,
    kEvSize = 11,
    kEvMouseDown = 16,
    kEvMouseUp = 17,
    kEvMouseMove = 18,
    kEvNcMouseDown = 19,
    kEvKeyDown = 20,
    kEvKeyUp = 21,
    kEvChar = 22,
    kEvIdle = 23,
    kEvDropFiles = 24,
    kEvCommand = 26,
    kEvViewMessage = 27,
    kEvAny = -1,  // a message-map entry for every type
};

// Messages a view broadcasts.
enum : int32_t {
    kMsgValueChanged = 5,
    kMsgClicked = 6,
    kMsgMenuOpening = 17,
    kMsgPointerMoved = 18,
};

// Modifier flags.
enum : uint8_t {
    kModCapsLock = 1,
    kModShift = 2,
    kModControl = 4,
    kModAlt = 8,
    kModCommand = 32,
    kModSystemKey = 64,
};

struct SViewEvent {
    int32_t type = 0;
    NativeWindow window = nullptr;
    uint32_t time = 0;
    TRect rect;
    uint8_t rightButton = 0;
    uint8_t doubleClick = 0;
    int16_t hitCode = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t character = 0;
    int32_t virtualKey = 0;
    int32_t keyData = 0;
    uint8_t modifiers = 0;
    // View messages.
    int32_t messageCode = 0;
    int32_t viewId = 0;
    float value = 0.0f;
    CView* view = nullptr;
    intptr_t extra = 0;
    // Painting.
    NativeDC dc = nullptr;
    CPOffscreen* surface = nullptr;
    // Routing.
    int32_t handled = 0;
    intptr_t result = 0;
    // The native message, for default processing.
    NativeWindow nativeWindow = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

inline bool RectsMeet(const TRect& a, const TRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
inline bool RectContains(const TRect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
