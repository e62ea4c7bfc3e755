#include "views/view_button.h"

#include "platform/draw.h"
#include "platform/offscreen.h"
#include "views/window.h"

namespace {

class CLookButton : public CViewLook {
public:
    void Draw(SViewEvent& e, CView& view) override {
        const CViewButton& b = static_cast<const CViewButton&>(view);
        const SButtonFaces& f = b.Faces();
        const bool pressed = view.HasFlag(kViewPressed);
        const bool inside = view.HasFlag(kViewTrackInside);
        int32_t face = f.normal;
        bool invert = false;
        if (view.HasFlag(kViewDisabled)) face = f.disabled;
        else if (pressed && inside) face = f.down ? f.down : f.prePress, invert = f.down == 0;
        else if (pressed) face = f.down2;
        else if (view.HasFlag(kViewMouseOver)) face = f.prePress;
        if (face <= 0) face = f.normal;
        CPDraw d(e.dc);
        if (!d.Valid()) return;
        if (face > 0) {
            CPOffscreen bitmap;
            if (!bitmap.CreateFromResource(view.Module(), face, 32, false, true)) return;
            if (e.surface) {
                bitmap.SetOrigin(view.Rect().left - e.rect.left, view.Rect().top - e.rect.top);
                bitmap.Composite(*e.surface, bitmap.OriginX(), bitmap.OriginY(), 255, 0);
            } else {
                bitmap.BlitTo(e.dc, view.Rect());
            }
            if (invert) d.InvertRect(view.Rect());
            return;
        }
        d.SetFont(kFaceArial, 8);
        d.BevelBox(view.Rect(), view.HasText() ? view.TextOrEmpty() : "OhOh", pressed && inside);
    }
};

}  // namespace

CViewButton::CViewButton(const TRect& rect, int32_t id, CPWindow* window)
    : CView(rect, id, window, std::make_unique<CLookButton>()) {}

void CViewButton::StateChanged(int32_t oldFlags, int32_t newFlags, bool notify) {
    if (!notify) return;
    const int32_t changed = oldFlags ^ newFlags;
    // The mouse-over flag alone matters only to a button with a pre-press face.
    if (changed == kViewMouseOver && !hasPrePress_) return;
    DrawNow();
}

int32_t CViewButton::TrackMove(const SViewTrack& track) {
    if (track.inside != lastInside_) {
        lastInside_ = track.inside;
        DrawNow();
    }
    return 0;
}

void CViewButton::ReadLayout(const CTokener& t, bool withRectangle) {
    CView::ReadLayout(t, withRectangle);
    int32_t v = 0;
    if (t.GetInt("bmp_id_norm", &v) && v > 0) faces_.normal = v;
    if (t.GetInt("bmp_id_pre", &v) && v > 0) faces_.prePress = v, hasPrePress_ = true;
    if (t.GetInt("bmp_id_down", &v) && v > 0) faces_.down = v;
    faces_.down2 = faces_.normal;
    if (t.GetInt("bmp_id_down2", &v) && v > 0) faces_.down2 = v;
    if (t.GetInt("bmp_id_dis", &v) && v > 0) faces_.disabled = v;
    if (t.GetInt("autosize", &v) && v > 0 && faces_.normal > 0) {
        CPOffscreen bitmap;
        if (bitmap.CreateFromResource(module_, faces_.normal, 32, false, true))
            rect_ = {rect_.left, rect_.top, rect_.left + bitmap.Width(), rect_.top + bitmap.Height()};
    }
}
