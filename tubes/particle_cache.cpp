#include "tubes/particle_cache.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "platform/memory_block.h"
#include "tubes/tube_growth.h"

bool TPendingPairs::Append(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous) {
    if (count_ >= kParticleCacheLimit) return false;
    Block*& block = blocks_[count_ / kParticleCacheGrowth];
    if (!block) {
        block = static_cast<Block*>(MemAllocate(sizeof(Block)));
        if (!block) return false;
    }
    const int32_t at = count_ % kParticleCacheGrowth;
    block->current[at] = current;
    block->previous[at] = previous;
    ++count_;
    return true;
}

void TPendingPairs::Release() {
    for (Block*& block : blocks_) {
        MemFree(block);
        block = nullptr;
    }
    count_ = 0;
}

TubeParticleCache::TubeParticleCache() = default;

TubeParticleCache::~TubeParticleCache() { Release(); }

void TubeParticleCache::Reset() {
    count_ = 0;
    deadCount_ = 0;
    pendingCount_ = 0;
    livingCurrent_.SetCount(0);
    livingPrevious_.SetCount(0);
    pending_.Empty();
}

void TubeParticleCache::Clear() {
    livingCurrent_.Clear();
    livingPrevious_.Clear();
    count_ = 0;
    deadCount_ = 0;
}

void TubeParticleCache::Release() {
    Clear();
    pending_.Release();
    pendingCount_ = 0;
    MemFree(guideCurves_);
    guideCurves_ = nullptr;
    guideCurveCount_ = 0;
    guideCurveSamples_ = 0;
}

bool TubeParticleCache::AppendPending(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous) {
    if (pendingCount_ >= kParticleCacheLimit) return false;
    if (!pending_.Append(current, previous)) return false;
    ++pendingCount_;
    return true;
}

void TubeParticleCache::KillTube(int32_t index) {
    if (index < 0 || index >= count_) return;
    // A slot is counted dead once, so that the dead count never passes the count.
    const bool wasAlive = livingCurrent_[index].segmentsLeft >= 0;
    livingCurrent_[index].segmentsLeft = -1;
    livingPrevious_[index].segmentsLeft = -1;
    if (wasAlive) ++deadCount_;
}

void TubeParticleCache::SwapLivingArrays() { std::swap(livingCurrent_, livingPrevious_); }

void TubeParticleCache::Merge() {
    // Past the limit every insertion is refused and the merge stops there,
    // so only this many pairs can join.
    const int32_t room = count_ < kParticleCacheLimit ? kParticleCacheLimit - count_ : 0;
    ReserveLiving(count_ + (pendingCount_ < room ? pendingCount_ : room));
    for (int32_t p = 0; p < pendingCount_; ++p) {
        const int32_t before = count_;
        Insert(pending_.Current(p), pending_.Previous(p));
        if (count_ == before) break;
    }
    pending_.Empty();
    pendingCount_ = 0;
    Compact();
}

// Grows both living arrays at once to hold slots pairs, at a multiple of
// the growth step as pair by pair growth would. When the storage cannot be
// had the insertions grow the arrays themselves (and recover as they do).
void TubeParticleCache::ReserveLiving(int32_t slots) {
    const int64_t rounded =
        (static_cast<int64_t>(slots) + kParticleCacheGrowth - 1) / kParticleCacheGrowth * kParticleCacheGrowth;
    if (storageLimitForTests_ >= 0 && rounded > storageLimitForTests_) return;
    for (TTArray<TpaintParticleCacheData>* array : {&livingCurrent_, &livingPrevious_})
        if (array->Capacity() < slots) array->SetCapacity(static_cast<int32_t>(rounded));
}

bool TubeParticleCache::GrowAllowed(const TTArray<TpaintParticleCacheData>& array) const {
    if (array.Count() < array.Capacity()) return true;
    return storageLimitForTests_ < 0 || array.Capacity() + kParticleCacheGrowth <= storageLimitForTests_;
}

bool TubeParticleCache::AppendLiving(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous) {
    if (!GrowAllowed(livingCurrent_) || !livingCurrent_.Append(current)) return false;
    if (!GrowAllowed(livingPrevious_) || !livingPrevious_.Append(previous)) {
        livingCurrent_.SetCount(count_);
        return false;
    }
    return true;
}

bool TubeParticleCache::Insert(const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous) {
    if (count_ >= kParticleCacheLimit) return false;
    if (AppendLiving(current, previous)) {
        ++count_;
        if (current.segmentsLeft < 0) ++deadCount_;
        return true;
    }
    return RecoverAndAppend(current, previous);
}

// The storage could not grow: rebuild both arrays at 64 more than their
// length and try once more; failing that, keep only the new pair.
bool TubeParticleCache::RecoverAndAppend(const TpaintParticleCacheData& current,
                                         const TpaintParticleCacheData& previous) {
    const int32_t n = count_;
    const size_t bytes = static_cast<size_t>(n) * sizeof(TpaintParticleCacheData);
    void* asideCurrent = MemAllocate(bytes);
    void* asidePrevious = MemAllocate(bytes);
    bool ok = asideCurrent && asidePrevious;
    if (ok && n > 0) {
        std::memcpy(asideCurrent, livingCurrent_.data(), bytes);
        std::memcpy(asidePrevious, livingPrevious_.data(), bytes);
    }
    livingCurrent_.Clear();
    livingPrevious_.Clear();
    const int32_t roomy = n + kParticleCacheGrowth;
    const bool limitAllows = storageLimitForTests_ < 0 || roomy <= storageLimitForTests_;
    ok = ok && limitAllows && livingCurrent_.SetCapacity(roomy) && livingPrevious_.SetCapacity(roomy) &&
         livingCurrent_.SetCount(n) && livingPrevious_.SetCount(n);
    if (ok && n > 0) {
        std::memcpy(static_cast<void*>(livingCurrent_.data()), asideCurrent, bytes);
        std::memcpy(static_cast<void*>(livingPrevious_.data()), asidePrevious, bytes);
    }
    MemFree(asideCurrent);
    MemFree(asidePrevious);
    if (ok && livingCurrent_.Append(current) && livingPrevious_.Append(previous)) {
        count_ = n + 1;
        if (current.segmentsLeft < 0) ++deadCount_;
        Compact();
        return true;
    }

    // Last resort: the old tubes are lost, the new pair is kept.
    livingCurrent_.Clear();
    livingPrevious_.Clear();
    count_ = 0;
    deadCount_ = 0;
    if (livingCurrent_.Append(current) && livingPrevious_.Append(previous)) {
        count_ = 1;
        deadCount_ = current.segmentsLeft < 0 ? 1 : 0;
        return true;
    }
    livingCurrent_.Clear();
    livingPrevious_.Clear();
    return false;
}

void TubeParticleCache::Compact() {
    if (deadCount_ < kParticleCompactionThreshold) return;
    if (deadCount_ < count_) {
        // In place, in index order: the pairs stay paired and nothing is allocated.
        int32_t kept = 0;
        for (int32_t i = 0; i < count_; ++i) {
            if (livingCurrent_[i].segmentsLeft < 0) continue;
            if (kept != i) {
                livingCurrent_[kept] = livingCurrent_[i];
                livingPrevious_[kept] = livingPrevious_[i];
            }
            ++kept;
        }
        livingCurrent_.SetCount(kept);
        livingPrevious_.SetCount(kept);
        count_ = kept;
    } else {
        livingCurrent_.Clear();
        livingPrevious_.Clear();
        count_ = 0;
    }
    deadCount_ = 0;
}

const TFLPoint* TubeParticleCache::GuidePoint(int32_t curve, double parameter) const {
    if (!guideCurves_ || curve < 0 || curve >= guideCurveCount_ || guideCurveSamples_ < 1) return nullptr;
    double at = parameter * guideCurveSamples_ + 0.5;
    if (!(at >= 0.0)) at = 0.0;
    int32_t sample = at >= guideCurveSamples_ ? guideCurveSamples_ - 1 : static_cast<int32_t>(at);
    if (sample > guideCurveSamples_ - 1) sample = guideCurveSamples_ - 1;
    return &guideCurves_[static_cast<size_t>(curve) * guideCurveSamples_ + sample];
}

int32_t AdvanceTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B,
                     const TFLVector& /*previousUp*/, const TFLVector& /*currentUp*/, const TFLVector& side,
                     const TFLVector& D, const TFLVector& N, double globalScale, double /*completion*/, double L,
                     TubeParticleCache& cache) {
    cache.Merge();
    if (!cache.HasLiving()) return 0;
    const int32_t grown = cache.LiveCount();
    GrowTubes(brush, i, A, B, side, D, N, globalScale, L, cache);
    // Children born in the step join now and first grow in the next call.
    cache.Merge();
    if (cache.HasLiving()) FlexTubeLengths(brush, cache, globalScale);
    return grown;
}
