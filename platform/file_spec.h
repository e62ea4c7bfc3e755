// CPFileSpec: a file-system location, a folder (always ending in the path
// separator) and an entry name in it, with folder enumeration and existence
// tests. Copying copies folder and name but not an open enumeration.
#pragma once

#include <cstdint>

#include "platform/strings.h"

enum class TFileKind : uint8_t { Missing, File, Folder };

using TPathText = CFixedString<512>;  // folders of up to 511 bytes

class CPFileSpec {
public:
    CPFileSpec() = default;
    CPFileSpec(const char* folder, const char* name) {
        SetFolder(folder);
        SetName(name);
    }
    CPFileSpec(const CPFileSpec& other) : folder_(other.folder_), name_(other.name_), createMissing_(other.createMissing_) {}
    CPFileSpec& operator=(const CPFileSpec& other);
    virtual ~CPFileSpec() { EndEnumeration(); }

    // The folder gets a trailing separator when it has none (an empty
    // folder stays empty). False when the text had to be cut.
    bool SetFolder(const char* folder);
    bool SetName(const char* name) { return name_.Set(name); }
    const TPathText& Folder() const { return folder_; }
    const CString256& Name() const { return name_; }
    // folder + name; false when it does not fit.
    bool FullPath(CString1024& out) const;

    // folder becomes folder + name + separator and the name is cleared.
    bool Descend();
    // folder moves to its parent (cut after the separator before the last
    // one); the name becomes the folder left. False when there is no parent.
    bool MoveToParent();

    // What folder + name is now (shortcuts are not followed).
    TFileKind Kind() const;
    bool Exists() const { return Kind() != TFileKind::Missing; }
    bool IsFile() const { return Kind() == TFileKind::File; }
    bool IsFolder() const { return Kind() == TFileKind::Folder; }
    // A name ending in ".lnk" (any case) is a Windows shortcut.
    bool IsShortcut() const { return name_.EndsWith(".lnk", true); }

    bool CreateMissingFolders() const { return createMissing_; }
    void SetCreateMissingFolders(bool on) { createMissing_ = on; }
    // Creates the folder (and, with the flag set, its missing parents).
    bool CreateFolder() const;

    // Enumerates the entries of the folder, "." and ".." skipped, in the
    // order the file system gives them. BeginEnumeration ends any open one.
    bool BeginEnumeration();
    bool NextEntry(CString256& name, TFileKind& kind);
    void EndEnumeration();
    // Greater than 0 while an enumeration is open.
    int32_t FindState() const { return findState_; }

    static TFileKind KindOf(const char* path);
    static bool FileExists(const char* path) { return KindOf(path) == TFileKind::File; }
    static bool FolderExists(const char* path) { return KindOf(path) == TFileKind::Folder; }

private:
    int32_t findState_ = 0;
    TPathText folder_;
    CString256 name_;
    bool createMissing_ = false;
    void* enumeration_ = nullptr;  // a DIR* or the Win32 find state
};
