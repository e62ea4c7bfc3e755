#include "tubes/tube_branching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tube_test_support.h"

namespace {

using namespace tubetest;

constexpr double kPi = 3.14159265358979323846;

TBrushRecord BranchingBrush() {
    TBrushRecord b = QuietBrush(10);
    b.branches = true;
    b.splitAngle = 20.0;
    b.splitSizeDecay = 0.9;
    b.minSize = 0.0;
    b.splitMaxDepth = 3.0;
    return b;
}

// How many pairs each growth call added, for the calls that added any.
std::vector<int> Births(const TBrushRecord& brush, int calls) {
    TubeParticleCache cache;
    Emit(brush, cache);
    cache.Merge();
    std::vector<int> births;
    for (int call = 0; call < calls && cache.HasLiving(); ++call) {
        const int before = cache.Count();
        Advance(brush, cache);
        if (cache.Count() != before) births.push_back(cache.Count() - before);
    }
    return births;
}

TEST(Splitting, StartBranchesForTheFirstSplitThenNumBranches) {
    TBrushRecord brush = BranchingBrush();
    brush.startBranches = 3;
    brush.numBranches = 2;
    const std::vector<int> births = Births(brush, 12);
    ASSERT_GE(births.size(), 2u);
    EXPECT_EQ(births[0], 3);
    EXPECT_EQ(births[1], 6);  // each of the three splits in two
}

struct DropoutCase {
    double branchDropout;
    int firstBirths;
};

TEST(Splitting, DropoutZeroKeepsEveryBranchAndAboveOneDropsThemAll) {
    const DropoutCase cases[] = {{0.0, 4}, {1.5, 0}};
    for (const DropoutCase& c : cases) {
        TBrushRecord brush = BranchingBrush();
        brush.startBranches = 4;
        brush.splitMaxDepth = 1.0;
        brush.branchDropout = c.branchDropout;
        TubeParticleCache cache;
        Emit(brush, cache);
        Advance(brush, cache);
        EXPECT_EQ(cache.Count() - 1, c.firstBirths) << c.branchDropout;
        EXPECT_LT(cache.Current(0).segmentsLeft, 0);  // the parent ends at its split either way
    }
}

TEST(Splitting, SomeBranchesDropOutAtAMiddlingRate) {
    TBrushRecord brush = BranchingBrush();
    brush.startBranches = 400;
    brush.splitMaxDepth = 1.0;
    brush.branchDropout = 0.5;
    TubeParticleCache cache;
    Emit(brush, cache);
    Advance(brush, cache);
    EXPECT_GT(cache.Count() - 1, 120);
    EXPECT_LT(cache.Count() - 1, 280);
}

struct TooThinCase {
    bool middleBranch;
    bool parentAlive;
};

TEST(Splitting, ATubeTooThinToSplitStopsUnlessItHasAMiddleBranch) {
    for (const TooThinCase& c : {TooThinCase{false, false}, TooThinCase{true, true}}) {
        TBrushRecord brush = BranchingBrush();
        brush.startBranches = 3;
        brush.minSize = 1.0;  // far above 0.9 x the width
        brush.middleBranch = c.middleBranch;
        TubeParticleCache cache;
        Emit(brush, cache);
        Advance(brush, cache);
        EXPECT_EQ(cache.Count(), 1) << "no branches";
        EXPECT_EQ(cache.LiveCount() == 1, c.parentAlive);
    }
}

TEST(Splitting, BranchesStartAtTheTipTurnedBySplitAngleAndThinner) {
    TBrushRecord brush = BranchingBrush();
    brush.startBranches = 2;
    brush.splitAngle = 30.0;
    brush.elevationMin = brush.elevationMax = 1.0;  // the parent points (nearly) along N
    TubeParticleCache cache;
    Emit(brush, cache);
    const TpaintParticleCacheData parent = cache.PendingCurrent(0);
    TFLVector u = parent.pathPoint - cache.PendingPrevious(0).pathPoint;
    const double lambda = Length(u);
    Normalize(u);
    Advance(brush, cache);
    ASSERT_EQ(cache.Count(), 3);
    // progress is huge: the full split angle.
    for (int j = 1; j < 3; ++j) {
        const TpaintParticleCacheData& cur = cache.Current(j);
        const TpaintParticleCacheData& prev = cache.Previous(j);
        TFLVector step = cur.pathPoint - prev.pathPoint;
        EXPECT_NEAR(Length(step), lambda, 1e-12);
        EXPECT_NEAR(Distance(prev.pathPoint, parent.drawnPoint), 0.0, 1e-12);
        Normalize(step);
        EXPECT_NEAR(std::acos(std::fmin(1.0, Dot(step, u))), 30.0 * kPi / 180.0, 1e-9);
        EXPECT_NEAR(cur.width, parent.width * 0.9, 1e-12);
        EXPECT_NEAR(prev.width, parent.width * 0.95, 1e-12);
        EXPECT_EQ(cur.splitCount, 1);
    }
    // The two branches leave on opposite sides.
    TFLVector a = cache.Current(1).pathPoint - cache.Previous(1).pathPoint;
    TFLVector b = cache.Current(2).pathPoint - cache.Previous(2).pathPoint;
    EXPECT_LT(Dot(a - u * Dot(a, u), b - u * Dot(b, u)), 0.0);
}

TEST(Splitting, AMiddleBranchGoesOnAndMovesItsNextSplitAhead) {
    TBrushRecord brush = BranchingBrush();
    brush.startBranches = 2;
    brush.middleBranch = true;
    TubeParticleCache cache;
    Emit(brush, cache);
    Advance(brush, cache);
    ASSERT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.LiveCount(), 3);
    EXPECT_GE(cache.Current(0).nextSplit, 3);
    EXPECT_EQ(cache.Current(0).splitCount, 1);
}

TEST(Splitting, DepthLimitsTheSplitsAfterTheStartBranches) {
    // The start-branch split is the tube's own; splitMaxDepth levels follow it.
    struct Case {
        double depth;
        std::vector<int> births;
    } cases[] = {{1.0, {2, 4}}, {2.0, {2, 4, 8}}};
    for (const Case& c : cases) {
        TBrushRecord brush = BranchingBrush();
        brush.startBranches = 2;
        brush.numBranches = 2;
        brush.splitMaxDepth = c.depth;
        EXPECT_EQ(Births(brush, 40), c.births) << c.depth;
    }
}

TBrushRecord TwigBrush() {
    TBrushRecord b = QuietBrush(10);
    b.twigs = true;
    b.twigLength = 0.25;  // half the tube: five segments
    b.twigsInCluster = 1;
    b.numTwigClusters = 3;
    b.twigStart = 0.5;
    b.twigAngle1 = b.twigAngle2 = 45.0;
    b.twigBaseWidth = 0.5;
    b.twigTipWidth = 0.25;
    return b;
}

TEST(Clusters, TwigsAppearOnlyPastTheirStartFraction) {
    TBrushRecord brush = TwigBrush();
    TubeParticleCache cache;
    Emit(brush, cache);
    cache.Merge();
    std::vector<int> doneAtBirth;
    for (int call = 0; call < 11; ++call) {
        const int before = cache.Count();
        Advance(brush, cache);
        for (int j = before; j < cache.Count(); ++j) {
            const TpaintParticleCacheData& t = cache.Previous(j);
            ASSERT_EQ(t.kind, kTubeKindTwig);
            EXPECT_EQ(t.segmentsLeft, 5);
            EXPECT_EQ(cache.Current(j).segmentsLeft, 4);
            doneAtBirth.push_back(t.segmentTotal - 5);
        }
    }
    ASSERT_GE(doneAtBirth.size(), 3u);
    for (int done : doneAtBirth) EXPECT_GE(done, 5) << "a twig before half the tube";
}

TEST(Clusters, ATwigStartsOnItsParentWithItsOwnWidthsAndLength) {
    TBrushRecord brush = TwigBrush();
    TubeParticleCache cache;
    Emit(brush, cache);
    const double parentWidth = cache.PendingCurrent(0).width;
    const double parentSegment = cache.PendingCurrent(0).segmentLength;
    cache.Merge();
    for (int call = 0; call < 11 && cache.Count() == 1; ++call) Advance(brush, cache);
    ASSERT_GT(cache.Count(), 1);
    const TpaintParticleCacheData& cur = cache.Current(1);
    const TpaintParticleCacheData& prev = cache.Previous(1);
    EXPECT_NEAR(prev.width, 0.5 * parentWidth, 1e-12);
    EXPECT_NEAR(prev.widthStep, (0.25 - 0.5) * parentWidth / 5, 1e-12);
    EXPECT_NEAR(cur.width, prev.width + prev.widthStep, 1e-12);
    // The twig's segments are its length over its count: tf = 5 / 5 = 1.
    EXPECT_NEAR(Distance(cur.pathPoint, prev.pathPoint), parentSegment, 1e-12);
    EXPECT_NEAR(cur.segmentLength, parentSegment, 1e-12);
    // It leaves the tube at the twig angle.
    const TFLVector parentStep = cache.Current(0).pathPoint - cache.Previous(0).pathPoint;
    EXPECT_GT(Length(parentStep), 0.0);
    EXPECT_EQ(cur.painter.runState, 0);
}

TBrushRecord LeafBrush() {
    TBrushRecord b = QuietBrush(10);
    b.leaves = true;
    b.leafSegments = 4;
    b.leafLength = 0.2;
    b.leavesInCluster = 2;
    b.numLeafClusters = 2;
    b.leafStart = 0.3;
    b.leafAngle1 = b.leafAngle2 = 40.0;
    b.leafBaseWidth = 0.1;
    b.leafTipWidth = 0.02;
    b.leafSizeDecay = 0.5;
    b.leafFlatness = 0.7;
    b.leafColor1R = 0.2, b.leafColor1G = 0.6, b.leafColor1B = 0.3;
    b.leafColor2R = 0.6, b.leafColor2G = 0.6, b.leafColor2B = 0.3;
    return b;
}

// Leaves sown over a tube's life and the record of the parent at the last call.
struct LeafRun {
    std::vector<TpaintParticleCacheData> current, previous;
    int bornAtLastSegment = 0;
};

LeafRun GrowLeaves(const TBrushRecord& brush, double L = kNoTimeLimit) {
    TubeParticleCache cache;
    Emit(brush, cache, 0, 17, L);
    cache.Merge();
    LeafRun run;
    for (int call = 0; call < 12 && cache.HasLiving(); ++call) {
        const int before = cache.Count();
        const bool lastSegment = cache.Count() > 0 && cache.Current(0).segmentsLeft == 0;
        Advance(brush, cache, 0, L);
        for (int j = before; j < cache.Count(); ++j) {
            run.current.push_back(cache.Current(j));
            run.previous.push_back(cache.Previous(j));
            if (lastSegment) ++run.bornAtLastSegment;
        }
    }
    return run;
}

TEST(Clusters, LeavesComeInClustersWithTheirColourAndShape) {
    const LeafRun run = GrowLeaves(LeafBrush());
    ASSERT_GE(run.current.size(), 4u);
    EXPECT_EQ(run.current.size() % 2, 0u);  // two per cluster
    for (size_t k = 0; k < run.current.size(); ++k) {
        const TpaintParticleCacheData& c = run.current[k];
        const TpaintParticleCacheData& p = run.previous[k];
        EXPECT_EQ(c.kind, kTubeKindLeaf);
        EXPECT_EQ(p.segmentsLeft, 4);
        EXPECT_EQ(c.segmentsLeft, 3);
        EXPECT_EQ(c.width, p.width);  // both start at the base width
        EXPECT_NEAR(c.flatness, 0.7, 1e-12);
        EXPECT_EQ(c.flatnessStep, 0.0);
        EXPECT_NEAR(c.colour[0], 0.2, 1e-12);
        EXPECT_NEAR(c.colourStep[0], 0.1, 1e-12);
        EXPECT_NEAR(Distance(c.pathPoint, p.pathPoint), c.segmentLength, 1e-12);
    }
}

TEST(Clusters, ATerminalLeafGrowsAtTheTip) {
    TBrushRecord without = LeafBrush();
    TBrushRecord with = without;
    with.terminalLeaf = true;
    const LeafRun a = GrowLeaves(without);
    const LeafRun b = GrowLeaves(with);
    EXPECT_EQ(b.current.size(), a.current.size() + 1);
    EXPECT_EQ(b.bornAtLastSegment, a.bornAtLastSegment + 1);
    // The terminal leaf points along the tube (elevation 0).
    ASSERT_FALSE(b.current.empty());
    const TpaintParticleCacheData& leaf = b.current.back();
    const TpaintParticleCacheData& leafBase = b.previous.back();
    TFLVector dir = leaf.pathPoint - leafBase.pathPoint;
    Normalize(dir);
    // The parent grows straight on along its sown direction.
    TubeParticleCache cache;
    Emit(with, cache);
    TFLVector parentDir = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
    Normalize(parentDir);
    EXPECT_NEAR(Dot(dir, parentDir), 1.0, 1e-9);
}

TEST(Clusters, ATerminalLeafAfterTipClustersContinuesTheirSize) {
    TBrushRecord brush = LeafBrush();
    brush.terminalLeaf = true;
    brush.leafStart = 0.9999;  // every ordinary cluster at the tip as well
    brush.numLeafClusters = 1;
    brush.leavesInCluster = 1;
    const LeafRun run = GrowLeaves(brush);
    ASSERT_EQ(run.current.size(), 2u);
    EXPECT_EQ(run.bornAtLastSegment, 2);
    const double ll = 0.2 / 4;  // size factor 1 x globalScale, fully grown
    EXPECT_NEAR(run.current[0].segmentLength, ll, 1e-12);
    EXPECT_NEAR(run.current[1].segmentLength, ll, 1e-12);
}

// A twig born past its only cluster position gets no ordinary cluster; at its
// tip the terminal leaf is then the only one and takes the decayed size.
TEST(Clusters, ATerminalLeafAloneHasTheDecayedSize) {
    TBrushRecord brush = LeafBrush();
    brush.terminalLeaf = true;
    brush.numLeafClusters = 1;
    brush.leafStart = 0.5;
    brush.globalScale = 2.0;
    const TTubeStepScales scales = MakeTubeStepScales(brush, brush.globalScale);
    const TBranchingSetup setup = MakeBranchingSetup(brush, brush.globalScale, scales.n);
    TubeParticleCache cache;
    int32_t budget = 1000;
    TChildContext ctx;
    ctx.brush = &brush;
    ctx.setup = &setup;
    ctx.scales = &scales;
    ctx.globalScale = brush.globalScale;
    const Segment frame;
    ctx.side = frame.side;
    ctx.D = frame.D;
    ctx.N = frame.N;
    ctx.u = {0.0, 0.0, 1.0};  // the twig grows along N
    ctx.lambda = 0.05;
    ctx.done = 6;
    ctx.progress = 100.0;
    ctx.budget = &budget;
    ctx.cache = &cache;
    TpaintParticleCacheData twig = Record({0.5, 0.5, 0.3, 1}, 0, 7);
    twig.kind = kTubeKindTwig;
    const TpaintParticleCacheData below = Record({0.5, 0.5, 0.25, 1}, 1, 7);
    SowClusters(ctx, twig, below);
    ASSERT_EQ(cache.PendingCount(), 1);
    const double sigma = brush.leafSizeDecay * brush.globalScale;
    EXPECT_NEAR(cache.PendingCurrent(0).segmentLength, sigma * 0.2 / 4, 1e-12);
    EXPECT_NEAR(cache.PendingPrevious(0).width, sigma * brush.leafBaseWidth, 1e-12);
    // It sits at the tip, pushed out to the twig's skin along the twig.
    EXPECT_NEAR(cache.PendingPrevious(0).pathPoint.z, 0.3 + twig.width * 0.45 + sigma * brush.leafBaseWidth * 0.3,
                1e-12);
    EXPECT_EQ(cache.PendingPrevious(0).segmentTotal, 4 + 6);
}

TEST(Clusters, LeafDropoutAboveOneDropsEveryLeaf) {
    TBrushRecord brush = LeafBrush();
    brush.leafDropout = 1.01;
    brush.terminalLeaf = true;
    EXPECT_TRUE(GrowLeaves(brush).current.empty());
}

struct GrowthFactorCase {
    double g, leaf, flower;
};

TEST(Clusters, LeavesAndPetalsOpenWithProgress) {
    const GrowthFactorCase cases[] = {{-1, 0, 0},  {0.5, 0, 0},    {1.0, 0, 0},  {1.5, 0.5, 0}, {2.0, 1, 0},
                                      {2.25, 1, 0.5}, {2.5, 1, 1}, {100, 1, 1}, {NAN, 0, 0}};
    for (const GrowthFactorCase& c : cases) {
        EXPECT_DOUBLE_EQ(LeafGrowthFactor(c.g), c.leaf) << c.g;
        EXPECT_DOUBLE_EQ(FlowerGrowthFactor(c.g), c.flower) << c.g;
    }
}

TBrushRecord FlowerBrush() {
    TBrushRecord b = QuietBrush(10);
    b.flowers = true;
    b.petalSegments = 3;
    b.petalLength = 0.15;
    b.petalsInFlower = 5;
    b.numFlowers = 1;
    b.flowerStart = 0.5;
    b.flowerAngle1 = b.flowerAngle2 = 60.0;
    b.flowerSizeDecay = 1.0;
    b.petalBaseWidth = 0.05;
    b.petalTipWidth = 0.1;
    b.petalColor1R = 1.0;
    return b;
}

TEST(Clusters, PetalsLieAlongTheTubeAtHalfLengthUntilTheyOpen) {
    struct Case {
        double L;
        double angleDegrees;
        double lengthFactor;
    } cases[] = {{1.0, 0.0, 0.5}, {kNoTimeLimit, 60.0, 1.0}};
    for (const Case& c : cases) {
        TBrushRecord brush = FlowerBrush();
        TubeParticleCache cache;
        Emit(brush, cache, 0, 17, c.L);
        TFLVector parentDir = cache.PendingCurrent(0).pathPoint - cache.PendingPrevious(0).pathPoint;
        Normalize(parentDir);
        const LeafRun run = GrowLeaves(brush, c.L);
        ASSERT_EQ(run.current.size(), 5u) << c.L;
        for (size_t k = 0; k < run.current.size(); ++k) {
            const TpaintParticleCacheData& petal = run.current[k];
            EXPECT_EQ(petal.kind, kTubeKindPetal);
            TFLVector dir = petal.pathPoint - run.previous[k].pathPoint;
            EXPECT_NEAR(Length(dir), c.lengthFactor * 0.15 / 3 * brush.globalScale, 1e-12);
            Normalize(dir);
            EXPECT_NEAR(Dot(dir, parentDir), std::cos(c.angleDegrees * kPi / 180.0), 1e-9);
        }
    }
}

TEST(Clusters, ChildrenAreFiniteAndRespectThePendingLimit) {
    TBrushRecord brush = LeafBrush();
    brush.leavesInCluster = 1e9;
    brush.numLeafClusters = 1e9;
    brush.flowers = true;
    brush.petalsInFlower = 3e7;
    brush.numFlowers = 5;
    brush.petalSegments = 3;
    brush.twigs = true;
    brush.twigLength = 0.2;
    brush.numTwigClusters = 1e6;
    brush.twigsInCluster = 1e6;
    TubeParticleCache cache;
    Emit(brush, cache);
    for (int call = 0; call < 12 && cache.HasLiving(); ++call) {
        Advance(brush, cache);
        ASSERT_LE(cache.Count(), kParticleCacheLimit);
        for (int j = 0; j < cache.Count(); ++j) ASSERT_TRUE(RecordIsFinite(cache.Current(j)));
    }
}

}  // namespace
