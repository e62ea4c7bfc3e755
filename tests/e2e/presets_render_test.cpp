// Every shipped preset paints: each one found under TARN_FL_PRESETS is
// rendered headless and compared with its invisible twin.
//
// The twin is the same preset file with `"brushWidth" 0;` and `"tubes" 0;`
// put in front; the reader keeps the first occurrence of a name, so the twin
// paints nothing while the walker, the background and every random draw stay
// the same. Whatever differs between the two pictures is the preset's own
// paint. Brushes that only move paint already there (smear, blur, erase)
// work over a companion painter 1 and are painter 2 themselves.
#include <gtest/gtest.h>

#include "render_program.h"

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSeed = 20261210;  // the virtual clock: the picture's seed
constexpr const char* kSize = "320x180";
constexpr int kFrames = 60;
constexpr int kClippedFrames = 300;  // time-clipped brushes paint the start of each stroke only
constexpr int kForce = 6;            // Wandering Swirls: never reads the canvas, so twins walk alike
// Shares of changed pixels below which a preset paints too little. A
// time-clipped brush paints only a window of each stroke, a few short marks.
constexpr double kMinimumShare = 0.03;
constexpr double kMinimumClippedShare = 0.004;
constexpr double kMinimumEffectShare = 0.01;

struct Shipped {
    std::string relative;  // category/name.vbr
    std::string path;
};

// gtest names a failing parameter by this.
void PrintTo(const Shipped& s, std::ostream* os) { *os << s.relative; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The number the preset reader takes for NAME: the first quoted occurrence,
// up to the next semicolon, spaces, tabs and quotes dropped.
double StatedNumber(const std::string& text, const std::string& name) {
    const std::string key = "\"" + name + "\"";
    const size_t at = text.find(key);
    if (at == std::string::npos) return 0.0;
    const size_t start = at + key.size();
    const size_t end = text.find(';', start);
    if (end == std::string::npos || end <= start) return 0.0;
    std::string value;
    for (char c : text.substr(start, std::min<size_t>(end - start, 63)))
        if (c != ' ' && c != '\t' && c != '"') value += c;
    return std::strtod(value.c_str(), nullptr);
}

std::vector<Shipped> FindShippedPresets() {
    std::vector<Shipped> found;
    const fs::path root = fs::path(TF_SOURCE_DIR) / "TARN_FL_PRESETS";
    std::error_code ec;
    for (fs::directory_iterator category(root, ec), end; !ec && category != end; category.increment(ec)) {
        if (!category->is_directory() || category->path().filename().string().rfind('~', 0) == 0) continue;
        for (fs::directory_iterator file(category->path(), ec), fileEnd; !ec && file != fileEnd; file.increment(ec)) {
            std::string extension = file->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (!file->is_regular_file() || extension != ".vbr") continue;
            found.push_back({category->path().filename().string() + "/" + file->path().filename().string(),
                             file->path().string()});
        }
    }
    std::sort(found.begin(), found.end(), [](const Shipped& a, const Shipped& b) { return a.relative < b.relative; });
    return found;
}

using Result = RenderProgramResult;

// A 24-bit bottom-up bitmap as the host writes it; only the pixels matter here.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
    bool Load(const std::string& path) {
        const std::string f = ReadFile(path);
        if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return false;
        auto u32 = [&](size_t at) {
            return uint32_t(uint8_t(f[at])) | uint32_t(uint8_t(f[at + 1])) << 8 | uint32_t(uint8_t(f[at + 2])) << 16 |
                   uint32_t(uint8_t(f[at + 3])) << 24;
        };
        width = static_cast<int>(u32(18));
        height = static_cast<int>(u32(22));
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        if (width <= 0 || height <= 0 || f.size() < 54 + stride * height) return false;
        bgr.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            std::copy(f.begin() + 54 + stride * y, f.begin() + 54 + stride * y + width * 3,
                      bgr.begin() + static_cast<size_t>(y) * width * 3);
        return true;
    }
};

// The share of pixels where some channel differs by more than LEVEL.
double ChangedShare(const Picture& a, const Picture& b, int level) {
    if (a.bgr.size() != b.bgr.size() || a.bgr.empty()) return -1.0;
    size_t changed = 0;
    for (size_t p = 0; p < a.bgr.size(); p += 3) {
        bool differs = false;
        for (int c = 0; c < 3; ++c) differs |= std::abs(int(a.bgr[p + c]) - int(b.bgr[p + c])) > level;
        changed += differs;
    }
    return double(changed) / double(a.bgr.size() / 3);
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

class ShippedPreset : public ::testing::TestWithParam<Shipped> {
protected:
    // Renders with the given painters; an empty second preset means one painter.
    Picture Render(const std::string& tag, const std::string& first, const std::string& second, int frames,
                   const std::string& context) {
        const std::string out = ::testing::TempDir() + "tf_preset_" + tag + ".bmp";
        std::remove(out.c_str());
        std::ostringstream args;
        args << "render --size " << kSize << " --frames " << frames << " --clock " << kSeed << " --pace max --force " << kForce
             << " --force2 " << kForce << " --background dark --out " << Quote(out) << " --preset " << Quote(first);
        if (!second.empty()) args << " --preset2 " << Quote(second);
        const Result r = RunProgram(args.str());
        EXPECT_EQ(r.exitCode, 0) << context << ": the program failed: " << r.output;
        Picture p;
        EXPECT_TRUE(p.Load(out)) << context << ": no picture at " << out;
        std::remove(out.c_str());
        return p;
    }

    // The invisible twin of a preset file, written beside the pictures.
    static std::string TwinOf(const Shipped& preset, const std::string& tag) {
        const std::string path = ::testing::TempDir() + "tf_twin_" + tag + ".vbr";
        std::ofstream(path, std::ios::binary) << "\"brushWidth\" 0;\n\"tubes\" 0;\n" << ReadFile(preset.path);
        return path;
    }
};

std::string TagOf(const std::string& relative) {
    std::string tag;
    for (char c : relative) tag += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return tag;
}

TEST_P(ShippedPreset, PaintsStrokesThatChangeThePicture) {
    const Shipped& preset = GetParam();
    const std::string text = ReadFile(preset.path);
    ASSERT_FALSE(text.empty()) << preset.relative << ": empty or unreadable";
    const std::string context = preset.relative + " (seed " + std::to_string(kSeed) + ", " + kSize + ")";
    const int type = static_cast<int>(StatedNumber(text, "brushType"));
    const bool timeClipped = StatedNumber(text, "timeClip") != 0.0;
    const int frames = timeClipped ? kClippedFrames : kFrames;
    const std::string tag = TagOf(preset.relative);
    const std::string twin = TwinOf(preset, tag);

    if (type == 1 || type == 2 || type == 3) {
        // Smear, blur and erase need paint to work on: a plain companion paints first.
        const std::string companion = std::string(TF_SOURCE_DIR) + "/TARN_FL_PRESETS/basics/plainSoft.vbr";
        const Picture with = Render(tag + "_with", companion, preset.path, frames, context);
        const Picture without = Render(tag + "_without", companion, twin, frames, context);
        const double share = ChangedShare(with, without, 2);
        EXPECT_GT(share, kMinimumEffectShare) << context << ": brush type " << type
                               << " should change the companion's paint; changed share " << share;
    } else {
        const Picture with = Render(tag + "_with", preset.path, "", frames, context);
        const Picture without = Render(tag + "_without", twin, "", frames, context);
        const double share = ChangedShare(with, without, 8);
        EXPECT_GT(share, timeClipped ? kMinimumClippedShare : kMinimumShare)
            << context << ": too little paint; changed share " << share;
    }
    std::remove(twin.c_str());
}

std::string TestName(const ::testing::TestParamInfo<Shipped>& info) { return TagOf(info.param.relative); }

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedPreset, ::testing::ValuesIn(FindShippedPresets()), TestName);

TEST(ShippedPresets, TheFolderHoldsPresetsAndTheTwinPaintsNothing) {
    const std::vector<Shipped> presets = FindShippedPresets();
    ASSERT_FALSE(presets.empty()) << "no .vbr under " << TF_SOURCE_DIR << "/TARN_FL_PRESETS";
    // The twin check itself: a twin against the plain background-only picture
    // of the same seed must show no paint at all, or every comparison above
    // would be measuring something else.
    const Shipped& first = presets.front();
    const std::string twin = ::testing::TempDir() + "tf_twin_check.vbr";
    std::ofstream(twin, std::ios::binary) << "\"brushWidth\" 0;\n\"tubes\" 0;\n" << ReadFile(first.path);
    auto render = [&](const std::string& out, int frames) {
        std::ostringstream args;
        args << "render --size " << kSize << " --frames " << frames << " --clock " << kSeed << " --pace max --force " << kForce
             << " --background dark --out " << Quote(out) << " --preset " << Quote(twin);
        const Result r = RunProgram(args.str());
        EXPECT_EQ(r.exitCode, 0) << r.output;
        Picture p;
        EXPECT_TRUE(p.Load(out)) << out;
        return p;
    };
    const Picture early = render(::testing::TempDir() + "tf_twin_early.bmp", 1);
    const Picture late = render(::testing::TempDir() + "tf_twin_late.bmp", kFrames);
    EXPECT_EQ(ChangedShare(early, late, 8), 0.0) << first.relative << " twin (seed " << kSeed << ") painted something";
    std::remove(twin.c_str());
}

}  // namespace
