// Fuzzes the decoder of planar RGB images: any input must decode to nothing or to
// a sound image, read and written only inside the file and the image.
#include <cstddef>
#include <cstdint>

#include "platform/pixel_bucket.h"
#include "presets/image_rgb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SImageBytes file{data, size};
    auto image = DecodePlanarRgb(file);
    if (image) {
        // Touch every pixel byte so a wrongly sized bucket shows.
        unsigned sum = 0;
        const int rowBytes = image->Width() * image->BytesPerPixel();
        for (int y = 0; y < image->Height(); ++y) {
            const uint8_t* row = image->Row(y);
            for (int i = 0; i < rowBytes; ++i) sum += row[i];
        }
        if (sum == 0xFFFFFFFFu) return 1;
    }
    return 0;
}
