// The tube record and the per-stroke particle cache. Every tube is a pair of
// records at the same index of two parallel arrays: its current state (the
// tip) and its previous state (one segment behind). Tubes sown or born
// during a step wait in two pending arrays until the next merge.
#pragma once

#include <cstdint>

#include "platform/tt_array.h"
#include "base/geometry.h"
#include "render/stamp_run.h"

struct TBrushRecord;

// Kinds of tube record.
constexpr int32_t kTubeKindTube = 0;  // a tube or one of its branches
constexpr int32_t kTubeKindTwig = 1;
constexpr int32_t kTubeKindLeaf = 2;
constexpr int32_t kTubeKindPetal = 3;

// One state of one tube. Plain bytes: copied whole, kept in TTArrays.
struct TpaintParticleCacheData {
    TFLPoint drawnPoint;  // after displacement: what is painted
    TFLPoint pathPoint;   // undisplaced: what the forces act on
    double segmentLength = 0.0;  // nominal length of one segment
    double colour[3] = {0.0, 0.0, 0.0};
    double colourStep[3] = {0.0, 0.0, 0.0};
    double transparency[3] = {0.0, 0.0, 0.0};  // kept in [0, 1]
    double transparencyStep[3] = {0.0, 0.0, 0.0};
    double incandescence[3] = {0.0, 0.0, 0.0};
    double incandescenceStep[3] = {0.0, 0.0, 0.0};
    double width = 0.0;
    double widthStep = 0.0;
    double spiral = 0.0;  // kept in [-2, 2]
    double flatness = 0.0;
    double flatnessStep = 0.0;
    double twist = 0.0;  // radians
    double shade = 1.0;  // brightness factor in [0, 1]
    double depth = 0.0;  // distance used by the depth shadow
    int32_t segmentsLeft = 0;  // -1 marks a dead record
    int32_t segmentTotal = 0;  // segments done = total - left
    int32_t nextSplit = 0;     // the value of done at which the tube splits next
    int32_t randomIndex = 0;   // the tube's own noise-table counter
    int32_t clusterSeed = 0;   // base index of twig, leaf and flower placement
    int32_t splitCount = 0;    // splits that led to or happened on this tube
    int32_t kind = kTubeKindTube;
    StampRun painter;  // the tube painter's stamp placement; growth only carries it along
};

// At most this many pairs wait, and at most this many slots live.
constexpr int32_t kParticleCacheLimit = 10001;
// The arrays grow by this many records at a time.
constexpr int32_t kParticleCacheGrowth = 64;
// Dead slots are removed in batches of at least this many.
constexpr int32_t kParticleCompactionThreshold = 65;

// Pairs waiting for the next merge, kept in blocks of kParticleCacheGrowth
// pairs that never move once written: queuing a tube costs the same however
// many already wait, and the blocks stay for the next stroke.
class TPendingPairs {
public:
    TPendingPairs() = default;
    ~TPendingPairs() { Release(); }
    TPendingPairs(const TPendingPairs&) = delete;
    TPendingPairs& operator=(const TPendingPairs&) = delete;

    // False (nothing queued) when kParticleCacheLimit pairs wait or a block
    // cannot be had.
    bool Append(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous);
    int32_t Count() const { return count_; }
    const TpaintParticleCacheData& Current(int32_t index) const {
        return blocks_[index / kParticleCacheGrowth]->current[index % kParticleCacheGrowth];
    }
    const TpaintParticleCacheData& Previous(int32_t index) const {
        return blocks_[index / kParticleCacheGrowth]->previous[index % kParticleCacheGrowth];
    }
    // No pair waits; the blocks are kept.
    void Empty() { count_ = 0; }
    // Frees the blocks.
    void Release();

private:
    struct Block {
        TpaintParticleCacheData current[kParticleCacheGrowth];
        TpaintParticleCacheData previous[kParticleCacheGrowth];
    };
    static constexpr int32_t kBlocks = (kParticleCacheLimit + kParticleCacheGrowth - 1) / kParticleCacheGrowth;
    Block* blocks_[kBlocks] = {};
    int32_t count_ = 0;
};

class TubeParticleCache {
public:
    TubeParticleCache();
    ~TubeParticleCache();
    TubeParticleCache(const TubeParticleCache&) = delete;
    TubeParticleCache& operator=(const TubeParticleCache&) = delete;

    // Stroke start: all counts 0, the storage is kept.
    void Reset();
    // Stroke end: the living arrays are emptied, count and dead count 0.
    void Clear();
    // Frees all storage of the four arrays (the owner is going away).
    void Release();

    // Queues a pair for the next merge; false (nothing queued) when the
    // pending arrays are full or cannot grow.
    bool AppendPending(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous);
    // Marks the pair at index dead in place; nothing moves.
    void KillTube(int32_t index);
    // The previous array becomes current and the other way round.
    void SwapLivingArrays();
    // Moves the pending pairs into the living arrays, then compacts. The
    // living arrays are grown once for all the pairs the limit lets in, so a
    // merge costs one pass over what it moves.
    void Merge();
    // One pair into the living arrays; false when refused.
    bool Insert(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous);
    // Drops dead slots once at least kParticleCompactionThreshold have gathered.
    void Compact();

    int32_t Count() const { return count_; }
    int32_t DeadCount() const { return deadCount_; }
    int32_t PendingCount() const { return pendingCount_; }
    // Slots whose tube is still growing.
    int32_t LiveCount() const { return count_ - deadCount_; }
    bool HasLiving() const { return count_ != deadCount_; }
    // Whether one more pair could still reach the living arrays at the next
    // merge: the slots in use (dead ones included until a merge compacts
    // them) and the pairs already waiting leave room under the limit. Once
    // this is false every further tube would be dropped, so sowing stops.
    bool HasRoom() const { return count_ + pendingCount_ < kParticleCacheLimit; }

    TpaintParticleCacheData& Current(int32_t index) { return livingCurrent_[index]; }
    TpaintParticleCacheData& Previous(int32_t index) { return livingPrevious_[index]; }
    const TpaintParticleCacheData& Current(int32_t index) const { return livingCurrent_[index]; }
    const TpaintParticleCacheData& Previous(int32_t index) const { return livingPrevious_[index]; }
    const TpaintParticleCacheData& PendingCurrent(int32_t index) const { return pending_.Current(index); }
    const TpaintParticleCacheData& PendingPrevious(int32_t index) const { return pending_.Previous(index); }

    TTArray<TpaintParticleCacheData>& LivingCurrent() { return livingCurrent_; }
    TTArray<TpaintParticleCacheData>& LivingPrevious() { return livingPrevious_; }
    const TTArray<TpaintParticleCacheData>& LivingCurrent() const { return livingCurrent_; }
    const TTArray<TpaintParticleCacheData>& LivingPrevious() const { return livingPrevious_; }

    // Guide curves are never filled in this system; the table is kept so
    // that curve guidance has a place to read from.
    int32_t GuideCurveCount() const { return guideCurveCount_; }
    int32_t GuideCurveSamples() const { return guideCurveSamples_; }
    // The guide point of curve at parameter in [0, 1], or null when there is none.
    const TFLPoint* GuidePoint(int32_t curve, double parameter) const;

    // Tests only: refuse any living-array growth past this many slots, so
    // that the one recovery attempt and its fallback can be exercised.
    // Negative lifts the limit.
    void SetStorageLimitForTests(int32_t slots) { storageLimitForTests_ = slots; }

private:
    bool AppendLiving(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous);
    bool RecoverAndAppend(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous);
    bool GrowAllowed(const TTArray<TpaintParticleCacheData>& array) const;
    void ReserveLiving(int32_t slots);

    int32_t count_ = 0;
    int32_t deadCount_ = 0;
    int32_t pendingCount_ = 0;
    int32_t guideCurveCount_ = 0;
    int32_t guideCurveSamples_ = 0;
    TFLPoint* guideCurves_ = nullptr;
    TTArray<TpaintParticleCacheData> livingCurrent_{kParticleCacheGrowth};
    TTArray<TpaintParticleCacheData> livingPrevious_{kParticleCacheGrowth};
    TPendingPairs pending_;
    int32_t storageLimitForTests_ = -1;
};

// The free forms the stroke driver calls.
inline bool AppendPending(TubeParticleCache& cache, const TpaintParticleCacheData& current,
                          const TpaintParticleCacheData& previous) {
    return cache.AppendPending(current, previous);
}
inline void KillTube(TubeParticleCache& cache, int32_t index) { cache.KillTube(index); }
inline void SwapLivingArrays(TubeParticleCache& cache) { cache.SwapLivingArrays(); }

// The per-segment driver: merge the sown tubes, grow every living tube by
// one segment, merge the children born in the step (they first grow in the
// next call), then correct segment lengths. completion is 1.0 from every
// caller. previousUp and currentUp are carried for the caller's symmetry
// with the other tube calls; growth works in the frame (side, D, N).
// Answers the number of tube records the step grew (the caller counts its
// frame's work by it).
int32_t AdvanceTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B,
                  const TFLVector& previousUp, const TFLVector& currentUp, const TFLVector& side,
                  const TFLVector& D, const TFLVector& N, double globalScale, double completion, double L,
                  TubeParticleCache& cache);
