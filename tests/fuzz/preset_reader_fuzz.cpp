// libFuzzer target: any bytes as the text of a brush preset. The reader must
// never fail, and the record it fills must hold only finite numbers,
// 16-bit wholes, fakeShadow 0..2 and names of at most 63 bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "presets/vbr_reader.h"
#include "platform/tokener.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckRecord(const TBrushRecord& record) {
    const TFLAttrInfo* table = BrushAttributeTable();
    for (int i = 0; i < BrushAttributeCount(); ++i) {
        const TFLAttrInfo& info = table[i];
        switch (info.kind) {
            case TFLAttrKind::REAL:
            case TFLAttrKind::OPACITY: Require(std::isfinite(record.*info.real)); break;
            case TFLAttrKind::COUNT:
                Require(std::isfinite(record.*info.real) && record.*info.real >= -32768 && record.*info.real <= 32767);
                break;
            case TFLAttrKind::WHOLE: Require(record.*info.whole >= -32768 && record.*info.whole <= 32767); break;
            case TFLAttrKind::WHOLE012: Require(record.*info.whole >= 0 && record.*info.whole <= 2); break;
            case TFLAttrKind::IGNORED: Require(!(record.*info.flag)); break;
            case TFLAttrKind::FLAG: break;
            case TFLAttrKind::NAME: Require((record.*info.text).Length() <= 63); break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    const int length = static_cast<int>(size);

    TBrushRecord record;
    TFLVbrHandler handler(text, length);
    handler.FillRecord(record);
    CheckRecord(record);

    // The same bytes through the key=value lookups and the number readers.
    Require(std::isfinite(ReadDecimalText(text, length)));
    (void)ReadIntegerText(text, length);
    CTokener tokener(text, length);
    int32_t whole = 0;
    double real = 0;
    CString256 value;
    tokener.GetInt("id", &whole);
    if (tokener.GetFloat("min", &real)) Require(std::isfinite(real));
    tokener.GetString("text", &value);
    if (tokener.FindStart("[")) tokener.FindEnd("]");
    tokener.GetString("class", &value);
    tokener.PutValue("key", "value");
    return 0;
}
