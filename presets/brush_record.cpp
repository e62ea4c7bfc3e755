#include "presets/brush_record.h"

#include <cstring>
#include <type_traits>

namespace {

// Initial values by kind. A Name starts empty; the other kinds take the number.
template <typename T>
void SetInitial(T& field, double value) { field = static_cast<T>(value); }
inline void SetInitial(TFLFlag& field, double value) { field = value != 0.0; }
inline void SetInitial(TFLName& field, const char* text) { field.Set(text); }

// A blank record reads opacity 1 (an absent translucence) and zero elsewhere.
template <typename T>
void SetBlank(T& field, TFLAttrKind kind) {
    field = static_cast<T>(kind == TFLAttrKind::OPACITY ? 1.0 : 0.0);
}
inline void SetBlank(TFLFlag& field, TFLAttrKind) { field = false; }
inline void SetBlank(TFLName& field, TFLAttrKind) { field.Set(""); }

template <typename Field>
TFLAttrInfo MakeInfo(const char* name, TFLAttrKind kind, TFLAttrSection section, Field TBrushRecord::*member) {
    TFLAttrInfo info{name, kind, section, nullptr, nullptr, nullptr, nullptr};
    if constexpr (std::is_same_v<Field, TFLReal>) info.real = member;
    if constexpr (std::is_same_v<Field, TFLFlag>) info.flag = member;
    if constexpr (std::is_same_v<Field, TFLWhole>) info.whole = member;
    if constexpr (std::is_same_v<Field, TFLName>) info.text = member;
    return info;
}

#define TF_BRUSH_ATTR(section, kind, name, initial)                                          \
    MakeInfo<TF_ATTR_TYPE_##kind>(#name, TFLAttrKind::kind, TFLAttrSection::section, \
                                  static_cast<TF_ATTR_TYPE_##kind TBrushRecord::*>(&TBrushRecord::name)),
const TFLAttrInfo kAttributes[] = {
#include "presets/brush_attributes_general.inc"
#include "presets/brush_attributes_tube.inc"
#include "presets/brush_attributes_texture.inc"
};
#undef TF_BRUSH_ATTR

}  // namespace

TBrushRecord::TBrushRecord() {
#define TF_BRUSH_ATTR(section, kind, name, initial) SetInitial(name, initial);
#include "presets/brush_attributes_general.inc"
#include "presets/brush_attributes_tube.inc"
#include "presets/brush_attributes_texture.inc"
#undef TF_BRUSH_ATTR
}

TBrushRecord::TBrushRecord(BlankTag) {
#define TF_BRUSH_ATTR(section, kind, name, initial) SetBlank(name, TFLAttrKind::kind);
#include "presets/brush_attributes_general.inc"
#include "presets/brush_attributes_tube.inc"
#include "presets/brush_attributes_texture.inc"
#undef TF_BRUSH_ATTR
}

TBrushRecord TBrushRecord::Blank() { return TBrushRecord(BlankTag{}); }

const TFLAttrInfo* BrushAttributeTable() { return kAttributes; }

int BrushAttributeCount() { return static_cast<int>(sizeof(kAttributes) / sizeof(kAttributes[0])); }

const TFLAttrInfo* FindBrushAttribute(const char* name) {
    if (!name) return nullptr;
    for (const TFLAttrInfo& info : kAttributes) {
        if (std::strcmp(info.name, name) == 0) return &info;
    }
    return nullptr;
}
