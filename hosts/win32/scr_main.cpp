// TarnFlourish.scr: the Windows screen saver host. The command line picks
// the mode: full screen, the preview inside a window of the system's
// settings page, the settings dialog, or the password change.
#include <windows.h>

#include "hosts/win32/password_check.h"
#include "hosts/win32/configure_win32.h"
#include "hosts/win32/saver_window.h"
#include "shell/saver_command_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const SSaverCommand command = ParseSaverCommandLine(commandLine);
    HWND window = reinterpret_cast<HWND>(command.window);
    switch (command.mode) {
        case TSaverMode::FullScreen:
            return RunFullScreenSaver(instance);
        case TSaverMode::Preview:
            return RunPreviewSaver(instance, window);
        case TSaverMode::Configure:
            return RunConfigure(window && IsWindow(window) ? window : GetForegroundWindow());
        case TSaverMode::ConfigureAlone:
            return RunConfigure(nullptr);
        case TSaverMode::Password:
            ChangeSaverPassword(window);
            return 0;
    }
    return 0;
}
