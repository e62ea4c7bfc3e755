// CPFileSpec's file-system side on POSIX: stat, opendir and mkdir.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_spec.h"

TFileKind CPFileSpec::KindOf(const char* path) {
    struct stat st;
    if (!path || !*path || ::stat(path, &st) != 0) return TFileKind::Missing;
    if (S_ISDIR(st.st_mode)) return TFileKind::Folder;
    return TFileKind::File;
}

TFileKind CPFileSpec::Kind() const {
    CString1024 path;
    if (!FullPath(path)) return TFileKind::Missing;
    // "folder/" names the folder itself when the name is empty.
    return KindOf(path.CStr());
}

bool CPFileSpec::CreateFolder() const {
    CString1024 path;
    if (!FullPath(path) || path.IsEmpty()) return false;
    if (createMissing_) {
        // Each prefix ending before a separator, shortest first.
        for (int i = 2; i <= path.Length(); ++i) {
            if (path.CharAt(i) != '/') continue;
            CString1024 prefix;
            prefix.Set(path.CStr(), i - 1);
            if (KindOf(prefix.CStr()) == TFileKind::Missing && ::mkdir(prefix.CStr(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    if (::mkdir(path.CStr(), 0755) != 0 && errno != EEXIST) return false;
    return KindOf(path.CStr()) == TFileKind::Folder;
}

bool CPFileSpec::BeginEnumeration() {
    EndEnumeration();
    if (folder_.IsEmpty()) return false;
    DIR* dir = ::opendir(folder_.CStr());
    if (!dir) return false;
    enumeration_ = dir;
    findState_ = 1;
    return true;
}

bool CPFileSpec::NextEntry(CString256& name, TFileKind& kind) {
    if (!enumeration_) return false;
    DIR* dir = static_cast<DIR*>(enumeration_);
    while (const dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if ((n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0)) continue;
        // A name that does not fit cannot be opened by the callers; skip it.
        if (!name.Set(n)) continue;
        CString1024 path;
        path.Set(folder_.CStr(), folder_.Length());
        if (!path.Append(n)) continue;
        kind = KindOf(path.CStr());
        if (kind == TFileKind::Missing) continue;  // vanished or a dangling link
        ++findState_;
        return true;
    }
    return false;
}

void CPFileSpec::EndEnumeration() {
    if (enumeration_) ::closedir(static_cast<DIR*>(enumeration_));
    enumeration_ = nullptr;
    findState_ = 0;
}
