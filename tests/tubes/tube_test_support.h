// Small fixtures for the tube tests: a quiet brush (no forces, no
// randomness, no children), a fixed stroke segment and its frame, and
// helpers that sow and grow single tubes.
#pragma once

#include <cmath>

#include "presets/brush_record.h"
#include "base/geometry.h"
#include "tubes/particle_cache.h"
#include "tubes/tube_growth.h"

namespace tubetest {

constexpr double kNoTimeLimit = 100000.0;

// The stroke segment A -> B along x, its frame: D along x, N up (z), side = D x N.
struct Segment {
    TFLPoint A{0.5, 0.5, 0.0, 1.0};
    TFLPoint B{0.6, 0.5, 0.0, 1.0};
    TFLVector side{0.0, -1.0, 0.0};
    TFLVector D{1.0, 0.0, 0.0};
    TFLVector N{0.0, 0.0, 1.0};
    TFLVector up{0.0, 0.0, 1.0};
};

// One tube of exactly `segments` segments per sowing on the first segment,
// straight up the normal, with nothing that moves it but momentum.
inline TBrushRecord QuietBrush(int segments = 10) {
    TBrushRecord b = TBrushRecord::Blank();
    b.tubes = true;
    b.segments = segments;
    b.tubesPerStep = 0.0;
    b.startTubes = 1;
    b.tubeRand = 1.0;
    b.lengthMin = 0.5;
    b.lengthMax = 0.5;
    b.tubeWidth1 = 0.02;
    b.tubeWidth2 = 0.02;
    b.elevationMin = 0.5;
    b.elevationMax = 0.5;
    b.momentum = 1.0;
    b.lengthFlex = 1.0;
    b.flatness1 = 1.0;
    b.flatness2 = 1.0;
    b.splitSizeDecay = 1.0;
    b.numBranches = 2;
    b.globalScale = 1.0;
    b.brushWidth = 0.0;
    return b;
}

inline void Emit(const TBrushRecord& b, TubeParticleCache& cache, int i = 0, int seed = 17,
                 double L = kNoTimeLimit, const Segment& s = Segment{}) {
    EmitTubes(b, i, s.A, s.B, s.side, s.D, s.N, b.globalScale, b.brushWidth, seed, L, cache);
}

inline void Advance(const TBrushRecord& b, TubeParticleCache& cache, int i = 0, double L = kNoTimeLimit,
                    const Segment& s = Segment{}) {
    AdvanceTubes(b, i, s.A, s.B, s.up, s.up, s.side, s.D, s.N, b.globalScale, 1.0, L, cache);
}

inline double Distance(const TFLPoint& p, const TFLPoint& q) { return Length(p - q); }

// A tube record at a point, alive with `left` of `total` segments.
inline TpaintParticleCacheData Record(const TFLPoint& at, int left, int total, double width = 0.02) {
    TpaintParticleCacheData r;
    r.drawnPoint = r.pathPoint = at;
    r.segmentsLeft = left;
    r.segmentTotal = total;
    r.width = width;
    r.segmentLength = 0.05;
    r.nextSplit = total + 1;
    return r;
}

// A living pair whose last step went from `from` to `to`; the previous
// record reads done = doneSegments.
inline void InsertPair(TubeParticleCache& cache, const TFLPoint& from, const TFLPoint& to, int left, int total,
                       int doneSegments = 0) {
    TpaintParticleCacheData current = Record(to, left, total);
    TpaintParticleCacheData previous = Record(from, total - doneSegments, total);
    cache.Insert(current, previous);
}

inline bool RecordIsFinite(const TpaintParticleCacheData& r) {
    const double values[] = {r.drawnPoint.x, r.drawnPoint.y, r.drawnPoint.z, r.pathPoint.x, r.pathPoint.y,
                             r.pathPoint.z, r.width, r.widthStep, r.spiral, r.flatness, r.twist, r.shade,
                             r.depth, r.segmentLength, r.colour[0], r.colour[1], r.colour[2]};
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace tubetest
