#include "presets/image_rgb.h"

#include "platform/pixel_bucket.h"
#include "presets/image_limits.h"

bool ReadPlanarRgbHeader(const SImageBytes& file, SPlanarRgbInfo* out) {
    SPlanarRgbInfo info;
    uint32_t magic = 0;
    if (!file.Has(0, kPlanarRgbHeaderSize)) return false;
    file.BigU16(0, &magic);
    file.U8(2, &info.storage);
    file.U8(3, &info.bytesPerChannel);
    file.BigU16(4, &info.dimension);
    file.BigU16(6, &info.xSize);
    file.BigU16(8, &info.ySize);
    file.BigU16(10, &info.zSize);
    file.BigU32(104, &info.colourMap);
    if (magic != kPlanarRgbMagic) return false;
    if (info.storage > 1 || info.bytesPerChannel != 1 || info.dimension < 2) return false;
    if (info.zSize != 3 && info.zSize != 4) return false;
    if (info.colourMap > 3) return false;
    if (out) *out = info;
    return true;
}

namespace {

// The byte of a B, G, R (, A) pixel that file channel z (R, G, B, A) goes to.
int TargetByte(int z) { return z == 3 ? 3 : 2 - z; }

// Decodes one run-length scanline from [in, inEnd) into every step-th byte
// of out, at most width pixels. Control byte c: count = c & 0x7F, 0 ends
// the line; bit 7 set: count literal bytes follow; else the next byte is
// repeated count times. Runs past the scanline's end are clipped.
void DecodeRleScanline(const uint8_t* in, const uint8_t* inEnd, uint8_t* out, int width, int step) {
    int x = 0;
    while (in < inEnd && x < width) {
        const uint8_t control = *in++;
        int count = control & 0x7F;
        if (count == 0) break;
        if (control & 0x80) {
            while (count-- > 0 && in < inEnd && x < width) {
                out[static_cast<size_t>(x) * step] = *in++;
                ++x;
            }
        } else {
            if (in >= inEnd) break;
            const uint8_t value = *in++;
            while (count-- > 0 && x < width) {
                out[static_cast<size_t>(x) * step] = value;
                ++x;
            }
        }
    }
}

}  // namespace

std::unique_ptr<CPPixelBucket> DecodePlanarRgb(const SImageBytes& file) {
    SPlanarRgbInfo info;
    if (!ReadPlanarRgbHeader(file, &info)) return nullptr;
    const int channels = static_cast<int>(info.zSize);
    auto bucket = NewImageBucket(info.xSize, info.ySize, channels, file.size);
    if (!bucket) return nullptr;

    const int width = bucket->Width();
    const int height = bucket->Height();
    int scanlinesRead = 0;
    for (int z = 0; z < channels; ++z) {
        const int target = TargetByte(z);
        for (int y = 0; y < height; ++y) {
            // Scanline 0 is the bottom of the picture.
            uint8_t* out = bucket->Row(height - 1 - y) + target;
            const size_t line = static_cast<size_t>(z) * height + static_cast<size_t>(y);
            if (info.storage == 0) {
                const size_t offset = kPlanarRgbHeaderSize + line * static_cast<size_t>(width);
                const size_t available = file.Available(offset);
                if (available == 0) continue;
                const int n = available < static_cast<size_t>(width) ? static_cast<int>(available) : width;
                const uint8_t* in = file.data + offset;
                for (int x = 0; x < n; ++x) out[static_cast<size_t>(x) * channels] = in[x];
                ++scanlinesRead;
            } else {
                // Two tables of height x channels words follow the header:
                // the scanlines' start offsets, then their lengths.
                const size_t tableEntries = static_cast<size_t>(height) * channels;
                uint32_t start = 0;
                uint32_t length = 0;
                if (!file.BigU32(kPlanarRgbHeaderSize + 4 * line, &start) ||
                    !file.BigU32(kPlanarRgbHeaderSize + 4 * (tableEntries + line), &length)) {
                    continue;
                }
                const size_t available = file.Available(start);
                if (available == 0 || length == 0) continue;
                const size_t n = available < length ? available : length;
                DecodeRleScanline(file.data + start, file.data + start + n, out, width, channels);
                ++scanlinesRead;
            }
        }
    }
    if (scanlinesRead == 0) return nullptr;
    return bucket;
}
