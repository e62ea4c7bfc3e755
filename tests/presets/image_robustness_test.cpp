// Truncated and corrupted image files: every prefix of each small fixture
// and many seeded byte flips must decode to nothing or to a sound image,
// never read or write outside the file or the image (the sanitizer build
// runs these too).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/pixel_bucket.h"
#include "presets/image_bmp.h"
#include "presets/image_iff.h"
#include "presets/image_limits.h"
#include "presets/image_loader.h"
#include "presets/image_rgb.h"
#include "presets/notify.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
using brush_images::PatternPicture;

namespace {

struct Fixture {
    std::string name;
    std::vector<uint8_t> file;
};

std::vector<Fixture> SmallFixtures() {
    const SPicture p = PatternPicture(7, 5);
    SPicture flat = PatternPicture(9, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 3; x < 9; ++x) flat.At(x, y)[0] = flat.At(x, y)[1] = flat.At(x, y)[2] = 80;
    }
    std::vector<Fixture> f;
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            brush_images::SBitmapOptions o;
            o.bitsPerPixel = bits;
            o.topDown = topDown;
            f.push_back({"bmp" + std::to_string(bits) + (topDown ? "TopDown" : ""), brush_images::WriteBitmap(p, o)});
        }
    }
    for (int channels : {3, 4}) {
        for (bool rle : {false, true}) {
            brush_images::SPlanarRgbOptions o;
            o.channels = channels;
            o.runLength = rle;
            f.push_back({"rgb" + std::to_string(channels) + (rle ? "Rle" : ""), brush_images::WritePlanarRgb(flat, o)});
        }
    }
    for (int channels : {3, 4}) {
        for (bool rle : {false, true}) {
            brush_images::SIffOptions o;
            o.channels = channels;
            o.runLength = rle;
            o.tileWidth = 4;
            o.tileHeight = 4;
            o.depthTiles = channels == 4 && rle;
            o.extraChunks = true;
            f.push_back({"iff" + std::to_string(channels) + (rle ? "Rle" : ""), brush_images::WriteIff(flat, o)});
        }
    }
    return f;
}

// Any image given is sound: a valid owning bucket of 24 or 32 bits, sides
// inside the limits, every byte of every row readable (the sanitizer sees
// a bad one).
::testing::AssertionResult SoundOrNone(const CPPixelBucket* image) {
    if (!image) return ::testing::AssertionSuccess();
    if (!image->Valid() || !image->OwnsPixels()) return ::testing::AssertionFailure() << "invalid image";
    if (image->BitsPerPixel() != 24 && image->BitsPerPixel() != 32) {
        return ::testing::AssertionFailure() << "depth " << image->BitsPerPixel();
    }
    if (image->Width() < 1 || image->Height() < 1 || image->Width() > kMaxImageSide ||
        image->Height() > kMaxImageSide) {
        return ::testing::AssertionFailure() << "size " << image->Width() << "x" << image->Height();
    }
    unsigned sum = 0;
    const int rowBytes = image->Width() * image->BytesPerPixel();
    for (int y = 0; y < image->Height(); ++y) {
        const uint8_t* row = image->Row(y);
        for (int i = 0; i < rowBytes; ++i) sum += row[i];
    }
    (void)sum;
    return ::testing::AssertionSuccess();
}

// Every decoder on the same bytes, and the content-chosen path.
::testing::AssertionResult AllDecodersSurvive(const std::vector<uint8_t>& bytes) {
    // An exact-size copy, so reading one byte past the end is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    const SImageBytes file{bytes.empty() ? nullptr : copy.get(), bytes.size()};
    for (auto* decode : {&DecodeBitmap, &DecodePlanarRgb, &DecodeIff, &DecodeBrushImage}) {
        auto image = decode(file);
        ::testing::AssertionResult r = SoundOrNone(image.get());
        if (!r) return r;
    }
    return ::testing::AssertionSuccess();
}

class QuietNotes : public ::testing::Test {
protected:
    void SetUp() override { previous_ = SetNotifySink([](const char*) {}); }
    void TearDown() override { SetNotifySink(previous_); }
    TNotifySink previous_ = nullptr;
};

using ImageRobustness = QuietNotes;

}  // namespace

TEST_F(ImageRobustness, EveryPrefixOfEveryFixtureDecodesSafely) {
    for (const Fixture& f : SmallFixtures()) {
        ASSERT_TRUE(DecodeBrushImage(Bytes(f.file))) << f.name << " must decode whole";
        for (size_t n = 0; n <= f.file.size(); ++n) {
            const std::vector<uint8_t> prefix(f.file.begin(), f.file.begin() + n);
            ASSERT_TRUE(AllDecodersSurvive(prefix)) << f.name << " cut to " << n << " bytes";
        }
    }
}

TEST_F(ImageRobustness, PrefixesPastTheHeaderGiveThePictureSize) {
    // Once the header is whole, a cut file keeps its size and gives the
    // pixels it holds; the full file gives the full picture.
    for (const Fixture& f : SmallFixtures()) {
        auto whole = DecodeBrushImage(Bytes(f.file));
        ASSERT_TRUE(whole) << f.name;
        const size_t header = f.name.rfind("bmp", 0) == 0 ? 54 + 4 : f.name.rfind("rgb", 0) == 0 ? 512 + 200 : f.file.size();
        for (size_t n = header; n <= f.file.size(); ++n) {
            const std::vector<uint8_t> prefix(f.file.begin(), f.file.begin() + n);
            auto image = DecodeBrushImage(Bytes(prefix));
            ASSERT_TRUE(image) << f.name << " cut to " << n;
            EXPECT_EQ(image->Width(), whole->Width());
            EXPECT_EQ(image->Height(), whole->Height());
        }
    }
}

TEST_F(ImageRobustness, SeededByteFlipsDecodeSafely) {
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    for (const Fixture& f : SmallFixtures()) {
        for (int trial = 0; trial < 3000; ++trial) {
            std::vector<uint8_t> bytes = f.file;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < flips; ++k) {
                // Half the flips land in the first 600 bytes, where the
                // headers and tables are.
                const size_t range = (random() & 1) ? std::min<size_t>(600, bytes.size()) : bytes.size();
                const size_t at = random() % range;
                switch (random() % 3) {
                    case 0: bytes[at] = static_cast<uint8_t>(random()); break;
                    case 1: bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
                    default: bytes[at] = (random() & 1) ? 0xFF : 0x00; break;
                }
            }
            ASSERT_TRUE(AllDecodersSurvive(bytes)) << f.name << " trial " << trial << " seed " << seed;
        }
    }
}

TEST_F(ImageRobustness, ToolMadeRunLengthFileSurvivesCutsAndFlips) {
    if (!ToolAvailable("/usr/bin/convert", " -version")) {
        GTEST_SKIP() << "ImageMagick's convert is not installed (apt-get install imagemagick)";
    }
    const std::filesystem::path folder = ScratchFolder();
    const std::filesystem::path src = folder / "source.rgba";
    const std::filesystem::path made = folder / "made.rgb";
    ASSERT_TRUE(WriteFile(src, PatternPicture(11, 6).rgba));
    const std::string command = "/usr/bin/convert -size 11x6 -depth 8 rgba:'" + src.string() +
                                "' -compress RLE sgi:'" + made.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> file = ReadFile(made);
    ASSERT_TRUE(DecodeBrushImage(Bytes(file)));
    for (size_t n = 0; n <= file.size(); ++n) {
        ASSERT_TRUE(AllDecodersSurvive(std::vector<uint8_t>(file.begin(), file.begin() + n))) << n;
    }
    std::mt19937 random(7);
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<uint8_t> bytes = file;
        bytes[random() % std::min<size_t>(bytes.size(), 512 + 8 * 6 * 4 + 16)] = static_cast<uint8_t>(random());
        bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        ASSERT_TRUE(AllDecodersSurvive(bytes)) << "trial " << trial;
    }
}
