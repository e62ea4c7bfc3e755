// The picture exchange with the system clipboard, as a packed DIB.
#pragma once

class CPOffscreen;

// The clipboard's picture as a new surface (24 bits or more), or null.
CPOffscreen* ReadClipboardImage();
// Puts the canvas on the clipboard; a failure leaves the clipboard as it was.
void WriteClipboardImage(const CPOffscreen& canvas);
