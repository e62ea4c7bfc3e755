#include "hosts/x11/xscreensaver_config.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "motion/force_mode_names.h"
#include "shell/settings.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// An option id: letters and digits, the rest as dashes.
std::string IdOf(const std::string& text) {
    std::string id;
    for (char c : text) id += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
    return id;
}

}  // namespace

bool XScreenSaverConfig(const std::string& presetsFolder, std::string& xml) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::string> presets;  // category/name.vbr
    for (fs::directory_iterator category(presetsFolder, error), end; !error && category != end;
         category.increment(error)) {
        const std::string folder = category->path().filename().string();
        // "~brushImages" and other tilde folders are not categories.
        if (!category->is_directory() || folder.empty() || folder[0] == '~' || folder[0] == '.') continue;
        for (fs::directory_iterator file(category->path(), error), last; !error && file != last; file.increment(error)) {
            if (file->path().extension() == ".vbr") presets.push_back(folder + "/" + file->path().filename().string());
        }
    }
    if (error || presets.empty()) return false;
    std::sort(presets.begin(), presets.end());

    xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n"
          "<screensaver name=\"tarn-flourish\" _label=\"Tarn Flourish\">\n\n"
          "  <command arg=\"--root\"/>\n\n";
    xml += "  <select id=\"preset\">\n"
           "    <option id=\"preset-profile\" _label=\"Brush: as in the settings panel\"/>\n";
    for (const std::string& p : presets) {
        const std::string label = p.substr(0, p.size() - 4);
        xml += "    <option id=\"" + IdOf(label) + "\" _label=\"Brush: " + Escaped(label) + "\" arg-set=\"--preset " +
               Escaped(p) + "\"/>\n";
    }
    xml += "  </select>\n\n";
    xml += "  <select id=\"force\">\n"
           "    <option id=\"force-profile\" _label=\"Force: as in the settings panel\"/>\n";
    for (const ForceModeEntry& mode : kForceModes) {
        const std::string name = mode.name;
        xml += "    <option id=\"force-" + IdOf(name) + "\" _label=\"Force: " + name + "\" arg-set=\"--force " +
               std::to_string(mode.mode) + "\"/>\n";
    }
    xml += "  </select>\n\n";
    xml += "  <select id=\"background\">\n"
           "    <option id=\"background-profile\" _label=\"Background: as in the settings panel\"/>\n"
           "    <option id=\"background-dark\" _label=\"Background: dark\" arg-set=\"--background dark\"/>\n"
           "    <option id=\"background-bright\" _label=\"Background: bright\" arg-set=\"--background bright\"/>\n"
           "  </select>\n\n"
           "  <select id=\"depth\">\n"
           "    <option id=\"depth-profile\" _label=\"Depth: as in the settings panel\"/>\n"
           "    <option id=\"depth-on\" _label=\"Depth: on\" arg-set=\"--depth on\"/>\n"
           "    <option id=\"depth-off\" _label=\"Depth: off\" arg-set=\"--depth off\"/>\n"
           "  </select>\n\n"
           "  <number id=\"speed\" type=\"slider\" arg=\"--speed %\"\n"
           "          _label=\"Brush step\" _low-label=\"Fine\" _high-label=\"Coarse\"\n"
           "          low=\"1\" high=\"100\" default=\"20\"/>\n\n";
    xml += "  <number id=\"pace\" type=\"slider\" arg=\"--pace %\"\n"
           "          _label=\"Pace\" _low-label=\"Slow\" _high-label=\"Fast\"\n"
           "          low=\"1\" high=\"1000\" default=\"" +
           std::to_string(static_cast<int>(kDefaultPace)) + "\"/>\n\n";
    xml += "  <boolean id=\"wireframe\" _label=\"Wireframe\" arg-set=\"--wireframe\"/>\n"
           "  <boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"--fps\"/>\n\n"
           "  <_description>\n"
           "Paints an endless, slowly growing picture with procedural brushes: two\n"
           "painters walk brushes over the screen under force modes, and brushes grow\n"
           "3-D tubes that split into branches, twigs, leaves, flowers and buds.\n"
           "  </_description>\n"
           "</screensaver>\n";
    return true;
}
