// Tiled IFF images: a "FOR4" group of type "CIMG" with a "TBHD" header
// chunk and a "FOR4" group of type "TBMP" holding "RGBA" colour tiles and
// "ZBUF" depth tiles, each tile raw or run-length coded. All numbers are
// big-endian; tile y counts from the bottom of the picture.
#pragma once

#include <cstdint>
#include <memory>

#include "presets/image_bytes.h"

class CPPixelBucket;

// Four-character tags as big-endian words.
constexpr uint32_t IffTag(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
           uint32_t(uint8_t(d));
}
constexpr uint32_t kIffTagFor4 = IffTag('F', 'O', 'R', '4');
constexpr uint32_t kIffTypeCimg = IffTag('C', 'I', 'M', 'G');
constexpr uint32_t kIffTypeTbmp = IffTag('T', 'B', 'M', 'P');
constexpr uint32_t kIffTagTbhd = IffTag('T', 'B', 'H', 'D');
constexpr uint32_t kIffTagRgba = IffTag('R', 'G', 'B', 'A');
constexpr uint32_t kIffTagZbuf = IffTag('Z', 'B', 'U', 'F');

// TBHD flags.
constexpr uint32_t kIffFlagColour = 1;  // three colour channels
constexpr uint32_t kIffFlagAlpha = 2;   // one more channel
constexpr uint32_t kIffFlagDepth = 4;   // a depth buffer follows the colour tiles
constexpr size_t kIffHeaderChunkBytes = 24;

// One chunk as found in the file. Offsets are absolute; dataEnd and extent
// never pass the end of the chunk (or file) that holds this one.
struct SIffChunk {
    uint32_t tag = 0;
    uint32_t size = 0;       // as declared
    uint32_t groupType = 0;  // for "FOR4" groups, else 0
    size_t start = 0;
    size_t dataStart = 0;    // past the tag, size (and group type)
    size_t dataEnd = 0;      // dataStart + size, clipped to the holder
    size_t extent = 0;       // where the next chunk starts
};

// Reads the chunk at offset inside a holder that ends at limit. A group's
// size counts the bytes after its group type, so its extent is start + 8 +
// size + 4; every extent is rounded up to a multiple of 4. False when the
// chunk's own header does not fit before limit.
bool ReadIffChunk(const SImageBytes& file, size_t offset, size_t limit, SIffChunk* out);

struct SIffImageInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t flags = 0;
    uint32_t bytes = 0;
    uint32_t tileCount = 0;
    uint32_t compression = 0;  // 0 none, 1 run-length
    int channels = 0;          // 3 or 4 for a usable image, else 0
    size_t afterHeader = 0;    // where the chunks after "TBHD" start
    size_t groupEnd = 0;       // end of the "CIMG" group
};

// True when the file is a "CIMG" group whose "TBHD" chunk is in the file
// and complete. The values are not judged here (see DecodeIff).
bool ReadIffHeader(const SImageBytes& file, SIffImageInfo* out);

// Decodes into an owning bottom-up bucket of 8 x channels bits, picture
// upright. A compression of 2 or more shows "Unsupported Compression Type"
// and gives none; so do a header without colour channels, a size refused
// by the image limits, and a file without one colour tile. Tiles, or parts
// of tiles, outside the picture are skipped; a tile cut short gives the
// pixels it holds.
std::unique_ptr<CPPixelBucket> DecodeIff(const SImageBytes& file);
