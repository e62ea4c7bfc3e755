// The options of `tarn-flourish render`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hosts/common/run_options.h"

struct RenderOptions : RunOptions {
    int width = 1280;
    int height = 720;
    int64_t frames = 250;
    std::optional<uint32_t> clock;  // none: the current time
    std::string out = "flourish.png";
    int64_t keyAfterPolls = -1;  // testing: virtual input arrives after this many polls
    bool wireframe = false;
    bool help = false;
};

// Parses the arguments after "render". False with a one-line error on bad input.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// The renderer's own options; kRunOptionsUsage follows them in the help.
extern const char* const kRenderUsage;
