#include "presets/image_limits.h"

#include "platform/pixel_bucket.h"

bool ImageSizeAcceptable(long long width, long long height, int channels, size_t fileSize) {
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return false;
    if (channels != 3 && channels != 4) return false;
    // Both sides are below 2^14, so the product fits easily in 64 bits; the
    // budget is computed so that it cannot overflow either.
    const unsigned long long bytes = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) *
                                     static_cast<unsigned long long>(channels);
    const unsigned long long file = fileSize < kMaxImageFileBytes ? fileSize : kMaxImageFileBytes;
    const unsigned long long budget = file * kMaxImageBytesPerFileByte + kImageBytesAllowance;
    return bytes <= budget;
}

std::unique_ptr<CPPixelBucket> NewImageBucket(long long width, long long height, int channels, size_t fileSize) {
    if (!ImageSizeAcceptable(width, height, channels, fileSize)) return nullptr;
    auto bucket = CPPixelBucket::NewOwnedBucket(static_cast<int>(width), static_cast<int>(height), 8 * channels, false);
    if (!bucket || !bucket->Valid()) return nullptr;
    return bucket;
}
