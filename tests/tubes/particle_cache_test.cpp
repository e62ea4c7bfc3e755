#include "tubes/particle_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tube_test_support.h"

namespace {

using namespace tubetest;

// A pair whose points carry its number, so that order can be checked.
void InsertNumbered(TubeParticleCache& cache, int number, int left = 5) {
    const TFLPoint p{static_cast<double>(number), 0.0, 0.0, 1.0};
    cache.Insert(Record(p, left, 5), Record(p, left + 1, 6));
}

TEST(ParticleCache, StartsEmpty) {
    TubeParticleCache cache;
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.DeadCount(), 0);
    EXPECT_EQ(cache.PendingCount(), 0);
    EXPECT_EQ(cache.GuideCurveCount(), 0);
    EXPECT_EQ(cache.GuidePoint(0, 0.5), nullptr);
    EXPECT_FALSE(cache.HasLiving());
}

TEST(ParticleCache, PendingPairsJoinTheLivingArraysInOrderAtTheMerge) {
    TubeParticleCache cache;
    for (int i = 0; i < 3; ++i) {
        const TFLPoint p{static_cast<double>(i), 0.0, 0.0, 1.0};
        ASSERT_TRUE(cache.AppendPending(Record(p, 4, 4), Record(p, 5, 5)));
    }
    EXPECT_EQ(cache.PendingCount(), 3);
    EXPECT_EQ(cache.Count(), 0);
    cache.Merge();
    EXPECT_EQ(cache.PendingCount(), 0);
    ASSERT_EQ(cache.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cache.Current(i).pathPoint.x, i);
        EXPECT_EQ(cache.Current(i).segmentTotal, 4);
        EXPECT_EQ(cache.Previous(i).segmentTotal, 5);  // the partner stays at the same index
    }
}

struct CompactionCase {
    int slots;
    int dead;
    int countAfterMerge;
};

class Compaction : public ::testing::TestWithParam<CompactionCase> {};

TEST_P(Compaction, RemovesDeadSlotsOnlyFromTheSixtyFifthOn) {
    const CompactionCase& c = GetParam();
    TubeParticleCache cache;
    for (int i = 0; i < c.slots; ++i) InsertNumbered(cache, i);
    // Kill every other slot first, then from the end, so survivors are spread out.
    int killed = 0;
    for (int i = 0; i < c.slots && killed < c.dead; i += 2, ++killed) cache.KillTube(i);
    for (int i = c.slots - 1; i >= 0 && killed < c.dead; --i)
        if (cache.Current(i).segmentsLeft >= 0) {
            cache.KillTube(i);
            ++killed;
        }
    ASSERT_EQ(cache.DeadCount(), c.dead);
    EXPECT_EQ(cache.Count(), c.slots);  // killing moves nothing
    cache.Merge();
    EXPECT_EQ(cache.Count(), c.countAfterMerge);
    // Survivors keep their order and their partners.
    double last = -1.0;
    for (int i = 0; i < cache.Count(); ++i) {
        if (c.dead >= kParticleCompactionThreshold) {
            EXPECT_GE(cache.Current(i).segmentsLeft, 0);
        }
        if (cache.Current(i).segmentsLeft < 0) continue;
        EXPECT_GT(cache.Current(i).pathPoint.x, last);
        EXPECT_EQ(cache.Previous(i).pathPoint.x, cache.Current(i).pathPoint.x);
        last = cache.Current(i).pathPoint.x;
    }
}

INSTANTIATE_TEST_SUITE_P(DeadCounts, Compaction,
                         ::testing::Values(CompactionCase{200, 64, 200}, CompactionCase{200, 65, 135},
                                           CompactionCase{200, 150, 50}, CompactionCase{65, 65, 0},
                                           CompactionCase{100, 100, 0}, CompactionCase{70, 10, 70}));

TEST(ParticleCache, EveryTubeDeadMeansTheNextAdvanceDoesNotGrow) {
    TubeParticleCache cache;
    for (int i = 0; i < 65; ++i) InsertNumbered(cache, i);
    for (int i = 0; i < 65; ++i) cache.KillTube(i);
    TBrushRecord brush = QuietBrush();
    Advance(brush, cache);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.DeadCount(), 0);
    EXPECT_EQ(cache.LivingCurrent().Count(), 0);
}

TEST(ParticleCache, KillTubeIgnoresIndexesOutsideAndCountsASlotOnce) {
    TubeParticleCache cache;
    InsertNumbered(cache, 0);
    InsertNumbered(cache, 1);
    cache.KillTube(2);
    cache.KillTube(-1);
    EXPECT_EQ(cache.DeadCount(), 0);
    cache.KillTube(1);
    cache.KillTube(1);
    EXPECT_EQ(cache.DeadCount(), 1);
    EXPECT_EQ(cache.Current(1).segmentsLeft, -1);
    EXPECT_EQ(cache.Previous(1).segmentsLeft, -1);
    EXPECT_EQ(cache.Current(0).segmentsLeft, 5);
    EXPECT_TRUE(cache.HasLiving());
    cache.KillTube(0);
    EXPECT_FALSE(cache.HasLiving());
}

TEST(ParticleCache, LivingSlotsStopAtTenThousandAndOne) {
    TubeParticleCache cache;
    for (int i = 0; i < kParticleCacheLimit; ++i) ASSERT_TRUE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    EXPECT_FALSE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    EXPECT_EQ(cache.PendingCount(), 10001);
    cache.Merge();
    EXPECT_EQ(cache.Count(), 10001);
    EXPECT_FALSE(cache.Insert(Record({}, 3, 3), Record({}, 4, 4)));
    ASSERT_TRUE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    cache.Merge();
    EXPECT_EQ(cache.Count(), 10001);
    EXPECT_EQ(cache.PendingCount(), 0);
    EXPECT_EQ(cache.LivingCurrent().Count(), cache.LivingPrevious().Count());
}

TEST(ParticleCache, SwapExchangesCurrentAndPrevious) {
    TubeParticleCache cache;
    cache.Insert(Record({1, 0, 0, 1}, 3, 3), Record({2, 0, 0, 1}, 4, 4));
    cache.SwapLivingArrays();
    EXPECT_EQ(cache.Current(0).pathPoint.x, 2.0);
    EXPECT_EQ(cache.Previous(0).pathPoint.x, 1.0);
    EXPECT_EQ(cache.Count(), 1);
}

TEST(ParticleCache, ResetKeepsStorageAndClearEmptiesTheLivingArrays) {
    TubeParticleCache cache;
    for (int i = 0; i < 100; ++i) InsertNumbered(cache, i);
    cache.AppendPending(Record({}, 1, 1), Record({}, 2, 2));
    cache.KillTube(3);
    const int capacity = cache.LivingCurrent().Capacity();
    cache.Reset();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.DeadCount(), 0);
    EXPECT_EQ(cache.PendingCount(), 0);
    EXPECT_EQ(cache.LivingCurrent().Capacity(), capacity);

    for (int i = 0; i < 10; ++i) InsertNumbered(cache, i);
    cache.AppendPending(Record({}, 1, 1), Record({}, 2, 2));
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.LivingCurrent().Count(), 0);
    EXPECT_EQ(cache.LivingPrevious().Count(), 0);
    EXPECT_EQ(cache.PendingCount(), 1);  // the pending pairs are the stroke's next merge
}

TEST(ParticleCache, ArraysGrowBySixtyFourRecords) {
    TubeParticleCache cache;
    InsertNumbered(cache, 0);
    EXPECT_EQ(cache.LivingCurrent().Capacity(), 64);
    for (int i = 1; i < 65; ++i) InsertNumbered(cache, i);
    EXPECT_EQ(cache.LivingCurrent().Capacity(), 128);
    EXPECT_EQ(cache.LivingPrevious().Capacity(), 128);
}

TEST(ParticleCache, StorageThatCannotGrowKeepsOnlyTheNewPair) {
    TubeParticleCache cache;
    cache.SetStorageLimitForTests(64);
    for (int i = 0; i < 64; ++i) InsertNumbered(cache, i);
    ASSERT_EQ(cache.Count(), 64);
    InsertNumbered(cache, 1000);
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.DeadCount(), 0);
    EXPECT_EQ(cache.Current(0).pathPoint.x, 1000.0);
    EXPECT_EQ(cache.Previous(0).pathPoint.x, 1000.0);
    cache.SetStorageLimitForTests(-1);
    InsertNumbered(cache, 1001);
    EXPECT_EQ(cache.Count(), 2);
}

TEST(ParticleCache, ChildrenBornInAStepFirstMoveInTheNextCall) {
    // A tube that splits at once into two branches and ends.
    TBrushRecord brush = QuietBrush();
    brush.branches = true;
    brush.startBranches = 2;
    brush.splitAngle = 30;
    brush.splitSizeDecay = 0.9;
    TubeParticleCache cache;
    Emit(brush, cache);
    Advance(brush, cache);
    ASSERT_EQ(cache.Count(), 3);
    EXPECT_LT(cache.Current(0).segmentsLeft, 0);  // the parent ended at its split
    // As born: the previous record sits at the parent's tip (after the swap
    // the parent's last state is its previous record), the current one step along.
    std::vector<TpaintParticleCacheData> born;
    for (int j = 1; j < 3; ++j) {
        born.push_back(cache.Current(j));
        EXPECT_EQ(cache.Previous(j).pathPoint.x, cache.Previous(0).pathPoint.x);
        EXPECT_EQ(cache.Previous(j).pathPoint.z, cache.Previous(0).pathPoint.z);
    }
    Advance(brush, cache);
    for (int j = 1; j < 3; ++j) {
        EXPECT_EQ(cache.Previous(j).pathPoint.x, born[j - 1].pathPoint.x);
        EXPECT_GT(Distance(cache.Current(j).pathPoint, born[j - 1].pathPoint), 0.0);
        EXPECT_EQ(cache.Current(j).segmentsLeft, born[j - 1].segmentsLeft - 1);
    }
}

// The cache as it was first built, pair by pair on plain vectors: pending
// pairs join in order until one is refused at the limit, then 65 or more
// dead slots are compacted away. Records are reduced to a number and
// whether they are dead.
struct ReferenceCache {
    struct Pair {
        int number;
        bool dead;
    };
    std::vector<Pair> living;
    std::vector<int> pending;
    int dead = 0;

    void AppendPending(int number) {
        if (static_cast<int>(pending.size()) < kParticleCacheLimit) pending.push_back(number);
    }
    void Kill(int index) {
        if (index < 0 || index >= static_cast<int>(living.size()) || living[index].dead) return;
        living[index].dead = true;
        ++dead;
    }
    void Merge() {
        for (int number : pending) {
            if (static_cast<int>(living.size()) >= kParticleCacheLimit) break;
            living.push_back({number, false});
        }
        pending.clear();
        if (dead < kParticleCompactionThreshold) return;
        std::vector<Pair> kept;
        for (const Pair& p : living)
            if (!p.dead) kept.push_back(p);
        living = kept;
        dead = 0;
    }
};

TEST(ParticleCache, BlockedPendingAndOneGrowthPerMergeKeepTheOrderPairByPairInsertionGave) {
    std::mt19937 random(1234);
    TubeParticleCache cache;
    ReferenceCache reference;
    int next = 0;
    for (int round = 0; round < 400; ++round) {
        // Sow a batch (now and then one that overfills the cache), kill some, merge.
        const int batch = round % 37 == 5 ? 12000 : static_cast<int>(random() % 700);
        for (int k = 0; k < batch; ++k, ++next) {
            const TFLPoint p{static_cast<double>(next), 0.0, 0.0, 1.0};
            cache.AppendPending(Record(p, 5, 5), Record(p, 6, 6));
            reference.AppendPending(next);
        }
        ASSERT_EQ(cache.PendingCount(), static_cast<int>(reference.pending.size()));
        for (int k = 0; k < static_cast<int>(reference.pending.size()); ++k)
            ASSERT_EQ(cache.PendingCurrent(k).pathPoint.x, reference.pending[k]) << "round " << round;
        const int kills = reference.living.empty() ? 0 : static_cast<int>(random() % 300);
        for (int k = 0; k < kills; ++k) {
            const int index = static_cast<int>(random() % reference.living.size());
            cache.KillTube(index);
            reference.Kill(index);
        }
        cache.Merge();
        reference.Merge();
        ASSERT_EQ(cache.Count(), static_cast<int>(reference.living.size())) << "round " << round;
        ASSERT_EQ(cache.DeadCount(), reference.dead) << "round " << round;
        ASSERT_EQ(cache.PendingCount(), 0);
        for (int j = 0; j < cache.Count(); ++j) {
            ASSERT_EQ(cache.Current(j).pathPoint.x, reference.living[j].number) << "round " << round << " slot " << j;
            ASSERT_EQ(cache.Previous(j).pathPoint.x, reference.living[j].number);
            ASSERT_EQ(cache.Current(j).segmentsLeft < 0, reference.living[j].dead);
        }
        // Capacity as growth by 64 records would have left it.
        EXPECT_EQ(cache.LivingCurrent().Capacity() % kParticleCacheGrowth, 0);
        EXPECT_EQ(cache.LivingCurrent().Capacity(), cache.LivingPrevious().Capacity());
    }
}

TEST(ParticleCache, RoomEndsWhereTheNextMergeWouldDropAPair) {
    TubeParticleCache cache;
    for (int i = 0; i < kParticleCacheLimit - 3; ++i) InsertNumbered(cache, i);
    cache.KillTube(0);  // a dead slot still holds its place until compaction
    EXPECT_TRUE(cache.HasRoom());
    ASSERT_TRUE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    ASSERT_TRUE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    EXPECT_TRUE(cache.HasRoom());
    ASSERT_TRUE(cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4)));
    EXPECT_FALSE(cache.HasRoom());
    // A pair queued now is the one the merge drops.
    ASSERT_TRUE(cache.AppendPending(Record({1, 0, 0, 1}, 3, 3), Record({}, 4, 4)));
    cache.Merge();
    EXPECT_EQ(cache.Count(), kParticleCacheLimit);
    EXPECT_EQ(cache.Current(kParticleCacheLimit - 1).pathPoint.x, 0.0);
    EXPECT_FALSE(cache.HasRoom());
}

TEST(ParticleCache, ResetKeepsThePendingBlocksAndReleaseFreesThem) {
    TubeParticleCache cache;
    for (int i = 0; i < 200; ++i) cache.AppendPending(Record({}, 3, 3), Record({}, 4, 4));
    cache.Reset();
    EXPECT_EQ(cache.PendingCount(), 0);
    for (int i = 0; i < 130; ++i) {
        const TFLPoint p{static_cast<double>(i), 0.0, 0.0, 1.0};
        ASSERT_TRUE(cache.AppendPending(Record(p, 3, 3), Record(p, 4, 4)));
    }
    EXPECT_EQ(cache.PendingCurrent(129).pathPoint.x, 129.0);
    EXPECT_EQ(cache.PendingPrevious(64).pathPoint.x, 64.0);
    cache.Release();
    EXPECT_EQ(cache.PendingCount(), 0);
    ASSERT_TRUE(cache.AppendPending(Record({7, 0, 0, 1}, 3, 3), Record({}, 4, 4)));
    EXPECT_EQ(cache.PendingCurrent(0).pathPoint.x, 7.0);
}

}  // namespace
