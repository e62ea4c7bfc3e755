#include "shell/clipboard.h"

#include <vector>

#include "platform/clipboard_dib.h"
#include "platform/dib_block.h"
#include "platform/offscreen.h"

CPOffscreen* ReadClipboardImage() {
    std::vector<uint8_t> dib;
    if (!PlatformReadClipboardDib(dib)) return nullptr;
    // The block comes from another program: the reader checks every size
    // against it and refuses anything but 24 or 32 bits.
    return SurfaceFromDibBlock(dib.data(), dib.size(), true);
}

void WriteClipboardImage(const CPOffscreen& canvas) {
    const size_t size = DibBlockSize(canvas);
    if (size == 0) return;
    std::vector<uint8_t> dib(size);
    if (WriteDibBlock(canvas, dib.data(), dib.size())) PlatformWriteClipboardDib(dib);
}
