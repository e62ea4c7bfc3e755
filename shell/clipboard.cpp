#include "shell/clipboard.h"

#include <cstring>
#include <vector>

#include "platform/clipboard_dib.h"
#include "platform/dib_format.h"
#include "platform/offscreen.h"

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

}  // namespace

CPOffscreen* ReadClipboardImage() {
    std::vector<uint8_t> dib;
    if (!PlatformReadClipboardDib(dib) || dib.size() < sizeof(SBitmapInfoHeader)) return nullptr;
    SBitmapInfoHeader header;
    std::memcpy(&header, dib.data(), sizeof header);
    if (header.biBitCount < 24) return nullptr;
    // Masked rows read as plain ones (the usual masks are assumed): the
    // three masks after a 40-byte header go; longer headers hold them inside.
    if (header.biCompression == kBiBitfields && header.biBitCount == 32) {
        if (header.biSize == 40) {
            if (dib.size() < 52) return nullptr;
            dib.erase(dib.begin() + 40, dib.begin() + 52);
        }
        header.biCompression = kBiRgb;
        std::memcpy(dib.data(), &header, sizeof header);
    }
    SPackedDibView view;
    if (!ParsePackedDib(dib.data(), dib.size(), &view) || view.bitsPerPixel < 24) return nullptr;
    CPOffscreen* image = new CPOffscreen();
    if (!image->Create(view.width, view.height, view.bitsPerPixel, view.topDown, true)) {
        delete image;
        return nullptr;
    }
    // Rows in memory order, each into the same memory row of the surface.
    const int rowBytes = DibRowStride(view.bitsPerPixel, view.width);
    for (int row = 0; row < view.height; ++row) {
        std::memcpy(image->Pixels() + static_cast<size_t>(row) * image->RowStride(),
                    view.rows + static_cast<size_t>(row) * view.rowStride, static_cast<size_t>(rowBytes));
    }
    return image;
}

void WriteClipboardImage(const CPOffscreen& canvas) {
    if (!canvas.Valid() || canvas.BitsPerPixel() < 24 || !canvas.Pixels()) return;
    const int rowBytes = DibRowStride(canvas.BitsPerPixel(), canvas.Width());
    std::vector<uint8_t> dib(sizeof(SBitmapInfoHeader) + static_cast<size_t>(canvas.Height()) * rowBytes);
    SBitmapInfoHeader header{};
    header.biSize = 40;
    header.biWidth = canvas.Width();
    header.biHeight = canvas.TopDown() ? -canvas.Height() : canvas.Height();
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(canvas.BitsPerPixel());
    header.biCompression = kBiRgb;
    std::memcpy(dib.data(), &header, sizeof header);
    for (int row = 0; row < canvas.Height(); ++row) {
        std::memcpy(dib.data() + sizeof header + static_cast<size_t>(row) * rowBytes,
                    canvas.Pixels() + static_cast<size_t>(row) * canvas.RowStride(), static_cast<size_t>(rowBytes));
    }
    PlatformWriteClipboardDib(dib);
}
