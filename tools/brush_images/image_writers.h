// Writers of the three brush image file formats, for tests, fuzz seeds and
// tools. Standard library only, header-only so that any program can use it
// without a library of its own. Pictures are given as RGBA bytes, top row
// first, whatever the file's own row order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace brush_images {

struct SPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4, top row first

    SPicture() = default;
    SPicture(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
    uint8_t* At(int x, int rowFromTop) { return &rgba[(static_cast<size_t>(rowFromTop) * width + x) * 4]; }
    const uint8_t* At(int x, int rowFromTop) const {
        return &rgba[(static_cast<size_t>(rowFromTop) * width + x) * 4];
    }
};

// A picture whose every pixel differs from its neighbours in every channel,
// so a misplaced row, column or channel shows; alpha varies as well.
inline SPicture PatternPicture(int width, int height, unsigned seed = 1) {
    SPicture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.At(x, y);
            px[0] = static_cast<uint8_t>(x * 37 + y * 11 + seed * 3);
            px[1] = static_cast<uint8_t>(x * 5 + y * 53 + seed * 7);
            px[2] = static_cast<uint8_t>((x ^ y) * 29 + seed);
            px[3] = static_cast<uint8_t>(255 - ((x * 17 + y * 23 + seed) & 0xFF));
        }
    }
    return p;
}

namespace detail {
inline void PutLE16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}
inline void PutLE32(std::vector<uint8_t>& o, uint32_t v) {
    PutLE16(o, v & 0xFFFF);
    PutLE16(o, v >> 16);
}
inline void PutBE16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back((v >> 8) & 0xFF);
    o.push_back(v & 0xFF);
}
inline void PutBE32(std::vector<uint8_t>& o, uint32_t v) {
    PutBE16(o, v >> 16);
    PutBE16(o, v & 0xFFFF);
}
inline void SetBE32(std::vector<uint8_t>& o, size_t at, uint32_t v) {
    o[at] = (v >> 24) & 0xFF;
    o[at + 1] = (v >> 16) & 0xFF;
    o[at + 2] = (v >> 8) & 0xFF;
    o[at + 3] = v & 0xFF;
}
inline void PutTag(std::vector<uint8_t>& o, const char* tag) { o.insert(o.end(), tag, tag + 4); }
}  // namespace detail

// ---------------------------------------------------------------------------
// Windows bitmap: 24 or 32 bits, BI_RGB, bottom-up or top-down rows.
struct SBitmapOptions {
    int bitsPerPixel = 24;
    bool topDown = false;
    uint32_t infoHeaderSize = 40;  // 40 or 108
    uint32_t compression = 0;
};

inline std::vector<uint8_t> WriteBitmap(const SPicture& p, const SBitmapOptions& opt = {}) {
    using namespace detail;
    const int bytes = opt.bitsPerPixel / 8;
    const uint32_t stride = static_cast<uint32_t>(((opt.bitsPerPixel * p.width + 31) / 32) * 4);
    const uint32_t dataOffset = 14 + opt.infoHeaderSize;
    std::vector<uint8_t> o;
    o.push_back('B');
    o.push_back('M');
    PutLE32(o, dataOffset + stride * p.height);
    PutLE32(o, 0);
    PutLE32(o, dataOffset);
    PutLE32(o, opt.infoHeaderSize);
    PutLE32(o, static_cast<uint32_t>(p.width));
    PutLE32(o, static_cast<uint32_t>(opt.topDown ? -p.height : p.height));
    PutLE16(o, 1);
    PutLE16(o, static_cast<uint32_t>(opt.bitsPerPixel));
    PutLE32(o, opt.compression);
    PutLE32(o, stride * p.height);
    PutLE32(o, 2835);
    PutLE32(o, 2835);
    PutLE32(o, 0);
    PutLE32(o, 0);
    o.resize(dataOffset, 0);  // the rest of a 108-byte header
    for (int k = 0; k < p.height; ++k) {
        const int rowFromTop = opt.topDown ? k : p.height - 1 - k;
        const size_t rowStart = o.size();
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* px = p.At(x, rowFromTop);
            o.push_back(px[2]);
            o.push_back(px[1]);
            o.push_back(px[0]);
            if (bytes == 4) o.push_back(px[3]);
        }
        o.resize(rowStart + stride, 0);
    }
    return o;
}

// ---------------------------------------------------------------------------
// Planar RGB (magic 474): channels R, G, B (, A) as planes of scanlines,
// scanline 0 at the bottom; verbatim or run-length coded.
struct SPlanarRgbOptions {
    int channels = 3;  // 3 or 4
    bool runLength = false;
};

// One scanline in the planar RGB run-length code: control byte c with
// count c & 0x7F (0 ends the line); bit 7 set: count literal bytes follow,
// else the next byte is repeated count times.
inline std::vector<uint8_t> PlanarRgbRleScanline(const uint8_t* line, int n) {
    std::vector<uint8_t> o;
    int x = 0;
    while (x < n) {
        int run = 1;
        while (x + run < n && run < 127 && line[x + run] == line[x]) ++run;
        if (run >= 3) {
            o.push_back(static_cast<uint8_t>(run));
            o.push_back(line[x]);
            x += run;
            continue;
        }
        // Literals until a run of three starts or 127 are gathered.
        int lit = 0;
        while (x + lit < n && lit < 127) {
            if (x + lit + 2 < n && line[x + lit] == line[x + lit + 1] && line[x + lit] == line[x + lit + 2]) break;
            ++lit;
        }
        o.push_back(static_cast<uint8_t>(0x80 | lit));
        o.insert(o.end(), line + x, line + x + lit);
        x += lit;
    }
    o.push_back(0);
    return o;
}

inline std::vector<uint8_t> WritePlanarRgb(const SPicture& p, const SPlanarRgbOptions& opt = {}) {
    using namespace detail;
    std::vector<uint8_t> o;
    PutBE16(o, 474);
    o.push_back(opt.runLength ? 1 : 0);
    o.push_back(1);
    PutBE16(o, 3);
    PutBE16(o, static_cast<uint32_t>(p.width));
    PutBE16(o, static_cast<uint32_t>(p.height));
    PutBE16(o, static_cast<uint32_t>(opt.channels));
    PutBE32(o, 0);
    PutBE32(o, 255);
    PutBE32(o, 0);
    const char name[] = "tarn flourish brush image";
    o.insert(o.end(), name, name + sizeof(name) - 1);
    o.resize(104, 0);
    PutBE32(o, 0);
    o.resize(512, 0);

    std::vector<uint8_t> line(static_cast<size_t>(p.width));
    auto fillLine = [&](int z, int y) {
        // Scanline y counts from the bottom.
        for (int x = 0; x < p.width; ++x) line[x] = p.At(x, p.height - 1 - y)[z];
    };
    const size_t lines = static_cast<size_t>(p.height) * opt.channels;
    if (!opt.runLength) {
        for (int z = 0; z < opt.channels; ++z) {
            for (int y = 0; y < p.height; ++y) {
                fillLine(z, y);
                o.insert(o.end(), line.begin(), line.end());
            }
        }
        return o;
    }
    const size_t tables = o.size();
    o.resize(tables + 8 * lines, 0);
    for (int z = 0; z < opt.channels; ++z) {
        for (int y = 0; y < p.height; ++y) {
            fillLine(z, y);
            const std::vector<uint8_t> coded = PlanarRgbRleScanline(line.data(), p.width);
            const size_t index = static_cast<size_t>(z) * p.height + y;
            SetBE32(o, tables + 4 * index, static_cast<uint32_t>(o.size()));
            SetBE32(o, tables + 4 * (lines + index), static_cast<uint32_t>(coded.size()));
            o.insert(o.end(), coded.begin(), coded.end());
        }
    }
    return o;
}

// ---------------------------------------------------------------------------
// Tiled IFF: "FOR4" "CIMG" { "TBHD", "FOR4" "TBMP" { "RGBA" tiles } }. A
// group's size counts the bytes after its type. Tile y counts from the
// bottom; tile pixels are stored A, B, G, R (four channels) or B, G, R.
struct SIffOptions {
    int channels = 4;        // 3 or 4
    bool runLength = false;  // per tile; a tile that does not shrink is stored raw
    int tileWidth = 64;
    int tileHeight = 64;
    bool depthTiles = false;      // add a "ZBUF" tile after each colour tile
    bool extraChunks = false;     // odd-sized chunks before the header and the tiles
    uint32_t compressionField = 0xFFFFFFFF;  // the TBHD value; default: 1 when runLength
};

// The IFF tile code: n = (c & 0x7F) + 1; bit 7 set: the next byte repeats
// n times; else n literal bytes follow.
inline void IffRlePlane(const uint8_t* plane, size_t n, std::vector<uint8_t>& o) {
    size_t x = 0;
    while (x < n) {
        size_t run = 1;
        while (x + run < n && run < 128 && plane[x + run] == plane[x]) ++run;
        if (run >= 2) {
            o.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            o.push_back(plane[x]);
            x += run;
            continue;
        }
        size_t lit = 0;
        while (x + lit < n && lit < 128) {
            if (x + lit + 1 < n && plane[x + lit] == plane[x + lit + 1]) break;
            ++lit;
        }
        o.push_back(static_cast<uint8_t>(lit - 1));
        o.insert(o.end(), plane + x, plane + x + lit);
        x += lit;
    }
}

inline void IffChannelOrder(int channels, int order[4]) {
    // File channel k takes picture channel order[k] (R 0, G 1, B 2, A 3).
    const int four[4] = {3, 2, 1, 0};
    const int three[3] = {2, 1, 0};
    for (int k = 0; k < channels; ++k) order[k] = channels == 4 ? four[k] : three[k];
}

inline void IffPad(std::vector<uint8_t>& o) {
    while (o.size() % 4) o.push_back(0);
}

inline std::vector<uint8_t> WriteIff(const SPicture& p, const SIffOptions& opt = {}) {
    using namespace detail;
    std::vector<uint8_t> o;
    PutTag(o, "FOR4");
    PutBE32(o, 0);  // patched
    PutTag(o, "CIMG");
    auto extra = [&](const char* tag, const char* text) {
        const uint32_t n = static_cast<uint32_t>(std::strlen(text));
        PutTag(o, tag);
        PutBE32(o, n);
        o.insert(o.end(), text, text + n);
        IffPad(o);
    };
    if (opt.extraChunks) extra("FVER", "brush images 1");

    const int tilesX = (p.width + opt.tileWidth - 1) / opt.tileWidth;
    const int tilesY = (p.height + opt.tileHeight - 1) / opt.tileHeight;
    const uint32_t compression = opt.compressionField != 0xFFFFFFFF ? opt.compressionField : (opt.runLength ? 1 : 0);
    PutTag(o, "TBHD");
    PutBE32(o, 24);
    PutBE32(o, static_cast<uint32_t>(p.width));
    PutBE32(o, static_cast<uint32_t>(p.height));
    PutBE16(o, 1);
    PutBE16(o, 1);
    PutBE32(o, 1u | (opt.channels == 4 ? 2u : 0u) | (opt.depthTiles ? 4u : 0u));
    PutBE16(o, 0);
    PutBE16(o, static_cast<uint32_t>(tilesX * tilesY));
    PutBE32(o, compression);
    if (opt.extraChunks) extra("AUTH", "tarn");

    const size_t group = o.size();
    PutTag(o, "FOR4");
    PutBE32(o, 0);  // patched
    PutTag(o, "TBMP");
    int order[4];
    IffChannelOrder(opt.channels, order);
    for (int ty = 0; ty < tilesY; ++ty) {
        for (int tx = 0; tx < tilesX; ++tx) {
            const int x1 = tx * opt.tileWidth;
            const int y1 = ty * opt.tileHeight;  // from the bottom
            const int x2 = std::min(p.width, x1 + opt.tileWidth) - 1;
            const int y2 = std::min(p.height, y1 + opt.tileHeight) - 1;
            const int w = x2 - x1 + 1;
            const int h = y2 - y1 + 1;
            std::vector<uint8_t> raw;
            std::vector<std::vector<uint8_t>> planes(opt.channels, std::vector<uint8_t>(static_cast<size_t>(w) * h));
            for (int j = 0; j < h; ++j) {
                const int rowFromTop = p.height - 1 - (y1 + j);
                for (int i = 0; i < w; ++i) {
                    const uint8_t* px = p.At(x1 + i, rowFromTop);
                    for (int k = 0; k < opt.channels; ++k) {
                        raw.push_back(px[order[k]]);
                        planes[k][static_cast<size_t>(j) * w + i] = px[order[k]];
                    }
                }
            }
            std::vector<uint8_t> body = raw;
            if (opt.runLength) {
                std::vector<uint8_t> coded;
                for (auto& plane : planes) IffRlePlane(plane.data(), plane.size(), coded);
                if (coded.size() < raw.size()) body = coded;
            }
            PutTag(o, "RGBA");
            PutBE32(o, static_cast<uint32_t>(8 + body.size()));
            PutBE16(o, x1);
            PutBE16(o, y1);
            PutBE16(o, x2);
            PutBE16(o, y2);
            o.insert(o.end(), body.begin(), body.end());
            IffPad(o);
            if (opt.depthTiles) {
                PutTag(o, "ZBUF");
                PutBE32(o, static_cast<uint32_t>(8 + 4 * w * h));
                PutBE16(o, x1);
                PutBE16(o, y1);
                PutBE16(o, x2);
                PutBE16(o, y2);
                o.insert(o.end(), static_cast<size_t>(4) * w * h, 0x3F);
            }
        }
    }
    SetBE32(o, group + 4, static_cast<uint32_t>(o.size() - group - 12));
    SetBE32(o, 4, static_cast<uint32_t>(o.size() - 12));
    return o;
}

// What a decoder should give for a picture stored with channels channels:
// B, G, R (, A) bytes of the picture's row rowFromTop, column x.
inline void ExpectedBgra(const SPicture& p, int x, int rowFromTop, int channels, uint8_t out[4]) {
    const uint8_t* px = p.At(x, rowFromTop);
    out[0] = px[2];
    out[1] = px[1];
    out[2] = px[0];
    out[3] = channels == 4 ? px[3] : 0;
}

}  // namespace brush_images
