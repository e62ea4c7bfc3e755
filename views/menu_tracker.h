// A pop-up menu drawn by the toolkit itself, for backends without native
// menus: each level in a window the host provides, submenus for parent
// items, highlight under the pointer, keys Up, Down, Right, Left, Return
// and Escape.
#pragma once

#include <cstdint>

#include "platform/native.h"

class CPopMenuModel;

// The command id chosen, 0 for none. (x, y) in screen coordinates.
int32_t TrackToolkitMenu(const CPopMenuModel& model, int32_t x, int32_t y, int32_t alignment, NativeWindow owner);

// The size of one menu item row and the menu's width for the model's
// items under parent, at a scale (for tests and hosts).
struct SMenuMetrics {
    int32_t rowHeight = 18;
    int32_t width = 0;
    int32_t rows = 0;
};
SMenuMetrics MeasureMenuLevel(const CPopMenuModel& model, int32_t parentId);
