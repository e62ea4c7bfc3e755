#include "presets/image_bmp.h"

#include <cstring>

#include "platform/pixel_bucket.h"
#include "presets/image_limits.h"

bool ReadBitmapHeader(const SImageBytes& file, SBitmapFileInfo* out) {
    SBitmapFileInfo info;
    uint32_t magic = 0;
    if (!file.LittleU16(0, &magic) || magic != 0x4D42) return false;
    if (!file.LittleU32(10, &info.dataOffset) || !file.LittleU32(14, &info.headerSize) ||
        !file.LittleI32(18, &info.width) || !file.LittleI32(22, &info.height) ||
        !file.LittleU16(28, &info.bitsPerPixel) || !file.LittleU32(30, &info.compression)) {
        return false;
    }
    if (info.headerSize != 40 && info.headerSize != 108) return false;
    if (info.width <= 0 || info.height == 0) return false;
    if (info.bitsPerPixel != 24 && info.bitsPerPixel != 32) return false;
    if (info.compression != 0) return false;
    if (out) *out = info;
    return true;
}

std::unique_ptr<CPPixelBucket> DecodeBitmap(const SImageBytes& file) {
    SBitmapFileInfo info;
    if (!ReadBitmapHeader(file, &info)) return nullptr;
    // INT32_MIN has no absolute value in 32 bits; the 64-bit one is refused
    // by the size limits anyway.
    const long long rows = info.height < 0 ? -static_cast<long long>(info.height) : info.height;
    const bool topDownFile = info.height < 0;
    const int channels = static_cast<int>(info.bitsPerPixel / 8);
    auto bucket = NewImageBucket(info.width, rows, channels, file.size);
    if (!bucket) return nullptr;

    // The file's rows are padded exactly like the bucket's.
    const size_t stride = static_cast<size_t>(bucket->RowStride());
    const int height = bucket->Height();
    size_t offset = info.dataOffset;
    int rowsRead = 0;
    for (int k = 0; k < height; ++k) {
        const size_t available = file.Available(offset);
        if (available == 0) break;
        const size_t n = available < stride ? available : stride;
        // Stored row k is picture row k from the bottom in a bottom-up file
        // and from the top in a top-down one; either way the bucket ends up
        // upright.
        uint8_t* row = topDownFile ? bucket->Row(k) : bucket->Row(height - 1 - k);
        std::memcpy(row, file.data + offset, n);
        ++rowsRead;
        if (n < stride) break;
        offset += stride;
    }
    if (rowsRead == 0) return nullptr;
    return bucket;
}
