// The portable half of CPFileSpec: path text. Enumeration and the file
// system's answers are in the backends.
#include "platform/file_spec.h"

#include "platform/native.h"

namespace {
bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}
}  // namespace

CPFileSpec& CPFileSpec::operator=(const CPFileSpec& other) {
    if (this != &other) {
        EndEnumeration();
        folder_ = other.folder_;
        name_ = other.name_;
        createMissing_ = other.createMissing_;
    }
    return *this;
}

bool CPFileSpec::SetFolder(const char* folder) {
    EndEnumeration();
    bool whole = folder_.Set(folder);
    if (!folder_.IsEmpty() && !IsSeparator(folder_.CharAt(folder_.Length()))) {
        if (folder_.Length() == TPathText::kCapacity) {
            folder_.Truncate(folder_.Length() - 1);
            whole = false;
        }
        folder_.AppendChar(kPathSeparator);
    }
    return whole;
}

bool CPFileSpec::FullPath(CString1024& out) const {
    out.Set(folder_.CStr(), folder_.Length());
    return out.Append(name_.CStr(), name_.Length());
}

bool CPFileSpec::Descend() {
    if (name_.IsEmpty()) return false;
    TPathText next = folder_;
    if (!next.Append(name_.CStr(), name_.Length()) || !next.AppendChar(kPathSeparator)) return false;
    EndEnumeration();
    folder_ = next;
    name_.Clear();
    return true;
}

bool CPFileSpec::MoveToParent() {
    // folder ends in a separator; the parent ends at the one before it.
    const int n = folder_.Length();
    if (n < 2) return false;
    int cut = 0;  // 1-based position of the previous separator
    for (int i = n - 1; i >= 1; --i) {
        if (IsSeparator(folder_.CharAt(i))) {
            cut = i;
            break;
        }
    }
    if (cut == 0) return false;
    EndEnumeration();
    name_.Set(folder_.CStr() + cut, n - 1 - cut);
    folder_.Truncate(cut);
    return true;
}
