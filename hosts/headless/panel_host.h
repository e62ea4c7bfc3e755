// `tarn-flourish panel`: the real settings panel on a virtual dialog
// window, driven by a script of input events, written to a picture.
#pragma once

#include <cstdint>
#include <string>

struct PanelOptions {
    std::string out = "panel.png";
    int32_t dpi = 96;
    // Events, separated by ";": "click X Y", "down X Y", "up X Y",
    // "move X Y", "key VK" (a virtual key number: 40 Down, 13 Return,
    // 27 Escape ...), in dialog client pixels.
    std::string events;
    bool help = false;
};

bool ParsePanelOptions(int argc, const char* const* argv, PanelOptions& options, std::string& error);
int RunPanel(const PanelOptions& options);

extern const char* const kPanelUsage;
