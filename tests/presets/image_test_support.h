// Shared helpers of the brush image tests: comparing a decoded bucket with
// the picture it should hold, and scratch files in the build folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/pixel_bucket.h"
#include "presets/image_bytes.h"
#include "tools/brush_images/image_writers.h"

namespace image_test {

using brush_images::SPicture;

inline SImageBytes Bytes(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

// The bucket holds picture p upright in B, G, R (, A) order: its Row(0) is
// the picture's top row. Reports the first differing pixel.
inline ::testing::AssertionResult HoldsPicture(const CPPixelBucket* bucket, const SPicture& p, int channels) {
    if (!bucket || !bucket->Valid()) return ::testing::AssertionFailure() << "no image";
    if (bucket->Width() != p.width || bucket->Height() != p.height) {
        return ::testing::AssertionFailure() << "size " << bucket->Width() << "x" << bucket->Height() << ", expected "
                                             << p.width << "x" << p.height;
    }
    if (bucket->BitsPerPixel() != 8 * channels) {
        return ::testing::AssertionFailure() << "depth " << bucket->BitsPerPixel() << ", expected " << 8 * channels;
    }
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* row = bucket->Row(y);
        for (int x = 0; x < p.width; ++x) {
            uint8_t want[4];
            brush_images::ExpectedBgra(p, x, y, channels, want);
            for (int c = 0; c < channels; ++c) {
                if (row[x * channels + c] != want[c]) {
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", row " << y << " from the top) byte " << c << " is "
                           << int(row[x * channels + c]) << ", expected " << int(want[c]);
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// A scratch folder of its own for each test, inside the build folder.
inline std::filesystem::path ScratchFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const std::filesystem::path folder = std::filesystem::path(TF_BINARY_DIR) / "image_tests" / name;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
    return folder;
}

// Whether an outside tool (an absolute POSIX path) runs here: its probe
// arguments must exit 0. Never on Windows, where the tests run under Wine
// without the tools or a POSIX shell.
inline bool ToolAvailable(const char* tool, const char* probeArguments) {
#ifdef _WIN32
    (void)tool;
    (void)probeArguments;
    return false;
#else
    if (!std::filesystem::exists(tool)) return false;
    const std::string command = std::string(tool) + probeArguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
#endif
}

inline bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path.string().c_str(), "rb");
    if (!f) return data;
    uint8_t buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

}  // namespace image_test
