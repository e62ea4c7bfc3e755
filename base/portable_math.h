// Sine and cosine computed by the engine itself, so that every build paints
// the same picture: the C libraries of Linux and Windows round some results
// of sin and cos differently (by one unit in the last place), and a brush
// path steered by them then drifts apart within a few frames. Only exact
// IEEE operations (+, -, *, nearbyint, fmod) are used, so the results are
// the same wherever doubles are IEEE binary64 without contraction.
#pragma once

double PortableSin(double x);
double PortableCos(double x);
