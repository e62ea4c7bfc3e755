// The portable half of CPOffscreen: the info block, pixel views, composites
// and the surface-to-surface copies that go through a borrowed DC.
#include "platform/offscreen.h"

#include <cstring>

#include "platform/compositing.h"
#include "platform/memory_block.h"

namespace {
bool SupportedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }
}  // namespace

bool CPOffscreen::MakeInfoBlock(int width, int height, int bitsPerPixel, bool topDown, bool withPixels) {
    if (width < 1 || height < 1 || width > 65535 || height > 65535 || !SupportedDepth(bitsPerPixel)) return false;
    const uint32_t colours = bitsPerPixel <= 8 ? 256u : 0u;
    const size_t stride = static_cast<size_t>(DibRowStride(bitsPerPixel, width));
    const size_t imageBytes = stride * static_cast<size_t>(height);
    const size_t headerBytes = sizeof(SBitmapInfoHeader) + 4 * colours;
    auto* info = static_cast<SBitmapInfoHeader*>(MemAllocate(headerBytes + (withPixels ? imageBytes : 0), true));
    if (!info) return false;
    info->biSize = sizeof(SBitmapInfoHeader);
    info->biWidth = width;
    info->biHeight = topDown ? -height : height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<uint16_t>(bitsPerPixel);
    info->biCompression = 0;
    info->biSizeImage = static_cast<uint32_t>(imageBytes);
    info->biClrUsed = bitsPerPixel <= 8 ? (1u << bitsPerPixel) : 0u;

    info_ = info;
    topDown_ = topDown;
    width_ = static_cast<uint16_t>(width);
    height_ = static_cast<uint16_t>(height);
    bitsPerPixel_ = static_cast<uint16_t>(bitsPerPixel);
    rowStride_ = static_cast<uint32_t>(stride);
    blitMode_ = 0;
    originX_ = 0;
    originY_ = 0;
    // The rows of a packed DIB follow the header and its colour entries.
    pixels_ = withPixels ? reinterpret_cast<uint8_t*>(info) + info->biSize + 4 * DibColourCount(*info) : nullptr;
    return true;
}

bool CPOffscreen::Create(int width, int height, int bitsPerPixel, bool topDown, bool asDIBSection) {
    Destroy();
    if (!MakeInfoBlock(width, height, bitsPerPixel, topDown, !asDIBSection)) return false;
    if (asDIBSection && !MakeDIBSection()) {
        // No section: fall back to a packed DIB, which needs its rows in the
        // info block.
        MemFree(info_);
        info_ = nullptr;
        if (!MakeInfoBlock(width, height, bitsPerPixel, topDown, true)) return false;
    }
    valid_ = true;
    return true;
}

bool CPOffscreen::CreateFromPackedDib(const SPackedDibView& dib, bool topDown, bool asDIBSection) {
    if (!dib.rows || !Create(dib.width, dib.height, dib.bitsPerPixel, topDown, asDIBSection)) return false;
    if (dib.colours && bitsPerPixel_ <= 8) {
        const uint32_t count = DibColourCount(dib.header) < 256 ? DibColourCount(dib.header) : 256;
        std::memcpy(Colours(), dib.colours, 4 * count);
    }
    // Rows in memory order, then flipped when the orientations differ.
    const size_t rowBytes = static_cast<size_t>(rowStride_) < static_cast<size_t>(dib.rowStride)
                                ? rowStride_ : static_cast<size_t>(dib.rowStride);
    for (int r = 0; r < height_; ++r)
        std::memcpy(pixels_ + static_cast<size_t>(r) * rowStride_, dib.rows + static_cast<size_t>(r) * dib.rowStride,
                    rowBytes);
    if (dib.topDown != topDown) {
        CPPixelBucket all(pixels_, static_cast<int>(rowStride_), width_, height_, bitsPerPixel_, bitsPerPixel_ / 8,
                          topDown_);
        if (!all.FlipRows()) {
            Destroy();
            return false;
        }
    }
    return true;
}

void CPOffscreen::Destroy() {
    ReleaseBackend();
    MemFree(info_);
    valid_ = false;
    topDown_ = false;
    blitMode_ = 0;
    originX_ = originY_ = 0;
    width_ = height_ = bitsPerPixel_ = 0;
    rowStride_ = 0;
    dcNesting_ = 0;
    pixels_ = nullptr;
    info_ = nullptr;
    memoryDC_ = previousObject_ = dibSection_ = nullptr;
}

uint32_t* CPOffscreen::Colours() const {
    if (!info_ || bitsPerPixel_ > 8) return nullptr;
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(info_) + info_->biSize);
}

bool CPOffscreen::Bounds(TRect& rect) const {
    if (!valid_) {
        rect = TRect{};
        return false;
    }
    rect = TRect{originX_, originY_, originX_ + width_, originY_ + height_};
    return true;
}

bool CPOffscreen::BlitTo(NativeDC targetDC, const TRect& destRect) {
    return BlitRect(targetDC, destRect, TRect{0, 0, width_, height_});
}

bool CPOffscreen::CopyToSurface(CPOffscreen& target) {
    // The source is the whole surface; only the destination moves with the
    // origin (a source rectangle off the surface would copy nothing).
    TRect bounds;
    if (!Bounds(bounds)) return false;
    return CopyToSurfaceRects(target, bounds, TRect{0, 0, width_, height_});
}

bool CPOffscreen::CopyToSurfaceRect(CPOffscreen& target, const TRect& destRect) {
    return CopyToSurfaceRects(target, destRect, TRect{0, 0, width_, height_});
}

bool CPOffscreen::CopyToSurfaceRects(CPOffscreen& target, const TRect& destRect, const TRect& srcRect) {
    if (!valid_ || &target == this) return false;
    NativeDC dc = target.BorrowDC();
    if (!dc) return false;
    const bool ok = BlitRect(dc, destRect, srcRect);
    target.ReturnDC();
    return ok;
}

std::unique_ptr<CPPixelBucket> CPOffscreen::MakeBucket() const {
    if (!valid_ || !pixels_) return nullptr;
    auto bucket = std::make_unique<CPPixelBucket>(pixels_, static_cast<int>(rowStride_), width_, height_, bitsPerPixel_,
                                                  bitsPerPixel_ / 8, topDown_, 0u);
    if (!bucket->Valid()) return nullptr;
    bucket->SetOrigin(originX_, originY_);
    return bucket;
}

void CPOffscreen::Composite(CPOffscreen& target, int x, int y, int opacity, int mode) const {
    std::unique_ptr<CPPixelBucket> source = MakeBucket();
    std::unique_ptr<CPPixelBucket> dest = target.MakeBucket();
    if (!source || !dest) return;
    CompositeBuckets(*source, *dest, x, y, opacity, mode);
}
