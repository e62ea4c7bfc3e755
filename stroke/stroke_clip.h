// Time clipping and gaps: which parts of a span's along-stroke texture
// coordinate are painted, and the stamper those parts go to.
#pragma once

#include <cstdint>

struct TBrushRecord;
class TPaintCanvas;
struct TStampSpanArgs;

using TSpanStamper = void (*)(const TStampSpanArgs&);

// The canvas's own stamper, or StampSpanDepth for projection kind 2 and
// StampSpan otherwise.
TSpanStamper ChooseStamper(const TPaintCanvas& canvas);

// The visible window of texture coordinate under time clipping, shifted by
// -i / 30 when strokeTime is on.
struct TTimeWindow {
    double low = 0.0;
    double high = 0.0;
};
TTimeWindow TimeClipWindow(const TBrushRecord& brush, int32_t segmentIndex);

// Splits the span by time clipping and gaps and hands each painted piece to
// the stamper. A piece that starts inside the span, and the span after one
// whose end was not painted, begin a stamp run of their own.
void PaintClippedSpan(const TStampSpanArgs& span, TSpanStamper stamper);

// A span as the body and tube painters hand it on: straight to the stamper
// when neither time clipping nor gaps apply, else through PaintClippedSpan.
void PaintSpan(const TStampSpanArgs& span);

// At most this many gap pieces are cut from one span; a span crossing more
// gap periods than that (gaps far finer than a stamp) is painted whole.
constexpr int32_t kMaxGapPieces = 1024;
