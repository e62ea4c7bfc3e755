#include "shell/preset_loader.h"

#include "platform/pixel_bucket.h"
#include "presets/brush_image_hook.h"
#include "presets/brush_kinds.h"
#include "presets/brush_record.h"
#include "presets/image_table.h"
#include "presets/vbr_reader.h"
#include "shell/paint_context.h"

namespace {

CPPixelBucket*& ImageOfSlot(TPainterSlot& painter, int32_t slot) {
    switch (slot) {
        case kBrushImageLeaf: return painter.leafImage;
        case kBrushImageFlower: return painter.flowerImage;
        default: return painter.textureImage;
    }
}

}  // namespace

bool BrushNeedsImage(const TBrushRecord& brush, int32_t slot) {
    switch (slot) {
        case kBrushImageTexture: return (brush.mapColor || brush.mapOpacity) && brush.textureType == kTextureImage;
        case kBrushImageLeaf: return brush.tubes && brush.leaves && !brush.leafUseBranchTex;
        case kBrushImageFlower: return brush.tubes && brush.flowers && !brush.flowerUseBranchTex;
        default: return false;
    }
}

bool LoadPresetIntoPainter(TPaintContext& context, const char* presetPath, const char* imagesFolder,
                           bool withImages, TBrushRecord* copyTarget, int32_t painterIndex) {
    if (painterIndex < 0 || painterIndex >= kPainterSlots) return false;
    // The record starts at the initial values, so even a short read leaves
    // nothing unset; a file that cannot be read changes nothing at all.
    TBrushRecord loaded;
    if (!ReadPreset(presetPath, loaded)) return false;

    TPainterSlot& painter = context.slot[painterIndex];
    TBrushRecord* brush = painter.brush;
    if (brush) {
        brush->CopyGeneral(loaded);
        brush->CopyTube(loaded);
        brush->CopyTexture(loaded);
    }
    if (withImages) {
        for (int32_t slot = kBrushImageTexture; slot <= kBrushImageFlower; ++slot) {
            // Images stay with a painter until its next load.
            CPPixelBucket*& image = ImageOfSlot(painter, slot);
            // The table must not keep pointing at pixels about to be freed.
            if (image) ReleaseImageEntries(image->Pixels());
            delete image;
            image = nullptr;
            if (brush) brush->imageHandle[slot] = 0;
            if (!brush || !BrushNeedsImage(*brush, slot)) continue;
            std::unique_ptr<CPPixelBucket> decoded = LoadBrushImageForSlot(imagesFolder, *brush, slot);
            if (!decoded || !decoded->Valid()) continue;
            brush->imageHandle[slot] = RegisterBrushImage(*decoded);
            image = decoded.release();
        }
    }
    if (copyTarget) {
        copyTarget->CopyGeneral(loaded);
        copyTarget->CopyTube(loaded);
        copyTarget->CopyTexture(loaded);
    }
    return true;
}

bool LoadPainterPreset(TPaintContext& context, const char* presetPath, const char* imagesPath, int32_t flag,
                       TBrushRecord* record, int32_t painter) {
    return LoadPresetIntoPainter(context, presetPath, imagesPath, flag != 0, record, painter);
}
