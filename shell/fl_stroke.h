// CFLStroke: a recorded stroke kept in the paint context's stroke list.
// Nothing in the saver records strokes yet; the list stays empty.
#pragma once

#include "platform/tt_array.h"
#include "base/geometry.h"

class CFLStroke {
public:
    CFLStroke() = default;
    virtual ~CFLStroke() = default;
    CFLStroke(const CFLStroke&) = delete;
    CFLStroke& operator=(const CFLStroke&) = delete;

    TTArray<SFLPoint> points{16};
};
