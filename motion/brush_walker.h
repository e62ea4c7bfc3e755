// TBrushWalker: moves one painter's brush a step at a time under its force
// mode, turns it back at the window edges, and now and then records a run
// of positions that it then replays mirrored.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/native.h"
#include "base/geometry.h"

class TPaintCanvas;

// A recorded brush position in window pixels (y down) and depth.
struct TWalkerPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A point the orbit modes pull towards; its weight also serves as its depth.
struct TAttractor {
    double x = 0.0;
    double y = 0.0;
    double weight = 0.0;
};

// Answers of Step.
constexpr int32_t kWalkContinue = 0;
constexpr int32_t kWalkStartStroke = 1;
constexpr int32_t kWalkEndStroke = 2;

// Symmetry states.
constexpr int32_t kSymmetryFree = 0;
constexpr int32_t kSymmetryRecording = 1;
constexpr int32_t kSymmetryReplayLeftRight = 2;
constexpr int32_t kSymmetryReplayTopBottom = 3;

// Symmetry kinds.
constexpr int32_t kSymmetryKindLeftRight = 2;
constexpr int32_t kSymmetryKindTopBottom = 3;
constexpr int32_t kSymmetryKindPoint = 4;
constexpr int32_t kSymmetryKindBoth = 5;

class TBrushWalker {
public:
    // The direction is normalised when it is not zero; the two orbit
    // directions take three fresh draws each from the process generator.
    TBrushWalker(double dirX, double dirY, double dirZ, double speed);
    TBrushWalker(const TBrushWalker&) = delete;
    TBrushWalker& operator=(const TBrushWalker&) = delete;
    TBrushWalker(TBrushWalker&&) = default;
    TBrushWalker& operator=(TBrushWalker&&) = default;

    // Moves (x, y, z) one step under forceMode. Answers kWalkContinue,
    // kWalkStartStroke (a new stroke begins at the returned position: the
    // first mirrored point, or a brush put back into the window after it was
    // lost) or kWalkEndStroke (a recording is full). canvas may be null: the
    // terms that read painted pixels then contribute nothing.
    int32_t Step(float& x, float& y, float& z, int32_t forceMode, TPaintCanvas* canvas);

    // The step length actually used: speed, with NaN and negative values
    // taken as 0 and values above the larger bounds side (at least 64)
    // limited to it.
    double StepLength() const;

    // A fresh zeroed recording of the given length (the old one is freed).
    // False, with no recording and length 0, when it cannot be allocated.
    bool AllocateRecording(int32_t length);

    // Written by the frame driver before every step.
    TRect bounds;
    float speed = 0.0f;

    // Motion state; public so that the force modes and tests can reach it.
    TFLVector velocity;
    double weight = 1.0;
    TFLVector wander;
    TFLVector orbitDirection2;
    TFLVector orbitDirection3;
    TAttractor attractor[3];

    // Symmetry mode.
    std::unique_ptr<TWalkerPoint[]> recording;
    int32_t recordingLength = 0;
    int32_t replayIndex = 0;
    int32_t symmetryState = kSymmetryFree;
    int32_t symmetryKind = kSymmetryKindLeftRight;

    // Steps taken. Kept in double so that it still counts after the 2^24
    // steps (a few hours) where a float would stop growing.
    double stepCount = 0.0;

private:
    int32_t Replay(float& x, float& y, float& z);
    void MaybeBeginRecording(int32_t forceMode);
    void ApplyEdges(TFLVector& p1, bool bounce);
    bool IsLost(const TFLVector& p) const;
};
