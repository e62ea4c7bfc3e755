// The depth-only stamp: a disc of depth laid into depth layer 0.
#pragma once

class TPaintCanvas;

// Every pixel whose centre lies strictly inside the disc of diameter size at
// (x, y) takes depth z where z is nearer than what the layer holds. Discs
// below 0.8 pixels are laid with probability size / 0.8 (drand48 draws).
void DepthDisc(TPaintCanvas& canvas, double x, double y, double size, double z);
