#include <gtest/gtest.h>

#include "platform/pixel_bucket.h"
#include "presets/image_rgb.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
using brush_images::PatternPicture;
using brush_images::SPlanarRgbOptions;
using brush_images::WritePlanarRgb;

struct PlanarCase {
    const char* name;
    int width;
    int height;
    int channels;
    bool runLength;
};

void PrintTo(const PlanarCase& c, std::ostream* os) { *os << c.name; }

class PlanarRgbRoundTrip : public ::testing::TestWithParam<PlanarCase> {};

namespace {

void PutBE32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// A picture with long flat stretches, so run-length lines hold both runs
// and literals.
SPicture Banded(int w, int h) {
    SPicture p = PatternPicture(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = w / 3; x < w; ++x) {
            uint8_t* px = p.At(x, y);
            px[0] = static_cast<uint8_t>(y * 40);
            px[1] = 200;
            if (x > w / 2) px[3] = 255;
        }
    }
    return p;
}

}  // namespace

TEST_P(PlanarRgbRoundTrip, DecodesUprightBgraImage) {
    const PlanarCase& c = GetParam();
    const SPicture p = Banded(c.width, c.height);
    SPlanarRgbOptions opt;
    opt.channels = c.channels;
    opt.runLength = c.runLength;
    const std::vector<uint8_t> file = WritePlanarRgb(p, opt);
    auto image = DecodePlanarRgb(Bytes(file));
    EXPECT_TRUE(HoldsPicture(image.get(), p, c.channels));
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->TopDown());
}

INSTANTIATE_TEST_SUITE_P(PlanarRgb, PlanarRgbRoundTrip,
                         ::testing::Values(PlanarCase{"verbatim3", 7, 5, 3, false},
                                           PlanarCase{"verbatim4", 7, 5, 4, false},
                                           PlanarCase{"runLength3", 300, 4, 3, true},
                                           PlanarCase{"runLength4", 31, 9, 4, true},
                                           PlanarCase{"onePixelRunLength", 1, 1, 4, true},
                                           PlanarCase{"oneColumnVerbatim", 1, 6, 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlanarRgbHeader, RefusesWhatTheDecoderCannotRead) {
    struct Corruption {
        const char* what;
        size_t offset;
        uint32_t value;
        int bytes;  // big-endian width of the field
    };
    const Corruption cases[] = {
        {"magic", 0, 475, 2},          {"storage 2", 2, 2, 1},        {"two bytes per channel", 3, 2, 1},
        {"dimension 1", 4, 1, 2},      {"one channel", 10, 1, 2},     {"two channels", 10, 2, 2},
        {"five channels", 10, 5, 2},   {"colour map kind 4", 104, 4, 4},
    };
    const std::vector<uint8_t> good = WritePlanarRgb(PatternPicture(3, 3));
    ASSERT_TRUE(ReadPlanarRgbHeader(Bytes(good), nullptr));
    for (const Corruption& c : cases) {
        std::vector<uint8_t> file = good;
        for (int i = 0; i < c.bytes; ++i) file[c.offset + i] = static_cast<uint8_t>(c.value >> (8 * (c.bytes - 1 - i)));
        EXPECT_FALSE(ReadPlanarRgbHeader(Bytes(file), nullptr)) << c.what;
        EXPECT_EQ(DecodePlanarRgb(Bytes(file)), nullptr) << c.what;
    }
    std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 511);
    EXPECT_FALSE(ReadPlanarRgbHeader(Bytes(shortHeader), nullptr));
    std::vector<uint8_t> zeroWidth = good;
    zeroWidth[6] = zeroWidth[7] = 0;
    EXPECT_EQ(DecodePlanarRgb(Bytes(zeroWidth)), nullptr);
}

TEST(PlanarRgbHeader, AcceptsColourMapKindsUpToThree) {
    for (uint32_t kind = 0; kind <= 3; ++kind) {
        std::vector<uint8_t> file = WritePlanarRgb(PatternPicture(2, 2));
        PutBE32(file, 104, kind);
        EXPECT_TRUE(ReadPlanarRgbHeader(Bytes(file), nullptr)) << kind;
    }
}

TEST(PlanarRgbDecode, RunsPastTheScanlineAreClipped) {
    // A 4 x 1 image whose every channel line claims a run of 100 and then
    // literals that would run on past the line.
    SPlanarRgbOptions opt;
    opt.runLength = true;
    std::vector<uint8_t> file = WritePlanarRgb(PatternPicture(4, 1), opt);
    file.resize(512 + 8 * 3);
    for (int z = 0; z < 3; ++z) {
        PutBE32(file, 512 + 4 * z, static_cast<uint32_t>(file.size()));
        const uint8_t line[] = {100, static_cast<uint8_t>(10 + z), 0x80 | 20, 1, 2, 3, 4, 5, 0};
        PutBE32(file, 512 + 12 + 4 * z, sizeof line);
        file.insert(file.end(), line, line + sizeof line);
    }
    auto image = DecodePlanarRgb(Bytes(file));
    ASSERT_TRUE(image);
    for (int x = 0; x < 4; ++x) {
        const uint8_t* px = image->Row(0) + 3 * x;
        EXPECT_EQ(px[2], 10);  // R from channel 0
        EXPECT_EQ(px[1], 11);
        EXPECT_EQ(px[0], 12);
    }
}

TEST(PlanarRgbDecode, ScanlinesOutsideTheFileStayZero) {
    SPlanarRgbOptions opt;
    opt.runLength = true;
    const SPicture p = PatternPicture(5, 3);
    std::vector<uint8_t> file = WritePlanarRgb(p, opt);
    // Scanline 1 (the middle row) of channel 0: offset far outside; of
    // channel 1: a length reaching past the end of the file.
    PutBE32(file, 512 + 4 * 1, 0xFFFFFFF0u);
    PutBE32(file, 512 + 4 * (9 + 4), 0xFFFFFFFFu);
    auto image = DecodePlanarRgb(Bytes(file));
    ASSERT_TRUE(image);
    const uint8_t* middle = image->Row(1);
    uint8_t want[4];
    brush_images::ExpectedBgra(p, 0, 1, 3, want);
    for (int x = 0; x < 5; ++x) {
        brush_images::ExpectedBgra(p, x, 1, 3, want);
        EXPECT_EQ(middle[3 * x + 2], 0);        // red line lost
        EXPECT_EQ(middle[3 * x + 1], want[1]);  // green read up to the end of the file
        EXPECT_EQ(middle[3 * x + 0], want[0]);  // blue intact
    }
    brush_images::ExpectedBgra(p, 0, 0, 3, want);
    EXPECT_EQ(image->Row(0)[2], want[2]);
}

TEST(PlanarRgbDecode, VerbatimFileCutShortKeepsWholeScanlines) {
    const SPicture p = PatternPicture(6, 4);
    std::vector<uint8_t> file = WritePlanarRgb(p);
    file.resize(512 + 6 * 4 + 6);  // all red lines and the bottom green line
    auto image = DecodePlanarRgb(Bytes(file));
    ASSERT_TRUE(image);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            uint8_t want[4];
            brush_images::ExpectedBgra(p, x, y, 3, want);
            const uint8_t* px = image->Row(y) + 3 * x;
            EXPECT_EQ(px[2], want[2]);
            EXPECT_EQ(px[1], y == 3 ? want[1] : 0);
            EXPECT_EQ(px[0], 0);
        }
    }
    file.resize(512);
    EXPECT_EQ(DecodePlanarRgb(Bytes(file)), nullptr);
}
