#include "presets/vbr_reader.h"

#include <cmath>
#include <string>

#include "platform/file.h"
#include "platform/file_spec.h"

namespace {

bool IsRemovedFromValue(char c) { return c == ' ' || c == '\t' || c == '"'; }

// Stores one cleaned value text into the record field the table row names.
void StoreAttribute(const TFLAttrInfo& info, const CString64& value, TBrushRecord& record) {
    const double number = info.kind == TFLAttrKind::NAME ? 0.0 : PresetRealValue(value.CStr(), value.Length());
    switch (info.kind) {
        case TFLAttrKind::REAL: record.*info.real = number; break;
        case TFLAttrKind::OPACITY: record.*info.real = 1.0 - number; break;
        case TFLAttrKind::COUNT: record.*info.real = PresetWholeValue(number); break;
        case TFLAttrKind::FLAG: record.*info.flag = number != 0.0; break;
        case TFLAttrKind::IGNORED: record.*info.flag = false; break;
        case TFLAttrKind::WHOLE: record.*info.whole = PresetWholeValue(number); break;
        case TFLAttrKind::WHOLE012: {
            const int32_t whole = PresetWholeValue(number);
            record.*info.whole = whole == 1 || whole == 2 ? whole : 0;
            break;
        }
        case TFLAttrKind::NAME: (record.*info.text).Set(value); break;
    }
}

}  // namespace

double PresetRealValue(const char* text, int length) { return ReadDecimalText(text, length); }

int32_t PresetWholeValue(double number) {
    if (!std::isfinite(number)) return 0;  // never produced by the reader; kept safe anyway
    // fmod of a whole double by 2^16 is exact, so this is the low 16 bits of
    // the truncated number at any magnitude.
    const double low = std::fmod(std::trunc(number), 65536.0);  // in (-65536, 65536)
    const auto bits = static_cast<uint16_t>(static_cast<int32_t>(low) & 0xFFFF);
    return static_cast<int16_t>(bits);
}

CString64 TFLVbrHandler::GetAttribute(const char* name) const {
    CString64 value;
    // The key is the name between double quotes.
    std::string key;
    key.reserve(64);
    key += '"';
    key += name ? name : "";
    key += '"';
    const int found = text_.Find(key.c_str(), static_cast<int>(key.size()), 1);
    if (found == 0) return value;
    const int start = found + static_cast<int>(key.size());
    const int semicolon = text_.Find(";", 1, start);
    if (semicolon <= start) return value;
    // Cut first, then clean: the 63 bytes are counted before removal.
    CString64 raw;
    raw.Set(text_.CStr() + start - 1, semicolon - start);
    for (int i = 1; i <= raw.Length(); ++i) {
        const char c = raw.CharAt(i);
        if (!IsRemovedFromValue(c)) value.AppendChar(c);
    }
    return value;
}

void TFLVbrHandler::FillRecord(TBrushRecord& record) const {
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    for (int i = 0; i < count; ++i) StoreAttribute(table[i], GetAttribute(table[i].name), record);
}

bool ReadPreset(const char* path, TBrushRecord& record) {
    if (!path || CPFileSpec::KindOf(path) != TFileKind::File) return false;
    CPFile file;
    if (!file.Open(path, CPFile::kReadExisting)) return false;
    const int64_t size = file.Size();
    if (size < 0) return false;
    const int32_t wanted = size < kPresetReadLimit ? static_cast<int32_t>(size) : kPresetReadLimit;
    std::string bytes;
    bytes.resize(static_cast<size_t>(wanted));
    int32_t have = 0;
    while (have < wanted) {
        const int32_t got = file.Read(bytes.data() + have, wanted - have);
        if (got <= 0) break;  // the file shrank while being read: keep what came
        have += got;
    }
    file.Close();
    TFLVbrHandler handler(bytes.data(), have);
    handler.FillRecord(record);
    return true;
}
