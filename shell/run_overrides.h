// Settings a host overrides for one run (the headless renderer's options),
// laid over the profile after it is read. Nothing here is ever saved.
#pragma once

#include <optional>
#include <string>

#include "shell/settings.h"

struct TRunOverrides {
    // A preset given as a file path, or as category/name under the presets folder.
    std::optional<std::string> preset[2];
    std::optional<int32_t> forceMode[2];
    std::optional<int32_t> background;
    std::optional<int32_t> useDepth;
    std::optional<float> speed;
    std::optional<float> pace;  // kMaxPace for the fastest
    bool wireframe = false;  // the wireframe preview: lines in the brush colour instead of paint
};

TRunOverrides& RunOverrides();
void ResetRunOverrides();

// Lays the overrides over settings just read from the profile.
void ApplyRunOverrides(SaverSettings& settings);
// The preset file painter i uses instead of the profile's, or empty.
std::string OverridePresetFile(int painter, const std::string& presetsFolder);
// The first preset a run option names that is neither a file nor found
// under the presets folder (with or without .vbr); empty when all are found.
std::string MissingOverridePreset();
