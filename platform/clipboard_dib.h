// The system clipboard's picture as a packed DIB (the CF_DIB layout: the
// 40-byte header, three masks for BI_BITFIELDS, the rows). Each backend
// moves the bytes; the shell turns them into surfaces and back.
#pragma once

#include <cstdint>
#include <vector>

// False when the clipboard holds no picture or cannot be reached.
bool PlatformReadClipboardDib(std::vector<uint8_t>& dib);
// False when the clipboard was left as it was.
bool PlatformWriteClipboardDib(const std::vector<uint8_t>& dib);
