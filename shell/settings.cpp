#include "shell/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_folders.h"
#include "platform/file.h"
#include "platform/native.h"
#include "shell/profile_keys.h"

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

// A number beyond the float range would not convert.
float ReadFloat(const std::string& value) {
    return static_cast<float>(std::fmax(-3.0e38, std::fmin(3.0e38, ReadNumber(value))));
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
    s.painterCount = 1;
    s.repaintMinutes = 10;
    for (const ProfileKey& k : kProfileKeys) {
        if (k.kind == ProfileKind::Number) s.*k.number = static_cast<float>(k.initial);
        if (k.kind == ProfileKind::Whole) s.*k.whole = static_cast<int32_t>(k.initial);
    }
    bool present[kProfileKeyCount] = {};
    std::string value;
    for (size_t i = 0; i < kProfileKeyCount; ++i) {
        const ProfileKey& k = kProfileKeys[i];
        present[i] = FindProfileValue(text, k.key, value);
        switch (k.kind) {
        case ProfileKind::Name:
            // A read-only older key sets the field first; its successor
            // replaces it only when present.
            if (present[i] || k.write == ProfileWrite::Never) SetSettingsName(s.*k.name, present[i] ? value : "");
            break;
        case ProfileKind::Number:
            if (present[i]) s.*k.number = ReadFloat(value);
            break;
        case ProfileKind::Whole:
            if (present[i]) s.*k.whole = ReadWhole(value);
            break;
        }
    }
    if (s.PresetName1[0] == 0) {
        SetSettingsName(s.PresetName1, "vineLeafy.vbr");
        SetSettingsName(s.Category1, "plants");
    }
    // A second preset name that is absent, empty or begins with a zero byte
    // names no second painter.
    if (!present[ProfileKeyIndex("PresetName2")]) s.PresetName2[0] = 0;
    if (s.PresetName2[0] == 0) {
        s.Category2[0] = 0;
    } else {
        s.painterCount = 2;
        if (!present[ProfileKeyIndex("Category2")]) std::memcpy(s.Category2, s.Category1, sizeof s.Category2);
    }
}

std::string FormatSettings(const SaverSettings& s) {
    // Every key is written once, so no entry needs removing first.
    std::string text;
    for (const ProfileKey& k : kProfileKeys) {
        if (k.write == ProfileWrite::Never) continue;
        if (k.write == ProfileWrite::SecondPainter && s.painterCount <= 1) continue;
        switch (k.kind) {
        case ProfileKind::Name:
            AppendEntry(text, k.key, s.*k.name);
            break;
        case ProfileKind::Number:
            AppendNumber(text, k.key, s.*k.number);
            break;
        case ProfileKind::Whole:
            AppendNumber(text, k.key, s.*k.whole);
            break;
        }
    }
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
