// Colour jitter of tubes, leaves and petals: a colour is moved in hue,
// saturation and value by given amounts.
#pragma once

struct THsv {
    float hue = 0.0f;  // degrees in [0, 360)
    float saturation = 0.0f;
    float value = 0.0f;
};

// Single precision; a channel spread below 0.00001 counts as grey (hue 0, saturation 0).
THsv RgbToHsv(const double rgb[3]);
void HsvToRgb(const THsv& hsv, double rgb[3]);

// Adds hueShift degrees (wrapped into [0, 360)), satShift (clamped to
// [0, 1]) and valShift (clamped below at 0) to rgb in place.
void JitterColour(double rgb[3], double hueShift, double satShift, double valShift);
