// The clipboard's side of the saver's tests under Wine.
//   clip_tool put W H BITS   puts a W x H CF_DIB of 24 or 8 bits (one colour,
//                            RGB 250 40 200), then stays running: Wine empties
//                            the clipboard when its last program ends
//   clip_tool hold           only stays running
//   clip_tool check W H [OUT.bmp]   exit 0 when the clipboard holds a 32-bit
//                            bottom-up BI_RGB CF_DIB of W x H that is not all
//                            black, and writes it to OUT.bmp
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void StayRunning() {
    for (int i = 0; i < 300; ++i) Sleep(1000);
}

int Put(int width, int height, int bits) {
    const int stride = ((width * bits + 31) / 32) * 4;
    const int colours = bits <= 8 ? 256 : 0;
    const size_t size = 40 + 4 * colours + static_cast<size_t>(stride) * height;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    if (!bytes) return 1;
    std::memset(bytes, 0, size);
    BITMAPINFOHEADER h = {};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    h.biClrUsed = colours;
    std::memcpy(bytes, &h, 40);
    uint8_t* table = bytes + 40;
    for (int i = 0; i < colours; ++i) {
        table[4 * i] = 200;
        table[4 * i + 1] = 40;
        table[4 * i + 2] = 250;
    }
    uint8_t* rows = table + 4 * colours;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = rows + y * stride + x * (bits / 8 ? bits / 8 : 1);
            if (bits == 24) {
                p[0] = 200;
                p[1] = 40;
                p[2] = 250;
            } else {
                p[0] = 7;  // any entry: all are the same colour
            }
        }
    }
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) return 1;
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_DIB, block) != nullptr;
    CloseClipboard();
    std::printf("clip_tool: put a %dx%d %d-bit CF_DIB: %s\n", width, height, bits, ok ? "ok" : "failed");
    std::fflush(stdout);
    if (!ok) return 1;
    StayRunning();
    return 0;
}

int Check(int width, int height, const char* out) {
    if (!OpenClipboard(nullptr)) return 1;
    int result = 1;
    HANDLE data = GetClipboardData(CF_DIB);
    const auto* bytes = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
    if (!bytes) {
        std::printf("clip_tool: no CF_DIB on the clipboard\n");
    } else {
        BITMAPINFOHEADER h;
        std::memcpy(&h, bytes, sizeof h);
        const size_t size = GlobalSize(data);
        const size_t rows = static_cast<size_t>(width) * 4 * height;
        std::printf("clip_tool: CF_DIB %ldx%ld, %d bits, compression %lu, %zu bytes\n", h.biWidth, h.biHeight,
                    h.biBitCount, h.biCompression, size);
        size_t lit = 0;
        if (h.biSize == 40 && h.biWidth == width && h.biHeight == height && h.biBitCount == 32 &&
            h.biCompression == BI_RGB && size >= 40 + rows) {
            for (size_t i = 0; i < rows; i += 4) lit += (bytes[40 + i] | bytes[41 + i] | bytes[42 + i]) != 0;
            std::printf("clip_tool: %zu of %d pixels not black\n", lit, width * height);
            result = lit > static_cast<size_t>(width) * height / 100 ? 0 : 1;
            if (out) {
                if (FILE* f = std::fopen(out, "wb")) {
                    const uint32_t fileSize = static_cast<uint32_t>(14 + 40 + rows);
                    const uint32_t offset = 54, zero = 0;
                    std::fwrite("BM", 1, 2, f);
                    std::fwrite(&fileSize, 4, 1, f);
                    std::fwrite(&zero, 4, 1, f);
                    std::fwrite(&offset, 4, 1, f);
                    std::fwrite(bytes, 1, 40 + rows, f);
                    std::fclose(f);
                }
            }
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "put") == 0) return Put(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 2 && std::strcmp(argv[1], "hold") == 0) {
        StayRunning();
        return 0;
    }
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "check") == 0)
        return Check(std::atoi(argv[2]), std::atoi(argv[3]), argc == 5 ? argv[4] : nullptr);
    std::fprintf(stderr, "usage: clip_tool put W H BITS | hold | check W H [OUT.bmp]\n");
    return 2;
}
