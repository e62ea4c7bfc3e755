// An X11 window as the saver's host window: its client size, and a blit
// target that keeps a full-window image (MIT-SHM when the server shares
// memory with us, plain XPutImage otherwise) so exposed parts are put back
// from it without asking the saver to paint again.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>

#include "platform/posix/host_window.h"

class CPX11Image;

class CPX11Window : public CPHostWindow, public CPBlitTarget {
public:
    // A top-level window of our own, mapped; fullscreen asks the window
    // manager for the whole screen (EWMH).
    static std::unique_ptr<CPX11Window> CreateTopLevel(Display* display, int width, int height, const char* title,
                                                       bool fullscreen);
    // Someone else's window (the root, xscreensaver's window, --window-id):
    // we draw into it and listen to its size, nothing else.
    static std::unique_ptr<CPX11Window> Attach(Display* display, Window window);

    ~CPX11Window() override;
    CPX11Window(const CPX11Window&) = delete;
    CPX11Window& operator=(const CPX11Window&) = delete;

    Display* XDisplay() const { return display_; }
    Window XWindow() const { return window_; }
    bool OwnsWindow() const { return owned_; }
    Atom DeleteAtom() const { return deleteAtom_; }
    bool UsesSharedMemory() const;

    TRect ClientRect() const override { return {0, 0, width_, height_}; }
    CPBlitTarget* Target() override { return this; }
    bool Blit(const TRect& destRect, const CPOffscreen& source, const TRect& srcRect) override;

    // A ConfigureNotify's size; the image follows at once.
    void Resized(int width, int height);
    // Puts back part of the kept image (an Expose).
    void Repaint(const TRect& rect);
    // Fills the window with black, for a saver that starts afresh.
    void Clear();

private:
    CPX11Window(Display* display, Window window, bool owned);
    bool MakeImage();
    void Put(const TRect& rect);

    Display* display_;
    Window window_;
    bool owned_;
    Atom deleteAtom_ = 0;
    GC gc_ = nullptr;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<CPX11Image> image_;
};
