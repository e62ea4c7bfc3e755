#include "platform/dib_block.h"

#include <gtest/gtest.h>

#include <memory>

#include "dib_fixtures.h"
#include "platform/offscreen.h"

namespace {

// The fixture's pixel at picture position (x, y) is B = x, G = y, R = 0x80.
void ExpectFixturePixels(const CPOffscreen& s) {
    const int bytes = s.BitsPerPixel() / 8;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            const uint8_t* p = s.Row(y) + x * bytes;
            ASSERT_EQ(p[0], x) << x << "," << y;
            ASSERT_EQ(p[1], y) << x << "," << y;
            ASSERT_EQ(p[2], 0x80) << x << "," << y;
        }
    }
}

// A BI_BITFIELDS block: the 40-byte header, three masks, then the rows.
std::vector<uint8_t> WithMasks(std::vector<uint8_t> dib) {
    PatchHeader(dib, 16, static_cast<int32_t>(kDibBitfields));
    const uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    dib.insert(dib.begin() + 40, reinterpret_cast<const uint8_t*>(masks), reinterpret_cast<const uint8_t*>(masks) + 12);
    return dib;
}

TEST(DibBlock, ReadsEveryAcceptedLayoutByPicturePosition) {
    const struct {
        const char* name;
        std::vector<uint8_t> block;
        bool topDown;
        int bits;
    } cases[] = {
        {"24-bit bottom-up, odd width (row padding)", MakePackedDib(13, 7, 24), false, 24},
        {"24-bit top-down", MakePackedDib(13, -7, 24), true, 24},
        {"32-bit bottom-up", MakePackedDib(9, 5, 32), false, 32},
        {"32-bit bit fields after the header", WithMasks(MakePackedDib(9, 5, 32)), false, 32},
        {"32-bit bit fields top-down", WithMasks(MakePackedDib(9, -5, 32)), true, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CPOffscreen> s(SurfaceFromDibBlock(c.block.data(), c.block.size(), true));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->TopDown(), c.topDown);
        EXPECT_EQ(s->BitsPerPixel(), c.bits);
        ExpectFixturePixels(*s);
    }
}

TEST(DibBlock, RefusesShallowStrangeAndOverlongBlocks) {
    auto withField = [](std::vector<uint8_t> dib, size_t offset, int32_t value) {
        PatchHeader(dib, offset, value);
        return dib;
    };
    auto cut = [](std::vector<uint8_t> dib, size_t bytes) {
        dib.resize(dib.size() - bytes);
        return dib;
    };
    const std::vector<uint8_t> good = MakePackedDib(13, 7, 24);
    const struct {
        const char* name;
        std::vector<uint8_t> block;
    } cases[] = {
        {"8 bits with a palette", MakePackedDib(8, 8, 8)},
        {"16 bits", MakePackedDib(8, 8, 16)},
        {"one byte short of the last row", cut(good, 1)},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
        {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 39)},
        {"more rows claimed than held", withField(good, 8, 8)},
        {"more top-down rows claimed than held", withField(good, 8, -8)},
        {"absurd height", withField(good, 8, 0x7FFFFFFF)},
        {"most negative height", withField(good, 8, INT32_MIN)},
        {"zero height", withField(good, 8, 0)},
        {"negative width", withField(good, 4, -13)},
        {"absurd width", withField(good, 4, 70000)},
        {"header size past the block", withField(good, 0, 1 << 30)},
        {"header size below 40", withField(good, 0, 12)},
        {"run-length compression", withField(good, 16, 1)},
        {"colour table past the block", withField(good, 32, 256)},
        {"absurd colour count", withField(good, 32, 1 << 20)},
        {"bit fields without room for the masks", withField(good, 16, static_cast<int32_t>(kDibBitfields))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SPackedDibView view;
        EXPECT_FALSE(ParseDibBlock(c.block.data(), c.block.size(), &view));
        EXPECT_EQ(SurfaceFromDibBlock(c.block.data(), c.block.size(), true), nullptr);
    }
    EXPECT_EQ(SurfaceFromDibBlock(nullptr, 100, true), nullptr);
}

TEST(DibBlock, WrittenBlockIsTheSurfaceAsAHeaderAndItsRows) {
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const std::vector<uint8_t> source = MakePackedDib(11, topDown ? -6 : 6, 32);
        std::unique_ptr<CPOffscreen> s(SurfaceFromDibBlock(source.data(), source.size(), true));
        ASSERT_TRUE(s);
        const size_t size = DibBlockSize(*s);
        ASSERT_EQ(size, 40u + 11 * 4 * 6);
        std::vector<uint8_t> block(size);
        EXPECT_FALSE(WriteDibBlock(*s, block.data(), size - 1));
        ASSERT_TRUE(WriteDibBlock(*s, block.data(), size));
        SBitmapInfoHeader h;
        std::memcpy(&h, block.data(), 40);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, 11);
        EXPECT_EQ(h.biHeight, topDown ? -6 : 6);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, kDibRgb);
        EXPECT_EQ(h.biSizeImage | h.biClrUsed | h.biClrImportant, 0u);
        EXPECT_EQ(h.biXPelsPerMeter | h.biYPelsPerMeter, 0);
        // The rows are the fixture's rows, byte for byte.
        EXPECT_EQ(0, std::memcmp(block.data() + 40, source.data() + 40, size - 40));
        std::unique_ptr<CPOffscreen> back(SurfaceFromDibBlock(block.data(), block.size(), true));
        ASSERT_TRUE(back);
        ExpectFixturePixels(*back);
    }
}

TEST(DibBlock, OnlySurfacesOf24BitsOrMoreAreWritten) {
    CPOffscreen shallow(4, 4, 8, false, true);
    ASSERT_TRUE(shallow.Valid());
    EXPECT_EQ(DibBlockSize(shallow), 0u);
    uint8_t block[256];
    EXPECT_FALSE(WriteDibBlock(shallow, block, sizeof block));
    CPOffscreen invalid;
    EXPECT_EQ(DibBlockSize(invalid), 0u);
}

}  // namespace
