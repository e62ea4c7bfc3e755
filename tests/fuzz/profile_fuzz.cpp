// Feeds arbitrary bytes to the settings profile reader: it must never fail
// or read past the text, and what it reads is always a usable setting.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SaverSettings s;
    ParseSettings(text, s);
    if (!std::isfinite(s.Speed) || s.PresetName1[0] == 0) std::abort();
    if ((s.painterCount == 2) != (s.PresetName2[0] != 0)) std::abort();
    // A value may hold text that reads as another key when written back, so
    // the second read is only checked for the same soundness.
    SaverSettings again;
    ParseSettings(FormatSettings(s), again);
    if (!std::isfinite(again.Speed) || again.PresetName1[0] == 0) std::abort();
    return 0;
}
