#include "presets/brush_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

TEST(BrushRecord, TableListsEveryAttributeOnceInSectionOrder) {
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    ASSERT_EQ(count, 251);
    std::set<std::string> names;
    int lastSection = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(names.insert(table[i].name).second) << table[i].name;
        const int section = static_cast<int>(table[i].section);
        EXPECT_GE(section, lastSection) << table[i].name << " breaks general, tube, texture order";
        lastSection = section;
        EXPECT_EQ(FindBrushAttribute(table[i].name), &table[i]);
    }
    EXPECT_EQ(std::string(table[0].name), "imageName");
    EXPECT_EQ(std::string(table[count - 1].name), "texAlpha2");
    EXPECT_EQ(FindBrushAttribute("Tubes"), nullptr);
    EXPECT_EQ(FindBrushAttribute(nullptr), nullptr);
}

TEST(BrushRecord, EachRowPointsAtTheFieldOfItsKind) {
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        const int set = (info.real != nullptr) + (info.flag != nullptr) + (info.whole != nullptr) + (info.text != nullptr);
        EXPECT_EQ(set, 1) << info.name;
        switch (info.kind) {
            case TFLAttrKind::REAL:
            case TFLAttrKind::COUNT:
            case TFLAttrKind::OPACITY: EXPECT_NE(info.real, nullptr) << info.name; break;
            case TFLAttrKind::FLAG:
            case TFLAttrKind::IGNORED: EXPECT_NE(info.flag, nullptr) << info.name; break;
            case TFLAttrKind::WHOLE:
            case TFLAttrKind::WHOLE012: EXPECT_NE(info.whole, nullptr) << info.name; break;
            case TFLAttrKind::NAME: EXPECT_NE(info.text, nullptr) << info.name; break;
        }
    }
}

TEST(BrushRecord, KindsOfTheSpecialAttributes) {
    struct Case {
        const char* name;
        TFLAttrKind kind;
        TFLAttrSection section;
    };
    const Case cases[] = {
        {"imageName", TFLAttrKind::NAME, TFLAttrSection::GENERAL},
        {"flowerImage", TFLAttrKind::NAME, TFLAttrSection::GENERAL},
        {"translucence", TFLAttrKind::OPACITY, TFLAttrSection::GENERAL},
        {"leafTranslucence", TFLAttrKind::OPACITY, TFLAttrSection::GENERAL},
        {"flowerTranslucence", TFLAttrKind::OPACITY, TFLAttrSection::GENERAL},
        {"realLights", TFLAttrKind::IGNORED, TFLAttrSection::GENERAL},
        {"fakeShadow", TFLAttrKind::WHOLE012, TFLAttrSection::GENERAL},
        {"twigsInCluster", TFLAttrKind::COUNT, TFLAttrSection::TUBE},
        {"leavesInCluster", TFLAttrKind::COUNT, TFLAttrSection::TUBE},
        {"petalsInFlower", TFLAttrKind::COUNT, TFLAttrSection::TUBE},
        {"segments", TFLAttrKind::WHOLE, TFLAttrSection::TUBE},
        {"startBranches", TFLAttrKind::REAL, TFLAttrSection::TUBE},
        {"simplifyMethod", TFLAttrKind::WHOLE, TFLAttrSection::TUBE},
        {"repeatU", TFLAttrKind::REAL, TFLAttrSection::TEXTURE},
    };
    for (const Case& c : cases) {
        const TFLAttrInfo* info = FindBrushAttribute(c.name);
        ASSERT_NE(info, nullptr) << c.name;
        EXPECT_EQ(info->kind, c.kind) << c.name;
        EXPECT_EQ(info->section, c.section) << c.name;
    }
}

TEST(BrushRecord, ConstructedBrushHoldsTheInitialValues) {
    const TBrushRecord brush;
    EXPECT_TRUE(brush.imageName.IsEmpty());
    EXPECT_TRUE(brush.modifyColor);
    EXPECT_FALSE(brush.mapColor);
    EXPECT_EQ(brush.mapMethod, 2);
    EXPECT_EQ(brush.frameExtension, 1);
    EXPECT_DOUBLE_EQ(brush.stampDensity, 8.0);
    EXPECT_DOUBLE_EQ(brush.translucence, 0.45);
    EXPECT_DOUBLE_EQ(brush.leafTranslucence, 0.7);
    EXPECT_FALSE(brush.realLights);
    EXPECT_DOUBLE_EQ(brush.lightDirectionY, -0.9);
    EXPECT_EQ(brush.blurIntensity, 4);
    EXPECT_DOUBLE_EQ(brush.globalScale, 0.1938551913);
    EXPECT_DOUBLE_EQ(brush.endTime, 1000.0);
    EXPECT_DOUBLE_EQ(brush.tubesPerStep, 16.84914616);
    EXPECT_EQ(brush.segments, 9);
    EXPECT_DOUBLE_EQ(brush.widthBias, -0.44716);
    EXPECT_TRUE(brush.branches);
    EXPECT_DOUBLE_EQ(brush.twigsInCluster, 1.0);
    EXPECT_EQ(brush.widthLengthMap, 1);
    EXPECT_EQ(brush.simplifyMethod, 2);
    EXPECT_DOUBLE_EQ(brush.flowerTwist, 0.23);
    EXPECT_EQ(brush.imageHandle[0] + brush.imageHandle[1] + brush.imageHandle[2], 0);
}

TEST(BrushRecord, BlankRecordIsZeroWithOpacityOne) {
    const TBrushRecord blank = TBrushRecord::Blank();
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        switch (info.kind) {
            case TFLAttrKind::OPACITY: EXPECT_EQ(blank.*info.real, 1.0) << info.name; break;
            case TFLAttrKind::REAL:
            case TFLAttrKind::COUNT: EXPECT_EQ(blank.*info.real, 0.0) << info.name; break;
            case TFLAttrKind::FLAG:
            case TFLAttrKind::IGNORED: EXPECT_FALSE(blank.*info.flag) << info.name; break;
            case TFLAttrKind::WHOLE:
            case TFLAttrKind::WHOLE012: EXPECT_EQ(blank.*info.whole, 0) << info.name; break;
            case TFLAttrKind::NAME: EXPECT_TRUE((blank.*info.text).IsEmpty()) << info.name; break;
        }
    }
}

TEST(BrushRecord, SectionCopiesTouchOnlyTheirSection) {
    TBrushRecord source = TBrushRecord::Blank();
    source.imageName.Set("bark.bmp");  // general
    source.segments = 77;               // tube
    source.repeatU = 5.5;               // texture
    source.imageHandle[1] = 3;          // not a section field

    TBrushRecord general;
    general.CopyGeneral(source);
    EXPECT_TRUE(general.imageName.Equals("bark.bmp"));
    EXPECT_DOUBLE_EQ(general.stampDensity, 0.0);
    EXPECT_EQ(general.segments, 9);
    EXPECT_DOUBLE_EQ(general.repeatU, TBrushRecord().repeatU);

    TBrushRecord tube;
    tube.CopyTube(source);
    EXPECT_EQ(tube.segments, 77);
    EXPECT_TRUE(tube.imageName.IsEmpty());
    EXPECT_DOUBLE_EQ(tube.stampDensity, 8.0);

    TBrushRecord texture;
    texture.CopyTexture(source);
    EXPECT_DOUBLE_EQ(texture.repeatU, 5.5);
    EXPECT_EQ(texture.segments, 9);

    TBrushRecord all;
    all.CopyAll(source);
    EXPECT_TRUE(all.imageName.Equals("bark.bmp"));
    EXPECT_EQ(all.segments, 77);
    EXPECT_DOUBLE_EQ(all.repeatU, 5.5);
    EXPECT_EQ(all.imageHandle[1], 0) << "image handles belong to the loaded images, not to the sections";
}

}  // namespace
