// The stroke state of a painter: a bounding box (the 3-D extent of the
// stroke) that also carries what the stroke driver keeps from segment to
// segment: the recorded points, the body's stamp run, the texture
// coordinate carry, the tube particle cache and the scene light provider.
#pragma once

#include <cstdint>
#include <memory>

#include "base/geometry.h"
#include "platform/tt_array.h"
#include "render/bounds.h"
#include "render/stamp_run.h"
#include "tubes/particle_cache.h"

struct TBrushRecord;

class TboundingBox : public Tbounds {
public:
    TboundingBox();
    ~TboundingBox() override;
    TboundingBox(const TboundingBox&) = delete;
    TboundingBox& operator=(const TboundingBox&) = delete;

    int32_t Kind() const override { return kBoundsBox; }
    bool Contains(const Tbounds& other) const override;
    bool ContainsPoint(double x, double y, double z) const override;
    using Tbounds::ContainsPoint;
    bool Intersects(const Tbounds& other) const override;
    void Transform(const TFLTransform& m) override;

    bool IsEmpty() const { return !(xMin <= xMax); }
    void MakeEmpty();
    // Lowers the minimum and raises the maximum to include v.
    static void ExtendRange(double& minimum, double& maximum, double v);
    // Widens all three ranges by a point (non-finite coordinates are ignored).
    void Extend(const TFLPoint& p);

    // Stroke start: releases the two owned buffers, empties the point
    // array, clears the particle cache and begins a fresh stamp run.
    void Reset();
    // Owned float scratch of the stroke; released on reset.
    bool EnsureFloatBuffer(int32_t count);

    double xMin = kBoxEmptyMin;
    double xMax = kBoxEmptyMax;
    double yMin = kBoxEmptyMin;
    double yMax = kBoxEmptyMax;
    double zMin = kBoxEmptyMin;
    double zMax = kBoxEmptyMax;

    TTArray<SFLPoint> points{16};
    TubeParticleCache particles;
    StampRun run;               // the stroke body's stamp placement
    double textureCarry = 0.0;  // along-stroke texture coordinate at the end of the last segment

    bool subStamping = false;   // handed to the stamper with every span

    // A copy of the brush with its unpaintable values (NaN, infinities)
    // replaced, made only when the brush has such values.
    std::unique_ptr<TBrushRecord> safeBrush;

    std::unique_ptr<float[]> floatBuffer;
    int32_t floatBufferCount = 0;
    std::unique_ptr<TSceneLightProvider> lights;
};
