#include "hosts/headless/headless_window.h"

#include <algorithm>
#include <cstring>

namespace {

VirtualWorld gWorld;

uint32_t VirtualTickCount() { return gWorld.startSeconds * 1000u + gWorld.elapsedMilliseconds; }

bool VirtualInputPending() {
    ++gWorld.polls;
    return gWorld.keyAfterPolls >= 0 && gWorld.polls > gWorld.keyAfterPolls;
}

}  // namespace

VirtualWorld& World() { return gWorld; }

void InstallVirtualWorld() {
    PosixServices().tickCount = VirtualTickCount;
    PosixServices().inputPending = VirtualInputPending;
}

HeadlessWindow::HeadlessWindow(int width, int height) { screen_.Create(width, height, 32, true, true); }

bool HeadlessWindow::Blit(const TRect& dest, const CPOffscreen& source, const TRect& src) {
    if (!screen_.Valid() || !source.Valid() || source.BitsPerPixel() != 32) return false;
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int sw = src.right - src.left, sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
    ++blits_;
    for (int y = 0; y < dh; ++y) {
        const int ty = dest.top + y;
        if (ty < 0 || ty >= screen_.Height()) continue;
        const int sy = src.top + static_cast<int>(static_cast<int64_t>(y) * sh / dh);
        if (sy < 0 || sy >= source.Height()) continue;
        const uint32_t* from = reinterpret_cast<const uint32_t*>(source.Row(sy));
        uint32_t* to = reinterpret_cast<uint32_t*>(screen_.Row(ty));
        if (dw == sw && dest.left >= 0 && src.left >= 0 && dest.right <= screen_.Width() &&
            src.right <= source.Width()) {
            std::memcpy(to + dest.left, from + src.left, static_cast<size_t>(dw) * 4);
            continue;
        }
        for (int x = 0; x < dw; ++x) {
            const int tx = dest.left + x;
            const int sx = src.left + static_cast<int>(static_cast<int64_t>(x) * sw / dw);
            if (tx >= 0 && tx < screen_.Width() && sx >= 0 && sx < source.Width()) to[tx] = from[sx];
        }
    }
    return true;
}
