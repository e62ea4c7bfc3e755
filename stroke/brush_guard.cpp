#include "stroke/brush_guard.h"

#include <cmath>
#include <memory>
#include <new>

#include "presets/brush_record.h"
#include "stroke/stroke_state.h"
#include "tubes/particle_cache.h"

namespace {

// Attributes that count things the tube engine loops over. More than the
// particle cache can hold are never painted, so larger values are held
// there instead of costing a loop that cannot end in time.
constexpr double kMaxCount = kParticleCacheLimit;

constexpr TFLReal TBrushRecord::*kCountReals[] = {
    &TBrushRecord::tubesPerStep,    &TBrushRecord::startBranches,   &TBrushRecord::numTwigClusters,
    &TBrushRecord::numLeafClusters, &TBrushRecord::numFlowers,      &TBrushRecord::twigsInCluster,
    &TBrushRecord::leavesInCluster, &TBrushRecord::petalsInFlower,
};
constexpr TFLWhole TBrushRecord::*kCountWholes[] = {
    &TBrushRecord::startTubes,  &TBrushRecord::numBranches,   &TBrushRecord::segments,
    &TBrushRecord::leafSegments, &TBrushRecord::petalSegments,
};

const TBrushRecord& InitialBrush() {
    static const TBrushRecord initial;
    return initial;
}

bool CountsInRange(const TBrushRecord& brush) {
    for (auto field : kCountReals)
        if (brush.*field > kMaxCount) return false;
    for (auto field : kCountWholes)
        if (brush.*field > kMaxCount) return false;
    return true;
}

}  // namespace

bool BrushIsFinite(const TBrushRecord& brush) {
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    for (int i = 0; i < count; ++i)
        if (table[i].real && !std::isfinite(brush.*(table[i].real))) return false;
    return true;
}

const TBrushRecord* PaintableBrush(const TBrushRecord& brush, TboundingBox& stroke) {
    if (BrushIsFinite(brush) && CountsInRange(brush)) return &brush;
    if (!stroke.safeBrush) {
        stroke.safeBrush.reset(new (std::nothrow) TBrushRecord());
        if (!stroke.safeBrush) return nullptr;
    }
    TBrushRecord& safe = *stroke.safeBrush;
    safe.CopyAll(brush);
    for (int k = 0; k < 3; ++k) safe.imageHandle[k] = brush.imageHandle[k];
    const TBrushRecord& initial = InitialBrush();
    const TFLAttrInfo* table = BrushAttributeTable();
    const int count = BrushAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (!table[i].real) continue;
        TFLReal& value = safe.*(table[i].real);
        if (!std::isfinite(value)) value = initial.*(table[i].real);
    }
    for (auto field : kCountReals)
        if (safe.*field > kMaxCount) safe.*field = kMaxCount;
    for (auto field : kCountWholes)
        if (safe.*field > kMaxCount) safe.*field = static_cast<TFLWhole>(kMaxCount);
    return &safe;
}
