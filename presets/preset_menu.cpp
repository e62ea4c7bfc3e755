#include "presets/preset_menu.h"

#include "platform/file_spec.h"
#include "presets/folder_walk.h"
#include "presets/preset_catalogue.h"

namespace {

struct MenuBuild {
    std::vector<SPresetMenuItem>* items = nullptr;
    int32_t nextId = 0;
    // The command ids of the folders entered, innermost last; the parent of
    // a new item is the innermost one (0 at the top).
    std::vector<int32_t> parents;
};

int32_t Parent(const MenuBuild& build) { return build.parents.empty() ? 0 : build.parents.back(); }

void Add(MenuBuild& build, const char* text) {
    SPresetMenuItem item;
    item.text.Set(text);
    item.commandId = ++build.nextId;
    item.parentId = Parent(build);
    build.items->push_back(item);
}

bool IsPresetFile(const char* name) {
    const CString256 text(name);
    const int dot = text.FindLast(".");
    if (dot == 0) return false;
    const CString256 extension(text.CStr() + dot);
    return extension.Equals("vbr", true);
}

int32_t MenuVisitor(const CPFileSpec&, const char* name, int32_t event, void* state) {
    MenuBuild& build = *static_cast<MenuBuild*>(state);
    switch (event) {
        case kVisitEnterFolder:
            if (CString256(name).Equals(kBrushImagesFolderName, true)) return kVisitSkipFolder;
            Add(build, name);
            build.parents.push_back(build.nextId);
            return kVisitContinue;
        case kVisitLeaveFolder:
            if (!build.parents.empty()) build.parents.pop_back();
            return kVisitContinue;
        case kVisitFile:
            if (IsPresetFile(name)) Add(build, name);
            return kVisitContinue;
        default:
            return kVisitContinue;
    }
}

}  // namespace

std::vector<SPresetMenuItem> BuildPresetMenu(const std::string& presetsFolder, bool withNone) {
    std::vector<SPresetMenuItem> items;
    if (withNone) {
        SPresetMenuItem none;
        none.text.Set("None");
        none.commandId = kPresetMenuNoneId;
        items.push_back(none);
    }
    if (presetsFolder.empty()) return items;
    MenuBuild build;
    build.items = &items;
    VisitTree(CPFileSpec(presetsFolder.c_str(), ""), MenuVisitor, &build);
    return items;
}
