#include "platform/x11/x11_image.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

struct CPX11Image::Segment {
    XShmSegmentInfo info{};
    bool attached = false;
};

namespace {

// The server answers a failed XShmAttach (a remote display, a server that
// cannot reach our memory) with an error event, not a return value.
bool gAttachFailed = false;
int NoteAttachError(Display*, XErrorEvent*) {
    gAttachFailed = true;
    return 0;
}

// The segments this process has attached; process-wide because a fork
// copies every one of them.
std::vector<void*> gAttached;

void Forget(void* address) {
    gAttached.erase(std::remove(gAttached.begin(), gAttached.end(), address), gAttached.end());
}

}  // namespace

CPX11Image::CPX11Image(Display* display) : display_(display) {}

std::unique_ptr<CPX11Image> CPX11Image::Create(Display* display, Visual* visual, int depth, int width, int height,
                                               bool allowShared) {
    if (!display || width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<CPX11Image> image(new CPX11Image(display));
    const char* noShm = std::getenv("TF_X11_NO_SHM");
    if (allowShared && !(noShm && *noShm) && image->MakeShared(visual, depth, width, height)) return image;
    if (image->MakePlain(visual, depth, width, height)) return image;
    return nullptr;
}

bool CPX11Image::MakeShared(Visual* visual, int depth, int width, int height) {
    if (!XShmQueryExtension(display_)) return false;
    segment_ = std::make_unique<Segment>();
    XShmSegmentInfo& info = segment_->info;
    image_ = XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &info,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image_) {
        segment_.reset();
        return false;
    }
    info.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * image_->height, IPC_CREAT | 0600);
    if (info.shmid < 0) {
        XDestroyImage(image_);
        image_ = nullptr;
        segment_.reset();
        return false;
    }
    info.shmaddr = image_->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
    if (info.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(info.shmid, IPC_RMID, nullptr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        segment_.reset();
        return false;
    }
    info.readOnly = False;
    gAttachFailed = false;
    XSync(display_, False);
    XErrorHandler previous = XSetErrorHandler(NoteAttachError);
    const Bool asked = XShmAttach(display_, &info);
    XSync(display_, False);
    XSetErrorHandler(previous);
    // Marked for removal at once: the segment lives while the server and we
    // stay attached, and vanishes with us however we end.
    shmctl(info.shmid, IPC_RMID, nullptr);
    if (!asked || gAttachFailed) {
        shmdt(info.shmaddr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        segment_.reset();
        return false;
    }
    segment_->attached = true;
    shared_ = true;
    gAttached.push_back(info.shmaddr);
    return true;
}

bool CPX11Image::MakePlain(Visual* visual, int depth, int width, int height) {
    image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image_) return false;
    image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), image_->height));
    if (!image_->data) {
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    return true;
}

CPX11Image::~CPX11Image() {
    if (!image_) return;
    if (shared_ && segment_) {
        // The server may still be reading the segment for an earlier put.
        XSync(display_, False);
        if (segment_->attached) XShmDetach(display_, &segment_->info);
        XSync(display_, False);
        shmdt(segment_->info.shmaddr);
        Forget(segment_->info.shmaddr);
        image_->data = nullptr;
    }
    XDestroyImage(image_);  // frees plain data too
}

void CPX11Image::Put(Drawable drawable, GC gc, const TRect& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!image_ || w <= 0 || h <= 0) return;
    if (shared_) {
        XShmPutImage(display_, drawable, gc, image_, r.left, r.top, r.left, r.top, static_cast<unsigned>(w),
                     static_cast<unsigned>(h), False);
    } else {
        XPutImage(display_, drawable, gc, image_, r.left, r.top, r.left, r.top, static_cast<unsigned>(w),
                  static_cast<unsigned>(h));
    }
}

void DetachSharedImagesAfterFork() {
    for (void* address : gAttached) shmdt(address);
    gAttached.clear();
}
