// The halved copies of a brush image: sizes, means, orientation, and
// entries that get none.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/pixel_bucket.h"
#include "presets/image_pyramid.h"
#include "presets/image_table.h"

namespace {

// A picture of grey values by column and row counted from the bottom.
struct TPicture {
    int width, height;
    std::vector<int> grey;  // row-major, bottom row first
    int At(int x, int y) const { return grey[static_cast<size_t>(y * width + x)]; }
};

std::unique_ptr<CPPixelBucket> BucketOf(const TPicture& p, int bits, bool topDown) {
    auto bucket = CPPixelBucket::NewOwnedBucket(p.width, p.height, bits, topDown);
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = bucket->Row(p.height - 1 - y);  // Row counts from the top
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < bits / 8; ++c) row[x * (bits / 8) + c] = static_cast<uint8_t>(p.At(x, y));
    }
    return bucket;
}

int LevelGrey(const TImageLevel& level, int bytes, int x, int y) {
    return level.pixels[static_cast<intptr_t>(y) * level.rowStride + x * bytes];
}

TEST(ImagePyramid, EachLevelHalvesTheOneBeforeAndHoldsItsMeans) {
    struct Case {
        const char* what;
        TPicture picture;
        int bits;
        bool topDown;
        std::vector<TPicture> levels;
    };
    const Case cases[] = {
        {"4 x 2, bottom-up", {4, 2, {0, 40, 100, 100, 80, 120, 0, 200}}, 24, false,
         {{2, 1, {60, 100}}, {1, 1, {80}}}},
        {"the same picture stored top-down", {4, 2, {0, 40, 100, 100, 80, 120, 0, 200}}, 32, true,
         {{2, 1, {60, 100}}, {1, 1, {80}}}},
        // An odd edge averages its last column (or row) with itself.
        {"3 x 3", {3, 3, {0, 4, 8, 12, 16, 20, 24, 28, 32}}, 24, false,
         {{2, 2, {8, 14, 26, 32}}, {1, 1, {20}}}},
        {"a single column", {1, 4, {0, 10, 20, 30}}, 24, false, {{1, 2, {5, 25}}, {1, 1, {15}}}},
    };
    for (const Case& c : cases) {
        auto bucket = BucketOf(c.picture, c.bits, c.topDown);
        TImagePyramid pyramid;
        pyramid.Build(DescribeImage(*bucket));
        ASSERT_EQ(pyramid.Count(), static_cast<int>(c.levels.size())) << c.what;
        for (int k = 0; k < pyramid.Count(); ++k) {
            const TImageLevel& level = pyramid.Level(k);
            const TPicture& want = c.levels[static_cast<size_t>(k)];
            ASSERT_EQ(level.width, want.width) << c.what << " level " << k + 1;
            ASSERT_EQ(level.height, want.height) << c.what << " level " << k + 1;
            EXPECT_FALSE(level.topDown);
            for (int y = 0; y < want.height; ++y)
                for (int x = 0; x < want.width; ++x)
                    EXPECT_EQ(LevelGrey(level, c.bits / 8, x, y), want.At(x, y))
                        << c.what << " level " << k + 1 << " at " << x << ", " << y;
        }
    }
}

TEST(ImagePyramid, EntriesThatCannotBeReadGetNoLevels) {
    uint8_t texel[8] = {};
    TImageWrapper one;  // a single texel has nothing to halve
    one.pixels = texel;
    one.width = one.height = 1;
    one.rowStride = 4;
    one.bitsPerPixel = 32;
    one.addressBytesPerPixel = one.bytesPerPixel = 4;
    TImageWrapper sixteenBit = one;
    sixteenBit.width = 2;
    sixteenBit.rowStride = 16;
    sixteenBit.bitsPerPixel = 64;
    sixteenBit.bytesPerPixel = 8;
    TImageWrapper shortRows = one;
    shortRows.width = 2;
    shortRows.rowStride = 7;
    TImageWrapper noPixels = one;
    noPixels.width = 2;
    noPixels.pixels = nullptr;
    for (const TImageWrapper& entry : {one, sixteenBit, shortRows, noPixels}) {
        TImagePyramid pyramid;
        pyramid.Build(entry);
        EXPECT_EQ(pyramid.Count(), 0);
    }
}

TEST(ImagePyramid, TheTableKeepsLevelsWithTheirEntryAndDropsThemWithIt) {
    const TPicture p{2, 2, {0, 100, 200, 100}};
    auto bucket = BucketOf(p, 24, false);
    const int32_t handle = RegisterImage(DescribeImage(*bucket));
    ASSERT_GT(handle, 0);
    const TImagePyramid* pyramid = ImageTablePyramid(handle);
    ASSERT_NE(pyramid, nullptr);
    ASSERT_EQ(pyramid->Count(), 1);
    EXPECT_EQ(LevelGrey(pyramid->Level(0), 3, 0, 0), 100);
    EXPECT_EQ(ImageTablePyramid(handle + 1), nullptr);
    EXPECT_EQ(ImageTablePyramid(0), nullptr);
    ReleaseImageEntries(bucket->Pixels());
    EXPECT_EQ(ImageTablePyramid(handle), nullptr);
    ClearImageTable(nullptr);
    EXPECT_EQ(ImageTablePyramid(handle), nullptr);
}

}  // namespace
