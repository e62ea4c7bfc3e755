// CView: a light-weight view drawn by the program inside a toolkit window:
// a rectangle, an identifier, state flags, a value and a text. A look draws
// it; it reports user actions by broadcasting view messages to its window
// and its listeners.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/listener.h"
#include "platform/strings.h"
#include "platform/tokener.h"
#include "views/view_event.h"

class CPWindow;
class CView;

// View state flags.
enum : int32_t {
    kViewInactive = 1,
    kViewDisabled = 2,
    kViewMouseOver = 4,
    kViewPressed = 8,
    kViewTrackInside = 32,
    kViewTracking = 64,
};

class CViewLook {
public:
    virtual ~CViewLook() = default;
    virtual void Draw(SViewEvent& drawEvent, CView& view) {
        (void)drawEvent, (void)view;
    }
};

// What a tracking loop hands to the track operations.
struct SViewTrack {
    int32_t x = 0;  // the pointer, client coordinates
    int32_t y = 0;
    bool inside = false;
    bool released = false;
    bool right = false;
    bool doubleClick = false;
};

class CView : public CListener, public CBroadcaster {
public:
    CView(const TRect& rect, int32_t id, CPWindow* window, std::unique_ptr<CViewLook> look);
    ~CView() override;

    void ListenToMessage(void* event) override;
    virtual void DrawNow();
    virtual void StateChanged(int32_t oldFlags, int32_t newFlags, bool notify) { (void)oldFlags, (void)newFlags, (void)notify; }
    virtual int32_t PointerMovedWhileTracking() { return 0; }
    virtual void GetText(CDynamicString& out) const;
    virtual void SetText(const char* text, bool redraw);
    virtual float GetValue() const { return value_; }
    virtual void SetValue(float value) { value_ = value; }
    virtual void Refresh();
    virtual void HandleEvent(SViewEvent& event);
    virtual void HandleMouse(SViewEvent& event);
    virtual void MouseMoved(SViewEvent& event);
    virtual void MouseDown(SViewEvent& event);
    virtual void KeyEvent(SViewEvent& event) { (void)event; }
    virtual void Idle() {}
    virtual bool TrackBegin(const SViewTrack& track) { return RectContains(rect_, track.x, track.y); }
    virtual int32_t TrackEnd(const SViewTrack& track, bool insideAtRelease);
    virtual int32_t TrackMove(const SViewTrack& track) { return (void)track, 0; }
    virtual int32_t TrackIdle(const SViewTrack& track) { return (void)track, 0; }
    virtual void DoubleClick(const SViewTrack& track) { (void)track; }
    // Reads text, disabled and the class's own keys from the layout block.
    virtual void ReadLayout(const CTokener& tokener, bool withRectangle);
    virtual uint32_t NextIdleTime() const { return nextIdle_; }

    // Sends the view message to the window's routing, then to each listener.
    void Broadcast(int32_t message, intptr_t extra);
    void SetFlag(int32_t flags, bool on, bool notify);
    bool HasFlag(int32_t flag) const { return (flags_ & flag) != 0; }

    int32_t Id() const { return id_; }
    int32_t Flags() const { return flags_; }
    const TRect& Rect() const { return rect_; }
    void SetRect(const TRect& rect) { rect_ = rect; }
    CPWindow* Window() const { return window_; }
    void SetWindow(CPWindow* window) { window_ = window; }
    NativeModule Module() const { return module_; }
    void SetModule(NativeModule module) { module_ = module; }
    bool HasText() const { return text_ != nullptr; }
    const char* TextOrEmpty() const { return text_ ? text_->CStr() : ""; }
    CViewLook* Look() const { return look_.get(); }

protected:
    int32_t id_ = 0;
    int32_t flags_ = 0;
    uint32_t nextIdle_ = 0xFFFFFFFFu;
    TRect rect_;
    float value_ = 0.0f;
    NativeModule module_ = nullptr;
    CPWindow* window_ = nullptr;
    std::unique_ptr<CViewLook> look_;
    std::unique_ptr<CDynamicString> text_;

private:
    bool broadcasting_ = false;  // re-entry guard of Broadcast
};

// The creators the layout reader uses, by class name (any case); null for
// a name that is not a view class.
std::unique_ptr<CView> CreateViewByClass(const char* className, const TRect& rect, int32_t id, CPWindow* window);
