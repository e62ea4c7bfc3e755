// The settings panel: dialog 2003 with the view toolkit's panel built from
// layout text 128 inside it. Every change is saved to the profile at once
// and the value texts follow the profile.
#pragma once

#include <cstdint>
#include <string>

#include "platform/native.h"

class CPWindow;

// The dialog procedure of dialog 2003.
intptr_t ScreenSaverConfigureDialog(NativeWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Shows dialog 2003 owned by owner (or none) and returns when it closes.
intptr_t ShowConfigureDialog(NativeModule module, NativeWindow owner);

// The panel's toolkit window while the dialog is up (for tests and hosts).
CPWindow* PanelWindow();

// Menu item ids of the panel's menus.
constexpr int32_t kGetMoreItemId = 9009;
constexpr int32_t kPanelCloseId = 1019;
constexpr int32_t kPanelHelpId = 9;
constexpr int32_t kPanelGetMoreId = 104;

// The notification box: OK continues, Cancel silences the rest of the run.
void PanelNotify(const char* text);
void InstallNotifyBox();
// Back to the start of a run (notifications on, no panel).
void ResetPanelForTests();

// Where Help and Get More lead: Help.html in TARN_FL_DOC beside the
// program or in a parent folder, and the presets folder. Empty when missing.
std::string HelpPagePath();
std::string GetMoreTarget();
