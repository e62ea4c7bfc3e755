// --fps: the last frame's time and the frames per second, drawn in a small
// built-in digit font into a box in the window's top-left corner.
#pragma once

#include <cstdint>

#include "platform/offscreen.h"

class CPBlitTarget;

class FpsOverlay {
public:
    FpsOverlay();
    // A frame that took frameMs ended at tick now (milliseconds).
    void FrameDone(double frameMs, uint32_t now);
    // Draws the box into target at (8, 8).
    void Draw(CPBlitTarget& target);

    // The text shown, e.g. "12.3 MS  49.8 FPS".
    const char* Text() const { return text_; }

private:
    CPOffscreen box_;
    uint32_t windowStart_ = 0;
    int framesInWindow_ = 0;
    double fps_ = 0.0;
    bool started_ = false;
    char text_[32] = "";
};
