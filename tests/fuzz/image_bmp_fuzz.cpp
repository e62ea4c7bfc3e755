// Fuzzes the decoder of uncompressed bitmaps: any input must decode to nothing or to
// a sound image, read and written only inside the file and the image.
#include <cstddef>
#include <cstdint>

#include "image_fuzz_check.h"

#include "presets/image_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return TouchDecodedImage(DecodeBitmap(SImageBytes{data, size}));
}
