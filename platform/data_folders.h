// Where an installed program keeps its data and a user's settings when the
// program's own folder is not theirs to write.
#pragma once

#include <string>

// True when files can be created in folder.
bool PlatformFolderWritable(const std::string& folder);
// The user's own settings folder for the program, with a trailing
// separator: $XDG_CONFIG_HOME/tarn-flourish/ (~/.config when unset) on
// POSIX, %APPDATA%\Tarn Flourish\ on Windows. Empty when there is none.
std::string PlatformUserSettingsFolder();
// Makes folder and its missing parents; true when it exists afterwards.
bool PlatformMakeFolders(const std::string& folder);
// The installed data folder (../share/tarn-flourish/ from the program when
// there is one, else the compiled <prefix>/share/tarn-flourish/ on POSIX), with
// a trailing separator; empty where programs carry their data beside them.
std::string PlatformInstalledDataFolder();
