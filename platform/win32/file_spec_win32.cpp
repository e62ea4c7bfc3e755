// CPFileSpec's file-system side on Win32: GetFileAttributesA and
// FindFirstFileA / FindNextFileA.
#include <windows.h>

#include <new>

#include "platform/file_spec.h"

namespace {

struct SFindState {
    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data{};
    bool pending = false;  // data holds an entry not yet handed out
};

TFileKind KindOfAttributes(DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return TFileKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TFileKind::Folder : TFileKind::File;
}

}  // namespace

TFileKind CPFileSpec::KindOf(const char* path) {
    if (!path || !*path) return TFileKind::Missing;
    return KindOfAttributes(::GetFileAttributesA(path));
}

TFileKind CPFileSpec::Kind() const {
    CString1024 path;
    if (!FullPath(path)) return TFileKind::Missing;
    // A folder's own path keeps its trailing backslash except for a root.
    if (name_.IsEmpty() && path.Length() > 3 && path.CharAt(path.Length()) == '\\') path.Truncate(path.Length() - 1);
    return KindOf(path.CStr());
}

bool CPFileSpec::CreateFolder() const {
    CString1024 path;
    if (!FullPath(path) || path.IsEmpty()) return false;
    if (createMissing_) {
        for (int i = 2; i <= path.Length(); ++i) {
            const char c = path.CharAt(i);
            if (c != '\\' && c != '/') continue;
            CString1024 prefix;
            prefix.Set(path.CStr(), i - 1);
            if (prefix.Length() > 2 && KindOf(prefix.CStr()) == TFileKind::Missing) ::CreateDirectoryA(prefix.CStr(), nullptr);
        }
    }
    ::CreateDirectoryA(path.CStr(), nullptr);
    return KindOf(path.CStr()) == TFileKind::Folder;
}

bool CPFileSpec::BeginEnumeration() {
    EndEnumeration();
    if (folder_.IsEmpty()) return false;
    CString1024 pattern;
    pattern.Set(folder_.CStr(), folder_.Length());
    if (!pattern.Append("*.*")) return false;
    auto* state = new (std::nothrow) SFindState;
    if (!state) return false;
    state->handle = ::FindFirstFileA(pattern.CStr(), &state->data);
    if (state->handle == INVALID_HANDLE_VALUE) {
        delete state;
        return false;
    }
    state->pending = true;
    enumeration_ = state;
    findState_ = 1;
    return true;
}

bool CPFileSpec::NextEntry(CString256& name, TFileKind& kind) {
    auto* state = static_cast<SFindState*>(enumeration_);
    if (!state) return false;
    for (;;) {
        if (!state->pending && !::FindNextFileA(state->handle, &state->data)) return false;
        state->pending = false;
        const char* n = state->data.cFileName;
        if ((n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0)) continue;
        if (!name.Set(n)) continue;
        kind = KindOfAttributes(state->data.dwFileAttributes);
        ++findState_;
        return true;
    }
}

void CPFileSpec::EndEnumeration() {
    if (auto* state = static_cast<SFindState*>(enumeration_)) {
        ::FindClose(state->handle);
        delete state;
    }
    enumeration_ = nullptr;
    findState_ = 0;
}
