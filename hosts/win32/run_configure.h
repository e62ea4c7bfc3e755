// The settings mode of the saver: /c, /c:HWND and a bare start.
#pragma once

#include "platform/native.h"

// Shows the settings dialog owned by owner (null: no owner) and returns
// when it closes; the process's exit code.
int RunConfigure(NativeWindow owner);
