// The settings mode of the .scr: dialog 2003 with the settings panel.
#pragma once

#include "platform/native.h"

// Shows the settings dialog owned by owner (none: no owner) and returns the
// process's exit code when it closes.
int RunConfigure(NativeWindow owner);
