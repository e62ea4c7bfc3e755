#include "views/view_pop_menu.h"

#include "platform/draw.h"
#include "platform/window_ops.h"
#include "views/window.h"

namespace {

class CPLookPopMenu : public CViewLook {
public:
    void Draw(SViewEvent& e, CView& view) override {
        CPDraw d(e.dc);
        if (!d.Valid()) return;
        const TRect& r = view.Rect();
        d.BevelBox(r, nullptr, false);
        d.SetColor(0, 0, 0);
        const int32_t mid = (r.top + r.bottom) / 2;
        d.Arrow({r.right - 4, mid}, {r.right - 8, mid}, (r.bottom - r.top) / 2 - 1, true);
        d.SetFont(kFaceArial, 8);
        d.SetTextAlign(0, 1);
        d.DrawTextInRect({r.left + 5, r.top, r.right + 5, r.bottom}, view.TextOrEmpty());
    }
};

}  // namespace

CViewPopMenu::CViewPopMenu(const TRect& rect, int32_t id, CPWindow* window)
    : CView(rect, id, window, std::make_unique<CPLookPopMenu>()) {
    value_ = -1.0f;
}

void CViewPopMenu::MouseDown(SViewEvent& e) {
    if (e.rightButton || e.doubleClick) return;
    Broadcast(kMsgMenuOpening, 0);
    if (!menu_) return;
    NativeWindow owner = window_ ? window_->Handle() : nullptr;
    int32_t x = rect_.left, y = rect_.top;
    if (alignment_ == 1) x = (rect_.left + rect_.right) / 2;
    else if (alignment_ == 2) x = rect_.right;
    if (owner) PlatformClientToScreen(owner, &x, &y);
    Choose(menu_->Track(x, y, alignment_ == 2 ? 0 : alignment_, owner));
}

bool CViewPopMenu::Choose(int32_t command) {
    if (command < 1 || static_cast<float>(command) == value_) return false;
    value_ = static_cast<float>(command);
    Broadcast(kMsgValueChanged, 0);
    return true;
}

void CViewPopMenu::ReadLayout(const CTokener& t, bool withRectangle) {
    CView::ReadLayout(t, withRectangle);
    int32_t a = 0;
    if (t.GetInt("align", &a)) alignment_ = a;
}
