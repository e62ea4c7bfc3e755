// The run options every POSIX host takes (the renderer and the X11 saver):
// one run's overrides of the profile, never saved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct RunOptions {
    std::optional<std::string> preset[2];
    std::optional<int32_t> forceMode[2];
    std::optional<int32_t> background;
    std::optional<int32_t> useDepth;
    std::optional<float> speed;
    std::optional<float> pace;  // brush steps a second; kMaxPace for "max"
};

enum class OptionParse { kNotMine, kTaken, kBad };

// Reads option with its value when it is a run option; kBad sets error.
OptionParse ParseRunOption(const std::string& option, const char* value, RunOptions& options, std::string& error);

// Lays the options over the frame driver's run overrides. False, with the
// message in error, when a preset they name cannot be found.
bool ApplyRunOptions(const RunOptions& options, std::string& error);

// Whole numbers in [low, high], and "WxH" sizes with each side 1 to 16384.
bool ParseWhole(const char* text, int64_t low, int64_t high, int64_t& value);
bool ParseSize(const char* text, int& width, int& height);

// The usage lines of the run options, for each host's help.
extern const char* const kRunOptionsUsage;
