#include "render/bounds.h"

#include <algorithm>
#include <cmath>


bool Tbounds::Contains(const Tbounds&) const { return false; }
bool Tbounds::ContainsPoint(double, double, double) const { return false; }
bool Tbounds::Intersects(const Tbounds&) const { return false; }

int32_t Tbounds::Classify(const Tbounds& other) const {
    if (!Intersects(other)) return 0;
    return Contains(other) ? 1 : 2;
}

void Tbounds::Transform(const TFLTransform&) {}
