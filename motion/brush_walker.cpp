#include "motion/brush_walker.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "motion/force_mode_shared.h"
#include "motion/force_modes.h"
#include "motion/motion_math.h"
#include "motion/orbit_modes.h"
#include "base/random.h"

namespace {

TFLVector RandomDirection() {
    TFLVector v;
    v.x = RandomUnit();
    v.y = RandomUnit();
    v.z = RandomUnit();
    NormalizeNonZero(v);
    return v;
}

double BoundsExtent(const TRect& r) {
    const double w = static_cast<double>(r.right) - static_cast<double>(r.left);
    const double h = static_cast<double>(r.bottom) - static_cast<double>(r.top);
    return std::max({w, h, 64.0});
}

}  // namespace

TBrushWalker::TBrushWalker(double dirX, double dirY, double dirZ, double speedIn)
    : speed(static_cast<float>(speedIn)) {
    velocity = {dirX, dirY, dirZ};
    if (!IsFiniteVector(velocity)) velocity = {};
    NormalizeNonZero(velocity);
    wander = {-0.2, -0.2, 0.0};
    NormalizeNonZero(wander);
    orbitDirection2 = RandomDirection();
    orbitDirection3 = RandomDirection();
}

double TBrushWalker::StepLength() const {
    const double s = speed;
    if (!(s > 0.0)) return 0.0;  // also NaN
    return std::min(s, BoundsExtent(bounds));
}

bool TBrushWalker::AllocateRecording(int32_t length) {
    recording.reset();
    recordingLength = 0;
    if (length <= 0) return false;
    recording.reset(new (std::nothrow) TWalkerPoint[static_cast<size_t>(length)]());
    if (!recording) return false;
    recordingLength = length;
    return true;
}

// A brush is lost when its position is not a number or so far outside the
// window that no force would bring it back in reasonable time.
bool TBrushWalker::IsLost(const TFLVector& p) const {
    if (!IsFiniteVector(p)) return true;
    const double margin = 8.0 * BoundsExtent(bounds) + 500.0 * StepLength();
    const double w = bounds.right;
    return p.x < bounds.left - margin || p.x > bounds.right + margin || p.y < bounds.top - margin ||
           p.y > bounds.bottom + margin || p.z < -w - margin || p.z > w * 0.5 + margin;
}

int32_t TBrushWalker::Replay(float& x, float& y, float& z) {
    if (!recording || replayIndex < 0 || replayIndex >= recordingLength) {
        symmetryState = kSymmetryFree;
        replayIndex = 0;
        return kWalkContinue;
    }
    const double w = bounds.right;
    const double h = bounds.bottom;
    const TWalkerPoint& p = recording[replayIndex];
    if (symmetryState == kSymmetryReplayTopBottom) {
        x = p.x;
        y = static_cast<float>(h - p.y);
        z = p.z;
    } else {
        x = static_cast<float>(w - p.x);
        y = p.y;
        z = p.z;
        if (symmetryKind == kSymmetryKindPoint) {
            y = static_cast<float>(h - p.y);
            z = -p.z;
        }
    }
    replayIndex += 1;
    // The first mirrored point always begins a stroke of its own.
    const int32_t answer = replayIndex == 1 ? kWalkStartStroke : kWalkContinue;
    if (replayIndex < recordingLength) return answer;
    if (symmetryState == kSymmetryReplayLeftRight && symmetryKind == kSymmetryKindBoth) {
        symmetryState = kSymmetryReplayTopBottom;
    } else {
        symmetryState = RandomUnit() < 0.95 ? kSymmetryRecording : kSymmetryFree;
    }
    replayIndex = 0;
    return answer;
}

void TBrushWalker::MaybeBeginRecording(int32_t forceMode) {
    bool begin;
    if (forceMode == kForceRandomSelection && stepCount < 2.0 && RandomUnit() < 0.1) {
        begin = true;
    } else {
        begin = RandomUnit() > 0.999 && RandomUnit() < 0.01;
    }
    if (!begin) return;
    if (RandomUnit() < 0.2) {
        if (RandomUnit() < 0.5) {
            symmetryKind = kSymmetryKindLeftRight;
        } else if (RandomUnit() < 0.5) {
            symmetryKind = kSymmetryKindTopBottom;
        } else if (RandomUnit() < 0.5) {
            symmetryKind = kSymmetryKindPoint;
        } else {
            symmetryKind = kSymmetryKindBoth;
        }
    }
    symmetryState = kSymmetryRecording;
    if (RandomUnit() < 0.2 || recordingLength == 0 || !recording) {
        const auto length = static_cast<int32_t>(RandomUnit() * 300.0 + 50.0);
        if (!AllocateRecording(length)) symmetryState = kSymmetryFree;
    }
    replayIndex = 0;
}

void TBrushWalker::ApplyEdges(TFLVector& p1, bool bounce) {
    if (OrbitActive()) {
        ApplyOrbitConstraint(*this, p1);
        return;
    }
    if (!bounce) return;
    // Turn back from beyond an edge, but only when still moving outward.
    if ((p1.x < bounds.left && velocity.x < 0.0) || (p1.x > bounds.right && velocity.x > 0.0)) {
        velocity.x = -velocity.x;
        wander.x = -wander.x;
    }
    if ((p1.y < bounds.top && velocity.y < 0.0) || (p1.y > bounds.bottom && velocity.y > 0.0)) {
        velocity.y = -velocity.y;
        wander.y = -wander.y;
    }
    const double w = bounds.right;
    if ((p1.z < -w && velocity.z < 0.0) || (p1.z > w * 0.5 && velocity.z > 0.0)) {
        velocity.z = -velocity.z;
        wander.z = -wander.z;
    }
}

int32_t TBrushWalker::Step(float& x, float& y, float& z, int32_t forceMode, TPaintCanvas* canvas) {
    ForceModeShared& shared = ForceModeSharedState();
    shared.lastStepCount = stepCount;

    // New attractor places at the start and every 8000 steps of the orbit modes.
    const bool orbitModes = shared.flags.movingOrbit || forceMode == kForceMovingOrbit || forceMode == kForceMultiChaos;
    if (stepCount < 2.0 || (orbitModes && EveryNthStep(stepCount, 8000.0))) RedrawAttractors(*this);

    if (symmetryState == kSymmetryReplayLeftRight || symmetryState == kSymmetryReplayTopBottom) {
        return Replay(x, y, z);
    }

    const TFLVector p0{x, y, z};
    const auto relocate = [&]() {
        x = static_cast<float>((static_cast<double>(bounds.left) + bounds.right) * 0.5);
        y = static_cast<float>((static_cast<double>(bounds.top) + bounds.bottom) * 0.5);
        z = 0.0f;
        // A recording with a jump in it would replay the jump as a line.
        if (symmetryState == kSymmetryRecording) symmetryState = kSymmetryFree;
        replayIndex = 0;
        return kWalkStartStroke;
    };
    if (IsLost(p0)) return relocate();

    if (symmetryState == kSymmetryFree) MaybeBeginRecording(forceMode);

    stepCount += 1.0;
    const bool bounce = ApplyForceMode(*this, p0, forceMode, canvas);

    if (!IsFiniteVector(velocity) || IsZeroVector(velocity)) velocity = {1.0, 1.0, 1.0};
    NormalizeNonZero(velocity);
    if (IsZeroVector(velocity)) velocity = {1.0, 1.0, 1.0};  // underflowed to zero length
    NormalizeNonZero(velocity);

    TFLVector p1 = p0 + velocity * StepLength();
    ApplyEdges(p1, bounce);

    // A step that would leave the stored position unchanged moves by the
    // unit velocity instead.
    if (static_cast<float>(p1.x) == x && static_cast<float>(p1.y) == y && static_cast<float>(p1.z) == z) {
        p1 = p1 + velocity;
    }
    if (IsLost(p1)) return relocate();
    x = static_cast<float>(p1.x);
    y = static_cast<float>(p1.y);
    z = static_cast<float>(p1.z);

    if (symmetryState == kSymmetryRecording && recording && replayIndex >= 0 && replayIndex < recordingLength) {
        recording[replayIndex] = {x, y, z};
        replayIndex += 1;
        if (replayIndex >= recordingLength) {
            symmetryState = symmetryKind == kSymmetryKindTopBottom ? kSymmetryReplayTopBottom : kSymmetryReplayLeftRight;
            replayIndex = 0;
            return kWalkEndStroke;
        }
    } else if (symmetryState == kSymmetryRecording) {
        symmetryState = kSymmetryFree;  // no usable recording
        replayIndex = 0;
    }
    return kWalkContinue;
}
