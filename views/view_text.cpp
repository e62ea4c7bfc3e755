#include "views/view_text.h"

#include <cstdio>

#include "platform/draw.h"

namespace {

class CLookText : public CViewLook {
public:
    void Draw(SViewEvent& e, CView& view) override {
        CPDraw d(e.dc);
        if (!d.Valid()) return;
        d.SetColor(0, 0, 0);
        d.SetFont(kFaceArial, 9);
        d.SetTextAlign(0, 0);
        d.SetWrapMode(kWrapCharacters);
        d.DrawTextInRect(view.Rect(), view.TextOrEmpty());
    }
};

}  // namespace

CViewText::CViewText(const TRect& rect, int32_t id, CPWindow* window)
    : CView(rect, id, window, std::make_unique<CLookText>()) {
    SetText("Testing", false);
}

void CViewText::ListenToMessage(void* event) {
    CView::ListenToMessage(event);
    const SViewEvent* e = static_cast<const SViewEvent*>(event);
    if (!e || e->type != kEvViewMessage || e->messageCode != kMsgValueChanged) return;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(e->value));
    SetText(text, true);
}
