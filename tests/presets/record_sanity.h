// What every record the reader produces must satisfy, whatever the file:
// finite numbers, wholes inside 16 bits, counts whole, fakeShadow 0..2,
// realLights off, names within 63 bytes.
#pragma once

#include <cmath>
#include <string>

#include "presets/brush_record.h"

// The name of the first attribute that breaks those rules, or "".
inline std::string FirstInsaneField(const TBrushRecord& record) {
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        bool ok = true;
        switch (info.kind) {
            case TFLAttrKind::REAL:
            case TFLAttrKind::OPACITY: ok = std::isfinite(record.*info.real); break;
            case TFLAttrKind::COUNT: {
                const double v = record.*info.real;
                ok = std::isfinite(v) && v == std::trunc(v) && v >= -32768 && v <= 32767;
                break;
            }
            case TFLAttrKind::WHOLE: ok = record.*info.whole >= -32768 && record.*info.whole <= 32767; break;
            case TFLAttrKind::WHOLE012: ok = record.*info.whole >= 0 && record.*info.whole <= 2; break;
            case TFLAttrKind::IGNORED: ok = !(record.*info.flag); break;
            case TFLAttrKind::FLAG: break;
            case TFLAttrKind::NAME: ok = (record.*info.text).Length() <= 63; break;
        }
        if (!ok) return info.name;
    }
    return "";
}
