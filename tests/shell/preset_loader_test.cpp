#include "shell/preset_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/pixel_bucket.h"
#include "tests/presets/preset_test_files.h"
#include "presets/brush_image_hook.h"
#include "presets/brush_record.h"
#include "tests/presets/record_compare.h"
#include "shell/paint_context.h"

namespace {

TEST(BrushNeedsImage, FollowsTheBrushSwitches) {
    struct Case {
        const char* what;
        bool mapColor, mapOpacity;
        int32_t textureType;
        bool tubes, leaves, leafUseBranchTex, flowers, flowerUseBranchTex;
        bool texture, leaf, flower;
    };
    const Case cases[] = {
        {"mapped colour from an image texture", true, false, 4, false, false, true, false, true, true, false, false},
        {"mapped opacity from an image texture", false, true, 4, false, false, true, false, true, true, false, false},
        {"texture kind 4 without mapping", false, false, 4, false, false, true, false, true, false, false, false},
        {"mapping a procedural texture", true, true, 3, false, false, true, false, true, false, false, false},
        {"flowers on, leaves off", false, false, 0, true, false, false, true, false, false, false, true},
        {"flowers using the branch texture", false, false, 0, true, false, false, true, true, false, false, false},
        {"leaves with their own image", false, false, 0, true, true, false, false, false, false, true, false},
        {"leaves without tubes", false, false, 0, false, true, false, true, false, false, false, false},
    };
    for (const Case& c : cases) {
        TBrushRecord brush = TBrushRecord::Blank();
        brush.mapColor = c.mapColor;
        brush.mapOpacity = c.mapOpacity;
        brush.textureType = c.textureType;
        brush.tubes = c.tubes;
        brush.leaves = c.leaves;
        brush.leafUseBranchTex = c.leafUseBranchTex;
        brush.flowers = c.flowers;
        brush.flowerUseBranchTex = c.flowerUseBranchTex;
        EXPECT_EQ(BrushNeedsImage(brush, kBrushImageTexture), c.texture) << c.what;
        EXPECT_EQ(BrushNeedsImage(brush, kBrushImageLeaf), c.leaf) << c.what;
        EXPECT_EQ(BrushNeedsImage(brush, kBrushImageFlower), c.flower) << c.what;
        EXPECT_FALSE(BrushNeedsImage(brush, 3)) << c.what;
    }
}

// A 2 x 2 uncompressed 24-bit bitmap.
std::string TinyBitmap() {
    std::string b(14 + 40 + 16, '\0');
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    b[26] = 1;
    b[28] = 24;
    for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<char>(0x40 + i);
    return b;
}

class PresetLoader : public ::testing::Test {
protected:
    TempTree tree;
    TPaintContext context;
};

TEST_F(PresetLoader, AMissingPresetKeepsTheConstructedBrush) {
    ASSERT_NE(context.slot[0].brush, nullptr);
    TBrushRecord target = TBrushRecord::Blank();
    EXPECT_FALSE(LoadPainterPreset(context, tree.Path("plants/absent.vbr").c_str(), tree.Folder().c_str(), 1,
                                   &target, 0));
    EXPECT_EQ(FirstDifference(*context.slot[0].brush, TBrushRecord()), "");
    EXPECT_EQ(FirstDifference(target, TBrushRecord::Blank()), "") << "the copy target is left alone too";
}

TEST_F(PresetLoader, AMissingPresetKeepsThePreviouslyLoadedBrush) {
    const std::string path = tree.Write("plants/a.vbr", "\"brushWidth\" 0.25; \"segments\" 3;");
    ASSERT_TRUE(LoadPainterPreset(context, path.c_str(), tree.Folder().c_str(), 1, nullptr, 1));
    const TBrushRecord loaded = *context.slot[1].brush;
    EXPECT_EQ(loaded.brushWidth, 0.25);
    tree.Write("plants/a.vbr", "");  // keep the tree, remove the file below
    std::filesystem::remove(path);
    EXPECT_FALSE(LoadPainterPreset(context, path.c_str(), tree.Folder().c_str(), 1, nullptr, 1));
    EXPECT_EQ(FirstDifference(*context.slot[1].brush, loaded), "");
}

TEST_F(PresetLoader, APresetReplacesEveryFieldOfThePaintersBrushAndTheCopyTarget) {
    const std::string path = tree.Write("plants/vine.vbr", "\"brushWidth\" 0.25;\n\"imageName\" \"bark.bmp\";\n"
                                                           "\"segments\" 70000;\n\"repeatU\" 3;");
    TBrushRecord expected = TBrushRecord::Blank();
    expected.brushWidth = 0.25;
    expected.imageName.Set("bark.bmp");
    expected.segments = 4464;
    expected.repeatU = 3;
    TBrushRecord target;
    ASSERT_TRUE(LoadPainterPreset(context, path.c_str(), tree.Folder().c_str(), 1, &target, 1));
    EXPECT_EQ(FirstDifference(*context.slot[1].brush, expected), "");
    EXPECT_EQ(FirstDifference(target, expected), "");
    EXPECT_EQ(FirstDifference(*context.slot[0].brush, TBrushRecord()), "") << "the other painter is untouched";
}

TEST_F(PresetLoader, AnImageThatCannotBeHadLeavesTheSlotEmpty) {
    // The brush asks for all three images; none can be decoded.
    const std::string path = tree.Write(
        "plants/f.vbr", "\"mapColor\" 1; \"textureType\" 4; \"imageName\" \"bark.bmp\"; \"tubes\" 1; "
                        "\"leaves\" 1; \"leafImage\" \"leaf.bmp\"; \"flowers\" 1; \"flowerImage\" \"rose.bmp\";");
    tree.Write("~brushImages/bark.bmp", "not an image");
    ASSERT_TRUE(LoadPainterPreset(context, path.c_str(), (tree.Folder("~brushImages")).c_str(), 1, nullptr, 0));
    const TPainterSlot& slot = context.slot[0];
    EXPECT_EQ(slot.textureImage, nullptr);
    EXPECT_EQ(slot.leafImage, nullptr);
    EXPECT_EQ(slot.flowerImage, nullptr);
    for (int32_t handle : slot.brush->imageHandle) EXPECT_EQ(handle, 0);
    EXPECT_TRUE(slot.brush->leaves);
}

TEST_F(PresetLoader, NeededImagesAreLoadedAndAReloadReplacesThem) {
    tree.Write("~brushImages/rose.bmp", TinyBitmap());
    tree.Write("~brushImages/leaf.bmp", TinyBitmap());
    const std::string images = tree.Folder("~brushImages");
    // Flowers on and leaves off: only the flower image is needed.
    const std::string flowers = tree.Write(
        "plants/f.vbr", "\"tubes\" 1; \"flowers\" 1; \"flowerImage\" \"rose.bmp\"; \"leafImage\" \"leaf.bmp\";");
    ASSERT_TRUE(LoadPainterPreset(context, flowers.c_str(), images.c_str(), 1, nullptr, 0));
    TPainterSlot& slot = context.slot[0];
    ASSERT_NE(slot.flowerImage, nullptr);
    EXPECT_EQ(slot.flowerImage->Width(), 2);
    EXPECT_GT(slot.brush->imageHandle[kBrushImageFlower], 0);
    EXPECT_EQ(slot.leafImage, nullptr);
    EXPECT_EQ(slot.brush->imageHandle[kBrushImageLeaf], 0);

    // Without images requested the slots keep what they hold.
    const CPPixelBucket* held = slot.flowerImage;
    ASSERT_TRUE(LoadPainterPreset(context, flowers.c_str(), images.c_str(), 0, nullptr, 0));
    EXPECT_EQ(slot.flowerImage, held);

    // The same flowers on the branch texture need no image: the old one goes.
    const std::string branchTex = tree.Write(
        "plants/g.vbr", "\"tubes\" 1; \"flowers\" 1; \"flowerUseBranchTex\" 1; \"flowerImage\" \"rose.bmp\";");
    ASSERT_TRUE(LoadPainterPreset(context, branchTex.c_str(), images.c_str(), 1, nullptr, 0));
    EXPECT_EQ(slot.flowerImage, nullptr);
    EXPECT_EQ(slot.brush->imageHandle[kBrushImageFlower], 0);
}

TEST_F(PresetLoader, PainterIndexesOutsideTheTwoSlotsLoadNothing) {
    const std::string path = tree.Write("plants/a.vbr", "\"brushWidth\" 0.25;");
    EXPECT_FALSE(LoadPainterPreset(context, path.c_str(), "", 1, nullptr, 2));
    EXPECT_FALSE(LoadPainterPreset(context, path.c_str(), "", 1, nullptr, -1));
    EXPECT_EQ(FirstDifference(*context.slot[0].brush, TBrushRecord()), "");
    EXPECT_EQ(FirstDifference(*context.slot[1].brush, TBrushRecord()), "");
}

}  // namespace
