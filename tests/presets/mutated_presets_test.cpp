// The reader over many mutated presets, made from one seed so every run
// reads the same inputs: whatever the bytes, it must fill a sane record.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "presets/vbr_reader.h"
#include "record_sanity.h"

namespace {

// A preset naming every attribute, as a saved brush would.
std::string FullPreset() {
    std::string text = "// brush preset\n";
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        text += "setAttr \"";
        text += table[i].name;
        text += table[i].kind == TFLAttrKind::NAME ? "\" \"image.bmp\";\n" : "\" 0.5;\n";
    }
    return text;
}

// A small fixed generator (not the engine's), so the inputs never change.
struct Mixer {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }
};

// Pieces that stress the reader's rules when dropped into a preset.
const char* const kPieces[] = {"\"", ";", "\"\"", "1e999", "-1e999", "nan", "inf", "1e-999", "99999999999999999999",
                               "-2147483649", "\t", "\n", "\r\n", " ", "0x7fffffff", "\"segments\"", ".", "e",
                               "\"imageName\"", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"};

std::string Mutate(const std::string& seed, Mixer& mix) {
    std::string text = seed;
    const uint32_t edits = 1 + mix.Below(8);
    for (uint32_t e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = mix.Below(static_cast<uint32_t>(text.size()));
        switch (mix.Below(5)) {
            case 0: text[at] = static_cast<char>(mix.Below(256)); break;               // any byte
            case 1: text.erase(at, 1 + mix.Below(16)); break;                           // drop a run
            case 2: text.resize(at); break;                                             // truncate
            case 3: text.insert(at, kPieces[mix.Below(sizeof(kPieces) / sizeof(kPieces[0]))]); break;
            default: text.insert(at, text.substr(mix.Below(static_cast<uint32_t>(text.size())), 32)); break;
        }
    }
    return text;
}

TEST(MutatedPresets, AlwaysReadIntoASaneRecord) {
    const std::string seeds[] = {FullPreset(), "\"brushWidth\" 0.25; \"segments\" 70000; \"imageName\" \"a b\";", ""};
    for (uint64_t round = 0; round < 600; ++round) {
        Mixer mix{round * 0x9E3779B97F4A7C15ULL + 1};
        const std::string& seed = seeds[round % 3];
        const std::string text = seed.empty() ? std::string(1 + mix.Below(64), static_cast<char>(mix.Below(256)))
                                              : Mutate(seed, mix);
        TBrushRecord record;
        TFLVbrHandler(text.data(), static_cast<int>(text.size())).FillRecord(record);
        const std::string broken = FirstInsaneField(record);
        ASSERT_EQ(broken, "") << "round " << round << " (input of " << text.size() << " bytes)";
    }
}

}  // namespace
