// CViewButton: a push button with faces from bitmap resources, or a bevel
// box with its text when it has none.
#pragma once

#include "views/view.h"

struct SButtonFaces {
    int32_t normal = 0, prePress = 0, down = 0, down2 = 0, disabled = 0;  // 0: none
};

class CViewButton : public CView {
public:
    CViewButton(const TRect& rect, int32_t id, CPWindow* window);
    void StateChanged(int32_t oldFlags, int32_t newFlags, bool notify) override;
    void ReadLayout(const CTokener& tokener, bool withRectangle) override;
    int32_t TrackMove(const SViewTrack& track) override;
    const SButtonFaces& Faces() const { return faces_; }
    bool HasPrePress() const { return hasPrePress_; }

private:
    SButtonFaces faces_;
    bool hasPrePress_ = false;
    bool lastInside_ = true;
};
