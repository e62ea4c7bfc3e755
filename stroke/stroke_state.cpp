#include "stroke/stroke_state.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "presets/brush_record.h"

TboundingBox::TboundingBox() = default;
TboundingBox::~TboundingBox() = default;

bool TboundingBox::ContainsPoint(double x, double y, double z) const {
    return x >= xMin && x <= xMax && y >= yMin && y <= yMax && z >= zMin && z <= zMax;
}

bool TboundingBox::Contains(const Tbounds& other) const {
    if (other.Kind() != kBoundsBox) return false;
    const auto& box = static_cast<const TboundingBox&>(other);
    auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
    return within(box.xMin, xMin, xMax) && within(box.xMax, xMin, xMax) && within(box.yMin, yMin, yMax) &&
           within(box.yMax, yMin, yMax) && within(box.zMin, zMin, zMax) && within(box.zMax, zMin, zMax);
}

bool TboundingBox::Intersects(const Tbounds& other) const {
    switch (other.Kind()) {
    case kBoundsNothing:
        return false;
    case kBoundsEverything:
        return true;
    case kBoundsBox: {
        const auto& box = static_cast<const TboundingBox&>(other);
        return box.xMin <= xMax && xMin <= box.xMax && box.yMin <= yMax && yMin <= box.yMax && box.zMin <= zMax &&
               zMin <= box.zMax;
    }
    default:
        return false;
    }
}

void TboundingBox::Transform(const TFLTransform& m) {
    if (IsEmpty()) return;
    const double oldMin[3] = {xMin, yMin, zMin};
    const double oldMax[3] = {xMax, yMax, zMax};
    double newMin[3];
    double newMax[3];
    for (int row = 0; row < 3; ++row) {
        const TFLVector& t = m.column[3];
        newMin[row] = newMax[row] = row == 0 ? t.x : row == 1 ? t.y : t.z;
        for (int c = 0; c < 3; ++c) {
            const TFLVector& col = m.column[c];
            const double e = row == 0 ? col.x : row == 1 ? col.y : col.z;
            const double a = e * oldMin[c];
            const double b = e * oldMax[c];
            newMin[row] += std::min(a, b);
            newMax[row] += std::max(a, b);
        }
    }
    xMin = newMin[0];
    xMax = newMax[0];
    yMin = newMin[1];
    yMax = newMax[1];
    zMin = newMin[2];
    zMax = newMax[2];
}

void TboundingBox::MakeEmpty() {
    xMin = yMin = zMin = kBoxEmptyMin;
    xMax = yMax = zMax = kBoxEmptyMax;
}

void TboundingBox::ExtendRange(double& minimum, double& maximum, double v) {
    if (v < minimum) minimum = v;
    if (v > maximum) maximum = v;
}

void TboundingBox::Extend(const TFLPoint& p) {
    const TFLPoint q = MakePlain(p);
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z)) return;
    ExtendRange(xMin, xMax, q.x);
    ExtendRange(yMin, yMax, q.y);
    ExtendRange(zMin, zMax, q.z);
}

void TboundingBox::Reset() {
    floatBuffer.reset();
    floatBufferCount = 0;
    lights.reset();
    points.SetCount(0);
    particles.Clear();
    run = StampRun{};
    textureCarry = 0.0;
}

bool TboundingBox::EnsureFloatBuffer(int32_t count) {
    if (count <= floatBufferCount) return count >= 0;
    std::unique_ptr<float[]> fresh(new (std::nothrow) float[static_cast<size_t>(count)]());
    if (!fresh) return false;
    floatBuffer = std::move(fresh);
    floatBufferCount = count;
    return true;
}
