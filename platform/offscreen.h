// CPOffscreen: a device-independent bitmap held in memory (the canvas, the
// background copy, a button's image, a view's double buffer). The layout and
// header fields are those of a Windows DIB on every platform; the backend
// (platform/win32 or platform/posix) supplies the device-context parts:
// borrowing the memory DC, blits and captures, and loading from resources.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/dib_format.h"
#include "platform/native.h"
#include "platform/pixel_bucket.h"

class CPOffscreen {
public:
    CPOffscreen() = default;  // invalid until Create
    // Create(width, height, bitsPerPixel, topDown, asDIBSection).
    CPOffscreen(int width, int height, int bitsPerPixel = 32, bool topDown = false, bool asDIBSection = true) {
        Create(width, height, bitsPerPixel, topDown, asDIBSection);
    }
    CPOffscreen(const CPOffscreen&) = delete;
    CPOffscreen& operator=(const CPOffscreen&) = delete;
    virtual ~CPOffscreen() { Destroy(); }

    // Makes a zeroed surface of 1, 4, 8, 16, 24 or 32 bits, 1..65535 pixels
    // each way. As a DIB section its pixels are shared with the system's
    // drawing (and its DC can be borrowed); otherwise the pixels follow the
    // header in one packed-DIB block. Any previous contents are dropped.
    // When the DIB section cannot be made the surface stays a packed DIB.
    bool Create(int width, int height, int bitsPerPixel, bool topDown, bool asDIBSection);
    // Loads bitmap resource resourceId of module (a standard bitmap, then an
    // "FDIB" bitmap file; below 24 bits or when both fail, the system's
    // bitmap loader converts it).
    bool CreateFromResource(NativeModule module, int resourceId, int bitsPerPixel, bool topDown, bool asDIBSection);
    // Makes the surface from a packed DIB in memory (24 or 32 bits, stored
    // bottom-up or top-down), converting the orientation as asked.
    bool CreateFromPackedDib(const SPackedDibView& dib, bool topDown, bool asDIBSection);
    // Frees everything; the surface is invalid afterwards.
    void Destroy();

    bool Valid() const { return valid_; }
    bool TopDown() const { return topDown_; }
    bool IsDIBSection() const { return dibSection_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    int RowStride() const { return rowStride_; }
    int DCNesting() const { return dcNesting_; }
    int BlitMode() const { return blitMode_; }
    uint8_t* Pixels() const { return pixels_; }
    const SBitmapInfoHeader* Info() const { return info_; }
    // The info block's colour table (8 bits or fewer), or null.
    uint32_t* Colours() const;
    // Row r counted from the top of the picture.
    uint8_t* Row(int rowFromTop) const {
        return pixels_ + static_cast<intptr_t>(topDown_ ? rowFromTop : height_ - 1 - rowFromTop) * rowStride_;
    }
    int OriginX() const { return originX_; }
    int OriginY() const { return originY_; }
    void SetOrigin(int x, int y) {
        originX_ = x;
        originY_ = y;
    }
    // (originX, originY, originX + width, originY + height); all zero and
    // false for an invalid surface.
    bool Bounds(TRect& rect) const;

    // The memory DC of a DIB-section surface (on POSIX a CPBlitTarget* that
    // writes into this surface). Borrows nest; each ReturnDC counts down and
    // the last one releases the DC. Null for a packed DIB or invalid surface.
    NativeDC BorrowDC();
    void ReturnDC();

    // Copies srcRect of the surface (rows from the top) to destRect of a
    // device context, stretching when the sizes differ.
    bool BlitRect(NativeDC targetDC, const TRect& destRect, const TRect& srcRect);
    bool BlitTo(NativeDC targetDC, const TRect& destRect);
    // Draws this surface into another surface's DC: at this surface's
    // bounds, into destRect, or srcRect into destRect.
    bool CopyToSurface(CPOffscreen& target);
    bool CopyToSurfaceRect(CPOffscreen& target, const TRect& destRect);
    bool CopyToSurfaceRects(CPOffscreen& target, const TRect& destRect, const TRect& srcRect);
    // Fills destRect of this surface from srcRect of a device context.
    bool CaptureFromDC(NativeDC sourceDC, const TRect& srcRect, const TRect& destRect);

    // A non-owning bucket on the pixels whose origin is the surface's
    // origin; null for an invalid surface.
    std::unique_ptr<CPPixelBucket> MakeBucket() const;
    // Composites this surface at (x, y) over target (see CompositeBuckets).
    void Composite(CPOffscreen& target, int x, int y, int opacity, int mode) const;

private:
    // Builds the info block (and, for a packed DIB, the rows after it).
    bool MakeInfoBlock(int width, int height, int bitsPerPixel, bool topDown, bool withPixels);
    // Backend parts.
    bool MakeDIBSection();
    void ReleaseBackend();

    bool valid_ = false;
    bool topDown_ = false;
    int32_t blitMode_ = 0;  // 0: the system's blits
    int32_t originX_ = 0;
    int32_t originY_ = 0;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
    uint16_t bitsPerPixel_ = 0;
    uint32_t rowStride_ = 0;  // up to 4 x 65535 bytes
    uint16_t dcNesting_ = 0;
    uint8_t* pixels_ = nullptr;
    SBitmapInfoHeader* info_ = nullptr;  // one memory block
    void* memoryDC_ = nullptr;           // HDC, or the POSIX blit target while borrowed
    void* previousObject_ = nullptr;     // HGDIOBJ selected before the section
    void* dibSection_ = nullptr;         // HBITMAP, or the POSIX pixel block
};
