// `tarn-flourish --settings`: the settings panel in a window of its own on
// the X display, its pop-up menus as override-redirect windows.
#pragma once

// Answers the exit status: 0 when the panel ran and closed, 1 when the
// display or the dialog could not be opened.
int RunX11Settings();
