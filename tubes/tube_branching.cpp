#include "tubes/tube_branching.h"

#include <cmath>

#include "tubes/tube_colour.h"
#include "tubes/tube_growth.h"
#include "tubes/tube_random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = kPi / 180.0;

// The three families placed by the one cluster scheme.
enum class Family { twig, leaf, petal };

struct FamilyRule {
    Family family;
    double start;      // twigStart, leafStart, flowerStart
    double K;          // clusters along the tube
    double members;    // per cluster
    double twist;      // added per cluster
    double angle1;     // degrees
    double angle2;
    double elevationStep;  // radians per cluster, over the whole tube
    bool sized;
    double sizeDecay;
    double sizeStep;
    int64_t dropoutMultiple;
    double dropout;
};

// One run of evenly spaced clusters along the parent's last segment.
struct ClusterRun {
    int32_t count = 0;
    TFLPoint point;      // the first cluster
    TFLVector advance;   // from one cluster to the next
    double twist = 0.0;
    double elevation = 0.0;
    double elevationStep = 0.0;
    double size = 0.0;
    double sizeStep = 0.0;
    double twistStep = 0.0;
    double members = 0.0;
};

// A candidate child may be tried: the call's budget is not used up and the
// cache could still take it (a child it cannot take is not even made).
bool Spend(const TChildContext& ctx) {
    if (*ctx.budget <= 0 || !ctx.cache->HasRoom()) return false;
    --*ctx.budget;
    return true;
}

void Append(const TChildContext& ctx, const TpaintParticleCacheData& current, const TpaintParticleCacheData& previous) {
    if (IsFiniteRecord(current) && IsFiniteRecord(previous)) ctx.cache->AppendPending(current, previous);
}

TFLVector MemberDirection(const TChildContext& ctx, double elevation, double az) {
    TFLVector world = ToWorld(ChildDirection(ctx.u, elevation, az), ctx.side, ctx.D, ctx.N);
    Normalize(world);
    return world;
}

void MakeTwig(const TChildContext& ctx, const TpaintParticleCacheData& C, const TFLPoint& at, const TFLVector& dir) {
    const TBrushRecord& brush = *ctx.brush;
    const TBranchingSetup& setup = *ctx.setup;
    const int32_t tn = setup.twigSegments;
    TpaintParticleCacheData previous = C;
    const double base = brush.twigBaseWidth * C.width;
    const double step = (brush.twigTipWidth * C.width - base) / tn;
    const double length = setup.twigSegmentFactor * C.segmentLength;
    previous.width = base;
    previous.widthStep = step;
    previous.segmentLength = length;
    previous.drawnPoint = previous.pathPoint = MakePlain(at);
    previous.segmentsLeft = tn;
    previous.segmentTotal = tn + ctx.done;
    previous.flatnessStep = 0.0;
    previous.kind = kTubeKindTwig;
    previous.painter = StampRun{};
    TpaintParticleCacheData current = previous;
    current.width = base + step;
    current.drawnPoint = current.pathPoint = at + dir * length;
    current.segmentsLeft = tn - 1;
    Append(ctx, current, previous);
}

// A leaf or a petal: sigma the cluster's size factor, gamma the growth factor.
void MakeLeaf(const TChildContext& ctx, const TpaintParticleCacheData& C, Family family, const TFLPoint& at,
              const TFLVector& dir, double clusterTwist, double sigma, double gamma, int32_t seed, double counter) {
    const TBrushRecord& brush = *ctx.brush;
    const TBranchingSetup& setup = *ctx.setup;
    const bool leaf = family == Family::leaf;
    const int32_t segments = leaf ? setup.leafSegments : setup.petalSegments;
    const double unit = leaf ? setup.leafSegmentLength : setup.petalSegmentLength;
    const double baseAttr = leaf ? brush.leafBaseWidth : brush.petalBaseWidth;
    const double tipAttr = leaf ? brush.leafTipWidth : brush.petalTipWidth;
    double colour1[3], colour2[3];
    if (leaf) {
        colour1[0] = brush.leafColor1R, colour1[1] = brush.leafColor1G, colour1[2] = brush.leafColor1B;
        colour2[0] = brush.leafColor2R, colour2[1] = brush.leafColor2G, colour2[2] = brush.leafColor2B;
    } else {
        colour1[0] = brush.petalColor1R, colour1[1] = brush.petalColor1G, colour1[2] = brush.petalColor1B;
        colour2[0] = brush.petalColor2R, colour2[1] = brush.petalColor2G, colour2[2] = brush.petalColor2B;
    }

    TpaintParticleCacheData previous = C;
    const double length = (gamma + 1.0) * 0.5 * sigma * unit;
    const double base = sigma * baseAttr;
    // Start at the parent's skin rather than its axis.
    const TFLPoint root = at + dir * (C.width * 0.45 + base * 0.3);
    previous.segmentLength = length;
    previous.width = base;
    previous.widthStep = (tipAttr - baseAttr) * sigma / segments;
    previous.twist = clusterTwist + 0.25;
    previous.flatness = leaf ? brush.leafFlatness : brush.petalFlatness;
    previous.flatnessStep = 0.0;

    double colour[3] = {colour1[0], colour1[1], colour1[2]};
    if (leaf) {
        if (brush.leafHueRand != 0.0 || brush.leafSatRand != 0.0 || brush.leafValRand != 0.0)
            JitterColour(colour, TubeT(int64_t{seed} + 345) * brush.leafHueRand * 360.0,
                         TubeT(int64_t{seed} + 392) * brush.leafSatRand, TubeT(int64_t{seed} + 1032) * brush.leafValRand);
    } else if (brush.flowerHueRand != 0.0 || brush.flowerSatRand != 0.0 || brush.flowerValRand != 0.0) {
        JitterColour(colour, TubeT(TruncInt(counter + 342)) * brush.flowerHueRand * 360.0,
                     TubeT(TruncInt(counter + 391)) * brush.flowerSatRand,
                     TubeT(TruncInt(counter + 1036)) * brush.flowerValRand);
    }
    for (int c = 0; c < 3; ++c) {
        previous.colour[c] = colour[c];
        previous.colourStep[c] = (colour2[c] - colour1[c]) / segments;
    }
    previous.drawnPoint = previous.pathPoint = root;
    previous.segmentsLeft = segments;
    previous.segmentTotal = segments + ctx.done;
    previous.kind = leaf ? kTubeKindLeaf : kTubeKindPetal;
    previous.painter = StampRun{};
    TpaintParticleCacheData current = previous;
    current.drawnPoint = current.pathPoint = root + dir * length;
    current.segmentsLeft = segments - 1;
    Append(ctx, current, previous);
}

void SowRun(const TChildContext& ctx, const TpaintParticleCacheData& C, const FamilyRule& rule, const ClusterRun& run,
            double& counter) {
    double elevation = run.elevation;
    double twist = run.twist;
    double size = run.size;
    TFLPoint point = run.point;
    const double gamma = rule.family == Family::leaf    ? LeafGrowthFactor(ctx.progress)
                         : rule.family == Family::petal ? FlowerGrowthFactor(ctx.progress)
                                                        : 1.0;
    for (int32_t k = 0; k < run.count; ++k) {
        const double angle = rule.family == Family::twig ? elevation : elevation * gamma;
        for (int32_t m = 0; m < run.members; ++m) {
            if (!Spend(ctx)) return;
            const int32_t seed = TubeSeed(TruncInt(counter));
            counter += 1.0;
            if (TubeU(rule.dropoutMultiple * seed) < rule.dropout) continue;
            const double az = (2.0 * m / run.members + twist) * kPi;
            const TFLVector dir = MemberDirection(ctx, angle, az);
            if (rule.family == Family::twig)
                MakeTwig(ctx, C, point, dir);
            else
                MakeLeaf(ctx, C, rule.family, point, dir, twist, size, gamma, seed, counter);
        }
        elevation += run.elevationStep;
        twist += run.twistStep;
        point = point + run.advance;
        size += run.sizeStep;
    }
}

void SowFamily(const TChildContext& ctx, const TpaintParticleCacheData& C, const TpaintParticleCacheData& P,
               const FamilyRule& rule) {
    const int32_t n = ctx.scales->n;
    const double spacing = n * (0.9999 - rule.start) / (rule.K - 0.99);
    const double pos = C.segmentTotal * (0.9999 - rule.start) - C.segmentsLeft;
    double counter = C.clusterSeed;

    ClusterRun run;
    run.members = rule.members;
    if (pos > 0.0 && spacing >= 0.00001) {
        const double a = (pos - 1.0) / spacing;
        const double lo = a < 0.0 ? 0.0 : std::trunc(a + 1.0);
        const double hi = std::trunc(pos / spacing);
        run.count = TruncInt(hi - lo + 1.0);
        if (run.count > 0) {
            counter += lo * rule.members;
            const TFLVector segment = C.drawnPoint - P.drawnPoint;
            run.point = P.drawnPoint + segment * (spacing * (lo - a));
            run.advance = segment * spacing;
            run.twist = lo * rule.twist + C.twist;
            run.twistStep = rule.twist;
            const double r = static_cast<double>(C.segmentTotal) / n;
            const double f = lo / (r * rule.K);
            run.elevation = ((1.0 - f) * rule.angle1 + f * rule.angle2) * kDegrees;
            run.elevationStep = rule.elevationStep / r;
            if (rule.sized) {
                run.size = ((1.0 - f) + f * rule.sizeDecay) * ctx.globalScale;
                run.sizeStep = rule.sizeStep / r;
            }
        }
    } else if (C.segmentsLeft == 0 && spacing < 0.00001) {
        // Every cluster at the tip.
        run.count = TruncInt(rule.K);
        run.point = C.drawnPoint;
        run.twist = C.twist;
        run.elevation = rule.angle1 * kDegrees;
        run.size = ctx.globalScale;
    }
    if (run.count < 0) run.count = 0;
    if (run.count > 0) SowRun(ctx, C, rule, run, counter);

    if (rule.family == Family::leaf && C.segmentsLeft == 0 && ctx.brush->terminalLeaf) {
        ClusterRun tip;
        tip.count = 1;
        tip.members = 1;
        tip.point = C.drawnPoint;
        tip.twist = C.twist + ctx.brush->leafTwist;
        tip.elevation = 0.0;
        // Alone it has the decayed size; after a run it continues the run's sizes.
        tip.size = run.count > 0 ? run.size + run.sizeStep * run.count : ctx.brush->leafSizeDecay * ctx.globalScale;
        SowRun(ctx, C, rule, tip, counter);
    }
}

int32_t NextSplitPoint(const TBrushRecord& brush, double x, int32_t total, int32_t n, int32_t done) {
    if (brush.splitBias != 0.0) x = BiasCurve(x, brush.splitBias);
    const int32_t next = TruncInt(x * (brush.splitLengthMap != 0 ? n : total));
    const int32_t earliest = done < INT32_MAX - 3 ? done + 3 : INT32_MAX;
    return next < earliest ? earliest : next;
}

}  // namespace

TBranchingSetup MakeBranchingSetup(const TBrushRecord& brush, double globalScale, int32_t n) {
    TBranchingSetup s;
    const double twigRatio = brush.lengthMax != 0.0 ? n * brush.twigLength / brush.lengthMax : 0.0;
    if (brush.twigs && brush.twigLength > 0.0 && brush.numTwigClusters >= 1.0 && std::isfinite(twigRatio) &&
        twigRatio > 0.0) {
        s.twigsOn = true;
        s.twigSegments = ClampSegments(TruncInt(twigRatio + 0.5));
        s.twigSegmentFactor = twigRatio / s.twigSegments;
        s.twigElevationStep = (brush.twigAngle2 - brush.twigAngle1) * kDegrees / brush.numTwigClusters;
    }
    if (brush.leaves && brush.leafSegments > 0 && brush.numLeafClusters >= 1.0) {
        s.leavesOn = true;
        s.leafSegments = ClampSegments(brush.leafSegments);
        s.leafSegmentLength = brush.leafLength / s.leafSegments;
        s.leafElevationStep = (brush.leafAngle2 - brush.leafAngle1) * kDegrees / brush.numLeafClusters;
        s.leafSizeStep = (brush.leafSizeDecay - 1.0) * globalScale / brush.numLeafClusters;
    }
    if (brush.flowers && brush.petalSegments > 0 && brush.numFlowers != 0.0) {
        s.flowersOn = true;
        s.petalSegments = ClampSegments(brush.petalSegments);
        s.petalSegmentLength = brush.petalLength / s.petalSegments;
        s.flowerElevationStep = (brush.flowerAngle2 - brush.flowerAngle1) * kDegrees / brush.numFlowers;
        s.flowerSizeStep = (brush.flowerSizeDecay - 1.0) * globalScale / brush.numFlowers;
    }
    return s;
}

double LeafGrowthFactor(double g) {
    if (!(g >= 1.0)) return 0.0;
    return g < 2.0 ? g - 1.0 : 1.0;
}

double FlowerGrowthFactor(double g) {
    if (!(g >= 2.0)) return 0.0;
    return g < 2.5 ? (g - 2.0) * 2.0 : 1.0;
}

void SowClusters(const TChildContext& ctx, const TpaintParticleCacheData& C, const TpaintParticleCacheData& P) {
    if (!(ctx.lambda > 0.0)) return;
    const TBrushRecord& b = *ctx.brush;
    const TBranchingSetup& s = *ctx.setup;
    if (s.twigsOn && C.kind == kTubeKindTube) {
        SowFamily(ctx, C, P,
                  {Family::twig, b.twigStart, b.numTwigClusters, b.twigsInCluster, b.twigTwist, b.twigAngle1,
                   b.twigAngle2, s.twigElevationStep, false, 0.0, 0.0, 214, b.twigDropout});
    }
    if (C.kind != kTubeKindTube && C.kind != kTubeKindTwig) return;
    if (s.leavesOn) {
        SowFamily(ctx, C, P,
                  {Family::leaf, b.leafStart, b.numLeafClusters, b.leavesInCluster, b.leafTwist, b.leafAngle1,
                   b.leafAngle2, s.leafElevationStep, true, b.leafSizeDecay, s.leafSizeStep, 234, b.leafDropout});
    }
    if (s.flowersOn) {
        SowFamily(ctx, C, P,
                  {Family::petal, b.flowerStart, b.numFlowers, b.petalsInFlower, b.flowerTwist, b.flowerAngle1,
                   b.flowerAngle2, s.flowerElevationStep, true, b.flowerSizeDecay, s.flowerSizeStep, 534,
                   b.petalDropout});
    }
}

bool SplitTube(const TChildContext& ctx, TpaintParticleCacheData& C, TpaintParticleCacheData& P) {
    const TBrushRecord& brush = *ctx.brush;
    const int32_t n = ctx.scales->n;
    const double newWidth = C.width * brush.splitSizeDecay;
    if (newWidth > brush.minSize) {
        const double tw = TubeT(int64_t{C.randomIndex} + 1) * kPi * brush.twistRand + brush.splitTwist + C.twist;
        const double ramp = ctx.progress < 4.0 ? 0.25 + 0.1875 * ctx.progress : 1.0;
        const double angle = brush.splitAngle * kDegrees * ramp;
        const double childWidthStep = C.widthStep * brush.splitSizeDecay;
        const int32_t count = C.splitCount == 0 ? TruncInt(brush.startBranches) : brush.numBranches;
        if (C.splitCount < INT32_MAX) ++C.splitCount;
        const double threshold = brush.splitMaxDepth <= 1.0
                                     ? brush.branchDropout
                                     : std::sqrt(C.splitCount / brush.splitMaxDepth) * brush.branchDropout;
        for (int32_t b = 0; b < count; ++b) {
            if (!Spend(ctx)) break;
            const int32_t s = TubeSeed(int64_t{C.randomIndex} + b);
            if (TubeU(int64_t{321} * s) < threshold) continue;
            const double az = (2.0 * b / count + tw) * kPi;
            const TFLVector step = ToWorld(ChildDirection(ctx.u, angle, az) * ctx.lambda, ctx.side, ctx.D, ctx.N);

            TpaintParticleCacheData previous = C;
            previous.randomIndex = s + 3;
            previous.widthStep = childWidthStep;
            previous.twist = tw;
            previous.spiral = TubeU(int64_t{s} + 2) * (b < count / 2 ? brush.spiralMax : brush.spiralMin);
            previous.spiral = std::fmax(-2.0, std::fmin(2.0, previous.spiral));
            previous.width = (newWidth + C.width) * 0.5;
            double x = 2.0;
            if (C.splitCount < brush.splitMaxDepth + 1.0)
                x = (TubeT(int64_t{s} + 2314) * brush.splitRand + C.splitCount) / (brush.splitMaxDepth + 1.0);
            previous.nextSplit = NextSplitPoint(brush, x, C.segmentTotal, n, ctx.done);

            TpaintParticleCacheData current = previous;
            current.width = newWidth;
            current.drawnPoint = current.pathPoint = C.drawnPoint + step;
            Append(ctx, current, previous);
        }
    }
    if (!brush.middleBranch) return false;

    // The middle branch is the parent itself, going on to its next split.
    double x = 2.0;
    if (C.splitCount < brush.splitMaxDepth + 1.0)
        x = (TubeT(int64_t{C.randomIndex} + C.splitCount + 2819) * brush.splitRand + C.splitCount) /
            (brush.splitMaxDepth + 1.0);
    C.nextSplit = NextSplitPoint(brush, x, C.segmentTotal, n, ctx.done);
    P.splitCount = C.splitCount;
    P.nextSplit = C.nextSplit;
    return true;
}
