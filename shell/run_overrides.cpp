#include "shell/run_overrides.h"

#include <cstring>

#include "platform/file_spec.h"
#include "platform/native.h"
#include "presets/preset_catalogue.h"

namespace {

TRunOverrides gOverrides;

}  // namespace

TRunOverrides& RunOverrides() { return gOverrides; }
void ResetRunOverrides() { gOverrides = TRunOverrides{}; }

void ApplyRunOverrides(SaverSettings& s) {
    const TRunOverrides& o = gOverrides;
    if (o.preset[1]) {
        // A second preset means a second painter; the names only matter
        // when the preset is found under the presets folder.
        s.painterCount = 2;
        if (s.PresetName2[0] == 0) SetSettingsName(s.PresetName2, "override.vbr");
    }
    if (o.forceMode[0]) s.ForceMode1 = *o.forceMode[0];
    if (o.forceMode[1]) s.ForceMode2 = *o.forceMode[1];
    if (o.background) s.Background = *o.background;
    if (o.useDepth) s.UseDepth = *o.useDepth;
    if (o.speed) s.Speed = *o.speed;
    if (o.pace) s.Pace = *o.pace;
}

std::string OverridePresetFile(int painter, const std::string& presetsFolder) {
    if (painter < 0 || painter > 1 || !gOverrides.preset[painter]) return "";
    const std::string& given = *gOverrides.preset[painter];
    // As given, then with the presets' extension: "plants/vineLeafy" names
    // plants/vineLeafy.vbr as the menus and the gallery show it.
    for (const char* extension : {"", ".vbr"}) {
        const std::string name = given + extension;
        if (CPFileSpec::FileExists(name.c_str())) return name;
        if (!presetsFolder.empty()) {
            std::string inFolder = presetsFolder;
            for (char c : name) inFolder += (c == '/' || c == '\\') ? kPathSeparator : c;
            if (CPFileSpec::FileExists(inFolder.c_str())) return inFolder;
        }
    }
    return "";
}

std::string MissingOverridePreset() {
    std::string folder;
    if (!FindPresetsFolder(folder)) folder.clear();
    for (int painter = 0; painter < 2; ++painter)
        if (gOverrides.preset[painter] && OverridePresetFile(painter, folder).empty()) return *gOverrides.preset[painter];
    return "";
}
