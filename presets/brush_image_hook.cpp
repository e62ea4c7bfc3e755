#include "presets/brush_image_hook.h"

#include "platform/pixel_bucket.h"

// No decoders yet: every brush paints without its images.
std::unique_ptr<CPPixelBucket> LoadBrushImageForSlot(const char*, const TBrushRecord&, int32_t) { return nullptr; }

int32_t RegisterBrushImage(const CPPixelBucket&) { return 0; }
