// Halved copies of a brush image, so that a texture sampler can read a
// stamp far smaller than the image from a copy of about its size instead
// of averaging many texels of the full picture for every pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TImageWrapper;

// One level of an image: level 0 is the image itself, each further level
// half the size of the one before (rounded up) with each texel the mean of
// the two by two texels it covers (fewer at an odd edge).
struct TImageLevel {
    const uint8_t* pixels = nullptr;  // memory row 0
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;   // bytes
    bool topDown = false;    // memory row 0 is the top row (level 0 only)
};

class TImagePyramid {
public:
    // Builds the halved levels of a 3- or 4-byte entry down to one texel
    // in each direction; an entry of any other form gets none. The entry's
    // pixels are read, not kept: level 0 stays with its owner.
    void Build(const TImageWrapper& entry);
    void Clear();

    // The halved levels (level 1 first); none for an unusable entry.
    int32_t Count() const { return static_cast<int32_t>(levels_.size()); }
    const TImageLevel& Level(int32_t k) const { return levels_[static_cast<size_t>(k)]; }

private:
    std::vector<uint8_t> storage_;
    std::vector<TImageLevel> levels_;
};
