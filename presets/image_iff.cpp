#include "presets/image_iff.h"

#include "platform/pixel_bucket.h"
#include "presets/image_limits.h"
#include "presets/notify.h"

bool ReadIffChunk(const SImageBytes& file, size_t offset, size_t limit, SIffChunk* out) {
    if (limit > file.size) limit = file.size;
    if (offset > limit || limit - offset < 8) return false;
    SIffChunk chunk;
    chunk.start = offset;
    file.BigU32(offset, &chunk.tag);
    file.BigU32(offset + 4, &chunk.size);
    size_t header = 8;
    if (chunk.tag == kIffTagFor4) {
        if (limit - offset < 12) return false;
        file.BigU32(offset + 8, &chunk.groupType);
        header = 12;
    }
    chunk.dataStart = offset + header;
    // 64-bit sums: offset and size are both below 2^32 here.
    const unsigned long long declaredEnd = static_cast<unsigned long long>(chunk.dataStart) + chunk.size;
    const unsigned long long roundedEnd = (declaredEnd + 3) & ~3ull;
    chunk.dataEnd = declaredEnd < limit ? static_cast<size_t>(declaredEnd) : limit;
    chunk.extent = roundedEnd < limit ? static_cast<size_t>(roundedEnd) : limit;
    if (out) *out = chunk;
    return true;
}

bool ReadIffHeader(const SImageBytes& file, SIffImageInfo* out) {
    SIffChunk top;
    if (!ReadIffChunk(file, 0, file.size, &top) || top.tag != kIffTagFor4 || top.groupType != kIffTypeCimg) {
        return false;
    }
    // Every chunk before the header is skipped.
    SIffChunk chunk;
    for (size_t at = top.dataStart; ReadIffChunk(file, at, top.dataEnd, &chunk); at = chunk.extent) {
        if (chunk.tag != kIffTagTbhd) continue;
        if (chunk.size < kIffHeaderChunkBytes || chunk.dataEnd - chunk.dataStart < kIffHeaderChunkBytes) return false;
        SIffImageInfo info;
        const size_t p = chunk.dataStart;
        file.BigU32(p, &info.width);
        file.BigU32(p + 4, &info.height);
        file.BigU32(p + 12, &info.flags);
        file.BigU16(p + 16, &info.bytes);
        file.BigU16(p + 18, &info.tileCount);
        file.BigU32(p + 20, &info.compression);
        if (info.flags & kIffFlagColour) info.channels = (info.flags & kIffFlagAlpha) ? 4 : 3;
        info.afterHeader = chunk.extent;
        info.groupEnd = top.dataEnd;
        if (out) *out = info;
        return true;
    }
    return false;
}

namespace {

// The bucket byte (B, G, R, A order) that tile channel k goes to: four
// channel tiles hold A, B, G, R; three channel tiles B, G, R.
int TargetByte(int k, int channels) {
    static constexpr int kFourChannels[4] = {3, 0, 1, 2};
    return channels == 4 ? kFourChannels[k] : k;
}

// The part of a tile that lies inside the picture. Tile rows count from
// the bottom: tile row j is picture row y1 + j from the bottom.
struct STilePlacement {
    int x1 = 0;
    int y1 = 0;
    int width = 0;   // tile width
    int height = 0;  // tile height
};

class CTileWriter {
public:
    CTileWriter(CPPixelBucket& image, const STilePlacement& tile, int channels)
        : image_(image), tile_(tile), channels_(channels) {}

    // Writes byte value of channel k at tile column i, tile row j; outside
    // the picture nothing is written.
    void Put(int i, int j, int k, uint8_t value) {
        const int x = tile_.x1 + i;
        const int y = tile_.y1 + j;
        if (x >= image_.Width() || y >= image_.Height()) return;
        image_.Row(image_.Height() - 1 - y)[static_cast<size_t>(x) * channels_ + TargetByte(k, channels_)] = value;
        wrote_ = true;
    }
    bool Wrote() const { return wrote_; }

private:
    CPPixelBucket& image_;
    STilePlacement tile_;
    int channels_;
    bool wrote_ = false;
};

// Raw tiles: pixel-interleaved, bottom tile row first.
void DecodeRawTile(const uint8_t* in, size_t available, const STilePlacement& tile, int channels,
                   CTileWriter& writer) {
    const size_t pixels = available / static_cast<size_t>(channels);
    size_t index = 0;
    for (int j = 0; j < tile.height; ++j) {
        for (int i = 0; i < tile.width; ++i, ++index) {
            if (index >= pixels) return;
            const uint8_t* pixel = in + index * channels;
            for (int k = 0; k < channels; ++k) writer.Put(i, j, k, pixel[k]);
        }
    }
}

// Run-length tiles: one plane of width x height bytes per channel, one
// after another. Control byte c, n = (c & 0x7F) + 1: with bit 7 set the
// next byte is repeated n times, else n literal bytes follow. A run that
// would pass the end of the plane ends that plane.
void DecodeRleTile(const uint8_t* in, const uint8_t* end, const STilePlacement& tile, int channels,
                   CTileWriter& writer) {
    const unsigned long long planeBytes =
        static_cast<unsigned long long>(tile.width) * static_cast<unsigned long long>(tile.height);
    for (int k = 0; k < channels; ++k) {
        unsigned long long done = 0;
        int i = 0;
        int j = 0;
        auto put = [&](uint8_t value) {
            writer.Put(i, j, k, value);
            ++done;
            if (++i == tile.width) {
                i = 0;
                ++j;
            }
        };
        while (done < planeBytes && in < end) {
            const uint8_t control = *in++;
            const unsigned count = (control & 0x7Fu) + 1u;
            const bool overflows = count > planeBytes - done;
            const unsigned fits = overflows ? static_cast<unsigned>(planeBytes - done) : count;
            if (control & 0x80) {
                if (in >= end) return;
                const uint8_t value = *in++;
                for (unsigned n = 0; n < fits; ++n) put(value);
            } else {
                for (unsigned n = 0; n < count && in < end; ++n) {
                    const uint8_t value = *in++;
                    if (n < fits) put(value);
                }
            }
            if (overflows) break;
        }
    }
}

}  // namespace

std::unique_ptr<CPPixelBucket> DecodeIff(const SImageBytes& file) {
    SIffImageInfo info;
    if (!ReadIffHeader(file, &info)) return nullptr;
    if (info.compression >= 2) {
        Notify("Unsupported Compression Type");
        return nullptr;
    }
    if (info.channels != 3 && info.channels != 4) return nullptr;
    auto image = NewImageBucket(info.width, info.height, info.channels, file.size);
    if (!image) return nullptr;
    const int channels = info.channels;
    const bool depth = (info.flags & kIffFlagDepth) != 0;

    // The nesting is fixed (image group, tile group, tiles), so no stack of
    // open chunks is kept: any other group, however deep, is skipped whole
    // by its extent, and the walk never recurses.
    bool wrote = false;
    SIffChunk group;
    for (size_t at = info.afterHeader; ReadIffChunk(file, at, info.groupEnd, &group); at = group.extent) {
        if (group.tag != kIffTagFor4 || group.groupType != kIffTypeTbmp) continue;
        uint32_t colourTiles = 0;
        uint32_t depthTiles = 0;
        SIffChunk tile;
        for (size_t t = group.dataStart;
             (colourTiles < info.tileCount || (depth && depthTiles < info.tileCount)) &&
             ReadIffChunk(file, t, group.dataEnd, &tile);
             t = tile.extent) {
            if (tile.tag == kIffTagZbuf) {
                ++depthTiles;  // depth does not contribute to the picture
                continue;
            }
            if (tile.tag != kIffTagRgba) continue;
            ++colourTiles;
            uint32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (!file.BigU16(tile.dataStart, &x1) || !file.BigU16(tile.dataStart + 2, &y1) ||
                !file.BigU16(tile.dataStart + 4, &x2) || !file.BigU16(tile.dataStart + 6, &y2) ||
                tile.dataEnd < tile.dataStart + 8 || x2 < x1 || y2 < y1) {
                continue;
            }
            const STilePlacement place{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2 - x1 + 1),
                                       static_cast<int>(y2 - y1 + 1)};
            if (place.x1 >= image->Width() || place.y1 >= image->Height()) continue;  // wholly outside
            const size_t dataStart = tile.dataStart + 8;
            const unsigned long long rawBytes = 8ull + static_cast<unsigned long long>(place.width) *
                                                           static_cast<unsigned long long>(place.height) *
                                                           static_cast<unsigned long long>(channels);
            CTileWriter writer(*image, place, channels);
            if (tile.size >= rawBytes) {
                DecodeRawTile(file.data + dataStart, tile.dataEnd - dataStart, place, channels, writer);
            } else {
                DecodeRleTile(file.data + dataStart, file.data + tile.dataEnd, place, channels, writer);
            }
            wrote = wrote || writer.Wrote();
        }
        break;  // one image group
    }
    if (!wrote) return nullptr;
    return image;
}
