// The clipboard's CF_DIB, moved as bytes; the clipboard owns a block once
// it is set.
#include <windows.h>

#include <cstring>

#include "platform/clipboard_dib.h"

bool PlatformReadClipboardDib(std::vector<uint8_t>& dib) {
    if (!OpenClipboard(nullptr)) return false;
    bool read = false;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        if (const void* bytes = GlobalLock(data)) {
            const SIZE_T size = GlobalSize(data);
            const uint8_t* from = static_cast<const uint8_t*>(bytes);
            dib.assign(from, from + size);
            read = size > 0;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return read;
}

bool PlatformWriteClipboardDib(const std::vector<uint8_t>& dib) {
    if (dib.empty() || !OpenClipboard(nullptr)) return false;
    bool written = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, dib.size())) {
        if (void* to = GlobalLock(block)) {
            std::memcpy(to, dib.data(), dib.size());
            GlobalUnlock(block);
            written = SetClipboardData(CF_DIB, block) != nullptr;
        }
        if (!written) GlobalFree(block);
    }
    CloseClipboard();
    return written;
}
