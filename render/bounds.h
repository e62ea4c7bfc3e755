// Bounds of 3-D extents, and where the stamper finds a scene's lights. The
// box kind itself, which the stroke state extends, is in stroke/stroke_state.h.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "render/light_record.h"

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
