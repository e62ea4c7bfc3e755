// The hack's settings file for xscreensaver's own settings dialog: the
// daemon's XML format, its controls mapped onto the saver's run options.
#pragma once

#include <string>

// The file's text, with a choice of every preset under presetsFolder
// (category/name.vbr). False when the folder cannot be read.
bool XScreenSaverConfig(const std::string& presetsFolder, std::string& xml);
