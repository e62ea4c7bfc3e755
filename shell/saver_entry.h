// The saver's entry point, called by every host with the window's messages
// (erase background, timer, destroy keep their Windows numbers), and the
// host's default processing that it hands everything else to.
#pragma once

#include <cstdint>

#include "platform/native.h"

intptr_t ScreenSaverProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Implemented by each host: what the host does with a message the saver
// passes on (DefScreenSaverProc on Windows; nothing on the headless host).
intptr_t DefScreenSaverProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
