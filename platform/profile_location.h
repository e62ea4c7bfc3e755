// Where the settings profile lives: beside the program when that folder is
// writable, else in the user's own settings folder (%APPDATA%\Tarn Flourish
// on Windows, $XDG_CONFIG_HOME/tarn-flourish on Linux), made when missing.
#pragma once

// The full path of the profile fileName; returns the length written to out,
// 0 when no location can be had.
int PlatformProfilePath(const char* fileName, char* out, int capacity);
