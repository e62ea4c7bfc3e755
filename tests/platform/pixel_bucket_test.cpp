#include "platform/pixel_bucket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory_block.h"

namespace {

// A 32-bit picture whose pixel at (x, y from the top) is y * 256 + x.
struct SPicture {
    SPicture(int w, int h, bool topDown) : width(w), height(h), topDown(topDown), words(static_cast<size_t>(w) * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = static_cast<uint32_t>(y * 256 + x);
    }
    uint32_t& At(int x, int y) { return words[static_cast<size_t>((topDown ? y : height - 1 - y) * width + x)]; }
    CPPixelBucket Bucket() { return CPPixelBucket(words.data(), width * 4, width, height, 32, 4, topDown); }
    int width, height;
    bool topDown;
    std::vector<uint32_t> words;
};

uint32_t PixelOf(const CPPixelBucket& b, int x, int y) {
    uint32_t v;
    std::memcpy(&v, b.Row(y) + 4 * x, 4);
    return v;
}

TEST(PixelBucket, WalkingStepsFollowTheOrientation) {
    uint8_t pixels[3 * 12] = {};
    // 24 bits, width 3: stride 12, pad 3.
    CPPixelBucket down(pixels, 12, 3, 3, 24, 3, true);
    EXPECT_EQ(down.RowWords(), 3);
    EXPECT_EQ(down.RowPad(), 3);
    EXPECT_EQ(down.RowStepBytes(), 12);
    EXPECT_EQ(down.RowSkipBytes(), 3);
    CPPixelBucket up(pixels, 12, 3, -3, 24, 3, false);
    EXPECT_EQ(up.Height(), 3);  // taken absolute
    EXPECT_EQ(up.RowStepBytes(), -12);
    EXPECT_EQ(up.RowStepWords(), -3);
    EXPECT_EQ(up.RowSkipBytes(), 3 - 24);
    EXPECT_EQ(up.RowSkipWords(), 0 - 6);
    // The skip lands on the first pixel of the next row down the picture.
    EXPECT_EQ(up.Row(0) + 9 + up.RowSkipBytes(), up.Row(1));
    EXPECT_EQ(down.Row(0) + 9 + down.RowSkipBytes(), down.Row(1));
}

TEST(PixelBucket, InvalidArgumentsGiveAnInvalidBucket) {
    uint32_t pixels[4];
    EXPECT_FALSE(CPPixelBucket(nullptr, 8, 2, 2, 32, 4, true).Valid());
    EXPECT_FALSE(CPPixelBucket(pixels, 8, 0, 2, 32, 4, true).Valid());
    EXPECT_FALSE(CPPixelBucket(pixels, 4, 2, 2, 32, 4, true).Valid());  // stride too small
    EXPECT_FALSE(CPPixelBucket(pixels, 8, 2, 2, 32, 3, true).Valid());
    EXPECT_FALSE(CPPixelBucket(pixels, 8, 2, 2, 12, 1, true).Valid());
    EXPECT_TRUE(CPPixelBucket(pixels, 8, 2, 2, 32, 4, true).Valid());
}

TEST(PixelBucket, SubRectangleSeesTheSamePicturePixelsInBothOrientations) {
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        SPicture picture(9, 7, topDown);
        CPPixelBucket parent = picture.Bucket();
        parent.SetOrigin(100, 50);
        const TRect rect{102, 51, 107, 55};  // in the parent's coordinates
        CPPixelBucket sub(parent, rect);
        ASSERT_TRUE(sub.Valid());
        EXPECT_EQ(sub.Width(), 5);
        EXPECT_EQ(sub.Height(), 4);
        EXPECT_EQ(sub.OriginX(), 0);
        EXPECT_EQ(sub.TopDown(), topDown);
        EXPECT_EQ(sub.RowStride(), parent.RowStride());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(sub, x, y), picture.At(x + 2, y + 1)) << x << "," << y;
        // The first memory row of a bottom-up view is its bottom row.
        EXPECT_EQ(sub.Pixels(), topDown ? sub.Row(0) : sub.Row(3));
    }
}

TEST(PixelBucket, SubRectangleOutsideOrEmptyIsInvalid) {
    SPicture picture(8, 8, false);
    CPPixelBucket parent = picture.Bucket();
    const TRect bad[] = {{-1, 0, 4, 4}, {0, 0, 9, 4}, {0, 5, 4, 9}, {3, 3, 3, 5}, {4, 4, 2, 6}};
    for (const TRect& r : bad) EXPECT_FALSE(CPPixelBucket(parent, r).Valid()) << r.left << "," << r.top;
    EXPECT_TRUE(CPPixelBucket(parent, TRect{0, 0, 8, 8}).Valid());
    EXPECT_FALSE(CPPixelBucket(CPPixelBucket(), TRect{0, 0, 1, 1}).Valid());
}

TEST(PixelBucket, OwnedBucketIsZeroedAndFreedWithTheBucket) {
    const uint64_t before = MemLiveBytes();
    {
        auto b = CPPixelBucket::NewOwnedBucket(5, -3, 24, false);
        ASSERT_TRUE(b);
        EXPECT_TRUE(b->OwnsPixels());
        EXPECT_EQ(b->Height(), 3);
        EXPECT_EQ(b->RowStride(), 16);
        EXPECT_EQ(MemBlockSize(b->Pixels()), 48u);
        for (int i = 0; i < 48; ++i) EXPECT_EQ(b->Pixels()[i], 0);
    }
    EXPECT_EQ(MemLiveBytes(), before);
    EXPECT_EQ(CPPixelBucket::NewOwnedBucket(0, 3, 32, true), nullptr);
    EXPECT_EQ(CPPixelBucket::NewOwnedBucket(3, 0, 32, true), nullptr);
    EXPECT_EQ(CPPixelBucket::NewOwnedBucket(3, 3, 7, true), nullptr);
}

TEST(PixelBucket, FillWritesTheColourWordInsideTheViewOnly) {
    SPicture picture(6, 5, false);
    CPPixelBucket parent = picture.Bucket();
    CPPixelBucket sub(parent, TRect{1, 1, 4, 3});
    sub.Fill(0x80FF2010u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(picture.At(x, y), inside ? 0x80FF2010u : static_cast<uint32_t>(y * 256 + x)) << x << "," << y;
        }
    // Bytes B, G, R, A in memory.
    const uint8_t* p = sub.Row(0);
    EXPECT_EQ(p[0], 0x10);
    EXPECT_EQ(p[1], 0x20);
    EXPECT_EQ(p[2], 0xFF);
    EXPECT_EQ(p[3], 0x80);
}

TEST(PixelBucket, FlipRowsReversesRowsAndKeepsAnOddMiddleRow) {
    SPicture picture(4, 5, true);
    CPPixelBucket b = picture.Bucket();
    ASSERT_TRUE(b.FlipRows());
    for (int y = 0; y < 5; ++y) EXPECT_EQ(picture.At(1, y), static_cast<uint32_t>((4 - y) * 256 + 1));
}

TEST(PixelBucket, FlipRowsOfAViewLeavesThePixelsBesideItAlone) {
    SPicture picture(6, 4, true);
    CPPixelBucket parent = picture.Bucket();
    CPPixelBucket sub(parent, TRect{2, 0, 4, 4});
    ASSERT_TRUE(sub.FlipRows());
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(picture.At(1, y), static_cast<uint32_t>(y * 256 + 1));
        EXPECT_EQ(picture.At(2, y), static_cast<uint32_t>((3 - y) * 256 + 2));
        EXPECT_EQ(picture.At(4, y), static_cast<uint32_t>(y * 256 + 4));
    }
}

}  // namespace
