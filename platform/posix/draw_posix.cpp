// CPDraw on POSIX: the device context is a CPBlitTarget whose surface the
// calls draw into in software. The selected pen, brush and font, the
// viewport origin and the clip live in the target's SPosixDCState, as they
// would in an HDC.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/draw.h"
#include "platform/offscreen.h"
#include "platform/posix/font_posix.h"
#include "platform/posix/host_window.h"

namespace {

int32_t gObjectsAlive = 0;

using Rects = std::vector<TRect>;

CPBlitTarget* Target(NativeDC dc) { return static_cast<CPBlitTarget*>(dc); }

bool Empty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// a minus b as up to four disjoint rectangles appended to out.
void Subtract(const TRect& a, const TRect& b, Rects& out) {
    const TRect i = Intersect(a, b);
    if (Empty(i)) {
        out.push_back(a);
        return;
    }
    if (a.top < i.top) out.push_back({a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back({a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back({a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back({i.right, i.top, a.right, i.bottom});
}

Rects SubtractAll(const Rects& from, const TRect& r) {
    Rects out;
    for (const TRect& a : from) Subtract(a, r, out);
    return out;
}

// Where drawing may land on the target: the clip rectangles within the surface.
struct Canvas {
    CPOffscreen* surface = nullptr;
    SPosixDCState* state = nullptr;
    Rects visible;  // device coordinates
    int32_t ox = 0, oy = 0;  // logical to device

    explicit Canvas(NativeDC dc) {
        if (!dc) return;
        CPOffscreen* s = Target(dc)->DrawSurface();
        if (!s || !s->Valid() || (s->BitsPerPixel() != 32 && s->BitsPerPixel() != 24)) return;
        surface = s;
        state = &Target(dc)->DrawState();
        ox = state->viewportX;
        oy = state->viewportY;
        const TRect bounds{0, 0, s->Width(), s->Height()};
        if (!state->clipped) {
            visible.push_back(bounds);
        } else {
            for (const TRect& c : state->clip) {
                const TRect i = Intersect(c, bounds);
                if (!Empty(i)) visible.push_back(i);
            }
        }
    }
    bool Ok() const { return surface != nullptr; }

    bool Inside(int32_t x, int32_t y) const {
        for (const TRect& r : visible)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
        return false;
    }
    uint8_t* At(int32_t x, int32_t y) const {
        return surface->Row(y) + static_cast<intptr_t>(x) * (surface->BitsPerPixel() / 8);
    }
    // Logical coordinates in.
    void Plot(int32_t lx, int32_t ly, uint32_t colour) const {
        const int32_t x = lx + ox, y = ly + oy;
        if (!Inside(x, y)) return;
        uint8_t* p = At(x, y);
        p[0] = static_cast<uint8_t>(colour);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour >> 16);
        if (surface->BitsPerPixel() == 32) p[3] = 255;
    }
    void Blend(int32_t lx, int32_t ly, uint32_t colour, int32_t coverage) const {
        const int32_t x = lx + ox, y = ly + oy;
        if (!Inside(x, y)) return;
        uint8_t* p = At(x, y);
        // d' = d + (s - d) * a
        const uint8_t s[3] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                              static_cast<uint8_t>(colour >> 16)};
        for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(p[k] + ((s[k] - p[k]) * coverage + 127) / 255);
        if (surface->BitsPerPixel() == 32) p[3] = 255;
    }
    // A rectangle in logical coordinates, through fn(pixel) on every visible pixel.
    template <typename Fn>
    void Span(const TRect& logical, Fn fn) const {
        const TRect device{logical.left + ox, logical.top + oy, logical.right + ox, logical.bottom + oy};
        for (const TRect& v : visible) {
            const TRect i = Intersect(device, v);
            for (int32_t y = i.top; y < i.bottom; ++y)
                for (int32_t x = i.left; x < i.right; ++x) fn(At(x, y));
        }
    }
};

void PutColour(uint8_t* p, uint32_t colour, bool alpha) {
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
    if (alpha) p[3] = 255;
}

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b; }

// Dash patterns in pixels along the line, as GDI's cosmetic pens.
bool PenOn(int32_t style, int32_t step) {
    if (style == kPenDashed) return step % 24 < 18;
    if (style == kPenDotted) return step % 6 < 3;
    return true;
}

void DrawPenDot(const Canvas& c, int32_t x, int32_t y, const SPosixPen& pen) {
    if (pen.width <= 1) {
        c.Plot(x, y, pen.colour);
        return;
    }
    // A round-ish pen of the pen's width, centred on the point.
    const int32_t r = pen.width / 2;
    const int32_t r2 = (pen.width * pen.width + 2) / 4;
    for (int32_t dy = -r; dy < pen.width - r; ++dy)
        for (int32_t dx = -r; dx < pen.width - r; ++dx)
            if (dx * dx + dy * dy <= r2) c.Plot(x + dx, y + dy, pen.colour);
}

// Bresenham from (x0, y0) towards (x1, y1); the last point is not drawn, as LineTo.
void DrawLine(const Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const SPosixPen& pen) {
    // Far-off points are cut to a box around the surface so a wild
    // coordinate cannot make the loop long.
    const int64_t limit = 70000;
    if (std::llabs(static_cast<int64_t>(x0)) > limit || std::llabs(static_cast<int64_t>(y0)) > limit ||
        std::llabs(static_cast<int64_t>(x1)) > limit || std::llabs(static_cast<int64_t>(y1)) > limit) {
        const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
        double t0 = 0.0, t1 = 1.0;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x0 + static_cast<double>(limit), limit - static_cast<double>(x0),
                             y0 + static_cast<double>(limit), limit - static_cast<double>(y0)};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0.0) {
                if (q[k] < 0.0) return;
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0.0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
        if (t0 > t1) return;
        const int32_t nx0 = static_cast<int32_t>(x0 + t0 * dx), ny0 = static_cast<int32_t>(y0 + t0 * dy);
        const int32_t nx1 = static_cast<int32_t>(x0 + t1 * dx), ny1 = static_cast<int32_t>(y0 + t1 * dy);
        x0 = nx0, y0 = ny0, x1 = nx1, y1 = ny1;
    }
    const int32_t dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int32_t dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int32_t err = dx + dy;
    int32_t step = 0;
    while (x0 != x1 || y0 != y1) {
        if (PenOn(pen.style, step)) DrawPenDot(c, x0, y0, pen);
        ++step;
        const int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

struct GlyphContext {
    const Canvas* canvas;
    uint32_t colour;
};

void PlotGlyph(int32_t x, int32_t y, int32_t coverage, void* context) {
    const GlyphContext* g = static_cast<const GlyphContext*>(context);
    g->canvas->Blend(x, y, g->colour, coverage);
}

const SPosixFont* SelectedFont(NativeDC dc) {
    return dc ? static_cast<const SPosixFont*>(Target(dc)->DrawState().font) : nullptr;
}

// The fallback when no font file opens: text is measured as blank cells so
// layout still ends, and nothing is drawn.
constexpr int32_t kNoFontAdvance = 7;
constexpr int32_t kNoFontHeight = 13;

int32_t Advance(const SPosixFont* font, unsigned char c) {
    return font ? PosixGlyphAdvance(*font, c) : kNoFontAdvance;
}

}  // namespace

int32_t DrawObjectsAlive() { return gObjectsAlive; }

uint32_t PlatformSysColour(TSysColour which) {
    switch (which) {
        case TSysColour::ButtonFace: return 0xC0C0C0;
        case TSysColour::ButtonHighlight: return 0xFFFFFF;
        case TSysColour::ButtonShadow: return 0x808080;
        case TSysColour::Window: return 0xFFFFFF;
        case TSysColour::WindowText: return 0x000000;
    }
    return 0;
}

// ---- regions: a list of disjoint rectangles

CPRegion::CPRegion(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Combine({left, top, right, bottom}, kRegionCopy);
}

CPRegion::~CPRegion() { Clear(); }

void CPRegion::Clear() {
    delete static_cast<Rects*>(handle_);
    handle_ = nullptr;
}

bool CPRegion::Combine(const TRect& rect, int32_t operation) {
    Rects current = handle_ ? *static_cast<Rects*>(handle_) : Rects();
    Rects result;
    switch (operation) {
        case kRegionCopy:
            if (!Empty(rect)) result.push_back(rect);
            break;
        case kRegionOr:
        case kRegionOr2:
            result = current;
            if (!Empty(rect)) {
                Rects added{rect};
                for (const TRect& r : current) added = SubtractAll(added, r);
                result.insert(result.end(), added.begin(), added.end());
            }
            break;
        case kRegionDiff:
            result = SubtractAll(current, rect);
            break;
        case kRegionAnd:
            for (const TRect& r : current) {
                const TRect i = Intersect(r, rect);
                if (!Empty(i)) result.push_back(i);
            }
            break;
        case kRegionXor: {
            result = SubtractAll(current, rect);
            Rects added{rect};
            if (Empty(rect)) added.clear();
            for (const TRect& r : current) added = SubtractAll(added, r);
            result.insert(result.end(), added.begin(), added.end());
            break;
        }
        default:
            return false;
    }
    Clear();
    if (!result.empty()) handle_ = new (std::nothrow) Rects(std::move(result));
    return true;
}

bool CPRegion::Contains(int32_t x, int32_t y) const {
    if (!handle_) return false;
    for (const TRect& r : *static_cast<Rects*>(handle_))
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

bool CPRegion::Bounds(TRect& rect) const {
    if (!handle_) return false;
    const Rects& rs = *static_cast<Rects*>(handle_);
    rect = rs.front();
    for (const TRect& r : rs)
        rect = {std::min(rect.left, r.left), std::min(rect.top, r.top), std::max(rect.right, r.right),
                std::max(rect.bottom, r.bottom)};
    return true;
}

bool CPRegion::FromClip(NativeDC dc) {
    Clear();
    if (!dc) return false;
    const SPosixDCState& s = Target(dc)->DrawState();
    if (!s.clipped) return true;
    handle_ = new (std::nothrow) Rects(s.clip);
    return true;
}

bool CPRegion::SelectAsClip(NativeDC dc) const {
    if (!dc) return false;
    SPosixDCState& s = Target(dc)->DrawState();
    s.clipped = handle_ != nullptr;
    s.clip = handle_ ? *static_cast<Rects*>(handle_) : Rects();
    return true;
}

// ---- holders: selection is a pointer in the DC state

CPDrawInitPen::CPDrawInitPen(NativeDC dc, int32_t width, int32_t style, uint8_t r, uint8_t g, uint8_t b) : dc_(dc) {
    if (!dc) return;
    SPosixPen* pen = new (std::nothrow) SPosixPen{width < 1 ? 1 : width, style, Rgb(r, g, b)};
    if (!pen) return;
    ++gObjectsAlive;
    created_ = pen;
    SPosixDCState& s = Target(dc)->DrawState();
    previous_ = const_cast<SPosixPen*>(s.pen);
    s.pen = pen;
}

CPDrawInitPen::~CPDrawInitPen() {
    if (!created_) return;
    Target(dc_)->DrawState().pen = static_cast<const SPosixPen*>(previous_);
    delete static_cast<SPosixPen*>(created_);
    --gObjectsAlive;
}

CPDrawInitBrush::CPDrawInitBrush(NativeDC dc, uint8_t r, uint8_t g, uint8_t b) : dc_(dc) {
    if (!dc) return;
    SPosixBrush* brush = new (std::nothrow) SPosixBrush{Rgb(r, g, b)};
    if (!brush) return;
    ++gObjectsAlive;
    created_ = brush;
    SPosixDCState& s = Target(dc)->DrawState();
    previous_ = const_cast<SPosixBrush*>(s.brush);
    s.brush = brush;
}

CPDrawInitBrush::~CPDrawInitBrush() {
    if (!created_) return;
    Target(dc_)->DrawState().brush = static_cast<const SPosixBrush*>(previous_);
    delete static_cast<SPosixBrush*>(created_);
    --gObjectsAlive;
}

CPDrawInitFont::CPDrawInitFont(NativeDC dc, int32_t face, int32_t height, int32_t weight, int32_t, bool italic,
                               bool underline, bool strikeOut)
    : weight_(weight), dc_(dc) {
    if (!dc) return;
    SPosixFont* font = new (std::nothrow) SPosixFont;
    if (!font) return;
    if (!OpenPosixFont(face, height < 0 ? -height : (height == 0 ? 12 : height), weight, italic, *font)) {
        // No font file: the holder stands with the stand-in metrics.
        delete font;
        valid_ = true;
        return;
    }
    font->underline = underline;
    font->strikeOut = strikeOut;
    fixedPitch_ = font->fixedPitch;
    ++gObjectsAlive;
    created_ = font;
    SPosixDCState& s = Target(dc)->DrawState();
    previous_ = const_cast<void*>(s.font);
    s.font = font;
    valid_ = true;
}

CPDrawInitFont::~CPDrawInitFont() {
    if (!created_) return;
    Target(dc_)->DrawState().font = previous_;
    delete static_cast<SPosixFont*>(created_);
    --gObjectsAlive;
}

// ---- CPDraw

CPDraw::CPDraw(NativeDC dc) {
    if (!dc) return;
    dc_ = dc;
    borrowed_ = true;
    focus_ = std::make_unique<CPAutoFocus>();
    valid_ = true;
    SetColor(0, 0, 0);
}

CPDraw::~CPDraw() {
    font_.reset();
    pen_.reset();
    brush_.reset();
    focus_.reset();
    if (clipSaved_ && dc_) {
        if (restoreClip_) restoreClip_->SelectAsClip(dc_);
        else CPRegion().SelectAsClip(dc_);
    }
}

int32_t CPDraw::PixelsPerInch() const {
    if (!dc_) return 96;
    const int32_t inherited = Target(dc_)->DrawState().pixelsPerInch;
    return inherited > 0 ? inherited : Target(dc_)->PixelsPerInch();
}

bool CPDraw::SetColor(uint8_t r, uint8_t g, uint8_t b) {
    if (!valid_) return false;
    red_ = r, green_ = g, blue_ = b;
    Target(dc_)->DrawState().textColour = Rgb(r, g, b);
    // The new holder selects itself over the old; the old one then puts
    // back what it replaced, so release the old first.
    brush_.reset();
    brush_ = std::make_unique<CPDrawInitBrush>(dc_, r, g, b);
    pen_.reset();
    pen_ = std::make_unique<CPDrawInitPen>(dc_, penWidth_, penStyle_, r, g, b);
    return brush_->Created() && pen_->Created();
}

bool CPDraw::SetFont(int32_t face, int32_t pointSize, double weight, double, double angle, bool italic,
                     bool underline, bool strikeOut) {
    if (!valid_) return false;
    font_.reset();
    const int32_t height = -static_cast<int32_t>((static_cast<int64_t>(pointSize) * PixelsPerInch() + 36) / 72);
    const int32_t w = 100 + static_cast<int32_t>(800.0 * std::clamp(weight, 0.0, 1.0));
    font_ = std::make_unique<CPDrawInitFont>(dc_, face, height, w, static_cast<int32_t>(angle * 10.0), italic,
                                             underline, strikeOut);
    return font_ != nullptr;
}

void CPDraw::MoveTo(int32_t x, int32_t y) {
    if (!valid_) return;
    SPosixDCState& s = Target(dc_)->DrawState();
    s.penX = x;
    s.penY = y;
}

void CPDraw::LineTo(int32_t x, int32_t y) {
    if (!valid_) return;
    SPosixDCState& s = Target(dc_)->DrawState();
    const Canvas c(dc_);
    if (c.Ok() && s.pen) DrawLine(c, s.penX, s.penY, x, y, *s.pen);
    s.penX = x;
    s.penY = y;
}

void CPDraw::InvertRect(const TRect& rect) {
    const Canvas c(dc_);
    if (!valid_ || !c.Ok()) return;
    c.Span(rect, [](uint8_t* p) {
        p[0] = static_cast<uint8_t>(~p[0]);
        p[1] = static_cast<uint8_t>(~p[1]);
        p[2] = static_cast<uint8_t>(~p[2]);
    });
}

void CPDraw::FillRect(const TRect& rect) {
    const Canvas c(dc_);
    if (!valid_ || !c.Ok() || !c.state->brush) return;
    const uint32_t colour = c.state->brush->colour;
    const bool alpha = c.surface->BitsPerPixel() == 32;
    c.Span(rect, [colour, alpha](uint8_t* p) { PutColour(p, colour, alpha); });
}

void CPDraw::FrameEllipse(const TRect& rect) {
    const Canvas c(dc_);
    if (!valid_ || !c.Ok() || !c.state->pen || Empty(rect)) return;
    // The outline by angle steps fine enough to leave no gaps.
    const double cx = (rect.left + rect.right - 1) / 2.0, cy = (rect.top + rect.bottom - 1) / 2.0;
    const double rx = (rect.right - rect.left - 1) / 2.0, ry = (rect.bottom - rect.top - 1) / 2.0;
    const double extent = std::min(std::max(rx, ry), 70000.0);
    const int32_t steps = std::max(8, static_cast<int32_t>(extent * 8.0));
    SPosixPen pen = *c.state->pen;
    pen.style = kPenSolid;
    for (int32_t k = 0; k < steps; ++k) {
        const double a = 2.0 * 3.14159265358979323846 * k / steps;
        DrawPenDot(c, static_cast<int32_t>(std::lround(cx + rx * std::cos(a))),
                   static_cast<int32_t>(std::lround(cy + ry * std::sin(a))), pen);
    }
}

void CPDraw::Polygon(const TPoint32* points, int32_t count) {
    const Canvas c(dc_);
    if (!valid_ || !c.Ok() || !points || count < 2) return;
    int32_t top = points[0].y, bottom = points[0].y;
    for (int32_t k = 1; k < count; ++k) top = std::min(top, points[k].y), bottom = std::max(bottom, points[k].y);
    top = std::max(top, -c.oy);
    bottom = std::min(bottom, c.surface->Height() - c.oy);
    // Scanlines through pixel centres, even-odd rule, as ALTERNATE.
    if (c.state->brush) {
        const uint32_t colour = c.state->brush->colour;
        std::vector<double> xs;
        for (int32_t y = top; y < bottom; ++y) {
            xs.clear();
            const double sy = y + 0.5;
            for (int32_t k = 0; k < count; ++k) {
                const TPoint32 a = points[k], b = points[(k + 1) % count];
                if ((a.y <= sy) == (b.y <= sy)) continue;
                xs.push_back(a.x + (sy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                const int32_t x0 = static_cast<int32_t>(std::ceil(xs[k] - 0.5));
                const int32_t x1 = static_cast<int32_t>(std::ceil(xs[k + 1] - 0.5));
                for (int32_t x = std::max(x0, -c.ox); x < std::min(x1, c.surface->Width() - c.ox); ++x)
                    c.Plot(x, y, colour);
            }
        }
    }
    if (c.state->pen) {
        for (int32_t k = 0; k < count; ++k) {
            const TPoint32 a = points[k], b = points[(k + 1) % count];
            DrawLine(c, a.x, a.y, b.x, b.y, *c.state->pen);
            DrawPenDot(c, b.x, b.y, *c.state->pen);
        }
    }
}

bool CPDraw::MeasureText(const char* text, int32_t length, int32_t maxWidth, int32_t* fit, int32_t* width,
                         int32_t* lineHeight) const {
    if (!valid_ || !text || length < 0) return false;
    const SPosixFont* font = SelectedFont(dc_);
    int32_t w = 0, n = 0;
    bool full = false;
    for (int32_t k = 0; k < length; ++k) {
        const int32_t a = Advance(font, static_cast<unsigned char>(text[k]));
        if (!full && w + a > maxWidth) full = true;
        if (!full) ++n;
        w += full ? 0 : a;
    }
    if (fit) *fit = n;
    if (width) *width = w;
    if (lineHeight) *lineHeight = font ? PosixLineHeight(*font) : kNoFontHeight;
    return true;
}

// One DrawTextA call: the flags follow the alignments and wrap mode.
bool CPDraw::DrawOneText(const TRect& rect, const char* text, int32_t length) {
    const Canvas c(dc_);
    if (!valid_ || !c.Ok()) return false;
    const SPosixFont* font = SelectedFont(dc_);
    const int32_t lineHeight = font ? PosixLineHeight(*font) : kNoFontHeight;
    const int32_t ascent = font ? PosixAscent(*font) : kNoFontHeight;
    const bool singleLine = textAlignV_ == 1 || textAlignV_ == 2;
    const bool wordBreak = wrapMode_ == kWrapWords && !singleLine;
    const int32_t width = rect.right - rect.left;
    // Lines: break at explicit line ends (multi-line only) and, with word
    // breaking, before a word that would pass the right edge.
    struct Line {
        int32_t start, length, width;
    };
    std::vector<Line> lines;
    int32_t k = 0;
    while (k <= length && lines.size() < 10000) {
        int32_t start = k, w = 0, lastSpace = -1, widthAtSpace = 0;
        while (k < length) {
            const unsigned char ch = static_cast<unsigned char>(text[k]);
            if (!singleLine && (ch == '\n' || ch == '\r')) break;
            const int32_t a = Advance(font, ch);
            if (wordBreak && w + a > width && k > start) {
                if (ch == ' ') break;
                if (lastSpace > start) {
                    k = lastSpace;
                    w = widthAtSpace;
                }
                break;
            }
            if (ch == ' ') lastSpace = k, widthAtSpace = w;
            w += a;
            ++k;
        }
        lines.push_back({start, k - start, w});
        if (k >= length) break;
        if (text[k] == '\r' && k + 1 < length && text[k + 1] == '\n') ++k;
        ++k;  // the break character (line end or the space at the break)
        if (k >= length) break;
    }
    const int32_t total = static_cast<int32_t>(lines.size()) * lineHeight;
    int32_t y = rect.top;
    if (textAlignV_ == 1) y = rect.top + (rect.bottom - rect.top - lineHeight) / 2;
    else if (textAlignV_ == 2) y = rect.bottom - lineHeight;
    (void)total;
    // Text is clipped to its rectangle, as DrawTextA without DT_NOCLIP.
    Canvas clipped = c;
    const TRect device{rect.left + c.ox, rect.top + c.oy, rect.right + c.ox, rect.bottom + c.oy};
    Rects inside;
    for (const TRect& v : c.visible) {
        const TRect i = Intersect(v, device);
        if (!Empty(i)) inside.push_back(i);
    }
    clipped.visible = inside;
    const GlyphContext g{&clipped, c.state->textColour};
    for (const Line& line : lines) {
        if (y >= rect.bottom) break;
        int32_t x = rect.left;
        if (textAlignH_ == 1) x = rect.left + (width - line.width) / 2;
        else if (textAlignH_ == 2) x = rect.right - line.width;
        if (font) {
            for (int32_t i = 0; i < line.length; ++i) {
                const unsigned char ch = static_cast<unsigned char>(text[line.start + i]);
                PosixDrawGlyph(*font, ch, x, y + ascent, PlotGlyph, const_cast<GlyphContext*>(&g));
                x += PosixGlyphAdvance(*font, ch);
            }
            if (font->underline)
                for (int32_t u = 0; u < line.width; ++u) clipped.Plot(x - line.width + u, y + ascent + 1, g.colour);
        }
        y += lineHeight;
    }
    return true;
}

bool CPDraw::ClipTo(const CPRegion& region) {
    if (!valid_) return false;
    if (!clipSaved_) {
        restoreClip_ = std::make_unique<CPRegion>();
        restoreClip_->FromClip(dc_);
        if (restoreClip_->IsEmpty() && !Target(dc_)->DrawState().clipped) restoreClip_.reset();
        clipSaved_ = true;
    }
    return region.SelectAsClip(dc_);
}
