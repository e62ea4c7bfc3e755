#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

#include "platform/offscreen.h"
#include "platform/x11/x11_image.h"

namespace {

int Shift(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int Width(unsigned long mask) {
    int n = 0;
    for (; mask; mask >>= 1) n += mask & 1;
    return n;
}

// One 8-bit channel into a mask of any width.
unsigned long Channel(uint32_t value, unsigned long mask) {
    const int bits = Width(mask);
    if (bits == 0) return 0;
    const unsigned long scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
    return (scaled << Shift(mask)) & mask;
}

// Our words are 0xAARRGGBB in memory order B, G, R, A: an LSB-first 32-bit
// image with the usual masks takes them as they are.
bool SameLayout(const XImage& image) {
    return image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 && image.green_mask == 0xFF00 &&
           image.blue_mask == 0xFF && image.byte_order == LSBFirst;
}

}  // namespace

CPX11Window::CPX11Window(Display* display, Window window, bool owned)
    : display_(display), window_(window), owned_(owned) {}

std::unique_ptr<CPX11Window> CPX11Window::CreateTopLevel(Display* display, int width, int height, const char* title,
                                                         bool fullscreen) {
    if (!display || width <= 0 || height <= 0) return nullptr;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | FocusChangeMask;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWEventMask, &attributes);
    if (!window) return nullptr;
    std::unique_ptr<CPX11Window> w(new CPX11Window(display, window, true));
    XStoreName(display, window, title);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
    XClassHint hint{const_cast<char*>("tarn-flourish"), const_cast<char*>("TarnFlourish")};
    XSetClassHint(display, window, &hint);
    w->deleteAtom_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &w->deleteAtom_, 1);
    if (fullscreen) {
        // Set before mapping, the window manager maps it full screen at once.
        Atom state = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&state), 1);
    }
    w->visual_ = DefaultVisual(display, screen);
    w->depth_ = DefaultDepth(display, screen);
    w->width_ = width;
    w->height_ = height;
    w->gc_ = XCreateGC(display, window, 0, nullptr);
    if (!w->MakeImage()) return nullptr;
    XMapRaised(display, window);
    XFlush(display);
    return w;
}

std::unique_ptr<CPX11Window> CPX11Window::Attach(Display* display, Window window) {
    if (!display || !window) return nullptr;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return nullptr;
    std::unique_ptr<CPX11Window> w(new CPX11Window(display, window, false));
    // Only the size: input belongs to whoever owns the window.
    XSelectInput(display, window, a.your_event_mask | StructureNotifyMask | ExposureMask);
    w->visual_ = a.visual;
    w->depth_ = a.depth;
    w->width_ = a.width;
    w->height_ = a.height;
    w->gc_ = XCreateGC(display, window, 0, nullptr);
    if (!w->MakeImage()) return nullptr;
    return w;
}

CPX11Window::~CPX11Window() {
    image_.reset();
    if (gc_) XFreeGC(display_, gc_);
    if (owned_) XDestroyWindow(display_, window_);
    XFlush(display_);
}

bool CPX11Window::UsesSharedMemory() const { return image_ && image_->Shared(); }

bool CPX11Window::MakeImage() {
    image_.reset();
    image_ = CPX11Image::Create(display_, visual_, depth_, std::max(1, width_), std::max(1, height_), true);
    return image_ != nullptr;
}

void CPX11Window::Resized(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    MakeImage();
}

void CPX11Window::Put(const TRect& rect) {
    if (image_) image_->Put(window_, gc_, rect);
}

void CPX11Window::Repaint(const TRect& rect) {
    TRect r{std::max(0, rect.left), std::max(0, rect.top), std::min(width_, rect.right),
            std::min(height_, rect.bottom)};
    if (r.left < r.right && r.top < r.bottom) Put(r);
}

void CPX11Window::Clear() {
    if (!image_) return;
    XImage* image = image_->Image();
    std::memset(image->data, 0, static_cast<size_t>(image->bytes_per_line) * image->height);
    Put({0, 0, width_, height_});
}

bool CPX11Window::Blit(const TRect& dest, const CPOffscreen& source, const TRect& src) {
    if (!image_ || !source.Valid() || source.BitsPerPixel() < 24) return false;
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int sw = src.right - src.left, sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
    XImage& image = *image_->Image();
    const int bytes = source.BitsPerPixel() / 8;
    // Only the part of the window the image covers.
    const int x0 = std::max(0, dest.left), x1 = std::min(width_, dest.right);
    const int y0 = std::max(0, dest.top), y1 = std::min(height_, dest.bottom);
    if (x0 >= x1 || y0 >= y1) return false;
    const bool straight = dw == sw && dh == sh && bytes == 4 && SameLayout(image);
    for (int ty = y0; ty < y1; ++ty) {
        const int sy = src.top + static_cast<int>(static_cast<int64_t>(ty - dest.top) * sh / dh);
        if (sy < 0 || sy >= source.Height()) continue;
        const uint8_t* from = source.Row(sy);
        if (straight) {
            // Window column tx reads source column src.left + tx - dest.left.
            const int first = std::max(x0, dest.left - src.left);
            const int last = std::min(x1, source.Width() + dest.left - src.left);
            if (first >= last) continue;
            const uint32_t* in = reinterpret_cast<const uint32_t*>(from) + (src.left + (first - dest.left));
            uint32_t* out = reinterpret_cast<uint32_t*>(image.data + static_cast<size_t>(ty) * image.bytes_per_line) +
                            first;
            // The alpha byte is the engine's bookkeeping; a 32-bit visual
            // would read it as transparency.
            for (int k = 0; k < last - first; ++k) out[k] = in[k] | 0xFF000000u;
            continue;
        }
        for (int tx = x0; tx < x1; ++tx) {
            const int sx = src.left + static_cast<int>(static_cast<int64_t>(tx - dest.left) * sw / dw);
            if (sx < 0 || sx >= source.Width()) continue;
            const uint8_t* p = from + static_cast<size_t>(sx) * bytes;
            const unsigned long pixel =
                Channel(p[2], image.red_mask) | Channel(p[1], image.green_mask) | Channel(p[0], image.blue_mask);
            XPutPixel(&image, tx, ty, pixel);
        }
    }
    Put({x0, y0, x1, y1});
    return true;
}
