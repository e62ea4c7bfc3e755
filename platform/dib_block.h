// The picture exchanged with the clipboard: a packed DIB block (CF_DIB), a
// 40-byte header, three colour masks for BI_BITFIELDS, then the rows, each
// padded to four bytes. Reading checks every size against the block, since
// the block comes from another program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dib_format.h"

class CPOffscreen;

constexpr uint32_t kDibRgb = 0;        // BI_RGB
constexpr uint32_t kDibBitfields = 3;  // BI_BITFIELDS

// Finds the rows of a 24- or 32-bit BI_RGB or BI_BITFIELDS block. False for
// fewer bits, another compression, a width or height outside 1..65535, or a
// header claiming more rows than the block holds.
bool ParseDibBlock(const uint8_t* data, size_t size, SPackedDibView* out);
// A new surface with the block's size, depth and orientation, its rows
// copied in memory order; null when ParseDibBlock refuses the block or the
// surface cannot be made. The caller owns the surface.
CPOffscreen* SurfaceFromDibBlock(const uint8_t* data, size_t size, bool asDIBSection);

// Bytes a surface of 24 or more bits needs as a block: 40 + height x stride;
// 0 for an invalid or shallower surface.
size_t DibBlockSize(const CPOffscreen& surface);
// Writes the header (BI_RGB, height negated when top-down) and the rows in
// memory order into out; false when capacity is below DibBlockSize.
bool WriteDibBlock(const CPOffscreen& surface, uint8_t* out, size_t capacity);
