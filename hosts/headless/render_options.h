// The options of `tarn-flourish render`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct RenderOptions {
    int width = 1280;
    int height = 720;
    int64_t frames = 250;
    std::optional<uint32_t> clock;  // none: the current time
    std::string out = "flourish.png";
    std::optional<std::string> preset[2];
    std::optional<int32_t> forceMode[2];
    std::optional<int32_t> background;
    std::optional<int32_t> useDepth;
    std::optional<float> speed;
    int64_t keyAfterPolls = -1;  // testing: virtual input arrives after this many polls
    bool wireframe = false;
    bool help = false;
};

// Parses the arguments after "render". False with a one-line error on bad input.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

extern const char* const kRenderUsage;
