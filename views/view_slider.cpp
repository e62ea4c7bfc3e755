#include "views/view_slider.h"

#include <algorithm>
#include <cmath>

#include "platform/draw.h"

namespace {

class CLookSlider : public CViewLook {
public:
    void Draw(SViewEvent& e, CView& view) override {
        const CViewSlider& s = static_cast<const CViewSlider&>(view);
        CPDraw d(e.dc);
        if (!d.Valid()) return;
        const TRect& r = view.Rect();
        d.SetColor(0, 0, 0);
        if (!s.Vertical()) {
            const int32_t y = (r.top + r.bottom) / 2 - 2;
            d.MoveTo(r.left + s.ThumbMin(), y);
            d.LineTo(r.left + s.ThumbMax(), y);
            // The thumb: an arrow head pointing at the groove, white with a grey edge.
            const int32_t x = r.left + s.Thumb();
            const int32_t half = std::max(3, (s.ThumbMax() - s.ThumbMin()) > 0 ? 5 : 3);
            const TPoint32 head[3] = {{x, y + 1}, {x - half, y + 9}, {x + half, y + 9}};
            d.SetColor(255, 255, 255);
            d.Polygon(head, 3);
            d.SetColor(128, 128, 128);
            d.MoveTo(head[0].x, head[0].y);
            d.LineTo(head[1].x, head[1].y);
            d.LineTo(head[2].x, head[2].y);
            d.LineTo(head[0].x, head[0].y);
            d.SetColor(0, 0, 0);
            d.MoveTo(x - half, y + 10);
            d.LineTo(x + half + 1, y + 10);
        } else {
            const int32_t x = (r.left + r.right) / 2 - 2;
            d.MoveTo(x, r.top + s.ThumbMin());
            d.LineTo(x, r.top + s.ThumbMax());
            const int32_t y = r.top + s.Thumb();
            const TPoint32 head[3] = {{x + 1, y}, {x + 9, y - 5}, {x + 9, y + 5}};
            d.SetColor(255, 255, 255);
            d.Polygon(head, 3);
            d.SetColor(128, 128, 128);
            d.MoveTo(head[0].x, head[0].y);
            d.LineTo(head[1].x, head[1].y);
            d.LineTo(head[2].x, head[2].y);
            d.LineTo(head[0].x, head[0].y);
            d.SetColor(0, 0, 0);
            d.MoveTo(x + 10, y - 5);
            d.LineTo(x + 10, y + 6);
        }
    }
};

}  // namespace

CViewSlider::CViewSlider(const TRect& rect, int32_t id, CPWindow* window)
    : CView(rect, id, window, std::make_unique<CLookSlider>()) {
    Geometry();
    SetValue(minimum_);
}

int32_t CViewSlider::Span() const {
    const int32_t w = rect_.right - rect_.left, h = rect_.bottom - rect_.top;
    if (w <= 0 || h <= 0) return 100;
    return vertical_ ? h : w;
}

void CViewSlider::Geometry() {
    vertical_ = (rect_.bottom - rect_.top) > (rect_.right - rect_.left);
    const int32_t h = thumbSize_ / 2;
    const int32_t s = Span();
    thumbMin_ = static_cast<int16_t>(h);
    thumbMax_ = static_cast<int16_t>(std::max(h, s - h));
    scale_ = s - 2 * h > 0 ? 1.0f / static_cast<float>(s - 2 * h) : 1.0f;
}

float CViewSlider::GetValue() const { return minimum_ + (maximum_ - minimum_) * value_; }

void CViewSlider::SetValue(float v) {
    Geometry();
    if (!(v == v)) v = minimum_;  // NaN
    v = std::clamp(v, lowerLimit_, upperLimit_);
    const float range = maximum_ - minimum_;
    float position = range != 0.0f ? (v - minimum_) / range : 0.0f;
    if (step_ & 1) position = std::round(position);
    if (position <= 0.0f) {
        thumb_ = thumbMin_;
        position = std::max(position, 0.0f);
    } else if (position >= 1.0f) {
        thumb_ = thumbMax_;
        position = std::min(position, 1.0f);
    } else {
        thumb_ = static_cast<int16_t>(thumbMin_ + position / scale_);
    }
    value_ = position;
}

int32_t CViewSlider::TrackMove(const SViewTrack& track) {
    Geometry();
    const int32_t offset = vertical_ ? track.y - rect_.top : track.x - rect_.left;
    int32_t thumb = std::clamp(offset, static_cast<int32_t>(thumbMin_), static_cast<int32_t>(thumbMax_));
    if (step_ & 1) {
        const float steps = std::max(1.0f, maximum_ - minimum_);
        const float unit = (thumbMax_ - thumbMin_) / steps;
        if (unit > 0.0f) thumb = thumbMin_ + static_cast<int32_t>(std::round((thumb - thumbMin_) / unit) * unit);
    }
    if (thumb == thumb_) return 0;
    thumb_ = static_cast<int16_t>(thumb);
    float position = (thumb_ - thumbMin_) * scale_;
    if (step_ & 1) position = std::round(position * (maximum_ - minimum_)) / std::max(1.0f, maximum_ - minimum_);
    value_ = std::clamp(position, 0.0f, 1.0f);
    DrawNow();
    Broadcast(kMsgValueChanged, 0);
    return 0;
}

void CViewSlider::SetRange(float minimum, float maximum, bool asLimits) {
    if (!(minimum == minimum) || !(maximum == maximum)) return;
    const float keep = GetValue();
    if (asLimits) {
        lowerLimit_ = minimum;
        upperLimit_ = maximum;
        if (minimum_ < lowerLimit_) minimum_ = lowerLimit_;
        if (maximum_ > upperLimit_) maximum_ = upperLimit_;
    } else {
        minimum_ = minimum;
        maximum_ = maximum;
        lowerLimit_ = std::min(lowerLimit_, minimum);
        upperLimit_ = std::max(upperLimit_, maximum);
    }
    SetValue(std::clamp(keep, lowerLimit_, upperLimit_));
}

void CViewSlider::ReadLayout(const CTokener& t, bool withRectangle) {
    CView::ReadLayout(t, withRectangle);
    double lo = minimum_, hi = maximum_;
    const bool a = t.GetFloat("min", &lo), b = t.GetFloat("max", &hi);
    if (a || b) SetRange(static_cast<float>(lo), static_cast<float>(hi), false);
}
