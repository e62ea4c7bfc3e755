#include "views/pop_menu_model.h"

#include <cstring>

#include "platform/window_ops.h"
#include "views/menu_tracker.h"

bool CPopMenuModel::AddItem(const char* text, int32_t commandId, int32_t parentId, int32_t flags) {
    SPopMenuItem item{};
    const int32_t n = text::Length(text);
    const int32_t kept = n < 63 ? n : 63;
    if (kept > 0) std::memcpy(item.text, text, static_cast<size_t>(kept));
    item.text[kept] = 0;
    item.flags = flags;
    item.commandId = commandId;
    item.parentId = parentId;
    return items_.Append(item);
}

const SPopMenuItem* CPopMenuModel::Find(int32_t commandId) const {
    for (const SPopMenuItem& item : items_)
        if (item.commandId == commandId) return &item;
    return nullptr;
}

bool CPopMenuModel::IsParent(int32_t commandId) const {
    if (commandId == 0) return false;
    for (const SPopMenuItem& item : items_)
        if (item.parentId == commandId) return true;
    return false;
}

namespace {

// The native menu of the items under parent; depth is bounded so a parent
// cycle in the model cannot recurse for ever.
void* BuildNative(const CPopMenuModel& model, int32_t parent, int32_t depth) {
    void* menu = PlatformMenuCreate();
    if (!menu) return nullptr;
    for (int32_t i = 0; i < model.Count(); ++i) {
        const SPopMenuItem& item = model.Item(i);
        if (item.parentId != parent) continue;
        void* sub = nullptr;
        if (depth < 16 && model.IsParent(item.commandId) && item.commandId != parent)
            sub = BuildNative(model, item.commandId, depth + 1);
        if (!PlatformMenuAppend(menu, item.text, item.commandId, sub, (item.flags & kMenuItemDisabled) != 0) && sub)
            PlatformMenuDestroy(sub);
    }
    return menu;
}

}  // namespace

int32_t CPopMenuModel::Track(int32_t x, int32_t y, int32_t alignment, NativeWindow owner) const {
    if (items_.Count() == 0) return 0;
    if (!PlatformNativeMenus()) return TrackToolkitMenu(*this, x, y, alignment, owner);
    void* menu = BuildNative(*this, 0, 0);
    if (!menu) return 0;
    const int32_t chosen = PlatformMenuTrack(menu, x, y, alignment, owner);
    PlatformMenuDestroy(menu);  // submenus go with it
    return chosen;
}
