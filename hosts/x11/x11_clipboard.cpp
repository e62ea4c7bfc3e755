#include "hosts/x11/x11_clipboard.h"

#include <cstring>
#include <string>

#include "hosts/common/picture_file.h"
#include "hosts/common/png_reader.h"
#include "platform/dib_format.h"
#include "platform/offscreen.h"
#include "platform/posix/host_window.h"
#include "platform/x11/x11_selection.h"

namespace {

constexpr int kReadTimeoutMs = 1000;
constexpr const char* kSelection = "CLIPBOARD";

// A top-down 32-bit surface as a packed DIB of the same rows.
void SurfaceToDib(const CPOffscreen& s, std::vector<uint8_t>& dib) {
    const int stride = DibRowStride(32, s.Width());
    dib.assign(sizeof(SBitmapInfoHeader) + static_cast<size_t>(stride) * s.Height(), 0);
    SBitmapInfoHeader header{};
    header.biSize = 40;
    header.biWidth = s.Width();
    header.biHeight = -s.Height();
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::memcpy(dib.data(), &header, sizeof header);
    for (int y = 0; y < s.Height(); ++y) {
        std::memcpy(dib.data() + sizeof header + static_cast<size_t>(y) * stride, s.Row(y),
                    static_cast<size_t>(s.Width()) * 4);
    }
}

}  // namespace

bool ReadX11ClipboardDib(std::vector<uint8_t>& dib) {
    std::vector<uint8_t> data;
    std::string chosen;
    if (!ReadSelection(kSelection, {"image/bmp", "image/png"}, kReadTimeoutMs, data, chosen)) return false;
    // What arrived decides, not the name it came under.
    if (data.size() > kBitmapFileHeaderSize && data[0] == 'B' && data[1] == 'M') {
        // A .bmp file: the packed DIB follows the 14-byte file header.
        dib.assign(data.begin() + kBitmapFileHeaderSize, data.end());
        return true;
    }
    CPOffscreen picture;
    if (!ReadPng(data.data(), data.size(), picture)) return false;
    SurfaceToDib(picture, dib);
    return true;
}

bool WriteX11ClipboardDib(const std::vector<uint8_t>& dib) {
    SPackedDibView view;
    if (!ParsePackedDib(dib.data(), dib.size(), &view)) return false;
    CPOffscreen picture;
    if (!picture.CreateFromPackedDib(view, true, true)) return false;
    std::vector<SSelectionOffer> offers(2);
    offers[0].target = "image/png";
    offers[1].target = "image/bmp";
    if (!EncodePicture(picture, PictureFormat::kPng, offers[0].data) ||
        !EncodePicture(picture, PictureFormat::kBmp, offers[1].data)) {
        return false;
    }
    return ServeSelectionInBackground(kSelection, std::move(offers));
}

void InstallX11Clipboard() {
    PosixServices().readClipboard = ReadX11ClipboardDib;
    PosixServices().writeClipboard = WriteX11ClipboardDib;
}
