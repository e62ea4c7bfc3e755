// Small helpers for the preset tests: a temporary folder tree removed at the
// end of the test, and files written into it.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/native.h"

class TempTree {
public:
    TempTree() {
        std::random_device device;
        root_ = std::filesystem::temp_directory_path() /
                ("tf-presets-" + std::to_string(device()) + "-" + std::to_string(device()));
        std::filesystem::create_directories(root_);
    }
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The absolute path of a relative one ("a/b"), without a trailing separator.
    std::string Path(const std::string& relative = "") const {
        // Native separators, as the program itself writes paths.
        return relative.empty() ? root_.string() : (root_ / relative).make_preferred().string();
    }
    // The same with a trailing separator, as folders are written here.
    std::string Folder(const std::string& relative = "") const { return Path(relative) + kPathSeparator; }

    void MakeFolder(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }
    std::string Write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

private:
    std::filesystem::path root_;
};
