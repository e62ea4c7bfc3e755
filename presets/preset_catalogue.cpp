#include "presets/preset_catalogue.h"

#include "platform/data_folders.h"
#include "platform/file_spec.h"
#include "platform/native.h"

namespace {

void AppendFolderSeparator(std::string& path) {
    if (!path.empty() && path.back() != kPathSeparator && path.back() != '/') path += kPathSeparator;
}

}  // namespace

bool FindPresetsFolderFrom(const char* startFolder, int32_t levels, std::string& folder) {
    if (!startFolder || !*startFolder) return false;
    CPFileSpec spec;
    if (!spec.SetFolder(startFolder)) return false;
    for (int32_t tries = 0; tries < levels; ++tries) {
        spec.SetName(kPresetsFolderName);
        if (spec.IsFolder()) {
            if (!spec.Descend()) return false;
            folder = spec.Folder().CStr();
            return true;
        }
        // Up one folder; the parent must be there to look inside it.
        if (!spec.MoveToParent()) return false;
        if (!CPFileSpec::FolderExists(spec.Folder().CStr())) return false;
    }
    return false;
}

bool FindPresetsFolder(std::string& folder, int32_t levels) {
    char program[1024];
    const int length = PlatformProgramFolder(program, static_cast<int>(sizeof(program)));
    if (length <= 0 || length >= static_cast<int>(sizeof(program))) return false;
    program[length] = 0;
    if (FindPresetsFolderFrom(program, levels, folder)) return true;
    // An installed program finds the shared copy.
    const std::string installed = PlatformInstalledDataFolder();
    return !installed.empty() && FindPresetsFolderFrom(installed.c_str(), 1, folder);
}

std::string PresetPath(const std::string& presetsFolder, const char* category, const char* presetName) {
    std::string path = presetsFolder;
    AppendFolderSeparator(path);
    path += category ? category : "";
    AppendFolderSeparator(path);
    path += presetName ? presetName : "";
    return path;
}

std::string ImagesFolder(const std::string& presetsFolder) {
    std::string path = presetsFolder;
    AppendFolderSeparator(path);
    path += kBrushImagesFolderName;
    path += kPathSeparator;
    return path;
}
