#include "presets/preset_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "preset_test_files.h"
#include "presets/folder_walk.h"
#include "presets/preset_menu.h"

namespace {

const std::string kSep(1, kPathSeparator);

TEST(FindPresetsFolder, LooksBesideTheStartFolderThenInItsParents) {
    TempTree tree;
    tree.MakeFolder("a/b");
    tree.MakeFolder(std::string("a/") + kPresetsFolderName);
    std::string folder;
    // From a/b the folder in a is found on the second try.
    EXPECT_FALSE(FindPresetsFolderFrom(tree.Folder("a/b").c_str(), 1, folder));
    ASSERT_TRUE(FindPresetsFolderFrom(tree.Folder("a/b").c_str(), 2, folder));
    EXPECT_EQ(folder, tree.Folder(std::string("a/") + kPresetsFolderName));
    ASSERT_TRUE(FindPresetsFolderFrom(tree.Folder("a/b").c_str(), kPresetsFolderTries, folder));
    EXPECT_EQ(folder, tree.Folder(std::string("a/") + kPresetsFolderName));
    // Beside the start folder: the first try; a start without its separator works alike.
    ASSERT_TRUE(FindPresetsFolderFrom(tree.Path("a").c_str(), 1, folder));
    EXPECT_EQ(folder, tree.Folder(std::string("a/") + kPresetsFolderName));
    // The nearest one wins.
    tree.MakeFolder(std::string("a/b/") + kPresetsFolderName);
    ASSERT_TRUE(FindPresetsFolderFrom(tree.Folder("a/b").c_str(), kPresetsFolderTries, folder));
    EXPECT_EQ(folder, tree.Folder(std::string("a/b/") + kPresetsFolderName));
}

TEST(FindPresetsFolder, AFileOfThatNameOrNoFolderAtAllIsNotFound) {
    TempTree tree;
    tree.Write(std::string("x/") + kPresetsFolderName, "not a folder");
    tree.MakeFolder("x/y");
    std::string folder = "untouched";
    // Above the temporary folder there is no presets folder either.
    EXPECT_FALSE(FindPresetsFolderFrom(tree.Folder("x/y").c_str(), 3, folder));
    EXPECT_EQ(folder, "untouched");
    EXPECT_FALSE(FindPresetsFolderFrom(tree.Folder("x/y").c_str(), 0, folder));
    EXPECT_FALSE(FindPresetsFolderFrom(tree.Folder("missing/deeper").c_str(), 5, folder));
    EXPECT_FALSE(FindPresetsFolderFrom("", 5, folder));
    EXPECT_FALSE(FindPresetsFolderFrom(nullptr, 5, folder));
}

TEST(PresetPaths, AreBuiltFromThePresetsFolder) {
    const std::string root = kSep + "p" + kSep + "TARN_FL_PRESETS" + kSep;
    EXPECT_EQ(PresetPath(root, "plants", "vineLeafy.vbr"), root + "plants" + kSep + "vineLeafy.vbr");
    EXPECT_EQ(PresetPath(kSep + "q", "c", "n.vbr"), kSep + "q" + kSep + "c" + kSep + "n.vbr");
    EXPECT_EQ(PresetPath(root, nullptr, "n.vbr"), root + "n.vbr");
    EXPECT_EQ(ImagesFolder(root), root + "~brushImages" + kSep);
    EXPECT_EQ(ImagesFolder(kSep + "q"), kSep + "q" + kSep + "~brushImages" + kSep);
}

struct VisitLog {
    std::vector<std::string> events;  // "event:name"
    std::string stopAtFile;
    std::string skipFolder;
};

int32_t LogVisitor(const CPFileSpec& location, const char* name, int32_t event, void* state) {
    VisitLog& log = *static_cast<VisitLog*>(state);
    EXPECT_TRUE(location.Name().Equals(name));
    log.events.push_back(std::to_string(event) + ":" + name);
    if (event == kVisitFile && log.stopAtFile == name) return 42;
    if (event == kVisitEnterFolder && log.skipFolder == name) return kVisitSkipFolder;
    return kVisitContinue;
}

std::size_t IndexOf(const std::vector<std::string>& events, const std::string& event) {
    return static_cast<std::size_t>(std::find(events.begin(), events.end(), event) - events.begin());
}

TEST(VisitTree, AnnouncesFoldersAroundTheirEntries) {
    TempTree tree;
    tree.Write("top.txt", "");
    tree.Write("cat/inner.vbr", "");
    tree.Write("cat/sub/deep.vbr", "");
    VisitLog log;
    EXPECT_EQ(VisitTree(CPFileSpec(tree.Folder().c_str(), ""), LogVisitor, &log), kVisitContinue);
    ASSERT_EQ(log.events.size(), 7u);
    const auto& e = log.events;
    EXPECT_LT(IndexOf(e, "4:cat"), IndexOf(e, "1:inner.vbr"));
    EXPECT_LT(IndexOf(e, "1:inner.vbr"), IndexOf(e, "5:cat"));
    EXPECT_LT(IndexOf(e, "4:cat"), IndexOf(e, "4:sub"));
    EXPECT_LT(IndexOf(e, "4:sub"), IndexOf(e, "1:deep.vbr"));
    EXPECT_LT(IndexOf(e, "1:deep.vbr"), IndexOf(e, "5:sub"));
    EXPECT_LT(IndexOf(e, "5:sub"), IndexOf(e, "5:cat"));
    EXPECT_LT(IndexOf(e, "1:top.txt"), e.size());
}

TEST(VisitTree, SkipsAFolderOrStopsWithTheVisitorsAnswer) {
    TempTree tree;
    tree.Write("cat/inner.vbr", "");
    tree.Write("other/x.vbr", "");
    {
        VisitLog log;
        log.skipFolder = "cat";
        EXPECT_EQ(VisitTree(CPFileSpec(tree.Folder().c_str(), ""), LogVisitor, &log), kVisitContinue);
        EXPECT_EQ(IndexOf(log.events, "1:inner.vbr"), log.events.size());
        EXPECT_EQ(IndexOf(log.events, "5:cat"), log.events.size()) << "a skipped folder is not left";
        EXPECT_LT(IndexOf(log.events, "1:x.vbr"), log.events.size());
    }
    {
        VisitLog log;
        log.stopAtFile = "inner.vbr";
        EXPECT_EQ(VisitTree(CPFileSpec(tree.Folder().c_str(), ""), LogVisitor, &log), 42);
        EXPECT_EQ(log.events.back(), "1:inner.vbr") << "nothing is visited after the stop";
    }
    VisitLog log;
    EXPECT_EQ(VisitTree(CPFileSpec(tree.Folder("missing").c_str(), ""), LogVisitor, &log), kVisitContinue);
    EXPECT_TRUE(log.events.empty());
}

TEST(VisitTree, StopsDescendingAtTheDepthLimit) {
    TempTree tree;
    std::string deep;
    for (int i = 0; i < kVisitMaxDepth + 3; ++i) deep += "d/";
    tree.Write(deep + "bottom.vbr", "");
    VisitLog log;
    EXPECT_EQ(VisitTree(CPFileSpec(tree.Folder().c_str(), ""), LogVisitor, &log), kVisitContinue);
    EXPECT_EQ(IndexOf(log.events, "1:bottom.vbr"), log.events.size());
    const auto entered = std::count(log.events.begin(), log.events.end(), "4:d");
    EXPECT_EQ(entered, kVisitMaxDepth + 1);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "5:d"), entered);
}

// The menu as text -> parent text, checked without relying on the order
// the file system gives entries in.
struct MenuShape {
    std::map<std::string, std::string> parentOf;
    std::string problem;
};

MenuShape ShapeOf(const std::vector<SPresetMenuItem>& items) {
    MenuShape shape;
    std::map<int32_t, std::string> textOf;
    int32_t expectedId = 1;
    for (const SPresetMenuItem& item : items) {
        if (item.commandId == kPresetMenuNoneId) continue;
        if (item.commandId != expectedId++) shape.problem = "ids are not 1, 2, 3 ... in order";
        if (item.parentId != 0 && !textOf.count(item.parentId)) shape.problem = "a parent comes after its child";
        textOf[item.commandId] = item.text.CStr();
        shape.parentOf[item.text.CStr()] = item.parentId == 0 ? "" : textOf[item.parentId];
    }
    return shape;
}

TEST(BuildPresetMenu, ListsCategoriesAndPresetFilesUnderOneIdSequence) {
    TempTree tree;
    tree.Write("plants/vineLeafy.vbr", "");
    tree.Write("plants/oak.VBR", "");
    tree.Write("plants/oak.vbr.txt", "");
    tree.Write("plants/notes", "");
    tree.Write("plants/~BRUSHIMAGES/hidden.vbr", "");
    tree.Write("~brushImages/bark.vbr", "");
    tree.Write("loose.vbr", "");
    tree.MakeFolder("empty");
    const std::vector<SPresetMenuItem> items = BuildPresetMenu(tree.Folder(), false);
    const MenuShape shape = ShapeOf(items);
    EXPECT_EQ(shape.problem, "");
    const std::map<std::string, std::string> expected = {
        {"plants", ""}, {"vineLeafy.vbr", "plants"}, {"oak.VBR", "plants"}, {"loose.vbr", ""}, {"empty", ""}};
    EXPECT_EQ(shape.parentOf, expected);
    EXPECT_EQ(items.size(), expected.size());
}

TEST(BuildPresetMenu, FirstCategoryIsOneAndItsPresetTwo) {
    TempTree tree;
    tree.Write("plants/vineLeafy.vbr", "");
    const std::vector<SPresetMenuItem> items = BuildPresetMenu(tree.Folder(), true);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0].text.Equals("None"));
    EXPECT_EQ(items[0].commandId, kPresetMenuNoneId);
    EXPECT_EQ(items[0].parentId, 0);
    EXPECT_TRUE(items[1].text.Equals("plants"));
    EXPECT_EQ(items[1].commandId, 1);
    EXPECT_EQ(items[1].parentId, 0);
    EXPECT_TRUE(items[2].text.Equals("vineLeafy.vbr"));
    EXPECT_EQ(items[2].commandId, 2);
    EXPECT_EQ(items[2].parentId, 1);
}

TEST(BuildPresetMenu, NestedCategoriesKeepTheirOwnParents) {
    TempTree tree;
    tree.Write("a/b/x.vbr", "");
    tree.Write("a/y.vbr", "");
    tree.Write("c/z.vbr", "");
    const MenuShape shape = ShapeOf(BuildPresetMenu(tree.Folder(), false));
    EXPECT_EQ(shape.problem, "");
    const std::map<std::string, std::string> expected = {{"a", ""},      {"b", "a"}, {"x.vbr", "b"},
                                                         {"y.vbr", "a"}, {"c", ""},  {"z.vbr", "c"}};
    EXPECT_EQ(shape.parentOf, expected);
}

TEST(BuildPresetMenu, NoFolderGivesOnlyTheNoneItem) {
    EXPECT_TRUE(BuildPresetMenu("", false).empty());
    TempTree tree;
    const std::vector<SPresetMenuItem> items = BuildPresetMenu(tree.Folder("missing"), true);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].commandId, kPresetMenuNoneId);
}

}  // namespace
