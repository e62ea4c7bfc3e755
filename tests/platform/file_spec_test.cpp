#include "platform/file_spec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/native.h"
#include "test_folder.h"

namespace {

const std::string kSep(1, kPathSeparator);

TEST(CPFileSpec, FolderAlwaysEndsInTheSeparator) {
    CPFileSpec spec(("a" + kSep + "b").c_str(), "c.vbr");
    EXPECT_STREQ(spec.Folder().CStr(), ("a" + kSep + "b" + kSep).c_str());
    spec.SetFolder(("x" + kSep).c_str());
    EXPECT_STREQ(spec.Folder().CStr(), ("x" + kSep).c_str());
    CString1024 full;
    EXPECT_TRUE(spec.FullPath(full));
    EXPECT_STREQ(full.CStr(), ("x" + kSep + "c.vbr").c_str());
    spec.SetFolder("");
    EXPECT_TRUE(spec.Folder().IsEmpty());
}

TEST(CPFileSpec, OverlongFolderIsCutButKeepsItsSeparator) {
    const std::string longFolder(600, 'f');
    CPFileSpec spec;
    EXPECT_FALSE(spec.SetFolder(longFolder.c_str()));
    EXPECT_EQ(spec.Folder().Length(), 511);
    EXPECT_EQ(spec.Folder().CharAt(511), kPathSeparator);
}

TEST(CPFileSpec, DescendAndMoveToParentWalkThePath) {
    const std::string root = kSep + "a" + kSep + "b" + kSep;
    CPFileSpec spec(root.c_str(), "TARN_FL_PRESETS");
    EXPECT_TRUE(spec.Descend());
    EXPECT_STREQ(spec.Folder().CStr(), (root + "TARN_FL_PRESETS" + kSep).c_str());
    EXPECT_TRUE(spec.Name().IsEmpty());
    EXPECT_FALSE(spec.Descend());  // nothing to descend into
    EXPECT_TRUE(spec.MoveToParent());
    EXPECT_STREQ(spec.Folder().CStr(), root.c_str());
    EXPECT_STREQ(spec.Name().CStr(), "TARN_FL_PRESETS");
    EXPECT_TRUE(spec.MoveToParent());
    EXPECT_TRUE(spec.MoveToParent());
    EXPECT_STREQ(spec.Folder().CStr(), kSep.c_str());
    EXPECT_STREQ(spec.Name().CStr(), "a");
    EXPECT_FALSE(spec.MoveToParent());  // the root has no parent
}

TEST(CPFileSpec, KindTellsFilesFoldersAndMissingEntries) {
    TestFolder folder;
    std::ofstream(folder.Path("oak.vbr")) << "x";
    std::filesystem::create_directory(folder.Fs() / "plants");
    EXPECT_EQ(CPFileSpec(folder.Path().c_str(), "oak.vbr").Kind(), TFileKind::File);
    EXPECT_EQ(CPFileSpec(folder.Path().c_str(), "plants").Kind(), TFileKind::Folder);
    EXPECT_EQ(CPFileSpec(folder.Path().c_str(), "none").Kind(), TFileKind::Missing);
    EXPECT_EQ(CPFileSpec(folder.Path().c_str(), "").Kind(), TFileKind::Folder);
    EXPECT_TRUE(CPFileSpec::FileExists(folder.Path("oak.vbr").c_str()));
    EXPECT_FALSE(CPFileSpec::FileExists(folder.Path("plants").c_str()));
    EXPECT_TRUE(CPFileSpec::FolderExists(folder.Path("plants").c_str()));
    EXPECT_FALSE(CPFileSpec::FolderExists(folder.Path("oak.vbr").c_str()));
    EXPECT_FALSE(CPFileSpec::FolderExists(nullptr));
    EXPECT_TRUE(CPFileSpec("x", "Shortcut to b.LNK").IsShortcut());
    EXPECT_FALSE(CPFileSpec("x", "lnk").IsShortcut());
}

TEST(CPFileSpec, EnumerationListsEntriesWithTheirKindsWithoutDotEntries) {
    TestFolder folder;
    std::ofstream(folder.Path("a.vbr")) << "x";
    std::ofstream(folder.Path("b.txt")) << "x";
    std::filesystem::create_directory(folder.Fs() / "plants");
    std::filesystem::create_directory(folder.Fs() / "~brushImages");
    CPFileSpec spec(folder.Path().c_str(), "");
    ASSERT_TRUE(spec.BeginEnumeration());
    EXPECT_GT(spec.FindState(), 0);
    std::map<std::string, TFileKind> seen;
    CString256 name;
    TFileKind kind;
    while (spec.NextEntry(name, kind)) seen[name.CStr()] = kind;
    spec.EndEnumeration();
    EXPECT_EQ(spec.FindState(), 0);
    const std::map<std::string, TFileKind> expected{{"a.vbr", TFileKind::File},
                                                    {"b.txt", TFileKind::File},
                                                    {"plants", TFileKind::Folder},
                                                    {"~brushImages", TFileKind::Folder}};
    EXPECT_EQ(seen, expected);
}

TEST(CPFileSpec, EnumerationOfAMissingFolderFails) {
    TestFolder folder;
    CPFileSpec spec(folder.Path("missing").c_str(), "");
    EXPECT_FALSE(spec.BeginEnumeration());
    EXPECT_EQ(spec.FindState(), 0);
    CString256 name;
    TFileKind kind;
    EXPECT_FALSE(spec.NextEntry(name, kind));
}

TEST(CPFileSpec, CopiesTakeTheLocationButNotTheEnumeration) {
    TestFolder folder;
    std::ofstream(folder.Path("a")) << "x";
    CPFileSpec spec(folder.Path().c_str(), "a");
    ASSERT_TRUE(spec.BeginEnumeration());
    CPFileSpec copy(spec);
    EXPECT_EQ(copy.FindState(), 0);
    EXPECT_STREQ(copy.Folder().CStr(), spec.Folder().CStr());
    EXPECT_STREQ(copy.Name().CStr(), "a");
    CString256 name;
    TFileKind kind;
    EXPECT_FALSE(copy.NextEntry(name, kind));
    EXPECT_TRUE(spec.NextEntry(name, kind));
    CPFileSpec assigned;
    assigned = spec;
    EXPECT_EQ(assigned.FindState(), 0);
}

TEST(CPFileSpec, CreateFolderMakesMissingParentsWhenAsked) {
    TestFolder folder;
    const std::string deep = folder.Path("one") + kSep + "two" + kSep;
    CPFileSpec spec(deep.c_str(), "three");
    EXPECT_FALSE(spec.CreateFolder());
    spec.SetCreateMissingFolders(true);
    EXPECT_TRUE(spec.CreateFolder());
    EXPECT_TRUE(spec.IsFolder());
    EXPECT_TRUE(spec.CreateFolder());  // already there
}

}  // namespace
