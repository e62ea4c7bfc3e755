// CPDraw: simple vector drawing on a device context for the view toolkit and
// the wireframe preview: one current colour for pen, brush and text, lines,
// outlined ellipses, arrows, polygons, bevelled frames, inversion, and text
// laid out in a rectangle. Pens, brushes and fonts live in holder objects
// that select themselves when made and restore and delete themselves when
// destroyed. On Windows the device context is an HDC and everything is GDI;
// on POSIX it is a CPBlitTarget and the same calls draw in software into
// the target's surface (text through fontconfig and FreeType).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/native.h"

struct TPoint32 {
    int32_t x = 0;
    int32_t y = 0;
};

// Region operations of CPRegion::Combine (the CombineRgn numbers).
enum : int32_t {
    kRegionCopy = 1,
    kRegionOr = 2,
    kRegionDiff = 3,
    kRegionAnd = 6,
    kRegionOr2 = 7,
    kRegionXor = 8,
};

// A clipping region; an empty region is no region at all.
class CPRegion {
public:
    CPRegion() = default;
    CPRegion(int32_t left, int32_t top, int32_t right, int32_t bottom);
    CPRegion(const CPRegion&) = delete;
    CPRegion& operator=(const CPRegion&) = delete;
    virtual ~CPRegion();

    // 1 sets the region to rect; 2 or 7 unites, 3 subtracts, 6 intersects,
    // 8 takes the exclusive or; other codes do nothing. An empty result
    // drops the region.
    bool Combine(const TRect& rect, int32_t operation);
    // The device context's clip region (none when it has none).
    bool FromClip(NativeDC dc);
    // Makes the region the device context's clip (none removes clipping).
    bool SelectAsClip(NativeDC dc) const;
    void Clear();

    bool IsEmpty() const { return handle_ == nullptr; }
    bool Contains(int32_t x, int32_t y) const;
    // The smallest rectangle holding the region; false when it is empty.
    bool Bounds(TRect& rect) const;
    void* Handle() const { return handle_; }  // HRGN, or the POSIX rectangle list

private:
    void* handle_ = nullptr;
};

class CPAutoFocus {
public:
    virtual ~CPAutoFocus() = default;
};

// The holders: each selects its object into dc when made and, when
// destroyed, selects the previous one back and deletes its own.
class CPDrawInitPen {
public:
    CPDrawInitPen(NativeDC dc, int32_t width, int32_t style, uint8_t r, uint8_t g, uint8_t b);
    CPDrawInitPen(const CPDrawInitPen&) = delete;
    CPDrawInitPen& operator=(const CPDrawInitPen&) = delete;
    virtual ~CPDrawInitPen();
    bool Created() const { return created_ != nullptr; }
    void* dc_ = nullptr;
    void* created_ = nullptr;
    void* previous_ = nullptr;
};

class CPDrawInitBrush {
public:
    CPDrawInitBrush(NativeDC dc, uint8_t r, uint8_t g, uint8_t b);
    CPDrawInitBrush(const CPDrawInitBrush&) = delete;
    CPDrawInitBrush& operator=(const CPDrawInitBrush&) = delete;
    virtual ~CPDrawInitBrush();
    bool Created() const { return created_ != nullptr; }
    void* dc_ = nullptr;
    void* created_ = nullptr;
    void* previous_ = nullptr;
};

enum : int32_t { kFaceArial = 0, kFaceHelvetica = 1, kFaceCourier = 2 };

class CPDrawInitFont {
public:
    // height in device pixels (negative: character height, as CreateFontA);
    // weight 100..900.
    CPDrawInitFont(NativeDC dc, int32_t face, int32_t height, int32_t weight, int32_t angleTenths, bool italic,
                   bool underline, bool strikeOut);
    CPDrawInitFont(const CPDrawInitFont&) = delete;
    CPDrawInitFont& operator=(const CPDrawInitFont&) = delete;
    virtual ~CPDrawInitFont();
    bool valid_ = false;
    bool fixedPitch_ = false;
    int32_t weight_ = 400;  // the weight asked for
    void* dc_ = nullptr;
    void* created_ = nullptr;
    void* previous_ = nullptr;
};

// Pen styles.
enum : int32_t { kPenSolid = 0, kPenDashed = 1, kPenDotted = 2 };
// Text wrap modes.
enum : int32_t { kWrapCharacters = 0, kWrapNone = 1, kWrapWords = 2 };

class CPDraw {
public:
    // A drawing context on a handed-in device context (borrowed: never
    // released here). Null leaves it invalid.
    explicit CPDraw(NativeDC dc);
    CPDraw(const CPDraw&) = delete;
    CPDraw& operator=(const CPDraw&) = delete;
    virtual ~CPDraw();

    bool Valid() const { return valid_; }
    NativeDC DC() const { return dc_; }

    // Colour of pen, brush and text; transparent text background.
    bool SetColor(uint8_t r, uint8_t g, uint8_t b);
    // Width and style take effect with the next SetColor.
    void SetPenStyle(int32_t width, int32_t style) {
        penWidth_ = width < 1 ? 1 : width;
        penStyle_ = style;
    }
    void SetTextAlign(int32_t horizontal, int32_t vertical) {
        textAlignH_ = horizontal;
        textAlignV_ = vertical;
    }
    void SetWrapMode(int32_t mode) { wrapMode_ = mode; }
    // face 0 Arial, 1 Helvetica, 2 Courier; weight 0..1 maps to 100..900.
    bool SetFont(int32_t face, int32_t pointSize, double weight = 0.375, double width = 0.0, double angle = 0.0,
                 bool italic = false, bool underline = false, bool strikeOut = false);
    // The device's vertical pixels per inch.
    int32_t PixelsPerInch() const;

    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void InvertRect(const TRect& rect);
    // Fills rect with the current brush.
    void FillRect(const TRect& rect);
    void FrameEllipse(const TRect& rect);
    // A filled polygon in the current brush, outlined with the current pen.
    void Polygon(const TPoint32* points, int32_t count);
    // A triangle with its tip at from and its base centred on to.
    void Arrow(TPoint32 from, TPoint32 to, int32_t headWidth, bool filled);
    // A raised button face; text (or none) centred in black; pressed inverts it.
    void BevelBox(const TRect& rect, const char* text, bool pressed);
    bool DrawTextInRect(const TRect& rect, const char* text);
    // How many of length bytes fit in maxWidth pixels, the width of those
    // and the line height.
    bool MeasureText(const char* text, int32_t length, int32_t maxWidth, int32_t* fit, int32_t* width,
                     int32_t* lineHeight) const;
    // Clips drawing to region (the old clip comes back on destruction).
    bool ClipTo(const CPRegion& region);

    int32_t PenWidth() const { return penWidth_; }
    int32_t PenStyle() const { return penStyle_; }
    const CPDrawInitPen* PenHolder() const { return pen_.get(); }
    const CPDrawInitBrush* BrushHolder() const { return brush_.get(); }
    const CPDrawInitFont* FontHolder() const { return font_.get(); }
    uint8_t Red() const { return red_; }
    uint8_t Green() const { return green_; }
    uint8_t Blue() const { return blue_; }

private:
    bool DrawOneText(const TRect& rect, const char* text, int32_t length);

    bool valid_ = false;
    bool borrowed_ = false;
    NativeWindow window_ = nullptr;
    NativeDC dc_ = nullptr;
    uint8_t red_ = 0;
    uint8_t green_ = 0;
    uint8_t blue_ = 0;
    int32_t penWidth_ = 1;
    int32_t penStyle_ = kPenSolid;
    int32_t textAlignH_ = 0;
    int32_t textAlignV_ = 0;
    int32_t wrapMode_ = kWrapCharacters;
    std::unique_ptr<CPAutoFocus> focus_;
    std::unique_ptr<CPDrawInitBrush> brush_;
    std::unique_ptr<CPDrawInitPen> pen_;
    std::unique_ptr<CPDrawInitFont> font_;
    CPRegion clip_;
    std::unique_ptr<CPRegion> restoreClip_;
    bool clipSaved_ = false;
};

// System colours (0x00RRGGBB) of button faces and windows.
enum class TSysColour { ButtonFace, ButtonHighlight, ButtonShadow, Window, WindowText };
uint32_t PlatformSysColour(TSysColour which);

// Live pens, brushes and fonts the holders have made and not yet deleted
// (what a leak or a double selection would show).
int32_t DrawObjectsAlive();
