// What every image decoder's fuzz target checks of a decoded image.
#pragma once

#include <cstdint>

#include "platform/pixel_bucket.h"

// Reads every pixel byte, so a bucket sized wrongly for its rows shows.
template <typename Image>
int TouchDecodedImage(const Image& image) {
    if (!image) return 0;
    unsigned sum = 0;
    const int rowBytes = image->Width() * image->BytesPerPixel();
    for (int y = 0; y < image->Height(); ++y) {
        const uint8_t* row = image->Row(y);
        for (int i = 0; i < rowBytes; ++i) sum += row[i];
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
