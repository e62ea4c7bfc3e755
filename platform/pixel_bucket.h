// CPPixelBucket: a light view on the pixel rows of a DIB (owning or not),
// used to fill, flip and composite pixels directly. Rows are addressed
// either by memory order or, through Row(), by picture order from the top.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/native.h"

class CPPixelBucket {
public:
    CPPixelBucket() = default;  // an invalid bucket
    // A non-owning view; height is taken absolute. Invalid for null pixels,
    // a size of 0, or a stride too small for the width.
    CPPixelBucket(void* pixels, int rowStride, int width, int height, int bitsPerPixel, int bytesPerPixel,
                  bool topDown, uint32_t userWord = 0);
    // A non-owning view of rect (in the parent's coordinates, its origin
    // included) with origin (0, 0); invalid unless the parent is valid and
    // rect is non-empty and inside the parent's bounds.
    CPPixelBucket(const CPPixelBucket& parent, const TRect& rect);
    CPPixelBucket(const CPPixelBucket&) = delete;
    CPPixelBucket& operator=(const CPPixelBucket&) = delete;
    // Moves hand over the pixels (and their ownership); the source becomes
    // an invalid bucket.
    CPPixelBucket(CPPixelBucket&& other) noexcept { TakeFrom(other); }
    CPPixelBucket& operator=(CPPixelBucket&& other) noexcept;
    virtual ~CPPixelBucket();

    // rowStride x height zero bytes from the system allocator, owned by the
    // bucket; null for a zero size, an unsupported depth or no memory.
    static std::unique_ptr<CPPixelBucket> NewOwnedBucket(int width, int height, int bitsPerPixel, bool topDown);

    // Writes the colour word 0xAARRGGBB to every pixel (32-bit buckets only).
    void Fill(uint32_t colour);
    // Reverses the order of the rows; false when the row buffer cannot be had.
    bool FlipRows();

    bool Valid() const { return valid_; }
    uint8_t* Pixels() const { return pixels_; }
    // Row r counted from the top of the picture.
    uint8_t* Row(int rowFromTop) const {
        return pixels_ + static_cast<intptr_t>(topDown_ ? rowFromTop : height_ - 1 - rowFromTop) * rowStride_;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int RowStride() const { return rowStride_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    int BytesPerPixel() const { return bytesPerPixel_; }
    bool TopDown() const { return topDown_; }
    bool OwnsPixels() const { return ownsPixels_; }
    uint32_t UserWord() const { return userWord_; }
    int OriginX() const { return originX_; }
    int OriginY() const { return originY_; }
    void SetOrigin(int x, int y) {
        originX_ = x;
        originY_ = y;
    }
    // (originX, originY, originX + width, originY + height).
    TRect Bounds() const { return {originX_, originY_, originX_ + width_, originY_ + height_}; }

    // Walking steps: from a row to the next row down the picture, and from
    // just past the last pixel of a row to the first pixel of the next row
    // down, in bytes and in 32-bit words.
    int RowWords() const { return rowWords_; }
    int RowPad() const { return rowPad_; }
    int RowStepBytes() const { return rowStepBytes_; }
    int RowStepWords() const { return rowStepWords_; }
    int RowSkipBytes() const { return rowSkipBytes_; }
    int RowSkipWords() const { return rowSkipWords_; }

private:
    void ComputeSteps();
    void TakeFrom(CPPixelBucket& other);

    uint32_t userWord_ = 0;
    uint8_t* pixels_ = nullptr;
    int32_t originX_ = 0;
    int32_t originY_ = 0;
    int32_t rowStride_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint8_t bitsPerPixel_ = 0;
    uint8_t bytesPerPixel_ = 0;
    int32_t rowWords_ = 0;
    int32_t rowPad_ = 0;
    int32_t rowStepBytes_ = 0;
    int32_t rowStepWords_ = 0;
    int32_t rowSkipBytes_ = 0;
    int32_t rowSkipWords_ = 0;
    bool topDown_ = false;
    bool valid_ = false;
    bool ownsPixels_ = false;
};
