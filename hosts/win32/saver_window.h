// The saver's windows: the full-screen window over every monitor, or the
// preview child inside a window the system hands in, each with its message
// loop; every message goes to ScreenSaverProc first.
#pragma once

#include <windows.h>

// The full-screen saver. When one already runs, it is brought to the front
// and this call ends at once. Returns the process's exit code.
int RunFullScreenSaver(HINSTANCE instance);
// The preview inside parent's client area, until parent goes away.
int RunPreviewSaver(HINSTANCE instance, HWND parent);
