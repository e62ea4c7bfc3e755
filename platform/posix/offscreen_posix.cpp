// CPOffscreen's device-context side on POSIX. A "DIB section" is a pixel
// block of its own beside the 40-byte info block; its borrowed DC is a
// CPBlitTarget that draws into the surface, so surface-to-surface copies and
// the hosts' window targets all go through CPBlitTarget::Blit.
#include <new>

#include "platform/memory_block.h"
#include "platform/offscreen.h"
#include "platform/posix/host_window.h"
#include "platform/surface_blit.h"
#include "resources/embedded.h"

namespace {

std::unique_ptr<CPPixelBucket> BucketOf(const CPOffscreen& s) {
    if (!s.Valid() || !s.Pixels()) return nullptr;
    return std::make_unique<CPPixelBucket>(s.Pixels(), s.RowStride(), s.Width(), s.Height(), s.BitsPerPixel(),
                                           s.BitsPerPixel() / 8, s.TopDown());
}

int ColourCountOf(const CPOffscreen& s) {
    return s.Info() && s.BitsPerPixel() <= 8 ? static_cast<int>(DibColourCount(*s.Info())) : 0;
}

// Copies srcRect of source into destRect of target.
bool CopyPixels(const CPOffscreen& source, const TRect& srcRect, CPOffscreen& target, const TRect& destRect) {
    std::unique_ptr<CPPixelBucket> from = BucketOf(source);
    std::unique_ptr<CPPixelBucket> to = BucketOf(target);
    if (!from || !to) return false;
    const int colours = ColourCountOf(source);
    return StretchPixels(*from, source.Colours(), colours < 256 ? colours : 256, srcRect, *to, destRect);
}

}  // namespace

// The memory DC of a surface: blits into it land in the surface's pixels.
class CPSurfaceTarget final : public CPBlitTarget {
public:
    explicit CPSurfaceTarget(CPOffscreen& surface) : surface_(surface) {}
    bool Blit(const TRect& destRect, const CPOffscreen& source, const TRect& srcRect) override {
        return CopyPixels(source, srcRect, surface_, destRect);
    }
    CPOffscreen& Surface() const { return surface_; }
    CPOffscreen* DrawSurface() override { return &surface_; }

private:
    CPOffscreen& surface_;
};

bool CPOffscreen::MakeDIBSection() {
    // Zeroed pixel memory of its own, as CreateDIBSection gives.
    void* pixels = MemAllocate(static_cast<size_t>(rowStride_) * height_, true);
    if (!pixels) return false;
    dibSection_ = pixels;
    pixels_ = static_cast<uint8_t*>(pixels);
    return true;
}

void CPOffscreen::ReleaseBackend() {
    // A forgotten borrow ends here.
    delete static_cast<CPSurfaceTarget*>(memoryDC_);
    memoryDC_ = nullptr;
    dcNesting_ = 0;
    if (dibSection_) MemFree(dibSection_);
    dibSection_ = nullptr;
}

NativeDC CPOffscreen::BorrowDC() {
    if (!valid_ || !dibSection_) return nullptr;
    if (dcNesting_ == 0) {
        memoryDC_ = new (std::nothrow) CPSurfaceTarget(*this);
        if (!memoryDC_) return nullptr;
    }
    if (dcNesting_ == UINT16_MAX) return nullptr;
    ++dcNesting_;
    return static_cast<CPBlitTarget*>(static_cast<CPSurfaceTarget*>(memoryDC_));
}

void CPOffscreen::ReturnDC() {
    if (dcNesting_ == 0) return;
    if (--dcNesting_ == 0) {
        delete static_cast<CPSurfaceTarget*>(memoryDC_);
        memoryDC_ = nullptr;
    }
}

bool CPOffscreen::BlitRect(NativeDC targetDC, const TRect& destRect, const TRect& srcRect) {
    if (!valid_ || !targetDC) return false;
    return static_cast<CPBlitTarget*>(targetDC)->Blit(destRect, *this, srcRect);
}

bool CPOffscreen::CaptureFromDC(NativeDC sourceDC, const TRect& srcRect, const TRect& destRect) {
    // Only another surface's DC can be read from; window targets are write-only.
    if (!valid_ || !sourceDC) return false;
    auto* from = dynamic_cast<CPSurfaceTarget*>(static_cast<CPBlitTarget*>(sourceDC));
    if (!from) return false;
    return CopyPixels(from->Surface(), srcRect, *this, destRect);
}

bool CPOffscreen::CreateFromResource(NativeModule, int resourceId, int bitsPerPixel, bool topDown, bool asDIBSection) {
    Destroy();
    SPackedDibView dib;
    bool found = false;
    if (const SEmbeddedResource* r = FindEmbeddedResource(TResourceType::Bitmap, resourceId))
        found = ParsePackedDib(r->data, r->size, &dib);
    if (!found) {
        if (const SEmbeddedResource* r = FindEmbeddedResource(TResourceType::Fdib, resourceId))
            found = ParseBitmapFile(r->data, r->size, &dib);
    }
    if (!found) return false;
    // 24 and 32 bits keep the resource's depth; the rest is converted to
    // the asked depth, as the system's bitmap loader and a capture would.
    if (bitsPerPixel >= 24 && dib.bitsPerPixel >= 24) return CreateFromPackedDib(dib, topDown, asDIBSection);
    if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (!Create(dib.width, dib.height, bitsPerPixel, topDown, asDIBSection)) return false;
    CPPixelBucket from(const_cast<uint8_t*>(dib.rows), dib.rowStride, dib.width, dib.height, dib.bitsPerPixel,
                       dib.bitsPerPixel / 8, dib.topDown);
    std::unique_ptr<CPPixelBucket> to = BucketOf(*this);
    const uint32_t count = DibColourCount(dib.header);
    if (!to || !StretchPixels(from, dib.colours, static_cast<int>(count),
                              TRect{0, 0, dib.width, dib.height}, *to, TRect{0, 0, dib.width, dib.height})) {
        Destroy();
        return false;
    }
    return true;
}
