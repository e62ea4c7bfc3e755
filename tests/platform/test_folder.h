// A fresh, empty folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class TestFolder {
public:
    TestFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("tf_platform_") + info->test_suite_name() + "_" + info->name());
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    // The folder with a trailing separator, or a file in it.
    std::string Path(const std::string& name = "") const {
        return (path_ / "").string() + name;
    }
    const std::filesystem::path& Fs() const { return path_; }

private:
    std::filesystem::path path_;
};
