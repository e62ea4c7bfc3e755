// TFLVbrHandler: reads a brush preset (.vbr) into a TBrushRecord. The reader
// parses no statements: for every attribute of the brush table it looks up
// the attribute's name in double quotes anywhere in the file and takes the
// text up to the next semicolon as the value. Nothing in a file can make it
// fail; an attribute it cannot find reads as 0, false, opacity 1 or "".
#pragma once

#include <cstdint>

#include "platform/strings.h"
#include "presets/brush_record.h"
#include "platform/tokener.h"

// Larger preset files are read only up to this many bytes: real presets are
// a few kilobytes, and every attribute lookup scans the text from its start.
constexpr int32_t kPresetReadLimit = 1 << 20;

class TFLVbrHandler : public CTokener {
public:
    TFLVbrHandler() = default;
    TFLVbrHandler(const char* text, int length) : CTokener(text, length) {}

    // The cleaned value text of the first `"name"` in the text: the bytes up
    // to the next semicolon, cut to 63 bytes, with spaces, tabs and double
    // quotes removed. Empty when the name is absent or no semicolon follows.
    CString64 GetAttribute(const char* name) const;

    // Assigns every field of the record from the text, by its kind.
    void FillRecord(TBrushRecord& record) const;
};

// Reads the preset file at path into record. A missing path or a folder
// leaves record untouched and answers false; so does a file that cannot be
// opened. Any readable file, whatever its bytes, fills every field.
bool ReadPreset(const char* path, TBrushRecord& record);

// How one value text is stored for each attribute kind (also used by tests
// and tools). Every result is finite.
double PresetRealValue(const char* text, int length);
int32_t PresetWholeValue(double number);  // truncate, keep the low 16 bits signed
