// Sowing of new tubes on one stroke segment.
#include <cmath>

#include "presets/brush_record.h"
#include "tubes/tube_colour.h"
#include "tubes/tube_displacement.h"
#include "tubes/tube_growth.h"
#include "tubes/tube_limits.h"
#include "tubes/tube_random.h"
#include "tubes/tube_step.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The running index of one sowing call: a draw reads the table at k, then
// moves k on; a peek reads at an offset without moving it.
struct Draws {
    int64_t k;
    double U() { return TubeU(k++); }
    double T() { return TubeT(k++); }
    double PeekT(int64_t offset) const { return TubeT(k + offset); }
    double PeekU(int64_t offset) const { return TubeU(k + offset); }
};

double Divisor(int32_t lengthMap, int32_t n, int32_t m) { return lengthMap != 0 ? n : m; }

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

double BiasCurve(double u, double b) {
    // Outside [0, 1] the curve's denominator can reach zero; the ends hold.
    u = u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u);
    if (!(u == u)) u = 0.0;
    if (b == 0.0) return u;
    if (b <= -1.0) return 0.0;
    if (b >= 1.0) return 1.0;
    const double q = 1.0 - 2.0 * u * b / (b - 1.0);
    const double k = (b + 1.0) / q;
    return ((b + 1.0) * (b + 1.0) - k * k) / (4.0 * b);
}

void EmitTubes(const TBrushRecord& brush, int32_t i, const TFLPoint& A, const TFLPoint& B, const TFLVector& side,
               const TFLVector& D, const TFLVector& N, double globalScale, double brushWidth, int32_t seed,
               double L, TubeParticleCache& cache) {
    if (brush.segments < 1) return;
    const TTubeStepScales scales = MakeTubeStepScales(brush, globalScale);
    const int32_t n = scales.n;
    Draws draw{TruncInt(TubeU(seed) * 65535.0)};

    // How many tubes: random, blended toward an even spacing along the stroke.
    double c = std::trunc(draw.U() * (brush.tubesPerStep + 1.0));
    if (brush.tubeRand < 1.0 && brush.tubesPerStep > 0.0) {
        const double h = brush.tubesPerStep * 0.5;
        const double r = draw.U();
        const double m1 = std::trunc((i + 1.0) * h + 0.99999);
        const double m0 = std::trunc(i * h + 0.99999);
        c = std::trunc((m1 - m0) * (1.0 - brush.tubeRand) + c * brush.tubeRand + r * 0.99);
    }
    if (i == 0) c += brush.startTubes;
    if (!(c > 0.0)) return;
    // Past the limit every tube would be dropped: sowing stops there.
    const int32_t count = c < kSowingAttemptBudget ? static_cast<int32_t>(c) : kSowingAttemptBudget;

    const TFLVector E = brush.tubeDirection == 0 ? N : D;  // elevation axis
    const TFLVector R = brush.tubeDirection == 0 ? D : N;  // azimuth reference
    const double lengthRange = std::fmax(0.0, (brush.lengthMax - brush.lengthMin) * globalScale);
    const double nominal = globalScale * brush.lengthMax / n;
    const bool jitter = brush.hueRand != 0.0 || brush.satRand != 0.0 || brush.valRand != 0.0;
    const TFLPoint a = MakePlain(A);
    const TFLPoint b = MakePlain(B);

    // A tube the cache cannot take is not made: once it is full, sowing costs nothing.
    for (int32_t t = 0; t < count && cache.HasRoom(); ++t) {
        // Where and how long.
        const double r = draw.U();
        const TFLPoint P{a.x * r + b.x * (1.0 - r), a.y * r + b.y * (1.0 - r), a.z * r + b.z * (1.0 - r), 1.0};
        const double len = draw.U() * lengthRange + globalScale * brush.lengthMin;
        int32_t m = nominal > 0.0 ? TruncInt(len / nominal + 0.5) : 1;
        m = ClampSegments(m);
        double s = len / m;

        // Width.
        const double w = brush.widthBias == 0.0 ? draw.T() : 2.0 * BiasCurve(draw.U(), brush.widthBias) - 1.0;
        const double f = 1.0 + w * brush.widthRand;
        double width1 = f * brush.tubeWidth1 * globalScale;
        double width2 = f * brush.tubeWidth2 * globalScale;
        const double slack = std::fmax(0.0, globalScale * brushWidth - width1);

        // Direction and offsets across the brush.
        const double az = (draw.U() * (brush.azimuthMax - brush.azimuthMin) + brush.azimuthMin) * kPi;
        double e = draw.U() * (brush.elevationMax - brush.elevationMin) + brush.elevationMin;
        const double o1 = draw.T() * slack * 0.5;
        const double o2 = draw.T() * brush.tubeRand * slack * 0.5;
        const TFLVector h = side * std::sin(az) + R * std::cos(az);
        TFLVector dir = h;
        if (e != 0.0) {
            if (e > 0.999 && e < 1.001) e = 0.999;  // just off the axis
            const double angle = e * kPi * 0.5;
            dir = E * std::sin(angle) + h * std::cos(angle);
        }

        // Young strokes sow thinner tubes with shorter segments.
        if (L < 2.0) {
            const double young = L < 0.0 ? 0.2 : 0.2 + 0.4 * L;
            s *= young;
            width1 *= young;
            width2 *= young;
        }

        const TFLPoint Q = P + R * o2 + side * o1;
        const TFLVector step = dir * s;

        TpaintParticleCacheData cur;
        cur.drawnPoint = cur.pathPoint = Q;
        cur.segmentLength = s;
        cur.width = width1;
        cur.widthStep = (width2 - width1) / Divisor(brush.widthLengthMap, n, m);
        cur.flatness = brush.flatness1;
        cur.flatnessStep = (brush.flatness2 - brush.flatness1) / m;

        // Colour ramps; the colours jitter in hue, saturation and value.
        double colour1[3] = {brush.color1R, brush.color1G, brush.color1B};
        double colour2[3] = {brush.color2R, brush.color2G, brush.color2B};
        if (jitter) {
            const double dh = draw.PeekT(345) * brush.hueRand * 360.0;
            const double ds = draw.PeekT(392) * brush.satRand;
            const double dv = draw.PeekT(1032) * brush.valRand;
            JitterColour(colour1, dh, ds, dv);
            JitterColour(colour2, dh, ds, dv);
        }
        const double t1[3] = {brush.transparency1R, brush.transparency1G, brush.transparency1B};
        const double t2[3] = {brush.transparency2R, brush.transparency2G, brush.transparency2B};
        const double i1[3] = {brush.incandescence1R, brush.incandescence1G, brush.incandescence1B};
        const double i2[3] = {brush.incandescence2R, brush.incandescence2G, brush.incandescence2B};
        for (int ch = 0; ch < 3; ++ch) {
            cur.colour[ch] = colour1[ch];
            cur.colourStep[ch] = (colour2[ch] - colour1[ch]) / Divisor(brush.colorLengthMap, n, m);
            cur.transparency[ch] = Clamp01(t1[ch]);
            cur.transparencyStep[ch] = (t2[ch] - t1[ch]) / Divisor(brush.transpLengthMap, n, m);
            cur.incandescence[ch] = i1[ch];
            cur.incandescenceStep[ch] = (i2[ch] - i1[ch]) / Divisor(brush.incandLengthMap, n, m);
        }

        cur.twist = draw.T() * kPi * brush.twistRand + brush.twist;
        const double spiral = draw.U() * (brush.spiralMax - brush.spiralMin) + brush.spiralMin;
        cur.spiral = std::fmax(-2.0, std::fmin(2.0, spiral));
        const int32_t tubeSeed = static_cast<int32_t>(draw.U() * 10000.0);
        cur.randomIndex = tubeSeed;
        cur.clusterSeed = tubeSeed;

        // Shade: darker toward the brush's edge, and by chance.
        double shade = 1.0;
        if (brush.centerShadow != 0.0 && slack != 0.0) {
            shade = 1.0 - brush.centerShadow * (1.0 - std::sqrt(o1 * o1 + o2 * o2) / (slack * 0.5));
            // Both offsets reach half the slack, so a corner lies past the
            // edge: the shade is a brightness factor and stays within [0, 1].
            shade = shade < 0.0 ? 0.0 : (shade > 1.0 ? 1.0 : shade);
        }
        if (brush.brightnessRand != 0.0) {
            shade -= draw.PeekU(1111) * brush.brightnessRand;
            if (shade < 0.0) shade = 0.0;
        }
        cur.shade = shade;

        // First split.
        cur.nextSplit = m + 1;  // never reached
        cur.splitCount = 0;
        if (brush.branches) {
            if (brush.startBranches > 1.0) {
                cur.nextSplit = 0;
            } else if (brush.splitMaxDepth != 0.0) {
                double x = (draw.PeekT(2314) * brush.splitRand + 1.0) / (brush.splitMaxDepth + 1.0);
                if (brush.splitBias != 0.0) x = BiasCurve(x, brush.splitBias);
                const int32_t next = TruncInt(x * Divisor(brush.splitLengthMap, n, m));
                cur.nextSplit = next < 0 ? 0 : next;
                cur.splitCount = 1;
            }
        }
        cur.depth = (brush.depthShadow > 0.0 && brush.depthShadowType != 0) ? Length(a - Q) : 0.0;
        cur.segmentsLeft = m;
        cur.segmentTotal = m;
        cur.kind = kTubeKindTube;

        // The previous state: one step behind in place, one step on in its ramps.
        TpaintParticleCacheData prev = cur;
        prev.drawnPoint = prev.pathPoint = Q - step;
        // One segment behind the current state. Growth counts the segments
        // done on the current record, so these two only describe the pair.
        prev.segmentTotal = m + 1;
        prev.segmentsLeft = m + 1;
        prev.width = cur.width + cur.widthStep;
        prev.flatness = cur.flatness + cur.flatnessStep;
        for (int ch = 0; ch < 3; ++ch) {
            prev.colour[ch] = cur.colour[ch] + cur.colourStep[ch];
            prev.transparency[ch] = Clamp01(cur.transparency[ch] + cur.transparencyStep[ch]);
            prev.incandescence[ch] = cur.incandescence[ch] + cur.incandescenceStep[ch];
        }

        if (!(len > 0.0)) continue;  // not sown; its draws are spent all the same
        if (scales.displacementActive && s > 0.0)
            DisplaceTubePoint(brush, cur, ToLocal(dir, side, D, N), 0.0, a, side, D, N, globalScale, n);
        if (IsFiniteRecord(cur) && IsFiniteRecord(prev)) cache.AppendPending(cur, prev);
    }
}
