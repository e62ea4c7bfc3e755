#include "views/view_angle.h"

#include <cmath>

#include "platform/draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class CLookAngle : public CViewLook {
public:
    void Draw(SViewEvent& e, CView& view) override {
        CPDraw d(e.dc);
        if (!d.Valid()) return;
        const TRect& r = view.Rect();
        d.SetColor(0, 0, 0);
        d.FrameEllipse(r);
        const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const double radius = std::min(r.right - r.left, r.bottom - r.top) / 2.0;
        const double a = (view.GetValue() - 90.0) * kPi / 180.0;
        const TPoint32 tip{cx + static_cast<int32_t>(std::lround(radius * std::cos(a))),
                           cy + static_cast<int32_t>(std::lround(radius * std::sin(a)))};
        const TPoint32 base{cx + static_cast<int32_t>(std::lround(radius * 0.7 * std::cos(a))),
                            cy + static_cast<int32_t>(std::lround(radius * 0.7 * std::sin(a)))};
        d.MoveTo(cx, cy);
        d.LineTo(base.x, base.y);
        d.Arrow(tip, base, static_cast<int32_t>(radius / 3.0) + 2, true);
    }
};

}  // namespace

CViewAngle::CViewAngle(const TRect& rect, int32_t id, CPWindow* window)
    : CView(rect, id, window, std::make_unique<CLookAngle>()) {}

int32_t CViewAngle::TrackMove(const SViewTrack& track) {
    const double cx = (rect_.left + rect_.right) / 2.0, cy = (rect_.top + rect_.bottom) / 2.0;
    double angle = std::atan2(track.y - cy, track.x - cx) * 180.0 / kPi + 90.0;
    angle = std::fmod(angle, 360.0);
    if (angle < 0.0) angle += 360.0;
    const float v = static_cast<float>(angle);
    if (v != value_) {
        value_ = v;
        DrawNow();
        Broadcast(kMsgValueChanged, 0);
    }
    return track.released ? 1 : 0;
}
