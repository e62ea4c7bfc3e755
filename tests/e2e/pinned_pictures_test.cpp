// A few presets that between them take every stamp kernel (depth and plain,
// normal, glow and shadow passes, round and flat light, textures, smear,
// blur, erase, leaves and flowers) paint exactly the pictures they painted
// when these hashes were taken. The stamp twin allows each pixel one 8-bit
// step; this test allows none, so a faster kernel that rounds one pixel
// differently, or takes a dither value out of turn, shows here.
//
// When a change is meant to alter the pictures, the failure prints each new
// hash: look at the pictures, then put the hashes in the table.
#include <gtest/gtest.h>

#include "render_program.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

struct Pinned {
    const char* preset;
    uint64_t hash;
};

// 320x180, 120 frames at the fastest pace, clock 4242, force 6.
constexpr Pinned kPinned[] = {
    {"plants/vineLeafy", 0xcb8118b77f9c3274ull},     {"basics/plainGlow", 0x5668bf40b33d8f86ull},
    {"basics/plainSmear", 0xbdaa69a1134a3a40ull},    {"basics/plainEraser", 0x945e12d795c82892ull},
    {"basics/plainTexture", 0xb5162fd3715745f3ull},  {"light/neonTube", 0xcfd223871b56f449ull},
    {"effects/frostedGlass", 0x60f39665d682b508ull}, {"relief/clayCoil", 0x5840b38b243c8b09ull},
    {"trees/cherryBlossom", 0x740bc7586c8a7b0dull},  {"sea/coralFan", 0x73425a6e65ea519eull},
    {"prints/pearlString", 0x5fd68b6447701e69ull},
};

// FNV-1a over the file's bytes.
uint64_t Hash(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

TEST(PinnedPictures, PresetsPaintTheirPinnedPictures) {
    for (const Pinned& p : kPinned) {
        const std::string out = ::testing::TempDir() + "tf_pinned.bmp";
        std::ostringstream args;
        args << "render --size 320x180 --frames 120 --clock 4242 --pace max --force 6 --preset " << p.preset
             << " --out " << out;
        const RenderProgramResult r = RunProgram(args.str());
        ASSERT_EQ(r.exitCode, 0) << p.preset << ": " << r.output;
        std::ifstream in(out, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 320u * 180u * 3u) << p.preset;
        const uint64_t hash = Hash(bytes);
        EXPECT_EQ(hash, p.hash) << p.preset << " now paints hash 0x" << std::hex << hash;
    }
}

}  // namespace
