#include "hosts/common/picture_file.h"

#if __has_include(<zlib.h>)
#include <zlib.h>
#define TF_HAVE_ZLIB 1
#endif

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/offscreen.h"

namespace {

#ifdef TF_HAVE_ZLIB
void Put32BE(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
#endif

void Put32LE(std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void Put16LE(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

#ifdef TF_HAVE_ZLIB
void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32BE(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
    Put32BE(out, crc);
}

// What a user sees is opaque: the picture's alpha byte is the engine's own
// bookkeeping, so the file is plain RGB.
bool EncodePng(const CPOffscreen& s, std::vector<uint8_t>& out) {
    const int w = s.Width(), h = s.Height(), bytes = s.BitsPerPixel() / 8;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(h) * (1 + 3 * w));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        const uint8_t* row = s.Row(y);
        for (int x = 0; x < w; ++x) {
            raw.push_back(row[x * bytes + 2]);
            raw.push_back(row[x * bytes + 1]);
            raw.push_back(row[x * bytes + 0]);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    packed.resize(packedSize);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.assign(signature, signature + 8);
    std::vector<uint8_t> header;
    Put32BE(header, static_cast<uint32_t>(w));
    Put32BE(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return true;
}

#else
// A build without zlib (the Windows renderer) writes .bmp pictures only.
bool EncodePng(const CPOffscreen&, std::vector<uint8_t>&) { return false; }
#endif

void EncodeBmp(const CPOffscreen& s, std::vector<uint8_t>& out) {
    const int w = s.Width(), h = s.Height(), bytes = s.BitsPerPixel() / 8;
    const uint32_t stride = static_cast<uint32_t>((24 * w + 31) / 32 * 4);
    const uint32_t imageSize = stride * static_cast<uint32_t>(h);
    out.clear();
    out.push_back('B');
    out.push_back('M');
    Put32LE(out, 54 + imageSize);
    Put32LE(out, 0);
    Put32LE(out, 54);
    Put32LE(out, 40);
    Put32LE(out, static_cast<uint32_t>(w));
    Put32LE(out, static_cast<uint32_t>(h));
    Put16LE(out, 1);
    Put16LE(out, 24);
    Put32LE(out, 0);
    Put32LE(out, imageSize);
    Put32LE(out, 2835);
    Put32LE(out, 2835);
    Put32LE(out, 0);
    Put32LE(out, 0);
    for (int y = h - 1; y >= 0; --y) {  // bottom row first
        const uint8_t* row = s.Row(y);
        for (int x = 0; x < w; ++x) out.insert(out.end(), row + x * bytes, row + x * bytes + 3);
        out.insert(out.end(), stride - 3 * w, 0);
    }
}

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t k = 0; k < n; ++k) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + k])) != suffix[k]) return false;
    }
    return true;
}

}  // namespace

bool EncodePicture(const CPOffscreen& surface, PictureFormat format, std::vector<uint8_t>& data) {
    if (!surface.Valid() || surface.BitsPerPixel() < 24) return false;
    if (format == PictureFormat::kBmp) {
        EncodeBmp(surface, data);
        return true;
    }
    return EncodePng(surface, data);
}

bool WritePictureFile(const CPOffscreen& surface, const std::string& path, std::string& error) {
    if (!surface.Valid() || surface.BitsPerPixel() < 24) {
        error = "no picture to write";
        return false;
    }
    std::vector<uint8_t> data;
    if (!EncodePicture(surface, EndsWith(path, ".bmp") ? PictureFormat::kBmp : PictureFormat::kPng, data)) {
        error = "cannot compress the picture (a .bmp file can always be written)";
        return false;
    }
    const std::string aside = path + ".tmp";
    FILE* f = std::fopen(aside.c_str(), "wb");
    if (!f) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(aside.c_str(), path.c_str()) != 0) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        std::remove(aside.c_str());
        return false;
    }
    return true;
}
