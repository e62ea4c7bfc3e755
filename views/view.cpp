// CView's base behaviour: events, the tracking loop, broadcasts and the
// common layout keys.
#include "views/view.h"

#include <cstdlib>

#include "platform/window_ops.h"
#include "views/window.h"

CView::CView(const TRect& rect, int32_t id, CPWindow* window, std::unique_ptr<CViewLook> look)
    : id_(id), rect_(rect), window_(window), look_(std::move(look)) {}

CView::~CView() {
    StopListeningToAll();
    RemoveAllListeners();
}

void CView::ListenToMessage(void* event) {
    SViewEvent* e = static_cast<SViewEvent*>(event);
    if (e && e->type == kEvViewMessage && e->messageCode == kMsgPointerMoved && HasFlag(kViewTracking))
        PointerMovedWhileTracking();
}

void CView::DrawNow() {
    if (window_) window_->DrawRectNow(rect_);
}

void CView::GetText(CDynamicString& out) const { out.Set(text_ ? text_->CStr() : "Error - Base View"); }

void CView::SetText(const char* text, bool redraw) {
    if (!text) text = "";
    if (text_ && text::Compare(text_->CStr(), text_->Length(), text, text::Length(text), true) == 0) return;
    if (!text_) text_ = std::make_unique<CDynamicString>();
    text_->Set(text);
    if (redraw) DrawNow();
}

void CView::Refresh() {
    if (window_) window_->Invalidate(&rect_);
}

void CView::HandleEvent(SViewEvent& e) {
    if (HasFlag(kViewInactive)) return;
    if (e.type == kEvPaint) {
        if (RectsMeet(rect_, e.rect) && look_) look_->Draw(e, *this);
        return;
    }
    if (e.type >= kEvMouseDown && e.type <= kEvMouseMove) HandleMouse(e);
}

void CView::HandleMouse(SViewEvent& e) {
    if (!RectContains(rect_, e.x, e.y)) return;
    if (e.type == kEvMouseDown) MouseDown(e);
    else if (e.type == kEvMouseMove) MouseMoved(e);
    else if (e.type == kEvKeyDown) KeyEvent(e);
}

void CView::MouseMoved(SViewEvent&) { SetFlag(kViewMouseOver, true, true); }

void CView::MouseDown(SViewEvent& e) {
    NativeWindow handle = window_ ? window_->Handle() : nullptr;
    SetFlag(kViewTracking | kViewTrackInside | kViewPressed, true, true);
    SViewTrack track{e.x, e.y, true, false, e.rightButton != 0, e.doubleClick != 0};
    const bool right = e.rightButton != 0;
    if (TrackBegin(track)) {
        if (track.doubleClick) {
            DoubleClick(track);
        } else {
            // Wait for a real drag: 4 pixels or 200 ms with the button held.
            const uint32_t start = PlatformTickCount();
            int32_t x = e.x, y = e.y;
            bool more = true;
            while (PlatformMouseButtonDown(right)) {
                PlatformPointerPosition(handle, &x, &y);
                if (std::abs(x - e.x) + std::abs(y - e.y) >= 4 || PlatformTickCount() - start >= 200) break;
                if (!(more = PlatformTrackWait(handle))) break;
            }
            int32_t lastX = e.x, lastY = e.y;
            while (more && PlatformMouseButtonDown(right)) {
                PlatformPointerPosition(handle, &x, &y);
                int32_t r = 0;
                track.x = x, track.y = y;
                if (x != lastX || y != lastY) {
                    const bool inside = RectContains(rect_, x, y);
                    if (inside != HasFlag(kViewTrackInside)) SetFlag(kViewTrackInside, inside, true);
                    track.inside = inside;
                    r = TrackMove(track);
                    lastX = x, lastY = y;
                } else {
                    r = TrackIdle(track);
                }
                if (r) break;
                more = PlatformTrackWait(handle);
            }
            // The release point decides the inside flag.
            if (PlatformPointerPosition(handle, &x, &y)) {
                const bool inside = RectContains(rect_, x, y);
                if (inside != HasFlag(kViewTrackInside)) SetFlag(kViewTrackInside, inside, true);
                if (x != lastX || y != lastY) {
                    track.x = x, track.y = y, track.inside = inside;
                    TrackMove(track);
                }
            }
        }
    }
    const bool inside = HasFlag(kViewTrackInside);
    SetFlag(kViewTracking | kViewTrackInside | kViewPressed, false, true);
    track.released = true;
    track.inside = inside;
    const int32_t message = TrackEnd(track, inside);
    if (message) Broadcast(message, 0);
}

int32_t CView::TrackEnd(const SViewTrack&, bool insideAtRelease) {
    DrawNow();
    return insideAtRelease ? kMsgClicked : 0;
}

void CView::ReadLayout(const CTokener& tokener, bool) {
    CString256 text;
    if (tokener.GetString("text", &text)) SetText(text.CStr(), false);
    int32_t disabled = 0;
    if (tokener.GetInt("disabled", &disabled)) SetFlag(kViewDisabled, disabled != 0, false);
}

void CView::Broadcast(int32_t message, intptr_t extra) {
    if (broadcasting_) return;  // a listener answering with a broadcast of its own goes no deeper
    broadcasting_ = true;
    SViewEvent e;
    e.type = kEvViewMessage;
    e.messageCode = message;
    e.viewId = id_;
    e.view = this;
    e.value = GetValue();
    e.extra = extra;
    e.time = PlatformTickCount();
    if (window_) {
        e.window = window_->Handle();
        window_->Route(e);
    }
    BroadcastMessage(&e);
    broadcasting_ = false;
}

void CView::SetFlag(int32_t flags, bool on, bool notify) {
    const int32_t old = flags_;
    flags_ = on ? (flags_ | flags) : (flags_ & ~flags);
    if (flags_ != old) StateChanged(old, flags_, notify);
}
