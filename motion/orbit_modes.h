// The attractor modes (Moving Orbit, MultiChaos) and the orbit constraint
// that holds the brush inside or on a sphere.
#pragma once

#include "platform/native.h"
#include "base/geometry.h"

class TBrushWalker;
struct TAttractor;

// New places for the walker's three attractors inside the bounds.
void RedrawAttractors(TBrushWalker& walker);

// A pull towards the attractor that falls off with distance.
TFLVector AttractorTerm(const TAttractor& attractor, const TFLVector& p0);

// Turns the direction a little, moves the attractor along it, and turns it
// back from the bounds.
void MoveAttractor(TAttractor& attractor, TFLVector& direction, const TRect& bounds);

// Moving Orbit: attractor 1 wanders with the wander direction and pulls the brush.
void MovingOrbitTerm(TBrushWalker& walker, const TFLVector& p0);

// The three attractors pull the brush. moveAttractors: each first moves
// along its direction (wander, orbit directions 2 and 3). scale1 and scale2
// weigh the first two pulls.
void MultiAttractorTerm(TBrushWalker& walker, const TFLVector& p0, bool moveAttractors, double scale1,
                        double scale2);

// With an orbit on, this takes the place of the edge bounce: it acts on the
// new position and the velocity. Does nothing when no orbit is on.
bool OrbitActive();
void ApplyOrbitConstraint(TBrushWalker& walker, TFLVector& p1);
