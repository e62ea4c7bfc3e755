#include "platform/dib_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "dib_fixtures.h"

namespace {

TEST(DibFormat, RowStrideIsPaddedToFourBytes) {
    EXPECT_EQ(DibRowStride(24, 1), 4);
    EXPECT_EQ(DibRowStride(24, 3), 12);
    EXPECT_EQ(DibRowStride(24, 5), 16);
    EXPECT_EQ(DibRowStride(32, 513), 2052);
    EXPECT_EQ(DibRowStride(8, 5), 8);
    EXPECT_EQ(DibRowStride(1, 33), 8);
}

TEST(ParsePackedDib, ReadsHeaderColoursAndRows) {
    const auto dib = MakePackedDib(5, 3, 24);
    SPackedDibView v;
    ASSERT_TRUE(ParsePackedDib(dib.data(), dib.size(), &v));
    EXPECT_EQ(v.width, 5);
    EXPECT_EQ(v.height, 3);
    EXPECT_FALSE(v.topDown);
    EXPECT_EQ(v.rowStride, 16);
    EXPECT_EQ(v.colours, nullptr);
    EXPECT_EQ(v.rows, dib.data() + 40);

    const auto top = MakePackedDib(2, -4, 32);
    ASSERT_TRUE(ParsePackedDib(top.data(), top.size(), &v));
    EXPECT_TRUE(v.topDown);
    EXPECT_EQ(v.height, 4);

    const auto pal = MakePackedDib(3, 2, 8);
    ASSERT_TRUE(ParsePackedDib(pal.data(), pal.size(), &v));
    EXPECT_EQ(v.colours, pal.data() + 40);
    EXPECT_EQ(v.rows, pal.data() + 40 + 1024);
    const auto small = MakePackedDib(3, 2, 8, 16);
    ASSERT_TRUE(ParsePackedDib(small.data(), small.size(), &v));
    EXPECT_EQ(v.rows, small.data() + 40 + 64);
}

struct SBadCase {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
};

TEST(ParsePackedDib, RefusesMalformedHeaders) {
    const SBadCase cases[] = {
        {"header cut short", [](auto& d) { d.resize(39); }},
        {"rows cut short", [](auto& d) { d.pop_back(); }},
        {"header size below 40", [](auto& d) { PatchHeader(d, 0, 12); }},
        {"header size past the data", [](auto& d) { PatchHeader(d, 0, 1 << 30); }},
        {"zero width", [](auto& d) { PatchHeader(d, 4, 0); }},
        {"negative width", [](auto& d) { PatchHeader(d, 4, -5); }},
        {"huge width", [](auto& d) { PatchHeader(d, 4, 1 << 24); }},
        {"zero height", [](auto& d) { PatchHeader(d, 8, 0); }},
        {"height without magnitude", [](auto& d) { PatchHeader(d, 8, INT32_MIN); }},
        {"height past the rows", [](auto& d) { PatchHeader(d, 8, 4000); }},
        {"two planes", [](auto& d) { PatchHeader16(d, 12, 2); }},
        {"7 bits per pixel", [](auto& d) { PatchHeader16(d, 14, 7); }},
        {"compressed", [](auto& d) { PatchHeader(d, 16, 1); }},
        {"colour table past the data", [](auto& d) { PatchHeader(d, 32, 200); }},
        {"colour count beyond 256", [](auto& d) { PatchHeader(d, 32, 0x40000000); }},
    };
    for (const SBadCase& c : cases) {
        auto dib = MakePackedDib(7, 3, 24);
        c.spoil(dib);
        SPackedDibView v;
        EXPECT_FALSE(ParsePackedDib(dib.data(), dib.size(), &v)) << c.what;
    }
    SPackedDibView v;
    EXPECT_FALSE(ParsePackedDib(nullptr, 100, &v));
}

TEST(ParseBitmapFile, NeedsTheMagicAndUsesAPlausiblePixelOffset) {
    const auto dib = MakePackedDib(4, 2, 24);
    SPackedDibView v;
    auto file = MakeBitmapFile(dib, 54);
    ASSERT_TRUE(ParseBitmapFile(file.data(), file.size(), &v));
    EXPECT_EQ(v.rows, file.data() + 54);
    EXPECT_EQ(v.width, 4);

    // An offset past the data (or inside the header) falls back to the
    // rows right behind the header.
    for (uint32_t offset : {0u, 20u, 1000u, 0xFFFFFFF0u}) {
        file = MakeBitmapFile(dib, offset);
        ASSERT_TRUE(ParseBitmapFile(file.data(), file.size(), &v)) << offset;
        EXPECT_EQ(v.rows, file.data() + 54) << offset;
    }
    file = MakeBitmapFile(dib, 54);
    file[0] = 'X';
    EXPECT_FALSE(ParseBitmapFile(file.data(), file.size(), &v));
    EXPECT_FALSE(ParseBitmapFile(file.data(), 10, &v));
    // A packed DIB is not a file.
    EXPECT_FALSE(ParseBitmapFile(dib.data(), dib.size(), &v));
}

}  // namespace
