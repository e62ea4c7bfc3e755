#include "render/brush_guard.h"

#include <cmath>
#include <memory>
#include <new>

#include "presets/brush_record.h"
#include "render/bounds.h"

namespace {

bool IsReal(const TFLAttrInfo& row) { return row.real != nullptr; }

const TBrushRecord& InitialBrush() {
    static const TBrushRecord initial;
    return initial;
}

}  // namespace

bool BrushIsFinite(const TBrushRecord& brush) {
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    for (int i = 0; i < count; ++i)
        if (IsReal(table[i]) && !std::isfinite(brush.*(table[i].real))) return false;
    return true;
}

const TBrushRecord* PaintableBrush(const TBrushRecord& brush, TboundingBox& stroke) {
    if (BrushIsFinite(brush)) return &brush;
    if (!stroke.safeBrush) {
        stroke.safeBrush.reset(new (std::nothrow) TBrushRecord());
        // Out of memory: paint nothing rather than paint with NaN.
        if (!stroke.safeBrush) return nullptr;
    }
    TBrushRecord& safe = *stroke.safeBrush;
    safe.CopyAll(brush);
    for (int k = 0; k < 3; ++k) safe.imageHandle[k] = brush.imageHandle[k];
    const TBrushRecord& initial = InitialBrush();
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (!IsReal(table[i])) continue;
        TFLReal& value = safe.*(table[i].real);
        if (!std::isfinite(value)) value = initial.*(table[i].real);
    }
    return &safe;
}
