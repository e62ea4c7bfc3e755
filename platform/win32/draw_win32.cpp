// CPDraw on Windows: GDI on the handed-in device context.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "platform/draw.h"

namespace {

int32_t gObjectsAlive = 0;

HDC Dc(NativeDC dc) { return static_cast<HDC>(dc); }

}  // namespace

int32_t DrawObjectsAlive() { return gObjectsAlive; }

uint32_t PlatformSysColour(TSysColour which) {
    int index = COLOR_BTNFACE;
    switch (which) {
        case TSysColour::ButtonFace: index = COLOR_BTNFACE; break;
        case TSysColour::ButtonHighlight: index = COLOR_BTNHIGHLIGHT; break;
        case TSysColour::ButtonShadow: index = COLOR_BTNSHADOW; break;
        case TSysColour::Window: index = COLOR_WINDOW; break;
        case TSysColour::WindowText: index = COLOR_WINDOWTEXT; break;
    }
    const COLORREF c = GetSysColor(index);
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// ---- regions

CPRegion::CPRegion(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Combine({left, top, right, bottom}, kRegionCopy);
}

CPRegion::~CPRegion() { Clear(); }

void CPRegion::Clear() {
    if (handle_) DeleteObject(static_cast<HRGN>(handle_));
    handle_ = nullptr;
}

bool CPRegion::Combine(const TRect& rect, int32_t operation) {
    int mode = 0;
    switch (operation) {
        case kRegionCopy: mode = RGN_COPY; break;
        case kRegionOr: case kRegionOr2: mode = RGN_OR; break;
        case kRegionDiff: mode = RGN_DIFF; break;
        case kRegionAnd: mode = RGN_AND; break;
        case kRegionXor: mode = RGN_XOR; break;
        default: return false;
    }
    HRGN r = CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
    if (!r) return false;
    if (mode == RGN_COPY || !handle_) {
        if (mode == RGN_COPY || mode == RGN_OR || mode == RGN_XOR) {
            Clear();
            handle_ = r;
        } else {
            DeleteObject(r);  // nothing minus or and anything is nothing
        }
    } else {
        CombineRgn(static_cast<HRGN>(handle_), static_cast<HRGN>(handle_), r, mode);
        DeleteObject(r);
    }
    RECT box;
    if (handle_ && GetRgnBox(static_cast<HRGN>(handle_), &box) == NULLREGION) Clear();
    return true;
}

bool CPRegion::Contains(int32_t x, int32_t y) const {
    return handle_ && PtInRegion(static_cast<HRGN>(handle_), x, y);
}

bool CPRegion::Bounds(TRect& rect) const {
    RECT box;
    if (!handle_ || GetRgnBox(static_cast<HRGN>(handle_), &box) == NULLREGION) return false;
    rect = {box.left, box.top, box.right, box.bottom};
    return true;
}

bool CPRegion::FromClip(NativeDC dc) {
    Clear();
    if (!dc) return false;
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (!r) return false;
    if (GetClipRgn(Dc(dc), r) == 1) {
        handle_ = r;
    } else {
        DeleteObject(r);
    }
    return true;
}

bool CPRegion::SelectAsClip(NativeDC dc) const {
    return dc && SelectClipRgn(Dc(dc), static_cast<HRGN>(handle_)) != ERROR;
}

// ---- holders

CPDrawInitPen::CPDrawInitPen(NativeDC dc, int32_t width, int32_t style, uint8_t r, uint8_t g, uint8_t b) : dc_(dc) {
    if (!dc) return;
    const int gdiStyle = style == kPenDashed ? PS_DASH : (style == kPenDotted ? PS_DOT : PS_SOLID);
    HPEN pen = CreatePen(gdiStyle, width, RGB(r, g, b));
    if (pen) {
        created_ = pen;
        ++gObjectsAlive;
    }
    previous_ = SelectObject(Dc(dc), pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
}

CPDrawInitPen::~CPDrawInitPen() {
    if (!dc_) return;
    SelectObject(Dc(dc_), static_cast<HGDIOBJ>(previous_));
    if (created_) {
        DeleteObject(static_cast<HGDIOBJ>(created_));
        --gObjectsAlive;
    }
}

CPDrawInitBrush::CPDrawInitBrush(NativeDC dc, uint8_t r, uint8_t g, uint8_t b) : dc_(dc) {
    if (!dc) return;
    HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
    if (brush) {
        created_ = brush;
        ++gObjectsAlive;
    }
    previous_ = SelectObject(Dc(dc), brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(BLACK_BRUSH));
}

CPDrawInitBrush::~CPDrawInitBrush() {
    if (!dc_) return;
    SelectObject(Dc(dc_), static_cast<HGDIOBJ>(previous_));
    if (created_) {
        DeleteObject(static_cast<HGDIOBJ>(created_));
        --gObjectsAlive;
    }
}

CPDrawInitFont::CPDrawInitFont(NativeDC dc, int32_t face, int32_t height, int32_t weight, int32_t angleTenths,
                               bool italic, bool underline, bool strikeOut)
    : weight_(weight), dc_(dc) {
    if (!dc) return;
    static const char* const kFaces[] = {"Arial", "Helvetica", "Courier"};
    const int32_t f = (face >= 0 && face <= 2) ? face : 0;
    fixedPitch_ = f == kFaceCourier;
    HFONT font = CreateFontA(height, 0, angleTenths, angleTenths, weight, italic, underline, strikeOut, 0,
                             OUT_TT_ONLY_PRECIS, 0, PROOF_QUALITY, fixedPitch_ ? FIXED_PITCH : VARIABLE_PITCH,
                             kFaces[f]);
    if (font) {
        created_ = font;
        ++gObjectsAlive;
    }
    previous_ = SelectObject(Dc(dc), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    valid_ = true;
}

CPDrawInitFont::~CPDrawInitFont() {
    if (!dc_) return;
    SelectObject(Dc(dc_), static_cast<HGDIOBJ>(previous_));
    if (created_) {
        DeleteObject(static_cast<HGDIOBJ>(created_));
        --gObjectsAlive;
    }
}

// ---- CPDraw

CPDraw::CPDraw(NativeDC dc) {
    if (!dc) return;
    dc_ = dc;
    borrowed_ = true;
    window_ = WindowFromDC(Dc(dc));
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
        else SelectClipRgn(Dc(dc_), nullptr);
    }
    if (dc_ && !borrowed_) ReleaseDC(static_cast<HWND>(window_), Dc(dc_));
}

int32_t CPDraw::PixelsPerInch() const { return dc_ ? GetDeviceCaps(Dc(dc_), LOGPIXELSY) : 96; }

bool CPDraw::SetColor(uint8_t r, uint8_t g, uint8_t b) {
    if (!valid_) return false;
    red_ = r, green_ = g, blue_ = b;
    SetBkMode(Dc(dc_), TRANSPARENT);
    SetTextColor(Dc(dc_), RGB(r, g, b));
    brush_.reset();
    brush_ = std::make_unique<CPDrawInitBrush>(dc_, r, g, b);
    pen_.reset();
    pen_ = std::make_unique<CPDrawInitPen>(dc_, penWidth_, penStyle_, r, g, b);
    return brush_ && pen_;
}

bool CPDraw::SetFont(int32_t face, int32_t pointSize, double weight, double, double angle, bool italic,
                     bool underline, bool strikeOut) {
    if (!valid_) return false;
    font_.reset();
    const int32_t height = -MulDiv(pointSize, GetDeviceCaps(Dc(dc_), LOGPIXELSY), 72);
    const int32_t w = 100 + static_cast<int32_t>(800.0 * std::clamp(weight, 0.0, 1.0));
    font_ = std::make_unique<CPDrawInitFont>(dc_, face, height, w, static_cast<int32_t>(angle * 10.0), italic,
                                             underline, strikeOut);
    return font_ != nullptr;
}

void CPDraw::MoveTo(int32_t x, int32_t y) {
    if (valid_) MoveToEx(Dc(dc_), x, y, nullptr);
}

void CPDraw::LineTo(int32_t x, int32_t y) {
    if (valid_) ::LineTo(Dc(dc_), x, y);
}

void CPDraw::InvertRect(const TRect& rect) {
    if (!valid_) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::InvertRect(Dc(dc_), &r);
}

void CPDraw::FillRect(const TRect& rect) {
    if (!valid_ || !brush_) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    HBRUSH brush = static_cast<HBRUSH>(brush_->created_ ? brush_->created_ : GetStockObject(BLACK_BRUSH));
    ::FillRect(Dc(dc_), &r, brush);
}

void CPDraw::FrameEllipse(const TRect& rect) {
    if (!valid_) return;
    HGDIOBJ old = SelectObject(Dc(dc_), GetStockObject(NULL_BRUSH));
    Ellipse(Dc(dc_), rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(Dc(dc_), old);
}

void CPDraw::Polygon(const TPoint32* points, int32_t count) {
    if (!valid_ || !points || count < 2 || count > 64) return;
    POINT p[64];
    for (int32_t k = 0; k < count; ++k) p[k] = {points[k].x, points[k].y};
    ::Polygon(Dc(dc_), p, count);
}

bool CPDraw::MeasureText(const char* text, int32_t length, int32_t maxWidth, int32_t* fit, int32_t* width,
                         int32_t* lineHeight) const {
    if (!valid_ || !text || length < 0) return false;
    INT n = 0;
    SIZE size{};
    if (!GetTextExtentExPointA(Dc(dc_), text, length, maxWidth, &n, nullptr, &size)) return false;
    TEXTMETRICA tm{};
    GetTextMetricsA(Dc(dc_), &tm);
    if (fit) *fit = n;
    if (width) *width = size.cx;
    if (lineHeight) *lineHeight = tm.tmHeight;
    return true;
}

bool CPDraw::DrawOneText(const TRect& rect, const char* text, int32_t length) {
    if (!valid_) return false;
    UINT flags = DT_NOPREFIX;
    if (wrapMode_ == kWrapWords) flags |= DT_WORDBREAK;
    if (textAlignH_ == 1) flags |= DT_CENTER;
    else if (textAlignH_ == 2) flags |= DT_RIGHT;
    if (textAlignV_ == 1) flags |= DT_VCENTER | DT_SINGLELINE;
    else if (textAlignV_ == 2) flags |= DT_BOTTOM | DT_SINGLELINE;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    return DrawTextA(Dc(dc_), text, length, &r, flags) != 0;
}

bool CPDraw::ClipTo(const CPRegion& region) {
    if (!valid_) return false;
    if (!clipSaved_) {
        restoreClip_ = std::make_unique<CPRegion>();
        restoreClip_->FromClip(dc_);
        if (restoreClip_->IsEmpty()) restoreClip_.reset();
        clipSaved_ = true;
    }
    return region.SelectAsClip(dc_);
}
