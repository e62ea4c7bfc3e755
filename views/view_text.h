// CViewText: a text field; listening to a view, it shows the value that
// view reports, with two decimals.
#pragma once

#include "views/view.h"

class CViewText : public CView {
public:
    CViewText(const TRect& rect, int32_t id, CPWindow* window);
    void ListenToMessage(void* event) override;
    bool TrackBegin(const SViewTrack&) override { return false; }
};
