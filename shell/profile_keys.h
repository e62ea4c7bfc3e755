// The keys of the settings profile, written once: the reader, the writer
// and the settings panel's value texts all walk this table. Its order is the
// order in which keys are read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/settings.h"

enum class ProfileKind { Name, Number, Whole };

enum class ProfileWrite {
    Always,
    SecondPainter,  // written only when there is a second painter
    Never,          // read from older profiles, never written
};

struct ProfileKey {
    const char* key;
    ProfileKind kind;
    ProfileWrite write;
    double initial;  // the numeric default; names start empty
    char (SaverSettings::*name)[128] = nullptr;
    float SaverSettings::*number = nullptr;
    int32_t SaverSettings::*whole = nullptr;
};

inline constexpr ProfileKey kProfileKeys[] = {
    {"Category", ProfileKind::Name, ProfileWrite::Never, 0.0, &SaverSettings::Category1},
    {"PresetName", ProfileKind::Name, ProfileWrite::Never, 0.0, &SaverSettings::PresetName1},
    {"Category1", ProfileKind::Name, ProfileWrite::Always, 0.0, &SaverSettings::Category1},
    {"PresetName1", ProfileKind::Name, ProfileWrite::Always, 0.0, &SaverSettings::PresetName1},
    {"Category2", ProfileKind::Name, ProfileWrite::SecondPainter, 0.0, &SaverSettings::Category2},
    {"PresetName2", ProfileKind::Name, ProfileWrite::SecondPainter, 0.0, &SaverSettings::PresetName2},
    {"Speed", ProfileKind::Number, ProfileWrite::Always, 20.0, nullptr, &SaverSettings::Speed},
    {"Pace", ProfileKind::Number, ProfileWrite::Always, kDefaultPace, nullptr, &SaverSettings::Pace},
    {"Background", ProfileKind::Whole, ProfileWrite::Always, 1.0, nullptr, nullptr, &SaverSettings::Background},
    {"SaveToClip", ProfileKind::Whole, ProfileWrite::Always, 0.0, nullptr, nullptr, &SaverSettings::SaveToClip},
    {"UseDepth", ProfileKind::Whole, ProfileWrite::Always, 1.0, nullptr, nullptr, &SaverSettings::UseDepth},
    {"ForceMode", ProfileKind::Whole, ProfileWrite::Never, -1.0, nullptr, nullptr, &SaverSettings::ForceMode1},
    {"ForceMode1", ProfileKind::Whole, ProfileWrite::Always, -1.0, nullptr, nullptr, &SaverSettings::ForceMode1},
    {"ForceMode2", ProfileKind::Whole, ProfileWrite::SecondPainter, -1.0, nullptr, nullptr, &SaverSettings::ForceMode2},
};

inline constexpr size_t kProfileKeyCount = sizeof kProfileKeys / sizeof kProfileKeys[0];

// The table index of a key, or kProfileKeyCount when the table has none.
constexpr size_t ProfileKeyIndex(const char* key) {
    for (size_t i = 0; i < kProfileKeyCount; ++i)
        if (std::string_view(kProfileKeys[i].key) == key) return i;
    return kProfileKeyCount;
}
