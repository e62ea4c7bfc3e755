// The saver's entry point, called by every host with the window's messages
// (erase background, timer, destroy keep their Windows numbers), and the
// host's default processing that it hands everything else to.
#pragma once

#include <cstdint>

#include "platform/native.h"

intptr_t ScreenSaverProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// What the host does with a message the saver passes on (the screen saver
// library's default processing on Windows). A host installs it before the
// first message; without one, passed-on messages answer 0.
using SaverDefaultProc = intptr_t (*)(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void SetSaverDefaultProc(SaverDefaultProc proc);
