// A host window for toolkit tests: a memory surface the views draw into,
// with a screen position, and a queue of input that tracking loops and
// toolkit menus read through PosixServices().nextMessage.
#pragma once

#include <deque>

#include "platform/offscreen.h"
#include "platform/posix/host_window.h"
#include "platform/window_ops.h"

class TestHostWindow : public CPHostWindow, public CPBlitTarget {
public:
    TestHostWindow(int width, int height) { surface_.Create(width, height, 32, true, true); }
    TRect ClientRect() const override { return {0, 0, surface_.Width(), surface_.Height()}; }
    CPBlitTarget* Target() override { return this; }
    CPOffscreen* DrawSurface() override { return &surface_; }
    bool Blit(const TRect& dest, const CPOffscreen& source, const TRect& src) override {
        // Same-size copies are all the toolkit makes.
        for (int y = 0; y < dest.bottom - dest.top; ++y) {
            const int ty = dest.top + y, sy = src.top + y;
            if (ty < 0 || ty >= surface_.Height() || sy < 0 || sy >= source.Height()) continue;
            const uint32_t* from = reinterpret_cast<const uint32_t*>(source.Row(sy));
            uint32_t* to = reinterpret_cast<uint32_t*>(surface_.Row(ty));
            for (int x = 0; x < dest.right - dest.left; ++x) {
                const int tx = dest.left + x, sx = src.left + x;
                if (tx >= 0 && tx < surface_.Width() && sx >= 0 && sx < source.Width()) to[tx] = from[sx];
            }
        }
        return true;
    }
    uint32_t Pixel(int x, int y) const { return reinterpret_cast<const uint32_t*>(surface_.Row(y))[x] & 0xFFFFFFu; }
    CPOffscreen& Surface() { return surface_; }

private:
    CPOffscreen surface_;
};

// Scripted input for the modal loops; every message is noted first.
struct TestInput {
    struct Item {
        NativeWindow window;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    static std::deque<Item>& Queue() {
        static std::deque<Item> q;
        return q;
    }
    static bool Next(SHostMessage* out) {
        if (Queue().empty()) return false;
        const Item i = Queue().front();
        Queue().pop_front();
        PosixNoteInput(i.window, i.message, i.wParam, i.lParam);
        *out = {i.window, i.message, i.wParam, i.lParam};
        return true;
    }
    static void Install() {
        Queue().clear();
        PosixServices().nextMessage = Next;
    }
    static void Push(NativeWindow w, uint32_t m, uintptr_t wp, intptr_t lp) { Queue().push_back({w, m, wp, lp}); }
};
