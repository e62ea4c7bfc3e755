// CViewSlider: a horizontal (or, taller than wide, vertical) slider over a
// range; its value field holds the normalised position 0 to 1.
#pragma once

#include "views/view.h"

class CViewSlider : public CView {
public:
    CViewSlider(const TRect& rect, int32_t id, CPWindow* window);
    float GetValue() const override;
    void SetValue(float value) override;
    int32_t TrackMove(const SViewTrack& track) override;
    void ReadLayout(const CTokener& tokener, bool withRectangle) override;
    void SetRange(float minimum, float maximum, bool asLimits);

    int32_t Thumb() const { return thumb_; }
    int32_t ThumbMin() const { return thumbMin_; }
    int32_t ThumbMax() const { return thumbMax_; }
    int32_t Span() const;
    bool Vertical() const { return vertical_; }
    float Minimum() const { return minimum_; }
    float Maximum() const { return maximum_; }
    void SetStepping(bool on) { step_ = on ? 1 : 0; }

private:
    void Geometry();

    float lowerLimit_ = 0.0f, upperLimit_ = 1.0f;
    float minimum_ = 0.0f, maximum_ = 1.0f;
    float scale_ = 0.01f;
    int32_t step_ = 0;
    int16_t thumb_ = 0, thumbMin_ = 0, thumbMax_ = 0;
    int32_t thumbSize_ = 10;
    bool vertical_ = false;
};
