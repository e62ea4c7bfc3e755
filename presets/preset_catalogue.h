// Where presets live: the presets folder TARN_FL_PRESETS beside the program
// or in one of its parent folders, its category subfolders of .vbr files,
// and the brush image folder ~brushImages inside it.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kPresetsFolderName = "TARN_FL_PRESETS";
constexpr const char* kBrushImagesFolderName = "~brushImages";
constexpr int32_t kPresetsFolderTries = 99;

// Looks for TARN_FL_PRESETS in startFolder and then in its parents, levels
// folders in all. On success folder is the presets folder with a trailing
// separator. Nothing is cached: every call looks again.
bool FindPresetsFolderFrom(const char* startFolder, int32_t levels, std::string& folder);
// The same, starting from the folder of the running program.
bool FindPresetsFolder(std::string& folder, int32_t levels = kPresetsFolderTries);

// presetsFolder + category + separator + presetName. presetsFolder is taken
// as a folder (a missing trailing separator is added); null texts count as
// empty.
std::string PresetPath(const std::string& presetsFolder, const char* category, const char* presetName);
// presetsFolder + ~brushImages + separator.
std::string ImagesFolder(const std::string& presetsFolder);
