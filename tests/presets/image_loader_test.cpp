#include <gtest/gtest.h>

#include "platform/pixel_bucket.h"
#include "presets/brush_image_hook.h"
#include "presets/brush_record.h"
#include "presets/image_loader.h"
#include "presets/image_table.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
using brush_images::PatternPicture;

namespace {

std::string PathOf(const std::filesystem::path& p) { return p.string(); }

brush_images::SBitmapOptions Bits32() {
    brush_images::SBitmapOptions opt;
    opt.bitsPerPixel = 32;
    return opt;
}

}  // namespace

TEST(DecodeBrushImage, ChoosesTheDecoderByContentNotByName) {
    const SPicture p = PatternPicture(9, 7);
    brush_images::SPlanarRgbOptions rgb4;
    rgb4.channels = 4;
    brush_images::SIffOptions iff3;
    iff3.channels = 3;
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int channels;
    };
    const Case cases[] = {
        {"bitmap", brush_images::WriteBitmap(p), 3},
        {"planar rgb", brush_images::WritePlanarRgb(p, rgb4), 4},
        {"iff", brush_images::WriteIff(p, iff3), 3},
    };
    const std::filesystem::path folder = ScratchFolder();
    for (const Case& c : cases) {
        EXPECT_TRUE(HoldsPicture(DecodeBrushImage(Bytes(c.file)).get(), p, c.channels)) << c.what;
        // A misleading extension changes nothing.
        const std::filesystem::path path = folder / "image.bmp";
        ASSERT_TRUE(WriteFile(path, c.file));
        EXPECT_TRUE(HoldsPicture(LoadBrushImage(PathOf(path).c_str()).get(), p, c.channels)) << c.what;
    }
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(DecodeBrushImage(Bytes(text)), nullptr);
    EXPECT_EQ(DecodeBrushImage(SImageBytes{}), nullptr);
}

TEST(LoadBrushImage, UndecodableFileFallsBackToTheDibBesideIt) {
    const std::filesystem::path folder = ScratchFolder();
    const SPicture p = PatternPicture(5, 4);
    ASSERT_TRUE(WriteFile(folder / "leaf.iff", {'F', 'O', 'R', '4', 0, 0}));
    ASSERT_TRUE(WriteFile(folder / "leaf.dib", brush_images::WriteBitmap(p, Bits32())));
    EXPECT_TRUE(HoldsPicture(LoadBrushImage(PathOf(folder / "leaf.iff").c_str()).get(), p, 4));

    // The fallback is read as a bitmap only: a planar RGB file named .dib
    // is not an image.
    ASSERT_TRUE(WriteFile(folder / "bark.bmp", {'B', 'M'}));
    ASSERT_TRUE(WriteFile(folder / "bark.dib", brush_images::WritePlanarRgb(p)));
    EXPECT_EQ(LoadBrushImage(PathOf(folder / "bark.bmp").c_str()), nullptr);

    // No extension: ".dib" is appended.
    ASSERT_TRUE(WriteFile(folder / "spot", {0, 1, 2}));
    ASSERT_TRUE(WriteFile(folder / "spot.dib", brush_images::WriteBitmap(p)));
    EXPECT_TRUE(HoldsPicture(LoadBrushImage(PathOf(folder / "spot").c_str()).get(), p, 3));
}

TEST(LoadBrushImage, CompressionTheIffReaderRefusesFallsBackToo) {
    const std::filesystem::path folder = ScratchFolder();
    const SPicture p = PatternPicture(3, 3);
    brush_images::SIffOptions opt;
    opt.compressionField = 2;
    ASSERT_TRUE(WriteFile(folder / "petal.iff", brush_images::WriteIff(p, opt)));
    EXPECT_EQ(LoadBrushImage(PathOf(folder / "petal.iff").c_str()), nullptr);
    ASSERT_TRUE(WriteFile(folder / "petal.dib", brush_images::WriteBitmap(p)));
    EXPECT_TRUE(HoldsPicture(LoadBrushImage(PathOf(folder / "petal.iff").c_str()).get(), p, 3));
}

TEST(LoadBrushImage, MissingFileOrFolderGivesNone) {
    const std::filesystem::path folder = ScratchFolder();
    // A missing file is not looked for under the dib name.
    ASSERT_TRUE(WriteFile(folder / "gone.dib", brush_images::WriteBitmap(PatternPicture(2, 2))));
    EXPECT_EQ(LoadBrushImage(PathOf(folder / "gone.bmp").c_str()), nullptr);
    std::filesystem::create_directories(folder / "sub.bmp");
    EXPECT_EQ(LoadBrushImage(PathOf(folder / "sub.bmp").c_str()), nullptr);
    EXPECT_EQ(LoadBrushImage(nullptr), nullptr);
    EXPECT_EQ(LoadBrushImage(""), nullptr);
}

TEST(DibFallbackPath, ReplacesTheExtensionOfTheFileNameOnly) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"images/leaf.iff", "images/leaf.dib"},  {"images/leaf", "images/leaf.dib"},
        {"a.b/leaf", "a.b/leaf.dib"},            {"C:\\x.y\\bark.rgb", "C:\\x.y\\bark.dib"},
        {"two.dots.bmp", "two.dots.dib"},        {"trailing.", "trailing.dib"},
    };
    for (const Case& c : cases) {
        CString1024 out;
        ASSERT_TRUE(DibFallbackPath(c.path, out)) << c.path;
        EXPECT_STREQ(out.CStr(), c.expected) << c.path;
    }
}

TEST(LoadBrushImageForSlot, EachSlotReadsItsOwnName) {
    const std::filesystem::path folder = ScratchFolder();
    const SPicture texture = PatternPicture(4, 4, 1);
    const SPicture leaf = PatternPicture(6, 3, 2);
    const SPicture flower = PatternPicture(3, 5, 3);
    ASSERT_TRUE(WriteFile(folder / "t.bmp", brush_images::WriteBitmap(texture)));
    ASSERT_TRUE(WriteFile(folder / "l.rgb", brush_images::WritePlanarRgb(leaf)));
    ASSERT_TRUE(WriteFile(folder / "f.iff", brush_images::WriteIff(flower)));
    TBrushRecord brush;
    brush.imageName.Set("t.bmp");
    brush.leafImage.Set("l.rgb");
    brush.flowerImage.Set("f.iff");
    // The folder is given both with and without its trailing separator.
    for (const std::string& dir : {PathOf(folder) + "/", PathOf(folder)}) {
        EXPECT_TRUE(HoldsPicture(LoadBrushImageForSlot(dir.c_str(), brush, kBrushImageTexture).get(), texture, 3));
        EXPECT_TRUE(HoldsPicture(LoadBrushImageForSlot(dir.c_str(), brush, kBrushImageLeaf).get(), leaf, 3));
        EXPECT_TRUE(HoldsPicture(LoadBrushImageForSlot(dir.c_str(), brush, kBrushImageFlower).get(), flower, 4));
        EXPECT_EQ(LoadBrushImageForSlot(dir.c_str(), brush, 3), nullptr);
        EXPECT_EQ(LoadBrushImageForSlot(dir.c_str(), brush, -1), nullptr);
    }
    brush.leafImage.Clear();
    EXPECT_EQ(LoadBrushImageForSlot(PathOf(folder).c_str(), brush, kBrushImageLeaf), nullptr) << "empty name";
}

TEST(ImageTable, HandlesCountFromOneAndStartAgainAfterClearing) {
    ClearImageTable(nullptr);
    EXPECT_EQ(ImageTableCount(), 0);
    EXPECT_EQ(ImageTableEntry(1), nullptr);
    auto a = CPPixelBucket::NewOwnedBucket(5, 3, 24, false);
    auto b = CPPixelBucket::NewOwnedBucket(2, 7, 32, false);
    ASSERT_TRUE(a && b);
    // More entries than the table's first room for three.
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(RegisterImage(DescribeImage(i % 2 ? *a : *b)), i);
    EXPECT_EQ(ImageTableCount(), 5);
    ASSERT_NE(ImageTableEntry(2), nullptr);
    EXPECT_EQ(ImageTableEntry(2)->pixels, b->Pixels());
    EXPECT_EQ(ImageTableEntry(0), nullptr);
    EXPECT_EQ(ImageTableEntry(6), nullptr);

    int32_t handles[3] = {4, 5, 1};
    ClearImageTable(handles);
    EXPECT_EQ(handles[0] | handles[1] | handles[2], 0);
    EXPECT_EQ(ImageTableCount(), 0);
    EXPECT_EQ(RegisterImage(DescribeImage(*a)), 1);
    TBrushRecord brush;
    brush.imageHandle[1] = 1;
    ClearImageTable(brush.imageHandle);
    EXPECT_EQ(brush.imageHandle[1], 0);
}

TEST(ImageTable, ReleasedImagesLeaveNoEntryButKeepOtherHandles) {
    ClearImageTable(nullptr);
    auto a = CPPixelBucket::NewOwnedBucket(3, 3, 32, false);
    auto b = CPPixelBucket::NewOwnedBucket(4, 4, 24, false);
    ASSERT_TRUE(a && b);
    const int32_t ha = RegisterImage(DescribeImage(*a));
    const int32_t hb = RegisterImage(DescribeImage(*b));
    const int32_t ha2 = RegisterImage(DescribeImage(*a));
    ReleaseImageEntries(a->Pixels());
    EXPECT_EQ(ImageTableEntry(ha), nullptr);
    EXPECT_EQ(ImageTableEntry(ha2), nullptr);
    ASSERT_NE(ImageTableEntry(hb), nullptr);
    EXPECT_EQ(ImageTableEntry(hb)->pixels, b->Pixels());
    EXPECT_EQ(ImageTableCount(), 3);
    EXPECT_EQ(RegisterImage(DescribeImage(*b)), 4) << "handles are never reused";
    ReleaseImageEntries(nullptr);
    EXPECT_NE(ImageTableEntry(hb), nullptr);
    ClearImageTable(nullptr);
}

TEST(ImageTable, EntryDescribesTheBucket) {
    struct Case {
        int width;
        int height;
        int bits;
        bool topDown;
        int stride;
    };
    const Case cases[] = {{5, 3, 24, false, 16}, {5, 3, 32, false, 20}, {7, 2, 32, true, 28}};
    for (const Case& c : cases) {
        auto bucket = CPPixelBucket::NewOwnedBucket(c.width, c.height, c.bits, c.topDown);
        ASSERT_TRUE(bucket);
        const TImageWrapper e = DescribeImage(*bucket);
        EXPECT_EQ(e.pixels, bucket->Pixels());
        EXPECT_EQ(e.width, c.width);
        EXPECT_EQ(e.height, c.height);
        EXPECT_EQ(e.rowStride, c.stride);
        EXPECT_EQ(e.bitsPerPixel, c.bits);
        EXPECT_EQ(e.bytesPerPixel, c.bits / 8);
        EXPECT_EQ(e.addressBytesPerPixel, c.bits / 8);
        EXPECT_EQ(e.topDown, c.topDown ? 1 : 0);
        EXPECT_EQ(e.hasAlpha, c.bits == 32 ? 1 : 0);
    }
    EXPECT_EQ(DescribeImage(CPPixelBucket()).pixels, nullptr);
}

TEST(RegisterBrushImage, GivesTheHandleOfTheNewEntry) {
    ClearImageTable(nullptr);
    auto image = CPPixelBucket::NewOwnedBucket(4, 4, 32, false);
    ASSERT_TRUE(image);
    EXPECT_EQ(RegisterBrushImage(*image), 1);
    EXPECT_EQ(RegisterBrushImage(*image), 2);
    EXPECT_EQ(RegisterBrushImage(CPPixelBucket()), 0) << "an invalid bucket is not registered";
    EXPECT_EQ(ImageTableCount(), 2);
    ClearImageTable(nullptr);
}
