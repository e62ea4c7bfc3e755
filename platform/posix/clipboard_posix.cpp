// The clipboard on POSIX is the host's: the X11 host installs its
// selection exchange, the headless host has none.
#include "platform/clipboard_dib.h"
#include "platform/posix/host_window.h"

bool PlatformReadClipboardDib(std::vector<uint8_t>& dib) {
    return PosixServices().readClipboard && PosixServices().readClipboard(dib);
}

bool PlatformWriteClipboardDib(const std::vector<uint8_t>& dib) {
    return PosixServices().writeClipboard && PosixServices().writeClipboard(dib);
}
