#include "presets/brush_image_hook.h"

#include "platform/file_spec.h"
#include "platform/pixel_bucket.h"
#include "presets/brush_record.h"
#include "presets/image_loader.h"
#include "presets/image_table.h"

std::unique_ptr<CPPixelBucket> LoadBrushImageForSlot(const char* imagesFolder, const TBrushRecord& record,
                                                     int32_t slot) {
    const TFLName* name = nullptr;
    switch (slot) {
        case kBrushImageTexture: name = &record.imageName; break;
        case kBrushImageLeaf: name = &record.leafImage; break;
        case kBrushImageFlower: name = &record.flowerImage; break;
        default: return nullptr;
    }
    if (!imagesFolder || name->IsEmpty()) return nullptr;
    // The folder gets its separator when it lacks one.
    const CPFileSpec location(imagesFolder, name->CStr());
    CString1024 path;
    if (!location.FullPath(path)) return nullptr;
    std::unique_ptr<CPPixelBucket> image = LoadBrushImage(path.CStr());
    if (!image || !image->Valid()) return nullptr;
    return image;
}

int32_t RegisterBrushImage(const CPPixelBucket& image) {
    const TImageWrapper entry = DescribeImage(image);
    if (!entry.pixels) return 0;
    return RegisterImage(entry);
}
