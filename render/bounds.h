// Bounds of 3-D extents, and the stroke state of a painter. The stroke
// state is a bounding box (the 3-D extent of the stroke) that also carries
// what the stroke driver keeps from segment to segment: the recorded
// points, the body's stamp run, the texture coordinate carry, the tube
// particle cache and the scene light provider.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/tt_array.h"
#include "render/geometry.h"
#include "render/light_record.h"
#include "render/stamp_span.h"
#include "tubes/particle_cache.h"

struct TBrushRecord;

constexpr int32_t kBoundsNothing = 0;   // intersects nothing
constexpr int32_t kBoundsEverything = 1;  // intersects everything
constexpr int32_t kBoundsBox = 2;       // an axis-aligned box

constexpr double kBoxEmptyMin = 1e20;
constexpr double kBoxEmptyMax = -1e20;

class Tbounds {
public:
    virtual ~Tbounds() = default;

    virtual int32_t Kind() const = 0;
    virtual bool Contains(const Tbounds& other) const;
    virtual bool ContainsPoint(double x, double y, double z) const;
    virtual bool Intersects(const Tbounds& other) const;
    // 0: they do not intersect; 1: this contains the other; 2: they overlap.
    virtual int32_t Classify(const Tbounds& other) const;
    virtual void Transform(const TFLTransform& m);

    bool ContainsPoint(const TFLPoint& p) const {
        const TFLPoint q = MakePlain(p);
        return ContainsPoint(q.x, q.y, q.z);
    }
};

// Where the stamper finds the lights of the scene at a point; absent in
// this system, where a brush lights itself with its own directional light.
class TSceneLightProvider {
public:
    virtual ~TSceneLightProvider() = default;
    // Writes at most capacity lights for the point and answers how many.
    virtual int32_t LightsAt(const TFLPoint& at, LightRecord* out, int32_t capacity) const = 0;
};

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
