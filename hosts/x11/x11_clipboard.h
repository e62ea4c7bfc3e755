// The clipboard on X11: the CLIPBOARD selection as image/bmp or image/png,
// behind the platform's packed-DIB exchange.
#pragma once

#include <cstdint>
#include <vector>

// Installs the exchange in the platform layer for this process.
void InstallX11Clipboard();

// The two directions, for tests: the clipboard's picture as a packed DIB,
// and a packed DIB put on the clipboard (served after the program ends).
bool ReadX11ClipboardDib(std::vector<uint8_t>& dib);
bool WriteX11ClipboardDib(const std::vector<uint8_t>& dib);
