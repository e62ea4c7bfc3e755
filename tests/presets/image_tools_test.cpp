// Decoding files written by independent tools: ImageMagick's convert and
// Python's Pillow write bitmaps and planar RGB files from a picture of
// ours, then decode their own files to raw RGBA, and our decoder must give
// exactly those pixels. Fixtures are made at test time in the build folder;
// a missing tool skips its cases with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/pixel_bucket.h"
#include "presets/image_bmp.h"
#include "presets/image_loader.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kConvert = "/usr/bin/convert";
constexpr const char* kPython = "/usr/bin/python3";

// Pillow's side: make a file from raw RGBA, or dump a file's pixels as raw
// RGB or RGBA (whatever Pillow decodes; the first byte of the dump says 3
// or 4 channels).
constexpr const char* kPillowScript = R"PY(
import sys
from PIL import Image
if sys.argv[1] == 'make':
    _, _, src, w, h, mode, out, fmt = sys.argv
    im = Image.frombytes('RGBA', (int(w), int(h)), open(src, 'rb').read())
    if mode == 'RGB':
        im = im.convert('RGB')
    im.save(out, format=fmt)
else:
    _, _, path, out = sys.argv
    im = Image.open(path)
    im.load()
    mode = 'RGBA' if 'A' in im.mode else 'RGB'
    data = im.convert(mode).tobytes()
    open(out, 'wb').write(bytes([len(mode)]) + data)
)PY";

bool RunTool(const std::string& command, const fs::path& log) {
    const std::string full = command + " >>'" + log.string() + "' 2>&1";
    return std::system(full.c_str()) == 0;
}

bool HaveConvert() { return ToolAvailable(kConvert, " -version"); }
bool HavePillow() { return ToolAvailable(kPython, " -c 'import PIL'"); }

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// The source picture: odd width, flat stretches (so run-length files hold
// runs), a gradient and varying alpha, including fully transparent pixels.
SPicture SourcePicture(int w, int h) {
    SPicture p = brush_images::PatternPicture(w, h, 5);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* px = p.At(x, y);
            if (x >= w / 2) {
                px[0] = 240;
                px[1] = static_cast<uint8_t>(y * 30);
                px[2] = 17;
                px[3] = 255;
            }
            if (x == 0) px[3] = 0;
        }
    }
    return p;
}

// A reference dump: the pixels a tool decodes, with 3 or 4 channels.
struct SReference {
    int channels = 0;
    std::vector<uint8_t> pixels;
};

// ImageMagick dumps RGBA always; Pillow says what it has.
bool LoadDump(const fs::path& path, bool firstByteIsChannels, int w, int h, SReference* out) {
    std::vector<uint8_t> data = ReadFile(path);
    if (firstByteIsChannels) {
        if (data.empty()) return false;
        out->channels = data[0];
        data.erase(data.begin());
    } else {
        out->channels = 4;
    }
    out->pixels = data;
    return data.size() == static_cast<size_t>(w) * h * out->channels;
}

// Colour bytes always; alpha when both our image and the tool's reading
// have it.
::testing::AssertionResult MatchesReference(const CPPixelBucket* image, const SReference& ref, int w, int h,
                                             int expectedBits) {
    if (!image || !image->Valid()) return ::testing::AssertionFailure() << "our decoder gave no image";
    if (image->Width() != w || image->Height() != h || image->BitsPerPixel() != expectedBits) {
        return ::testing::AssertionFailure() << "got " << image->Width() << "x" << image->Height() << " at "
                                             << image->BitsPerPixel() << " bits";
    }
    const int ours = expectedBits / 8;
    const bool alpha = ours == 4 && ref.channels == 4;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* theirs = &ref.pixels[(static_cast<size_t>(y) * w + x) * ref.channels];
            const uint8_t* px = image->Row(y) + static_cast<size_t>(x) * ours;
            const uint8_t want[4] = {theirs[2], theirs[1], theirs[0], alpha ? theirs[3] : uint8_t(0)};
            for (int c = 0; c < (alpha ? 4 : 3); ++c) {
                if (px[c] != want[c]) {
                    return ::testing::AssertionFailure() << "pixel (" << x << ", row " << y << " from the top) byte "
                                                         << c << ": ours " << int(px[c]) << ", tool's " << int(want[c]);
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The same bitmap with its rows stored top-down: rows reversed, height
// negated. The file stays the tool's in every other byte.
std::vector<uint8_t> AsTopDown(const std::vector<uint8_t>& bmp) {
    SBitmapFileInfo info;
    if (!ReadBitmapHeader(SImageBytes{bmp.data(), bmp.size()}, &info) || info.height <= 0) return {};
    const size_t stride = ((info.bitsPerPixel * info.width + 31) / 32) * 4;
    const size_t rows = static_cast<size_t>(info.height);
    if (info.dataOffset + stride * rows > bmp.size()) return {};
    std::vector<uint8_t> out = bmp;
    for (size_t k = 0; k < rows; ++k) {
        std::copy(bmp.begin() + info.dataOffset + k * stride, bmp.begin() + info.dataOffset + (k + 1) * stride,
                  out.begin() + info.dataOffset + (rows - 1 - k) * stride);
    }
    const uint32_t negative = static_cast<uint32_t>(-info.height);
    for (int i = 0; i < 4; ++i) out[22 + i] = static_cast<uint8_t>(negative >> (8 * i));
    return out;
}

}  // namespace

enum class Tool { ImageMagick, Pillow };

struct ToolCase {
    const char* name;
    Tool tool;
    const char* make;  // ImageMagick: options and output coder; Pillow: "MODE FORMAT"
    const char* ext;
    int width;
    int height;
    int expectedBits;
    bool topDown;  // derive a top-down copy of the tool's bottom-up bitmap
};

void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class ToolMadeImages : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolMadeImages, DecodeToTheToolsOwnPixels) {
    const ToolCase& c = GetParam();
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed (apt-get install imagemagick)";
    if (c.tool == Tool::Pillow && !HavePillow()) {
        GTEST_SKIP() << "Python's Pillow is not installed (apt-get install python3-pil)";
    }
    const fs::path folder = ScratchFolder();
    const fs::path log = folder / "tools.log";
    const SPicture source = SourcePicture(c.width, c.height);
    const fs::path src = folder / "source.rgba";
    ASSERT_TRUE(WriteFile(src, source.rgba));
    const fs::path made = folder / (std::string("made.") + c.ext);
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    const fs::path script = folder / "pillow_side.py";
    ASSERT_TRUE(WriteFile(script, std::vector<uint8_t>(kPillowScript, kPillowScript + std::strlen(kPillowScript))));

    if (c.tool == Tool::ImageMagick) {
        const std::string make = std::string(kConvert) + " -size " + size + " -depth 8 rgba:" + Quote(src) + " " +
                                 c.make + made.string();
        ASSERT_TRUE(RunTool(make, log)) << make << " (see " << log.string() << ")";
    } else {
        const std::string spec = c.make;
        const std::string mode = spec.substr(0, spec.find(' '));
        const std::string format = spec.substr(spec.find(' ') + 1);
        const std::string make = std::string(kPython) + " " + Quote(script) + " make " + Quote(src) + " " +
                                 std::to_string(c.width) + " " + std::to_string(c.height) + " " + mode + " " +
                                 Quote(made) + " " + format;
        ASSERT_TRUE(RunTool(make, log)) << make;
    }
    fs::path decoded = made;
    if (c.topDown) {
        const std::vector<uint8_t> flipped = AsTopDown(ReadFile(made));
        ASSERT_FALSE(flipped.empty()) << "the tool did not write a bottom-up bitmap";
        decoded = folder / (std::string("topdown.") + c.ext);
        ASSERT_TRUE(WriteFile(decoded, flipped));
    }

    // The reference is what the tool reads back from the very file we decode.
    SReference ref;
    const fs::path dump = folder / "dump.raw";
    if (c.tool == Tool::ImageMagick) {
        ASSERT_TRUE(RunTool(std::string(kConvert) + " " + Quote(decoded) + " -depth 8 rgba:" + Quote(dump), log));
        ASSERT_TRUE(LoadDump(dump, false, c.width, c.height, &ref));
    } else {
        ASSERT_TRUE(RunTool(std::string(kPython) + " " + Quote(script) + " dump " + Quote(decoded) + " " + Quote(dump), log));
        ASSERT_TRUE(LoadDump(dump, true, c.width, c.height, &ref));
    }
    auto image = LoadBrushImage(decoded.string().c_str());
    EXPECT_TRUE(MatchesReference(image.get(), ref, c.width, c.height, c.expectedBits)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolMadeImages,
    ::testing::Values(
        ToolCase{"magickBmp24", Tool::ImageMagick, "-alpha off bmp3:", "bmp", 13, 7, 24, false},
        ToolCase{"magickBmp24TopDown", Tool::ImageMagick, "-alpha off bmp3:", "bmp", 13, 7, 24, true},
        ToolCase{"magickBmp24Narrow", Tool::ImageMagick, "-alpha off bmp3:", "bmp", 1, 9, 24, false},
        ToolCase{"magickBmp32", Tool::ImageMagick, "-define bmp3:alpha=true bmp3:", "bmp", 13, 7, 32, false},
        ToolCase{"magickBmp32TopDown", Tool::ImageMagick, "-define bmp3:alpha=true bmp3:", "bmp", 11, 6, 32, true},
        ToolCase{"magickRgb3Verbatim", Tool::ImageMagick, "-alpha off -compress None sgi:", "rgb", 13, 7, 24, false},
        ToolCase{"magickRgb4Verbatim", Tool::ImageMagick, "-compress None sgi:", "rgb", 13, 7, 32, false},
        ToolCase{"magickRgb3RunLength", Tool::ImageMagick, "-alpha off -compress RLE sgi:", "rgb", 31, 6, 24, false},
        ToolCase{"magickRgb4RunLength", Tool::ImageMagick, "-compress RLE sgi:", "rgb", 13, 7, 32, false},
        ToolCase{"magickRgb4RunLengthWide", Tool::ImageMagick, "-compress RLE sgi:", "rgb", 301, 3, 32, false},
        ToolCase{"pillowBmp24", Tool::Pillow, "RGB BMP", "bmp", 13, 7, 24, false},
        ToolCase{"pillowBmp24TopDown", Tool::Pillow, "RGB BMP", "bmp", 30, 3, 24, true},
        ToolCase{"pillowBmp32", Tool::Pillow, "RGBA BMP", "bmp", 13, 7, 32, false},
        ToolCase{"pillowBmp32TopDown", Tool::Pillow, "RGBA BMP", "bmp", 5, 8, 32, true},
        ToolCase{"pillowRgb3", Tool::Pillow, "RGB SGI", "sgi", 13, 7, 24, false},
        ToolCase{"pillowRgb4", Tool::Pillow, "RGBA SGI", "sgi", 9, 5, 32, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ImageMagick's default bitmap has a 124-byte header (and bit fields at 32
// bits): neither is read, so the file gives no image rather than a wrong one.
TEST(ImageMagickDefaults, LargeHeaderBitmapIsNotReadAsABitmap) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed (apt-get install imagemagick)";
    const fs::path folder = ScratchFolder();
    const fs::path src = folder / "source.rgba";
    ASSERT_TRUE(WriteFile(src, SourcePicture(4, 3).rgba));
    const fs::path made = folder / "v5.bmp";
    ASSERT_TRUE(RunTool(std::string(kConvert) + " -size 4x3 -depth 8 rgba:" + Quote(src) + " bmp:" + Quote(made),
                    folder / "tools.log"));
    const std::vector<uint8_t> file = ReadFile(made);
    ASSERT_GT(file.size(), 18u);
    EXPECT_EQ(file[14], 124) << "expected ImageMagick's large header";
    EXPECT_FALSE(ReadBitmapHeader(Bytes(file), nullptr));
    EXPECT_EQ(LoadBrushImage(made.string().c_str()), nullptr);
}
