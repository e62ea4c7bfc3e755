// Shading one stamp: lighting sums, drop shadow, glow, and the disc's
// pixels written into the canvas through the pixel writers.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "render/light_record.h"
#include "render/pixel_write.h"

struct TBrushRecord;
class TPaintCanvas;
struct StampRun;

enum class TStampPass : int32_t { normal = 0, shadow = 1, glow = 2 };

// One stamp as the stamper hands it over.
struct TStamp {
    const TBrushRecord* brush = nullptr;
    TPaintCanvas* canvas = nullptr;
    StampRun* run = nullptr;      // the run the stamp belongs to (texture frame, sub-stamp position)
    double x = 0.0;               // canvas pixels, rows counted from the bottom
    double y = 0.0;
    double depth = 0.0;           // mid depth of the stamp (already pulled toward the eye)
    double depthExtent = 0.0;     // back depth minus front depth at the stamp's centre
    double width = 0.0;           // pixels
    TFLPoint world;
    double colour[3] = {1.0, 1.0, 1.0};
    double transparency[3] = {0.0, 0.0, 0.0};
    double incandescence[3] = {0.0, 0.0, 0.0};
    double brightness = 1.0;
    double texture = 0.0;         // along-stroke texture coordinate
    double across = 0.0;          // across-stroke texture coordinate (flat and tube-mapped brushes)
    double textureRate = 0.0;     // along-stroke coordinate per pixel of travel
    TFLVector normal{0.0, 0.0, 1.0};
    TFLVector view{0.0, 0.0, -1.0};  // unit viewing direction of the canvas
    double travel[2] = {1.0, 0.0};   // unit direction of travel on screen
    double softness = 0.0;        // the brush's softness, or the shadow's
    double translucence = 0.0;    // the span's stored translucence
    int32_t kind = 0;             // span kind: 0 body or tube, 2 leaf, 3 petal
    int32_t textureImage = 0;     // 1-based brush image of an image texture; 0 none
    bool shadowStamp = false;     // a cast-shadow stamp: drawn only as a shadow pass
    bool subStamping = false;
};

// What ShadeStamp works out once per stamp for RasterStamp's pixels.
struct TStampLighting {
    bool lit = false;                       // the stamp is illuminated
    double colour[3] = {1.0, 1.0, 1.0};     // lit colour (ambient + diffuse, brightness applied)
    double diffuse[3] = {0.0, 0.0, 0.0};
    double ambient[3] = {0.0, 0.0, 0.0};
    double specular[3] = {0.0, 0.0, 0.0};
    double backShadow[3] = {1.0, 1.0, 1.0};
    // Per-light terms of the round cross-section: the light's component
    // across the direction of travel on screen, and its component facing
    // the eye (what the centre line of the tube receives).
    bool screenTerms = false;
    double weight = 0.0;  // the translucence-derived shading weight W
    int32_t lightCount = 0;
    float across[kMaxStampLights] = {};
    float facing[kMaxStampLights] = {};
    float lightColour[kMaxStampLights][3] = {};
    uint8_t lightDiffuse[kMaxStampLights] = {};
};

// A stamp's lighting, worked out when a pass first asks for it: a depth
// stamp whose disc lies wholly behind settled paint (most of the thin twigs
// of a dense plant) writes nothing and never needs it. Keeps references:
// the stamp and the lights must outlive it.
class TStampLightingSource {
public:
    // The lighting of the stamp under these lights; unlit when not wanted.
    TStampLightingSource(const TStamp& stamp, const LightRecord* lights, int32_t lightCount, bool wanted)
        : stamp_(&stamp), lights_(lights), count_(lightCount), pending_(wanted) {}
    // Lighting already worked out.
    explicit TStampLightingSource(const TStampLighting& ready) : lighting_(ready) {}

    const TStampLighting& Get();

private:
    const TStamp* stamp_ = nullptr;
    const LightRecord* lights_ = nullptr;
    int32_t count_ = 0;
    bool pending_ = false;
    TStampLighting lighting_;
};

// Lights the stamp, then draws its drop shadow, itself and its glow.
void ShadeStamp(const TStamp& stamp, const LightRecord* lights, int32_t lightCount);

// Draws one pass, split into sub-stamps along the on-screen move when the
// stroke state asks for sub-stamping.
void DrawStampPasses(const TStamp& stamp, TStampPass pass, TStampLightingSource& lighting);

// Writes one pass of the stamp's disc into the canvas.
void RasterStamp(const TStamp& stamp, TStampPass pass, TStampLightingSource& lighting);
void RasterStamp(const TStamp& stamp, TStampPass pass, const TStampLighting& lighting);

// Smear (brush type 1) and blur (type 2): fills the canvas shading's scratch
// image with the paint under the box [left, right) x [bottom, top) (rows
// counted from the bottom), blurred blurPasses times. Returns false when
// nothing could be prepared.
bool SmearBlurRegion(TPaintCanvas& canvas, int32_t left, int32_t bottom, int32_t right, int32_t top,
                     int32_t blurPasses);
