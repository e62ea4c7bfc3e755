// The system clipboard's picture, for the Clipboard background and for
// SaveToClip. Each backend exchanges it in the system's own way (CF_DIB on
// Windows).
#pragma once

class CPOffscreen;

// The clipboard's picture as a new surface of 24 or 32 bits (the caller
// owns it), or null when there is none or it cannot be read.
CPOffscreen* PlatformReadClipboardImage();
// Puts a 24- or 32-bit surface on the clipboard; false, with the clipboard
// left as it was, when that fails.
bool PlatformWriteClipboardImage(const CPOffscreen& surface);
