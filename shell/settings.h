// The saver's settings and their profile "TarnFLSaver.prf" beside the
// program: key=value entries separated by ";" on one line.
#pragma once

#include <cstdint>
#include <string>

// Brush steps each painter takes per second. The fastest pace is the
// timer's full 20 passes on every frame; the default lets the picture grow
// over the minutes between background repaints.
constexpr float kMaxPace = 1000.0f;
constexpr float kDefaultPace = 10.0f;

struct SaverSettings {
    char Category1[128] = "plants";
    char Category2[128] = "";
    char PresetName1[128] = "vineLeafy.vbr";
    char PresetName2[128] = "";
    float Speed = 20.0f;
    float Pace = kDefaultPace;  // brush steps per painter per second; kMaxPace and above: 20 passes a frame
    int32_t Background = 1;  // 0 Dark, 1 Bright, 2 Clipboard
    int32_t SaveToClip = 0;
    int32_t UseDepth = 1;
    int32_t ForceMode1 = -1;  // -1 Random Selection, 0 Cycle Selection, 1..13 the modes
    int32_t ForceMode2 = -1;
    int32_t painterCount = 1;    // not stored: 2 when PresetName2 is set
    int32_t repaintMinutes = 10; // not stored
};

constexpr const char* kProfileName = "TarnFLSaver.prf";

// Copies a value into one of the name fields, cut to fit.
void SetSettingsName(char (&field)[128], const std::string& value);

// Where the profile lives: the program's folder when it is writable, else
// the user's settings folder, unless a test points elsewhere.
std::string ProfilePath();
void SetProfilePathForTests(const char* path);  // null: back to the program's folder

// Fill the record from the profile; a missing profile gives the defaults.
void LoadSettings(SaverSettings& settings);
bool SaveSettings(const SaverSettings& settings);

// The same two steps over a profile text, for the panel and for tests.
void ParseSettings(const std::string& text, SaverSettings& settings);
std::string FormatSettings(const SaverSettings& settings);

// The value of key in a profile text: the first "key=" standing at the start
// or after a blank, control character or ";", up to the next ";".
bool FindProfileValue(const std::string& text, const char* key, std::string& value);
