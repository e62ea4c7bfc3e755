#include "tubes/tube_colour.h"

#include <cmath>

THsv RgbToHsv(const double rgb[3]) {
    const float r = static_cast<float>(rgb[0]);
    const float g = static_cast<float>(rgb[1]);
    const float b = static_cast<float>(rgb[2]);
    const float high = std::fmax(r, std::fmax(g, b));
    const float low = std::fmin(r, std::fmin(g, b));
    const float spread = high - low;
    THsv hsv;
    hsv.value = high;
    if (!(spread >= 0.00001f) || !(high > 0.0f)) return hsv;  // grey
    hsv.saturation = spread / high;
    float h;
    if (r == high)
        h = (g - b) / spread;
    else if (g == high)
        h = 2.0f + (b - r) / spread;
    else
        h = 4.0f + (r - g) / spread;
    h *= 60.0f;
    if (h < 0.0f) h += 360.0f;
    hsv.hue = h;
    return hsv;
}

void HsvToRgb(const THsv& hsv, double rgb[3]) {
    const float v = hsv.value;
    const float s = hsv.saturation;
    if (s <= 0.0f) {
        rgb[0] = rgb[1] = rgb[2] = v;
        return;
    }
    float h = hsv.hue / 60.0f;
    float sector = std::floor(h);
    const float f = h - sector;
    const float p = v * (1.0f - s);
    const float q = v * (1.0f - s * f);
    const float t = v * (1.0f - s * (1.0f - f));
    switch (static_cast<int>(sector) % 6) {
        case 0: rgb[0] = v; rgb[1] = t; rgb[2] = p; break;
        case 1: rgb[0] = q; rgb[1] = v; rgb[2] = p; break;
        case 2: rgb[0] = p; rgb[1] = v; rgb[2] = t; break;
        case 3: rgb[0] = p; rgb[1] = q; rgb[2] = v; break;
        case 4: rgb[0] = t; rgb[1] = p; rgb[2] = v; break;
        default: rgb[0] = v; rgb[1] = p; rgb[2] = q; break;
    }
}

void JitterColour(double rgb[3], double hueShift, double satShift, double valShift) {
    THsv hsv = RgbToHsv(rgb);
    double hue = hsv.hue + hueShift;
    hue = std::fmod(hue, 360.0);
    if (hue < 0.0) hue += 360.0;
    if (!(hue >= 0.0 && hue < 360.0)) hue = 0.0;  // a non-finite shift, or rounding up to 360
    double sat = hsv.saturation + satShift;
    sat = sat < 0.0 ? 0.0 : (sat > 1.0 ? 1.0 : sat);
    if (!(sat == sat)) sat = 0.0;
    double val = hsv.value + valShift;
    if (!(val >= 0.0)) val = 0.0;
    hsv.hue = static_cast<float>(hue);
    hsv.saturation = static_cast<float>(sat);
    hsv.value = static_cast<float>(val);
    if (!(hsv.hue < 360.0f)) hsv.hue = 0.0f;
    HsvToRgb(hsv, rgb);
}
