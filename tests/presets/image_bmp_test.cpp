#include <gtest/gtest.h>

#include "platform/pixel_bucket.h"
#include "presets/image_bmp.h"
#include "presets/image_limits.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
using brush_images::PatternPicture;
using brush_images::SBitmapOptions;
using brush_images::WriteBitmap;

struct BitmapCase {
    const char* name;
    int width;
    int height;
    int bits;
    bool topDown;
    uint32_t headerSize;
};

void PrintTo(const BitmapCase& c, std::ostream* os) { *os << c.name; }

class BitmapRoundTrip : public ::testing::TestWithParam<BitmapCase> {};

namespace {

void PutLE32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

// Whatever the file's row order, the decoded image is bottom-up and upright:
// Row(0) holds the picture's top row.
TEST_P(BitmapRoundTrip, DecodesUprightBottomUpImageOfFileDepth) {
    const BitmapCase& c = GetParam();
    const SPicture p = PatternPicture(c.width, c.height);
    SBitmapOptions opt;
    opt.bitsPerPixel = c.bits;
    opt.topDown = c.topDown;
    opt.infoHeaderSize = c.headerSize;
    const std::vector<uint8_t> file = WriteBitmap(p, opt);
    auto image = DecodeBitmap(Bytes(file));
    EXPECT_TRUE(HoldsPicture(image.get(), p, c.bits / 8));
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->TopDown());
    EXPECT_TRUE(image->OwnsPixels());
    EXPECT_EQ(image->RowStride() % 4, 0);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, BitmapRoundTrip,
                         ::testing::Values(BitmapCase{"bottomUp24Odd", 7, 5, 24, false, 40},
                                           BitmapCase{"topDown24Odd", 7, 5, 24, true, 40},
                                           BitmapCase{"bottomUp32", 6, 4, 32, false, 40},
                                           BitmapCase{"topDown32Odd", 5, 3, 32, true, 40},
                                           BitmapCase{"header108", 3, 9, 24, false, 108},
                                           BitmapCase{"header108TopDown32", 9, 2, 32, true, 108},
                                           BitmapCase{"onePixel24", 1, 1, 24, false, 40},
                                           BitmapCase{"oneRowWide", 33, 1, 24, true, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapHeader, RefusesWhatIsNotAnUncompressedBitmapOf24Or32Bits) {
    struct Corruption {
        const char* what;
        size_t offset;
        uint32_t value;
        int bytes;
    };
    const Corruption cases[] = {
        {"magic", 0, 0x4D43, 2},         {"header size 12", 14, 12, 4}, {"header size 124", 14, 124, 4},
        {"zero width", 18, 0, 4},        {"negative width", 18, 0xFFFFFFFF, 4}, {"zero height", 22, 0, 4},
        {"16 bits", 28, 16, 2},          {"8 bits", 28, 8, 2},          {"bit fields", 30, 3, 4},
        {"run-length 8", 30, 1, 4},
    };
    const std::vector<uint8_t> good = WriteBitmap(PatternPicture(4, 4));
    ASSERT_TRUE(ReadBitmapHeader(Bytes(good), nullptr));
    for (const Corruption& c : cases) {
        std::vector<uint8_t> file = good;
        for (int i = 0; i < c.bytes; ++i) file[c.offset + i] = static_cast<uint8_t>(c.value >> (8 * i));
        EXPECT_FALSE(ReadBitmapHeader(Bytes(file), nullptr)) << c.what;
        EXPECT_EQ(DecodeBitmap(Bytes(file)), nullptr) << c.what;
    }
}

TEST(BitmapDecode, FileCutShortKeepsTheRowsItHolds) {
    const SPicture p = PatternPicture(5, 6);
    const std::vector<uint8_t> full = WriteBitmap(p);  // bottom-up, stride 16
    const size_t stride = 16;
    // Two and a half stored rows: the two bottom rows and half a third.
    std::vector<uint8_t> cut(full.begin(), full.begin() + 54 + 2 * stride + 8);
    auto image = DecodeBitmap(Bytes(cut));
    ASSERT_TRUE(image);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 5; ++x) {
            uint8_t want[4];
            brush_images::ExpectedBgra(p, x, y, 3, want);
            const uint8_t* px = image->Row(y) + 3 * x;
            for (int c = 0; c < 3; ++c) {
                const bool stored = y >= 4 || (y == 3 && x * 3 + c < 8);
                EXPECT_EQ(px[c], stored ? want[c] : 0) << x << "," << y << "," << c;
            }
        }
    }
}

TEST(BitmapDecode, NoPixelDataGivesNoImage) {
    std::vector<uint8_t> file = WriteBitmap(PatternPicture(4, 4));
    file.resize(54);
    EXPECT_EQ(DecodeBitmap(Bytes(file)), nullptr);
    file = WriteBitmap(PatternPicture(4, 4));
    PutLE32(file, 10, 0x7FFFFFF0);  // data offset past the end
    EXPECT_EQ(DecodeBitmap(Bytes(file)), nullptr);
}

TEST(BitmapDecode, LyingSizesAreRefusedBeforeAllocating) {
    struct Lie {
        const char* what;
        int32_t width;
        int32_t height;
    };
    const Lie lies[] = {
        {"widest plus one", kMaxImageSide + 1, 1},
        {"tallest plus one", 1, kMaxImageSide + 1},
        {"most negative height", 1, INT32_MIN},
        {"huge width", INT32_MAX, 2},
        {"far more than a small file could fill", 16000, 16000},
    };
    for (const Lie& lie : lies) {
        std::vector<uint8_t> file = WriteBitmap(PatternPicture(2, 2));
        PutLE32(file, 18, static_cast<uint32_t>(lie.width));
        PutLE32(file, 22, static_cast<uint32_t>(lie.height));
        EXPECT_EQ(DecodeBitmap(Bytes(file)), nullptr) << lie.what;
    }
}
