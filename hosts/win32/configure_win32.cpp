#include "hosts/win32/configure_win32.h"

#include <windows.h>

#include "shell/config_panel.h"

int RunConfigure(NativeWindow owner) {
    // The module holds dialog 2003, layout 128 and string 1010.
    HMODULE module = GetModuleHandleA(nullptr);
    const intptr_t result = ShowConfigureDialog(module, owner);
    return result < 0 ? 1 : 0;
}
