#include "presets/folder_walk.h"

namespace {

int32_t Walk(const CPFileSpec& folder, TVisitor visitor, void* state, int32_t depth) {
    CPFileSpec walker(folder.Folder().CStr(), "");
    if (!walker.BeginEnumeration()) return kVisitContinue;
    CPFileSpec location(folder.Folder().CStr(), "");
    CString256 name;
    TFileKind kind = TFileKind::Missing;
    int32_t result = kVisitContinue;
    while (result == kVisitContinue && walker.NextEntry(name, kind)) {
        location.SetName(name.CStr());
        if (kind == TFileKind::Folder) {
            const int32_t answer = visitor(location, name.CStr(), kVisitEnterFolder, state);
            if (answer == kVisitSkipFolder) continue;
            if (answer != kVisitContinue) {
                result = answer;
                break;
            }
            if (depth < kVisitMaxDepth) {
                CPFileSpec inner(location);
                if (inner.Descend()) result = Walk(inner, visitor, state, depth + 1);
            }
            if (result == kVisitContinue) result = visitor(location, name.CStr(), kVisitLeaveFolder, state);
        } else if (kind == TFileKind::File) {
            result = visitor(location, name.CStr(), kVisitFile, state);
        }
    }
    walker.EndEnumeration();
    return result;
}

}  // namespace

int32_t VisitTree(const CPFileSpec& folder, TVisitor visitor, void* state) {
    if (!visitor) return kVisitContinue;
    return Walk(folder, visitor, state, 0);
}
