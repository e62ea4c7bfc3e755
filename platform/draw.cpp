// The parts of CPDraw that are the same on every backend: arrows, bevel
// boxes and laying text out in a rectangle, all built from the backend's
// primitives.
#include <cmath>

#include "platform/draw.h"
#include "platform/strings.h"

void CPDraw::Arrow(TPoint32 from, TPoint32 to, int32_t headWidth, bool filled) {
    if (!valid_) return;
    const double angle = std::round(std::atan2(static_cast<double>(from.y - to.y), static_cast<double>(from.x - to.x)) *
                                    180.0 / 3.14159265358979323846);
    const double half = static_cast<double>(headWidth / 2);
    const double a1 = (angle - 90.0) * 3.14159265358979323846 / 180.0;
    const double a2 = (angle + 90.0) * 3.14159265358979323846 / 180.0;
    const TPoint32 c1{static_cast<int32_t>(std::lround(to.x + half * std::cos(a1))),
                      static_cast<int32_t>(std::lround(to.y + half * std::sin(a1)))};
    const TPoint32 c2{static_cast<int32_t>(std::lround(to.x + half * std::cos(a2))),
                      static_cast<int32_t>(std::lround(to.y + half * std::sin(a2)))};
    if (filled) {
        const TPoint32 points[3] = {from, c1, c2};
        Polygon(points, 3);
        return;
    }
    MoveTo(from.x, from.y);
    LineTo(c1.x, c1.y);
    LineTo(c2.x, c2.y);
    LineTo(from.x, from.y);
}

void CPDraw::BevelBox(const TRect& rect, const char* text, bool pressed) {
    if (!valid_ || rect.right <= rect.left || rect.bottom <= rect.top) return;
    const uint8_t keep[3] = {red_, green_, blue_};
    auto colour = [this](uint32_t c) {
        SetColor(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c));
    };
    const int32_t l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    colour(PlatformSysColour(TSysColour::ButtonFace));
    FillRect(rect);
    colour(PlatformSysColour(TSysColour::ButtonHighlight));
    MoveTo(l, b);
    LineTo(l, t);
    LineTo(r, t);
    colour(0);
    MoveTo(r, t);
    LineTo(r, b);
    LineTo(l - 1, b);
    colour(PlatformSysColour(TSysColour::ButtonShadow));
    MoveTo(r - 1, t + 1);
    LineTo(r - 1, b - 1);
    LineTo(l, b - 1);
    if (text && *text) {
        colour(0);
        const int32_t h = textAlignH_, v = textAlignV_, wrap = wrapMode_;
        // A mnemonic "&" marks the key of the button; it is not shown.
        char shown[256];
        int32_t n = 0;
        for (const char* c = text; *c && n < 255; ++c)
            if (*c != '&' || c[1] == '&') shown[n++] = *c;
            else if (c[1] == '&') ++c;
        shown[n] = 0;
        int32_t fit = 0, width = 0, lineHeight = 0;
        const int32_t room = rect.right - rect.left - 6;
        if (MeasureText(shown, n, room, &fit, &width, &lineHeight) && fit < n && lineHeight > 0) {
            // Too wide for one line: broken at words, the two lines centred.
            SetTextAlign(1, 0);
            SetWrapMode(kWrapWords);
            const int32_t top = rect.top + (rect.bottom - rect.top - 2 * lineHeight) / 2;
            DrawTextInRect({rect.left + 3, top, rect.right - 3, rect.bottom}, shown);
        } else {
            SetTextAlign(1, 1);
            DrawTextInRect(rect, shown);
        }
        SetTextAlign(h, v);
        SetWrapMode(wrap);
    }
    if (pressed) InvertRect(rect);
    SetColor(keep[0], keep[1], keep[2]);
}

bool CPDraw::DrawTextInRect(const TRect& rect, const char* text) {
    if (!valid_ || !text || !*text) return false;
    const int32_t length = text::Length(text);
    if (wrapMode_ != kWrapCharacters) return DrawOneText(rect, text, length);
    // Break by characters: each line takes what fits, the rest goes below.
    TRect line = rect;
    int32_t used = 0;
    bool ok = true;
    const int32_t width = rect.right - rect.left;
    while (used < length && line.top < line.bottom) {
        int32_t fit = 0, measured = 0, height = 0;
        if (!MeasureText(text + used, length - used, width, &fit, &measured, &height)) return false;
        if (fit < 1) fit = 1;  // one character a line at least, or a narrow rect never ends
        ok = DrawOneText(line, text + used, fit);
        used += fit;
        line.top += height > 0 ? height : 1;
    }
    return ok;
}
