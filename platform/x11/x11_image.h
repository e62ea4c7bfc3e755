// A client-side picture of a window: an XImage in a shared memory segment
// when the server offers MIT-SHM on a local connection, else in our own
// memory, sent with XPutImage.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/native.h"

// In a forked child that will not draw: lets go of every shared segment
// the parent had attached, so none outlives the parent through the child.
void DetachSharedImagesAfterFork();

class CPX11Image {
public:
    // Null when not even a plain image can be made. allowShared false skips
    // MIT-SHM (tests of the fallback, TF_X11_NO_SHM).
    static std::unique_ptr<CPX11Image> Create(Display* display, Visual* visual, int depth, int width, int height,
                                              bool allowShared);
    ~CPX11Image();
    CPX11Image(const CPX11Image&) = delete;
    CPX11Image& operator=(const CPX11Image&) = delete;

    XImage* Image() const { return image_; }
    bool Shared() const { return shared_; }
    // Sends rect of the image to the same place of the drawable.
    void Put(Drawable drawable, GC gc, const TRect& rect);

private:
    explicit CPX11Image(Display* display);
    bool MakeShared(Visual* visual, int depth, int width, int height);
    bool MakePlain(Visual* visual, int depth, int width, int height);

    Display* display_;
    XImage* image_ = nullptr;
    bool shared_ = false;
    struct Segment;
    std::unique_ptr<Segment> segment_;
};
