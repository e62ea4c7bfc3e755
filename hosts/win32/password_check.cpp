#include "hosts/win32/password_check.h"

#include <cstdlib>

namespace {

constexpr DWORD kCheckInterval = 200;  // ms between two password checks

bool UserWantsPassword() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    BYTE value[64] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    bool on = false;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type, value, &size) == ERROR_SUCCESS) {
        // Windows 95 wrote it as a number, later setups as text.
        if (type == REG_SZ) {
            on = std::atoi(reinterpret_cast<const char*>(value)) != 0;
        } else {
            for (DWORD i = 0; i < size; ++i) on = on || value[i] != 0;
        }
    }
    RegCloseKey(key);
    return on;
}

}  // namespace

bool IsWindows9xFamily() {
    // The high bit of GetVersion is set on the 95/98 family only.
    return (GetVersion() & 0x80000000u) != 0;
}

CPasswordCheck::CPasswordCheck() {
    if (!IsWindows9xFamily() || !UserWantsPassword()) return;
    library_ = LoadLibraryA("PASSWORD.CPL");
    if (!library_) return;
    verify_ = reinterpret_cast<VerifyProc>(reinterpret_cast<void*>(GetProcAddress(library_, "VerifyScreenSavePwd")));
    if (!verify_) {
        FreeLibrary(library_);
        library_ = nullptr;
        return;
    }
    // Ctrl+Alt+Del and task switching stay off while the password guards the screen.
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0);
}

CPasswordCheck::~CPasswordCheck() {
    if (!library_) return;
    BOOL previous;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0);
    FreeLibrary(library_);
}

bool CPasswordCheck::MayClose(HWND window) {
    if (!verify_) return true;
    if (checking_) return false;
    const DWORD now = GetTickCount();
    if (checkedOnce_ && now - lastCheck_ < kCheckInterval) return false;
    // Frames queued while the dialog is up would all run at once after it.
    MSG pending;
    while (PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD)) {
    }
    checking_ = true;
    const bool ok = verify_(window) != FALSE;
    checking_ = false;
    lastCheck_ = GetTickCount();
    checkedOnce_ = true;
    return ok;
}

void ChangeSaverPassword(HWND owner) {
    if (!IsWindows9xFamily()) return;
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (!mpr) return;
    using ChangeProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    if (auto change = reinterpret_cast<ChangeProc>(
            reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")))) {
        change("SCRSAVE", owner, 0, 0);
    }
    FreeLibrary(mpr);
}
