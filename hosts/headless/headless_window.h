// The headless host's window: a memory picture with a virtual clock and
// virtual input, so that a render is the same every time for the same start.
#pragma once

#include <cstdint>

#include "platform/offscreen.h"
#include "platform/posix/host_window.h"

class HeadlessWindow : public CPHostWindow, public CPBlitTarget {
public:
    HeadlessWindow(int width, int height);

    bool Valid() const { return screen_.Valid(); }
    const CPOffscreen& Screen() const { return screen_; }

    TRect ClientRect() const override { return {0, 0, screen_.Width(), screen_.Height()}; }
    CPBlitTarget* Target() override { return this; }
    CPOffscreen* DrawSurface() override { return &screen_; }
    int32_t PixelsPerInch() const override { return dpi_; }
    void SetPixelsPerInch(int32_t dpi) { dpi_ = dpi > 0 ? dpi : 96; }
    TRect ScreenRect() const override {
        return {screenX_, screenY_, screenX_ + screen_.Width(), screenY_ + screen_.Height()};
    }
    void SetScreenPosition(int32_t x, int32_t y) { screenX_ = x, screenY_ = y; }
    bool Blit(const TRect& destRect, const CPOffscreen& source, const TRect& srcRect) override;

    int32_t BlitCount() const { return blits_; }

private:
    CPOffscreen screen_;
    int32_t blits_ = 0;
    int32_t dpi_ = 96;
    int32_t screenX_ = 0;
    int32_t screenY_ = 0;
};

// The virtual clock and input the host installs in the platform layer.
struct VirtualWorld {
    uint32_t startSeconds = 0;
    uint32_t elapsedMilliseconds = 0;
    // The input poll reports a pending key once this many polls have been made; -1 never.
    int64_t keyAfterPolls = -1;
    int64_t polls = 0;
};
VirtualWorld& World();
void InstallVirtualWorld();
