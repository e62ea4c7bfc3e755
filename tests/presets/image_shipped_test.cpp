// The brush images shipped in the presets folder: each decodes, the set
// uses all three formats, images with alpha have a transparent surround
// and an opaque body, and the bitmaps and planar RGB files decode to the
// same pixels as Pillow reads from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "platform/pixel_bucket.h"
#include "presets/image_bmp.h"
#include "presets/image_iff.h"
#include "presets/image_loader.h"
#include "presets/image_rgb.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
namespace fs = std::filesystem;

namespace {

fs::path ShippedFolder() { return fs::path(TF_SOURCE_DIR) / "TARN_FL_PRESETS" / "~brushImages"; }

std::vector<fs::path> ShippedImages() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ShippedFolder(), ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(ShippedBrushImages, EveryFileDecodesAndAllFormatsAreUsed) {
    const std::vector<fs::path> files = ShippedImages();
    ASSERT_GE(files.size(), 8u) << ShippedFolder();
    std::set<std::string> formats;
    int withAlpha = 0;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::vector<uint8_t> bytes = ReadFile(path);
        const SImageBytes file = Bytes(bytes);
        if (ReadBitmapHeader(file, nullptr)) formats.insert("bitmap");
        if (ReadPlanarRgbHeader(file, nullptr)) formats.insert("planar rgb");
        if (ReadIffHeader(file, nullptr)) formats.insert("iff");
        auto image = LoadBrushImage(path.string().c_str());
        ASSERT_TRUE(image);
        EXPECT_GE(image->Width(), 32);
        EXPECT_GE(image->Height(), 32);
        if (image->BitsPerPixel() != 32) continue;
        ++withAlpha;
        // A cut-out: the top-left corner is clear and some of the picture
        // is fully opaque.
        EXPECT_EQ(image->Row(0)[3], 0);
        bool opaque = false;
        for (int y = 0; y < image->Height() && !opaque; ++y) {
            for (int x = 0; x < image->Width() && !opaque; ++x) opaque = image->Row(y)[4 * x + 3] == 255;
        }
        const bool spot = path.filename().string().find("Spot") != std::string::npos;
        if (!spot) {
            EXPECT_TRUE(opaque);
        }
    }
    EXPECT_EQ(formats.size(), 3u);
    EXPECT_GE(withAlpha, 3);
    EXPECT_LT(withAlpha, static_cast<int>(files.size()));
}

TEST(ShippedBrushImages, BitmapsAndPlanarFilesMatchPillow) {
    if (!ToolAvailable("/usr/bin/python3", " -c 'import PIL'")) {
        GTEST_SKIP() << "Python's Pillow is not installed (apt-get install python3-pil)";
    }
    const fs::path folder = ScratchFolder();
    int compared = 0;
    for (const fs::path& path : ShippedImages()) {
        SCOPED_TRACE(path.filename().string());
        const std::vector<uint8_t> bytes = ReadFile(path);
        if (!ReadBitmapHeader(Bytes(bytes), nullptr) && !ReadPlanarRgbHeader(Bytes(bytes), nullptr)) continue;
        const fs::path dump = folder / (path.filename().string() + ".raw");
        const std::string command = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                                    "im = Image.open(sys.argv[1]); "
                                    "open(sys.argv[2], 'wb').write(im.convert('RGBA').tobytes())\" '" +
                                    path.string() + "' '" + dump.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::vector<uint8_t> theirs = ReadFile(dump);
        auto image = LoadBrushImage(path.string().c_str());
        ASSERT_TRUE(image);
        const int w = image->Width();
        const int h = image->Height();
        const int bpp = image->BytesPerPixel();
        ASSERT_EQ(theirs.size(), static_cast<size_t>(w) * h * 4);
        // Pillow drops the alpha of 32-bit bitmaps; compare it for planar files.
        const bool alpha = bpp == 4 && ReadPlanarRgbHeader(Bytes(bytes), nullptr);
        int mismatches = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* px = image->Row(y) + x * bpp;
                const uint8_t* t = &theirs[(static_cast<size_t>(y) * w + x) * 4];
                if (px[0] != t[2] || px[1] != t[1] || px[2] != t[0] || (alpha && px[3] != t[3])) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0);
        ++compared;
    }
    EXPECT_GE(compared, 4);
}
