#include "shell/clipboard.h"

#include "platform/clipboard.h"
#include "platform/offscreen.h"

CPOffscreen* ReadClipboardImage() { return PlatformReadClipboardImage(); }

void WriteClipboardImage(const CPOffscreen& canvas) {
    if (canvas.BitsPerPixel() >= 24) PlatformWriteClipboardImage(canvas);
}
