// Brush variation: a painter's working brush drifts a little from stroke to
// stroke in scale, colour and transparency, kept within bounds set by the
// preset's own values (the reference, which stays untouched).
#pragma once

#include <cstdint>

struct TBrushRecord;

// How far a colour channel may drift from the preset's own value.
inline constexpr double kColourReach = 0.15;

// amount: how far to drift (0.02 between steps, 0.5 at a stroke's end);
// minWidth: the least on-canvas width of the brush (canvas units); seed:
// the noise table index the drift is read from.
void VaryBrush(TBrushRecord& brush, const TBrushRecord& reference, double amount, double minWidth, int32_t seed);
