// Brush values that cannot be painted: a NaN or infinite attribute (from a
// damaged preset or a drift gone wrong) is replaced by its initial value,
// and a count of tubes, branches, clusters or segments beyond what the
// particle cache can hold is held to that limit, before the brush reaches
// the stampers and the tube engine.
#pragma once

struct TBrushRecord;
class TboundingBox;

// True when every real attribute of the brush is finite.
bool BrushIsFinite(const TBrushRecord& brush);

// The brush itself when it is paintable as it is; otherwise a copy kept in the stroke
// state with each non-finite value replaced by its initial value; null when
// that copy cannot be made (nothing is painted then).
const TBrushRecord* PaintableBrush(const TBrushRecord& brush, TboundingBox& stroke);
