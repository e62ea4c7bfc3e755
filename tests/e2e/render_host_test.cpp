// Runs `tarn-flourish render` as a user would and checks what it writes.
#include <gtest/gtest.h>

#include "render_program.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Result = RenderProgramResult;

// A 24-bit bottom-up bitmap as the host writes it, read back as rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // rows from the top, 3 bytes a pixel
    bool Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return false;
        auto u32 = [&](size_t at) { return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | uint32_t(f[at + 3]) << 24; };
        width = static_cast<int>(u32(18));
        height = static_cast<int>(u32(22));
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        if (f.size() < 54 + stride * height) return false;
        bgr.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = f.data() + 54 + stride * (height - 1 - y);
            std::copy(row, row + width * 3, bgr.begin() + static_cast<size_t>(y) * width * 3);
        }
        return true;
    }
    const uint8_t* At(int x, int y) const { return &bgr[(static_cast<size_t>(y) * width + x) * 3]; }
};

std::string Temp(const std::string& name) { return ::testing::TempDir() + name; }

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(RenderHost, HelpPrintsTheUsage) {
    const Result r = RunProgram("render --help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("usage: tarn-flourish render"), std::string::npos);
}

TEST(RenderHost, BadArgumentsPrintOneLineAndTheUsageAndExitTwo) {
    for (const char* args : {"render --size 0x10", "render --size -4x10", "render --size 20000x10",
                             "render --frames many", "render --bogus 1", "render --depth sideways"}) {
        const Result r = RunProgram(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        const size_t firstLineEnd = r.output.find('\n');
        ASSERT_NE(firstLineEnd, std::string::npos) << args;
        EXPECT_NE(r.output.find("tarn-flourish render:"), std::string::npos) << args;
        EXPECT_NE(r.output.find("usage:", firstLineEnd), std::string::npos) << args;
    }
}

TEST(RenderHost, AnUnknownPresetIsRefusedAndPaintsNothing) {
    const std::string out = Temp("tf_no_preset.bmp");
    std::remove(out.c_str());
    for (const char* option : {"--preset", "--preset2"}) {
        const Result r = RunProgram(std::string("render --size 64x48 --frames 2 --clock 5 ") + option +
                                    " plants/noSuchPreset --out " + out);
        EXPECT_EQ(r.exitCode, 2) << option;
        EXPECT_NE(r.output.find("no preset 'plants/noSuchPreset'"), std::string::npos) << r.output;
        EXPECT_FALSE(Exists(out));
    }
}

TEST(RenderHost, UnwritableOutputFailsClearlyAndLeavesNoFile) {
    const std::string out = Temp("no_such_folder_tf/picture.png");
    const Result r = RunProgram("render --size 64x48 --frames 2 --clock 5 --out " + out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("cannot write"), std::string::npos) << r.output;
    EXPECT_FALSE(Exists(out));
    EXPECT_FALSE(Exists(out + ".tmp"));
}

TEST(RenderHost, WritesAPngPicture) {
    const std::string out = Temp("tf_render.png");
    std::remove(out.c_str());
    const Result r = RunProgram("render --size 160x120 --frames 3 --clock 11 --out " + out);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::ifstream in(out, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_NE(r.output.find(out), std::string::npos) << "the host says where the picture went";
}

class RenderedPicture : public ::testing::Test {
protected:
    static Picture Render(const std::string& name, const std::string& args) {
        const std::string out = Temp(name);
        const Result r = RunProgram("render --out " + out + " " + args);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        Picture p;
        EXPECT_TRUE(p.Load(out)) << out;
        return p;
    }
};

TEST_F(RenderedPicture, SameClockGivesTheSamePicture) {
    const Picture a = Render("tf_same_a.bmp", "--size 320x200 --frames 20 --clock 1234");
    const Picture b = Render("tf_same_b.bmp", "--size 320x200 --frames 20 --clock 1234");
    ASSERT_EQ(a.bgr.size(), b.bgr.size());
    EXPECT_TRUE(a.bgr == b.bgr) << "seed 1234, 320x200";
}

TEST_F(RenderedPicture, APresetNamedWithOrWithoutItsExtensionIsTheSamePreset) {
    const std::string args = "--size 160x100 --frames 40 --clock 77 --pace max --preset ";
    const Picture bare = Render("tf_named_bare.bmp", args + "basics/plainGlow");
    const Picture full = Render("tf_named_full.bmp", args + "basics/plainGlow.vbr");
    const Picture other = Render("tf_named_other.bmp", args + "ink/feltMarker");
    EXPECT_TRUE(bare.bgr == full.bgr);
    EXPECT_FALSE(bare.bgr == other.bgr) << "the preset named is the one painted";
}

TEST_F(RenderedPicture, BrightBackgroundIsAGradientBetweenSevenTenthsAndOne) {
    // With no stroke painted yet, the first frame shows only the background.
    const Picture p = Render("tf_bright.bmp", "--size 200x300 --frames 1 --clock 77 --background bright");
    ASSERT_EQ(p.width, 200);
    for (int y : {0, 150, 299}) {
        const uint8_t* px = p.At(3, y);
        for (int k = 0; k < 3; ++k) EXPECT_GE(px[k], 178) << "row " << y << " seed 77";
    }
}

TEST_F(RenderedPicture, WideWindowShowsTheLogoInTheBottomRightCorner) {
    const Picture p = Render("tf_logo.bmp", "--size 1280x720 --frames 1 --clock 3 --background dark");
    // Logo 112 (178x220) sits 8 pixels in from the corner; its drop is lighter than the dark background.
    const uint8_t* centre = p.At(1280 - 8 - 89, 720 - 8 - 60);
    const uint8_t* outside = p.At(1280 - 8 - 178 - 20, 720 - 8 - 60);
    EXPECT_GT(centre[0] + centre[1] + centre[2], outside[0] + outside[1] + outside[2] + 60);
}

TEST_F(RenderedPicture, NarrowWindowHasNoLogo) {
    const Picture a = Render("tf_narrow.bmp", "--size 399x300 --frames 1 --clock 3 --background dark");
    // Without a logo, the bottom-right corner is plain background gradient: one colour per row.
    const uint8_t* left = a.At(10, 250);
    const uint8_t* right = a.At(350, 250);
    EXPECT_EQ(std::vector<uint8_t>(left, left + 3), std::vector<uint8_t>(right, right + 3));
}

}  // namespace
