// TBrushRecord: one flat record of named brush attributes. The attribute
// list lives once, in the brush_attributes_*.inc tables (one row per
// attribute: section, kind, name, initial value); the record, its section
// copies, the attribute table and the preset reader are all expanded from it.
#pragma once

#include <cstdint>

#include "platform/strings.h"

// The C++ type each attribute kind is stored as.
using TFLReal = double;     // REAL, COUNT (a whole number stored as a Real), OPACITY
using TFLFlag = bool;       // FLAG, IGNORED
using TFLWhole = int32_t;   // WHOLE, WHOLE012
using TFLName = CString64;  // NAME

#define TF_ATTR_TYPE_REAL TFLReal
#define TF_ATTR_TYPE_COUNT TFLReal
#define TF_ATTR_TYPE_OPACITY TFLReal
#define TF_ATTR_TYPE_FLAG TFLFlag
#define TF_ATTR_TYPE_IGNORED TFLFlag
#define TF_ATTR_TYPE_WHOLE TFLWhole
#define TF_ATTR_TYPE_WHOLE012 TFLWhole
#define TF_ATTR_TYPE_NAME TFLName

enum class TFLAttrKind : uint8_t { REAL, FLAG, WHOLE, WHOLE012, COUNT, OPACITY, IGNORED, NAME };
enum class TFLAttrSection : uint8_t { GENERAL, TUBE, TEXTURE };

struct TBrushGeneralSection {
#define TF_BRUSH_ATTR(section, kind, name, initial) TF_ATTR_TYPE_##kind name;
#include "presets/brush_attributes_general.inc"
#undef TF_BRUSH_ATTR
};

struct TBrushTubeSection {
#define TF_BRUSH_ATTR(section, kind, name, initial) TF_ATTR_TYPE_##kind name;
#include "presets/brush_attributes_tube.inc"
#undef TF_BRUSH_ATTR
};

struct TBrushTextureSection {
#define TF_BRUSH_ATTR(section, kind, name, initial) TF_ATTR_TYPE_##kind name;
#include "presets/brush_attributes_texture.inc"
#undef TF_BRUSH_ATTR
};

// The three sections are base classes so that attributes read by plain
// name (brush.tubesPerStep) and each section copies as a unit.
struct TBrushRecord : TBrushGeneralSection, TBrushTubeSection, TBrushTextureSection {
    // Sets the initial values of a brush that has never had a preset loaded.
    TBrushRecord();
    // A record of zeros, false flags, empty names and opacity 1: what a
    // preset naming no attribute reads as.
    static TBrushRecord Blank();

    void CopyGeneral(const TBrushRecord& from) { static_cast<TBrushGeneralSection&>(*this) = from; }
    void CopyTube(const TBrushRecord& from) { static_cast<TBrushTubeSection&>(*this) = from; }
    void CopyTexture(const TBrushRecord& from) { static_cast<TBrushTextureSection&>(*this) = from; }
    void CopyAll(const TBrushRecord& from) {
        CopyGeneral(from);
        CopyTube(from);
        CopyTexture(from);
    }

    // Image table handles (1-based, 0 for none) of the images loaded for
    // the tube texture, leaf and flower slots. Set by the preset loader,
    // never read from a preset, and left alone by the section copies.
    int32_t imageHandle[3] = {0, 0, 0};

private:
    struct BlankTag {};
    explicit TBrushRecord(BlankTag);
};

// One row of the attribute table, for code that walks attributes by name
// (the preset reader, tests, tools).
struct TFLAttrInfo {
    const char* name;
    TFLAttrKind kind;
    TFLAttrSection section;
    // Where the field lives: exactly one of these is set, by kind.
    TFLReal TBrushRecord::*real;
    TFLFlag TBrushRecord::*flag;
    TFLWhole TBrushRecord::*whole;
    TFLName TBrushRecord::*text;
};

// The whole table in record order, and its length.
const TFLAttrInfo* BrushAttributeTable();
int BrushAttributeCount();
// The row for an attribute name (exact, case-sensitive), or null.
const TFLAttrInfo* FindBrushAttribute(const char* name);
