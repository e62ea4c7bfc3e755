#include "shell/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "platform/data_folders.h"
#include "platform/file.h"
#include "platform/native.h"

namespace {

// The profile path a test asked for; empty means beside the program.
std::string gProfileOverride;

// Numbers are decimal text; a value that is not a number reads as 0, as
// the C library's conversion does, but never as NaN or out of range.
double ReadNumber(const std::string& value) {
    const double v = std::strtod(value.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

int32_t ReadWhole(const std::string& value) {
    const double v = std::trunc(ReadNumber(value));
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

template <typename T>
void ReadIfPresent(const std::string& text, const char* key, T& field) {
    std::string value;
    if (!FindProfileValue(text, key, value)) return;
    if constexpr (std::is_same_v<T, float>) {
        // A number beyond the float range would not convert.
        const double v = ReadNumber(value);
        field = static_cast<float>(std::fmax(-3.0e38, std::fmin(3.0e38, v)));
    } else {
        field = ReadWhole(value);
    }
}

void AppendEntry(std::string& text, const char* key, const std::string& value) {
    text += key;
    text += '=';
    text += value;
    if (value.empty() || value.back() != ';') text += ';';
}

void AppendNumber(std::string& text, const char* key, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%-.4f", value);
    AppendEntry(text, key, buffer);
}

}  // namespace

void SetSettingsName(char (&field)[128], const std::string& value) {
    // Longer values are cut to fit the field.
    const size_t n = value.size() < sizeof field - 1 ? value.size() : sizeof field - 1;
    std::memcpy(field, value.data(), n);
    field[n] = 0;
}

bool FindProfileValue(const std::string& text, const char* key, std::string& value) {
    const std::string needle = std::string(key) + "=";
    // An occurrence inside a longer word (MySpeed= for Speed=) does not
    // count; the search goes on to the next one.
    size_t at = text.find(needle);
    while (at != std::string::npos && at > 0) {
        const unsigned char before = static_cast<unsigned char>(text[at - 1]);
        if (before <= 32 || before == ';') break;
        at = text.find(needle, at + 1);
    }
    if (at == std::string::npos) return false;
    const size_t start = at + needle.size();
    const size_t end = text.find(';', start);
    if (end == std::string::npos) return false;
    value = text.substr(start, end - start);
    return true;
}

void ParseSettings(const std::string& text, SaverSettings& s) {
    s.Background = 1;
    s.SaveToClip = 0;
    s.Speed = 20.0f;
    s.UseDepth = 1;
    s.ForceMode1 = -1;
    s.ForceMode2 = -1;
    s.painterCount = 1;
    s.repaintMinutes = 10;

    std::string value;
    SetSettingsName(s.Category1, FindProfileValue(text, "Category", value) ? value : "");
    SetSettingsName(s.PresetName1, FindProfileValue(text, "PresetName", value) ? value : "");
    if (FindProfileValue(text, "Category1", value)) SetSettingsName(s.Category1, value);
    if (FindProfileValue(text, "PresetName1", value)) SetSettingsName(s.PresetName1, value);
    if (s.PresetName1[0] == 0) {
        SetSettingsName(s.PresetName1, "vineLeafy.vbr");
        SetSettingsName(s.Category1, "plants");
    }
    if (FindProfileValue(text, "PresetName2", value)) {
        SetSettingsName(s.PresetName2, value);
        // A value that begins with a zero byte names nothing, like an empty one.
        if (s.PresetName2[0] != 0) {
            s.painterCount = 2;
            if (FindProfileValue(text, "Category2", value)) {
                SetSettingsName(s.Category2, value);
            } else {
                std::memcpy(s.Category2, s.Category1, sizeof s.Category2);
            }
        } else {
            s.Category2[0] = 0;
        }
    } else {
        s.PresetName2[0] = 0;
        s.Category2[0] = 0;
    }
    ReadIfPresent(text, "Speed", s.Speed);
    ReadIfPresent(text, "Background", s.Background);
    ReadIfPresent(text, "SaveToClip", s.SaveToClip);
    ReadIfPresent(text, "UseDepth", s.UseDepth);
    ReadIfPresent(text, "ForceMode", s.ForceMode1);
    ReadIfPresent(text, "ForceMode1", s.ForceMode1);
    ReadIfPresent(text, "ForceMode2", s.ForceMode2);
}

std::string FormatSettings(const SaverSettings& s) {
    // Every key is written once, so no entry needs removing first.
    std::string text;
    AppendEntry(text, "Category1", s.Category1);
    AppendEntry(text, "PresetName1", s.PresetName1);
    if (s.painterCount > 1) {
        AppendEntry(text, "Category2", s.Category2);
        AppendEntry(text, "PresetName2", s.PresetName2);
    }
    AppendNumber(text, "Speed", s.Speed);
    AppendNumber(text, "Background", s.Background);
    AppendNumber(text, "SaveToClip", s.SaveToClip);
    AppendNumber(text, "UseDepth", s.UseDepth);
    AppendNumber(text, "ForceMode1", s.ForceMode1);
    if (s.painterCount > 1) AppendNumber(text, "ForceMode2", s.ForceMode2);
    return text;
}

std::string ProfilePath() {
    if (!gProfileOverride.empty()) return gProfileOverride;
    char folder[1024];
    const int n = PlatformProgramFolder(folder, sizeof folder);
    const std::string beside(folder, n > 0 ? n : 0);
    // An installed program's folder is not the user's: their own folder then.
    if (PlatformFolderWritable(beside)) return beside + kProfileName;
    const std::string own = PlatformUserSettingsFolder();
    return own.empty() ? beside + kProfileName : own + kProfileName;
}

void SetProfilePathForTests(const char* path) { gProfileOverride = path ? path : ""; }

void LoadSettings(SaverSettings& settings) {
    std::string text;
    CPFile file;
    if (file.Open(ProfilePath().c_str(), CPFile::kReadExisting)) {
        char piece[60];
        for (;;) {
            const int32_t n = file.Read(piece, sizeof piece);
            if (n <= 0) break;
            text.append(piece, static_cast<size_t>(n));
        }
        file.Close();
    }
    ParseSettings(text, settings);
}

bool SaveSettings(const SaverSettings& settings) {
    const std::string text = FormatSettings(settings);
    const std::string path = ProfilePath();
    // The user's own settings folder is made on first use; no other.
    const std::string own = PlatformUserSettingsFolder();
    if (!own.empty() && path == own + kProfileName) PlatformMakeFolders(own);
    // Written aside and renamed, so a failed write leaves the old profile whole.
    return WriteFileAtomically(path.c_str(), text.data(), text.size());
}
