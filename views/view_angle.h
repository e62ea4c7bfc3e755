// CViewAngle: a dial whose value is an angle in degrees, 0 to 360, 0 up.
#pragma once

#include "views/view.h"

class CViewAngle : public CView {
public:
    CViewAngle(const TRect& rect, int32_t id, CPWindow* window);
    int32_t TrackMove(const SViewTrack& track) override;
};
