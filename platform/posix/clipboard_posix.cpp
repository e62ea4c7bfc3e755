// Without a window system there is no clipboard: no picture comes in and
// none goes out.
#include "platform/clipboard.h"

CPOffscreen* PlatformReadClipboardImage() { return nullptr; }

bool PlatformWriteClipboardImage(const CPOffscreen&) { return false; }
