// CPWindow: ties a native window or dialog to the toolkit. Native messages
// become event records, go to the message map's handlers and then to the
// views; painting goes through an offscreen surface. Windows are found by
// their native handle in a table of 32.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/listener.h"
#include "platform/tt_array.h"
#include "views/view_event.h"

class CPWindow;
class CView;

using TMsgHandler = void (*)(SViewEvent& event, CPWindow& window);

struct SMsgMap {
    TMsgHandler handler;
    int32_t eventType;  // kEvAny for every type
    intptr_t parameter;
};

constexpr int32_t kWindowTableSize = 32;
constexpr uintptr_t kIdleTimerId = 1099;

class CPWindow : public CBroadcaster {
public:
    CPWindow();
    ~CPWindow() override;

    bool Attach(NativeWindow handle, bool isDialog);
    NativeWindow Handle() const { return handle_; }
    bool IsDialog() const { return isDialog_; }
    bool Registered() const;

    bool AddMsgMap(int32_t eventType, intptr_t parameter, TMsgHandler handler);
    // The window owns its views.
    CView* AddView(std::unique_ptr<CView> view);
    CView* FindView(int32_t id) const;
    int32_t ViewCount() const { return views_.Count(); }
    CView* ViewAt(int32_t index) const { return views_[index]; }

    void Close();
    void SetDestroyOnClose(bool on) { destroyOnClose_ = on; }
    bool DestroyOnClose() const { return destroyOnClose_; }
    void SetIdleInterval(int32_t milliseconds) { idleInterval_ = milliseconds; }

    // Offers the event to the message map, then to the views.
    void Route(SViewEvent& event);
    // Paints rect of the window into dc (through an offscreen surface).
    void PaintRect(NativeDC dc, const TRect& rect);
    // A paint event for rect on the window's own DC, at once (DrawNow).
    void DrawRectNow(const TRect& rect);
    void Invalidate(const TRect* rect);
    // The idle event, when its time has come.
    void IdlePass(uint32_t now);
    // The scale of the layout's pixel sizes (the display's DPI / 96).
    double LayoutScaleX() const { return scaleX_; }
    double LayoutScaleY() const { return scaleY_; }
    void SetLayoutScale(double x, double y) {
        scaleX_ = x > 0.0 ? x : 1.0;
        scaleY_ = y > 0.0 ? y : 1.0;
    }

private:
    void Unregister();

    NativeWindow handle_ = nullptr;
    bool isDialog_ = false;
    bool destroyOnClose_ = true;
    int32_t idleInterval_ = 100;
    int64_t lastIdle_ = -1;
    CView* underPointer_ = nullptr;
    TTArray<SMsgMap> msgMap_{16};
    TTArray<CView*> views_{16};
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;
};

// The toolkit's procedures for windows of the class "OSCoreWindow" and for dialogs.
intptr_t gGlobalWindowsProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t gWinGlobalDialogProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The event record of a native message.
void TranslateNativeMessage(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                            SViewEvent& event);

// The registry.
CPWindow* FindToolkitWindow(NativeWindow handle);
int32_t ToolkitWindowCount();
bool RegisterWindowClass(NativeModule module);
// Closes every window still registered and unregisters the class.
void DestroyToolkitWindows(NativeModule module);
