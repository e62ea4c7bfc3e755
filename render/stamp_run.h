// StampRun: the stamp placement that carries over from span to span, so
// that many short segments look like one continuous stroke. Kept apart from
// the span walker so that the tube particle cache can hold runs without it.
#pragma once

#include <cstdint>
#include <type_traits>

#include "base/geometry.h"
#include "render/light_record.h"

// Continuity of one cast-shadow row (one per light).
struct TStampShadowTrack {
    double width[2] = {0.0, 0.0};           // world width of the last shadow stamp; its pixel width
    double colour[3] = {0.0, 0.0, 0.0};     // shadow colour at the last shadow stamp
    TFLPoint lastPoint;                      // world point of the last shadow stamp
};

// The placement state carried from span to span: one in the stroke state
// for the stroke body, one per tube particle. Plain bytes: tube particles
// keep it in their arrays.
struct StampRun {
    int32_t runState = 0;  // 0: a new run starts with the next span; 1: running; 3: completing
    double lastTexture = 0.0;      // along-stroke texture coordinate of the last stamp
    double width = 0.0;            // width at the last stamp (pixels with screenspaceWidth, else world)
    double lastPixelWidth = 0.0;   // on-screen width of the last stamp
    double uCoordinate = 0.0;      // across-stroke texture coordinate of the last stamp
    double lastScreenDirection[2] = {1.0, 0.0};
    double textureRate = 0.0;      // along-stroke coordinate change per pixel of travel
    double distanceToCover = 0.0;  // from the last stamp to the end of the previous span
    uint8_t lightSeen[kMaxStampLights] = {};  // a cast-shadow row is under way for that light
    TStampShadowTrack shadow[kMaxStampLights];
    double lastColour[3] = {0.0, 0.0, 0.0};
    double lastTransparency[3] = {0.0, 0.0, 0.0};
    double lastIncandescence[3] = {0.0, 0.0, 0.0};
    double lastBrightness = 1.0;
    double lastGroundOffset = 0.0;
    TFLPoint lastProjected;  // x, y in pixels, z depth (pulled toward the eye)
    TFLPoint lastWorld;
    TFLVector lastNormal{0.0, 0.0, 1.0};
    // Screen texture frame of mapMethod 1, fixed at the start of the run.
    double screenOriginX = 0.0;
    double screenOriginY = 0.0;
    double screenScaleX = 1.0;
    double screenScaleY = 1.0;
    // Last on-screen position a sub-stamped pass was drawn at.
    double lastSubStampX = 0.0;
    double lastSubStampY = 0.0;
};

static_assert(std::is_trivially_copyable_v<StampRun>, "tube particles keep StampRun in TTArray");
