// Field-by-field comparison of brush records through the attribute table,
// so a failure names the first attribute that differs.
#pragma once

#include <cmath>
#include <cstring>
#include <string>

#include "presets/brush_record.h"

// The name of the first attribute whose stored value differs, or "".
inline std::string FirstDifference(const TBrushRecord& a, const TBrushRecord& b) {
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        bool same = true;
        if (info.real) same = a.*info.real == b.*info.real || (std::isnan(a.*info.real) && std::isnan(b.*info.real));
        if (info.flag) same = a.*info.flag == b.*info.flag;
        if (info.whole) same = a.*info.whole == b.*info.whole;
        if (info.text) same = (a.*info.text).Equals((b.*info.text).CStr()) && (a.*info.text).Length() == (b.*info.text).Length();
        if (!same) return info.name;
    }
    return "";
}
