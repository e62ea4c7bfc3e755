#include "platform/pixel_bucket.h"

#include <cstring>

#include "platform/dib_format.h"
#include "platform/memory_block.h"

namespace {
int Abs(int v) { return v < 0 ? -v : v; }
bool SupportedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }
}  // namespace

CPPixelBucket::CPPixelBucket(void* pixels, int rowStride, int width, int height, int bitsPerPixel, int bytesPerPixel,
                             bool topDown, uint32_t userWord)
    : userWord_(userWord), pixels_(static_cast<uint8_t*>(pixels)), rowStride_(rowStride), width_(width),
      height_(Abs(height)), bitsPerPixel_(static_cast<uint8_t>(bitsPerPixel)),
      bytesPerPixel_(static_cast<uint8_t>(bytesPerPixel)), topDown_(topDown) {
    valid_ = pixels_ != nullptr && width_ > 0 && height_ > 0 && SupportedDepth(bitsPerPixel) &&
             bytesPerPixel == bitsPerPixel / 8 && rowStride_ > 0 &&
             static_cast<int64_t>(rowStride_) * 8 >= static_cast<int64_t>(bitsPerPixel) * width_;
    if (!valid_) {
        pixels_ = nullptr;
        return;
    }
    ComputeSteps();
}

CPPixelBucket::CPPixelBucket(const CPPixelBucket& parent, const TRect& rect) {
    if (!parent.valid_ || rect.left >= rect.right || rect.top >= rect.bottom) return;
    const TRect bounds = parent.Bounds();
    if (rect.left < bounds.left || rect.right > bounds.right || rect.top < bounds.top || rect.bottom > bounds.bottom)
        return;
    // Memory row of the rectangle's first row: a bottom-up parent stores
    // the picture mirrored, so its vertical extent is mirrored first.
    int firstRow = rect.top - parent.originY_;
    if (!parent.topDown_) firstRow = parent.height_ - (rect.bottom - parent.originY_);
    // Sub-byte depths cannot address a column that is not byte aligned.
    const int64_t bitOffset = static_cast<int64_t>(rect.left - parent.originX_) * parent.bitsPerPixel_;
    if (bitOffset % 8 != 0) return;

    userWord_ = parent.userWord_;
    pixels_ = parent.pixels_ + static_cast<intptr_t>(firstRow) * parent.rowStride_ + bitOffset / 8;
    rowStride_ = parent.rowStride_;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
    bitsPerPixel_ = parent.bitsPerPixel_;
    bytesPerPixel_ = parent.bytesPerPixel_;
    topDown_ = parent.topDown_;
    valid_ = true;
    ComputeSteps();
}

CPPixelBucket::~CPPixelBucket() {
    if (ownsPixels_) MemFree(pixels_);
    pixels_ = nullptr;
    valid_ = false;
    ownsPixels_ = false;
}

CPPixelBucket& CPPixelBucket::operator=(CPPixelBucket&& other) noexcept {
    if (this != &other) {
        if (ownsPixels_) MemFree(pixels_);
        TakeFrom(other);
    }
    return *this;
}

void CPPixelBucket::TakeFrom(CPPixelBucket& other) {
    // Every field is plain data: copy them all, then empty the source.
    userWord_ = other.userWord_;
    pixels_ = other.pixels_;
    originX_ = other.originX_;
    originY_ = other.originY_;
    rowStride_ = other.rowStride_;
    width_ = other.width_;
    height_ = other.height_;
    bitsPerPixel_ = other.bitsPerPixel_;
    bytesPerPixel_ = other.bytesPerPixel_;
    rowWords_ = other.rowWords_;
    rowPad_ = other.rowPad_;
    rowStepBytes_ = other.rowStepBytes_;
    rowStepWords_ = other.rowStepWords_;
    rowSkipBytes_ = other.rowSkipBytes_;
    rowSkipWords_ = other.rowSkipWords_;
    topDown_ = other.topDown_;
    valid_ = other.valid_;
    ownsPixels_ = other.ownsPixels_;
    other.pixels_ = nullptr;
    other.valid_ = false;
    other.ownsPixels_ = false;
}

void CPPixelBucket::ComputeSteps() {
    // In a sub-rectangle view rowPad is the distance from the end of the
    // view's row to the start of the next memory row.
    rowWords_ = (rowStride_ + 3) / 4;
    rowPad_ = rowStride_ - bytesPerPixel_ * width_;
    rowStepBytes_ = topDown_ ? rowStride_ : -rowStride_;
    rowStepWords_ = topDown_ ? rowWords_ : -rowWords_;
    rowSkipBytes_ = topDown_ ? rowPad_ : rowPad_ - 2 * rowStride_;
    rowSkipWords_ = topDown_ ? rowPad_ / 4 : rowPad_ / 4 - 2 * rowWords_;
}

std::unique_ptr<CPPixelBucket> CPPixelBucket::NewOwnedBucket(int width, int height, int bitsPerPixel, bool topDown) {
    height = Abs(height);
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || !SupportedDepth(bitsPerPixel)) return nullptr;
    const int stride = DibRowStride(bitsPerPixel, width);
    void* pixels = MemAllocate(static_cast<size_t>(stride) * static_cast<size_t>(height), true);
    if (!pixels) return nullptr;
    auto bucket = std::make_unique<CPPixelBucket>(pixels, stride, width, height, bitsPerPixel, bitsPerPixel / 8, topDown);
    bucket->ownsPixels_ = true;
    return bucket;
}

void CPPixelBucket::Fill(uint32_t colour) {
    if (!valid_ || bitsPerPixel_ != 32) return;
    for (int r = 0; r < height_; ++r) {
        uint8_t* row = pixels_ + static_cast<intptr_t>(r) * rowStride_;
        // Rows of a 32-bit DIB are word aligned, but a bucket may sit on any
        // memory: store through memcpy.
        for (int c = 0; c < width_; ++c) std::memcpy(row + 4 * c, &colour, 4);
    }
}

bool CPPixelBucket::FlipRows() {
    if (!valid_) return false;
    if (height_ < 2) return true;
    const size_t rowBytes = static_cast<size_t>((static_cast<int64_t>(bitsPerPixel_) * width_ + 7) / 8);
    uint8_t* buffer = static_cast<uint8_t*>(MemAllocate(rowBytes));
    if (!buffer) return false;
    for (int i = 0; i < height_ / 2; ++i) {
        uint8_t* a = pixels_ + static_cast<intptr_t>(i) * rowStride_;
        uint8_t* b = pixels_ + static_cast<intptr_t>(height_ - 1 - i) * rowStride_;
        std::memcpy(buffer, a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, buffer, rowBytes);
    }
    MemFree(buffer);
    return true;
}
