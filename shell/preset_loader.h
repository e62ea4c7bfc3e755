// Loading a preset into one painter of the paint context: the file's brush
// record replaces the painter's brush, and the images the brush needs are
// loaded into the painter's image slots.
#pragma once

#include <cstdint>

struct TBrushRecord;
class TPaintContext;

// Whether a brush paints with the image of a slot (see brush_image_hook.h):
// the tube texture when it maps colour or opacity from texture kind 4; the
// leaf or flower image when it grows leaves or flowers on tubes without
// the branch texture.
bool BrushNeedsImage(const TBrushRecord& brush, int32_t slot);

// Reads presetPath and, when the file could be read, copies the record into
// painter painterIndex's brush (all three sections) and, when copyTarget is
// given, into it too. With withImages the painter's previous images are
// dropped and each needed image is loaded from imagesFolder. A preset that
// cannot be read leaves the brush, its images and copyTarget as they were
// (a brush never loaded keeps its constructed initial values) and answers
// false; so does a painter index other than 0 and 1.
bool LoadPresetIntoPainter(TPaintContext& context, const char* presetPath, const char* imagesFolder,
                           bool withImages, TBrushRecord* copyTarget, int32_t painterIndex);

// The frame driver's call: flag nonzero loads the images too, record is the
// optional second copy target.
bool LoadPainterPreset(TPaintContext& context, const char* presetPath, const char* imagesPath, int32_t flag,
                       TBrushRecord* record, int32_t painter);
