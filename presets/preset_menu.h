// BuildPresetMenu: the categories and presets under the presets folder as
// the items of a pop-up menu, ready for the settings panel's menu model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/strings.h"

// One menu item, laid out like the toolkit's pop-up menu item.
struct SPresetMenuItem {
    CString64 text;         // the entry's file name, extension included
    int32_t flags = 0;
    int32_t commandId = 0;  // 1, 2, 3 ... over categories and presets together
    int32_t parentId = 0;   // the category's command id; 0 at the top level
};

constexpr int32_t kPresetMenuNoneId = 9999;  // the item "None"

// Walks presetsFolder: each folder (except ~brushImages in any case) becomes
// an item under the folder that holds it, each file with the extension vbr
// (any case) an item under its folder; other files are left out. With
// withNone the list starts with "None" (kPresetMenuNoneId, parent 0).
// Items come in the order the file system gives the entries.
std::vector<SPresetMenuItem> BuildPresetMenu(const std::string& presetsFolder, bool withNone);
