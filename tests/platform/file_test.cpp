#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "test_folder.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

struct SModeCase {
    int mode;
    bool existing;        // the file is there before
    bool opens;
    bool canRead;
    bool canWrite;
    const char* contentAfterOpen;  // null: no file
};

TEST(CPFile, OpenModesCreateTruncateOrRequireTheFile) {
    const SModeCase cases[] = {
        {CPFile::kReadExisting, false, false, false, false, nullptr},
        {CPFile::kReadExisting, true, true, true, false, "old"},
        {CPFile::kWriteExisting, false, false, false, false, nullptr},
        {CPFile::kWriteExisting, true, true, false, true, "old"},
        {CPFile::kReadWriteTruncate, false, true, true, true, ""},
        {CPFile::kReadWriteTruncate, true, true, true, true, ""},
        {CPFile::kReadWriteExisting, false, false, false, false, nullptr},
        {CPFile::kReadWriteExisting, true, true, true, true, "old"},
        {CPFile::kReadWriteOpenAlways, false, true, true, true, ""},
        {CPFile::kReadWriteOpenAlways, true, true, true, true, "old"},
    };
    TestFolder folder;
    for (const SModeCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.existing ? " existing" : " missing"));
        const std::string path = folder.Path("f.bin");
        std::filesystem::remove(path);
        if (c.existing) Put(path, "old");
        CPFile f;
        ASSERT_EQ(f.Open(path.c_str(), c.mode), c.opens);
        if (!c.opens) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        EXPECT_EQ(f.Size(), static_cast<int64_t>(std::string(c.contentAfterOpen).size()));
        char buffer[8];
        EXPECT_EQ(f.Read(buffer, 8) >= 0, c.canRead);
        f.Seek(0);
        EXPECT_EQ(f.Write("n", 1) == 1, c.canWrite);
        f.Close();
    }
}

TEST(CPFile, ReadWriteSeekTellAndSize) {
    TestFolder folder;
    const std::string path = folder.Path("data.bin");
    CPFile f(path.c_str(), CPFile::kReadWriteTruncate);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(f.Write("abcdefgh", 8), 8);
    EXPECT_EQ(f.Tell(), 8);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Seek(2), 2);
    EXPECT_EQ(f.Seek(3, CPFile::kFromCurrent), 5);
    char buffer[8] = {};
    EXPECT_EQ(f.Read(buffer, 8), 3);  // short read at the end
    EXPECT_EQ(std::string(buffer, 3), "fgh");
    EXPECT_EQ(f.Read(buffer, 8), 0);
    EXPECT_EQ(f.Seek(-1), -1);
    EXPECT_EQ(f.Seek(0, 7), -1);
    EXPECT_TRUE(f.Close());
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(f.Read(buffer, 1), -1);
    EXPECT_EQ(f.Write("x", 1), -1);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(Contents(path), "abcdefgh");
}

TEST(CPFile, IsNotSharedWhileOpen) {
    TestFolder folder;
    const std::string path = folder.Path("locked.txt");
    Put(path, "x");
    {
        CPFile first(path.c_str(), CPFile::kReadExisting);
        ASSERT_TRUE(first.IsOpen());
        CPFile second;
        EXPECT_FALSE(second.Open(path.c_str(), CPFile::kReadExisting));
        // A refused truncating open must not have truncated the file.
        EXPECT_FALSE(second.Open(path.c_str(), CPFile::kReadWriteTruncate));
        EXPECT_EQ(first.Size(), 1);
    }
    EXPECT_EQ(Contents(path), "x");
    CPFile again(path.c_str(), CPFile::kReadExisting);  // the destructor closed it
    EXPECT_TRUE(again.IsOpen());
}

TEST(CPFile, FoldersAndBadArgumentsDoNotOpen) {
    TestFolder folder;
    CPFile f;
    EXPECT_FALSE(f.Open(folder.Path().c_str(), CPFile::kReadExisting));
    EXPECT_FALSE(f.Open(folder.Fs().string().c_str(), CPFile::kReadExisting));
    EXPECT_FALSE(f.Open(nullptr, CPFile::kReadExisting));
    EXPECT_FALSE(f.Open("", CPFile::kReadWriteTruncate));
    EXPECT_FALSE(f.Open(folder.Path("x").c_str(), 5));
    EXPECT_FALSE(f.IsOpen());
}

size_t EntriesIn(const std::filesystem::path& p) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(p), std::filesystem::directory_iterator()));
}

TEST(WriteFileAtomically, WritesAndReplacesWholeFiles) {
    TestFolder folder;
    const std::string path = folder.Path("TarnFLSaver.prf");
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "first", 5));
    EXPECT_EQ(Contents(path), "first");
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "2nd", 3));
    EXPECT_EQ(Contents(path), "2nd");
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), nullptr, 0));
    EXPECT_EQ(Contents(path), "");
    EXPECT_EQ(EntriesIn(folder.Fs()), 1u);  // no temporary left beside it
}

TEST(WriteFileAtomically, FailureLeavesNoPartialFile) {
    TestFolder folder;
    // The target folder does not exist.
    const std::string missing = folder.Path("nope") + "/out.bmp";
    EXPECT_FALSE(WriteFileAtomically(missing.c_str(), "data", 4));
    // The target is a folder that cannot be replaced by a file.
    std::filesystem::create_directory(folder.Fs() / "taken");
    std::filesystem::create_directory(folder.Fs() / "taken" / "inner");
    EXPECT_FALSE(WriteFileAtomically(folder.Path("taken").c_str(), "data", 4));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Fs() / "taken" / "inner"));
    EXPECT_EQ(EntriesIn(folder.Fs()), 1u);
    EXPECT_FALSE(WriteFileAtomically(nullptr, "data", 4));
    EXPECT_FALSE(WriteFileAtomically(folder.Path("x").c_str(), nullptr, 4));
    EXPECT_EQ(EntriesIn(folder.Fs()), 1u);
}

TEST(DeleteFilePath, RemovesOnlyExistingFiles) {
    TestFolder folder;
    const std::string path = folder.Path("gone.txt");
    Put(path, "x");
    EXPECT_TRUE(DeleteFilePath(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(DeleteFilePath(path.c_str()));
}

}  // namespace
