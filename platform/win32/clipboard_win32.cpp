// The clipboard picture as CF_DIB: a global memory block holding a packed
// DIB, read as it is and written without emptying the clipboard first.
#include <windows.h>

#include <cstdint>

#include "platform/clipboard.h"
#include "platform/dib_block.h"
#include "platform/offscreen.h"

CPOffscreen* PlatformReadClipboardImage() {
    if (!OpenClipboard(nullptr)) return nullptr;
    CPOffscreen* surface = nullptr;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        if (const void* bytes = GlobalLock(data)) {
            // The block's own size bounds every read of it.
            surface = SurfaceFromDibBlock(static_cast<const uint8_t*>(bytes), GlobalSize(data), true);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return surface;
}

bool PlatformWriteClipboardImage(const CPOffscreen& surface) {
    const size_t size = DibBlockSize(surface);
    if (size == 0 || !OpenClipboard(nullptr)) return false;
    bool done = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size)) {
        void* bytes = GlobalLock(block);
        const bool written = bytes && WriteDibBlock(surface, static_cast<uint8_t*>(bytes), size);
        if (bytes) GlobalUnlock(block);
        // From here the clipboard owns the block.
        done = written && SetClipboardData(CF_DIB, block) != nullptr;
        if (!done) GlobalFree(block);
    }
    CloseClipboard();
    return done;
}
