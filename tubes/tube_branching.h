// Children of a growing tube: branches when it splits, and clusters of
// twigs, leaves and flower petals spread along it. Each child is an
// ordinary tube pair appended to the cache's pending arrays.
#pragma once

#include <cstdint>

#include "presets/brush_record.h"
#include "tubes/particle_cache.h"
#include "tubes/tube_step.h"

// What a growth call fixes once for the children it may make.
struct TBranchingSetup {
    bool twigsOn = false;
    int32_t twigSegments = 1;      // tn
    double twigSegmentFactor = 1;  // tf
    double twigElevationStep = 0;  // ta

    bool leavesOn = false;
    int32_t leafSegments = 1;      // ln
    double leafSegmentLength = 0;  // ll
    double leafElevationStep = 0;  // la
    double leafSizeStep = 0;       // ls

    bool flowersOn = false;
    int32_t petalSegments = 1;      // pn
    double petalSegmentLength = 0;  // pl
    double flowerElevationStep = 0; // fa
    double flowerSizeStep = 0;      // fs
};

TBranchingSetup MakeBranchingSetup(const TBrushRecord& brush, double globalScale, int32_t n);

// Everything about the step of one tube that its children read.
struct TChildContext {
    const TBrushRecord* brush = nullptr;
    const TBranchingSetup* setup = nullptr;
    const TTubeStepScales* scales = nullptr;
    TFLVector side, D, N;
    double globalScale = 0.0;
    TFLVector u;           // the parent's unit local direction
    double lambda = 0.0;   // the length of its last step
    int32_t done = 0;      // segments done (from the previous record)
    double progress = 0.0; // g = L - done / n
    int32_t* budget = nullptr;  // candidate children left in this call
    TubeParticleCache* cache = nullptr;
};

// Sows this step's twigs (kind 0 parents), leaves and flowers (kinds 0 and 1).
void SowClusters(const TChildContext& ctx, const TpaintParticleCacheData& C, const TpaintParticleCacheData& P);

// The split of a tube: appends its branches; answers whether the parent
// goes on (middleBranch), having then moved its next split on. C's split
// count and next split are updated, and P takes them.
bool SplitTube(const TChildContext& ctx, TpaintParticleCacheData& C, TpaintParticleCacheData& P);

// How far leaves (petals) have opened at progress g: 0 folded, 1 open.
double LeafGrowthFactor(double g);
double FlowerGrowthFactor(double g);
