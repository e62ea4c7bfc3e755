// The model of a pop-up menu: a flat list of items, each under a parent
// item (0: the top level); an item that is some item's parent is a submenu.
#pragma once

#include <cstdint>

#include "platform/native.h"
#include "platform/strings.h"
#include "platform/tt_array.h"

struct SPopMenuItem {
    char text[64];  // at most 63 bytes and the terminator
    int32_t flags;
    int32_t commandId;
    int32_t parentId;
};

enum : int32_t { kMenuItemDisabled = 1 };

class CPopMenuModel {
public:
    CPopMenuModel() = default;
    CPopMenuModel(const CPopMenuModel&) = delete;
    CPopMenuModel& operator=(const CPopMenuModel&) = delete;
    virtual ~CPopMenuModel() = default;

    // Text longer than 63 bytes is cut.
    bool AddItem(const char* text, int32_t commandId, int32_t parentId, int32_t flags = 0);
    void Clear() { items_.Clear(); }
    int32_t Count() const { return items_.Count(); }
    const SPopMenuItem& Item(int32_t index) const { return items_[index]; }
    // The item with that command id, or null.
    const SPopMenuItem* Find(int32_t commandId) const;
    // True when some item lists commandId as its parent.
    bool IsParent(int32_t commandId) const;
    // Shows the menu at (x, y) in screen coordinates; the chosen command id or 0.
    int32_t Track(int32_t x, int32_t y, int32_t alignment, NativeWindow owner) const;

private:
    TTArray<SPopMenuItem> items_{16};
};
