// Laying a span as a row of stamps. A span is one stroke-body segment (or a
// piece of one after time clipping and gaps) or one tube segment; its stamps
// are spaced by their width and the brush's stampDensity, and the placement
// carries over from span to span in a StampRun so that many short segments
// look like one continuous stroke.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "render/light_record.h"
#include "render/stamp_run.h"

struct TBrushRecord;
class TPaintCanvas;
class TboundingBox;
class TSceneLightProvider;


// The values at one end of a span.
struct TStampSpanEnd {
    TFLPoint point;        // span end
    TFLPoint interpolate;  // interpolation end (the unclipped span end; the same point when unclipped)
    TFLVector up{0.0, 0.0, 1.0};  // previous up at the start, current up at the end
    double groundOffset = 0.0;    // h0 / h1: height of the ground below the point
    double colour[3] = {1.0, 1.0, 1.0};
    double transparency[3] = {0.0, 0.0, 0.0};
    double incandescence[3] = {0.0, 0.0, 0.0};
    double width = 0.0;       // world width
    double texture = 0.0;     // along-stroke texture coordinate
    double brightness = 1.0;
    double twist = 0.0;       // twist angle of a flat brush, radians
};

enum class TStampSpanKind : int32_t { body = 0, leaf = 2, petal = 3 };

// Everything StampSpan and StampSpanDepth read, by name.
struct TStampSpanArgs {
    const TBrushRecord* brush = nullptr;
    TPaintCanvas* canvas = nullptr;
    StampRun* run = nullptr;
    TStampSpanEnd start;
    TStampSpanEnd end;
    bool completing = false;  // the run state is 3: force a stamp into a short span
    TStampSpanKind kind = TStampSpanKind::body;
    double flatness = 0.0;
    double translucence = 0.0;  // the stored translucence of the span's kind (stroke, leaf or petal)
    TFLVector side{1.0, 0.0, 0.0};
    TFLVector direction{0.0, 1.0, 0.0};
    TFLVector up{0.0, 0.0, 1.0};
    int32_t segmentIndex = 0;
    bool* painted = nullptr;  // set when at least one stamp was handed to the shader
    bool lightGiven = false;
    const LightRecord* lights = nullptr;
    int32_t lightCount = 0;
    const TSceneLightProvider* scene = nullptr;  // real lights (the stroke state's); absent: none
    TboundingBox* strokeState = nullptr;  // not read by the stamper itself
    bool subStamping = false;             // the stroke state's sub-stamping flag
    int32_t textureImage = 0;             // 1-based brush image of an image texture; 0 none
};

// Lays the span's stamps and shades them into the colour canvas.
void StampSpan(const TStampSpanArgs& args);

// Lays the span's stamps as discs into depth layer 0 only.
void StampSpanDepth(const TStampSpanArgs& args);

// Scene lights at the midpoint M of a span, softened for wide brushes: with
// R the mean pixel width over 10, the colours at M mix with samples at
// M +- halfWidth along each axis. Returns the light count.
int32_t SampleLights(const TSceneLightProvider& scene, const TFLPoint& midpoint, double meanPixelWidth,
                     double halfWorldWidth, LightRecord* out, int32_t capacity);

// The shading normal of a flat or tube-mapped brush: perpendicular to the
// span direction v in the plane of v and the frame's up axis at twist 0,
// turned about v by twist.
TFLVector TwistedNormal(double twist, const TFLVector& v, const TFLVector& side, const TFLVector& direction,
                        const TFLVector& up);

// The placement rule shared by both stampers and the cast-shadow rows.
// Fractions f in (0, 1) of the path from the last stamp (x = 0) to the span
// end (x = L) where stamps go, widths r0 at 0 and r1 at L, spacing factor
// spacing. Writes at most capacity fractions; returns how many were
// written. Positions past capacity are not laid: the caller carries on from
// the last one laid in the next span.
int32_t PlaceStamps(double length, double r0, double r1, double spacing, double* fractions, int32_t capacity);

// The spacing factor of a run: L / (2 stampDensity D), or L / (2e-6 D) for
// a density too small to divide by.
double StampSpacingFactor(double length, double distanceToCover, double stampDensity);

// Most stamps one span can lay; a tighter spacing is laid as this many and
// the rest of the span is carried to the next one.
constexpr int32_t kMaxStampsPerSpan = 4096;
// Most stamp pixels (summed stamp areas) one span lays before carrying the
// rest to the next span: a density that piles thousands of canvas-sized
// stamps on one span stays a bounded amount of work.
constexpr double kMaxStampPixelsPerSpan = 1048576.0;
