// The force terms the modes are made of. Each reads the walker (velocity,
// wander, bounds, step length, step count) and the position p0 before the
// step. W and H are bounds.right and bounds.bottom.
#pragma once

#include "base/geometry.h"

class TBrushWalker;

// Turns the wander direction by a random amount up to k/2 per component.
void TurnWander(TBrushWalker& walker, double k);

// Chaos: a pull towards a target that jumps about every 251 steps.
TFLVector ChaseTarget(double lastStepCount, double width, double height);
TFLVector ChaseTerm(const TBrushWalker& walker, const TFLVector& p0);

// A pull back to the middle: negligible in the centre, strong at the edges.
TFLVector CentreTerm(const TBrushWalker& walker, const TFLVector& p0);

// About one step in five: an axis direction, or towards / away from a fixed
// point behind the window.
TFLVector PipeTerm(const TBrushWalker& walker, const TFLVector& p0);

TFLVector WiggleTerm(double stepCount);
TFLVector WaveWalkTerm(const TBrushWalker& walker);
TFLVector SwirlTerm(const TBrushWalker& walker);
TFLVector JitterTerm(const TBrushWalker& walker);

// These two change the velocity themselves.
void GravityTerm(TBrushWalker& walker);
void KinkTerm(TBrushWalker& walker);
