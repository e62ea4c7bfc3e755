// The screen saver password of the Windows 95/98 family: PASSWORD.CPL checks
// it before the saver may close, MPR.DLL changes it. The NT family keeps the
// password in the logon session instead, so there every call here does
// nothing and closing is always allowed.
#pragma once

#include <windows.h>

// True on Windows 95, 98 and Me.
bool IsWindows9xFamily();

class CPasswordCheck {
public:
    // Loads PASSWORD.CPL when the user asked for a password
    // ("ScreenSaveUsePassword" in "Control Panel\Desktop"), and then tells
    // the system that a saver is running.
    CPasswordCheck();
    ~CPasswordCheck();
    CPasswordCheck(const CPasswordCheck&) = delete;
    CPasswordCheck& operator=(const CPasswordCheck&) = delete;

    bool Active() const { return verify_ != nullptr; }
    // May the window close now? Asks VerifyScreenSavePwd at most every 200 ms
    // with the window's pending frame timers removed; true without a check.
    bool MayClose(HWND window);

private:
    using VerifyProc = BOOL(WINAPI*)(HWND);
    HMODULE library_ = nullptr;
    VerifyProc verify_ = nullptr;
    bool checking_ = false;
    DWORD lastCheck_ = 0;
    bool checkedOnce_ = false;
};

// The /a mode: PwdChangePasswordA("SCRSAVE", owner) of MPR.DLL on the 95/98
// family; nothing elsewhere.
void ChangeSaverPassword(HWND owner);
