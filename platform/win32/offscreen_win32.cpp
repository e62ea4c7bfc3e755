// CPOffscreen's device-context side over GDI: a DIB section with a memory DC
// borrowed on demand, StretchBlt / StretchDIBits blits, captures and the
// module's bitmap resources.
#include <windows.h>

#include "platform/offscreen.h"

namespace {

HDC ScreenCompatibleDC() {
    HDC screen = ::GetWindowDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    return dc;
}

BITMAPINFO* AsBitmapInfo(SBitmapInfoHeader* info) { return reinterpret_cast<BITMAPINFO*>(info); }

// A locked resource of the module: its bytes, valid while the module is loaded.
bool FindResourceBytes(HMODULE module, int id, const char* type, const uint8_t** data, size_t* size) {
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    if (!loaded) return false;
    *data = static_cast<const uint8_t*>(::LockResource(loaded));
    *size = ::SizeofResource(module, found);
    return *data != nullptr && *size > 0;
}

}  // namespace

static_assert(sizeof(SBitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "one header layout on every platform");

bool CPOffscreen::MakeDIBSection() {
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, AsBitmapInfo(info_), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        if (section) ::DeleteObject(section);
        return false;
    }
    dibSection_ = section;
    pixels_ = static_cast<uint8_t*>(bits);
    ZeroMemory(pixels_, static_cast<size_t>(rowStride_) * height_);
    return true;
}

void CPOffscreen::ReleaseBackend() {
    if (memoryDC_) {
        // A forgotten borrow ends here.
        dcNesting_ = 0;
        ::GdiFlush();
        ::SelectObject(static_cast<HDC>(memoryDC_), static_cast<HGDIOBJ>(previousObject_));
        ::DeleteDC(static_cast<HDC>(memoryDC_));
        memoryDC_ = nullptr;
        previousObject_ = nullptr;
    }
    if (dibSection_) {
        ::GdiFlush();
        ::DeleteObject(static_cast<HGDIOBJ>(dibSection_));
        dibSection_ = nullptr;
    }
}

NativeDC CPOffscreen::BorrowDC() {
    if (!valid_ || !dibSection_ || dcNesting_ == UINT16_MAX) return nullptr;
    if (dcNesting_ == 0) {
        HDC dc = ScreenCompatibleDC();
        if (!dc) return nullptr;
        HGDIOBJ previous = ::SelectObject(dc, static_cast<HGDIOBJ>(dibSection_));
        if (!previous || previous == HGDI_ERROR) {
            ::DeleteDC(dc);
            return nullptr;
        }
        memoryDC_ = dc;
        previousObject_ = previous;
    }
    ++dcNesting_;
    return memoryDC_;
}

void CPOffscreen::ReturnDC() {
    if (dcNesting_ == 0) return;
    if (--dcNesting_ == 0) {
        ::GdiFlush();
        ::SelectObject(static_cast<HDC>(memoryDC_), static_cast<HGDIOBJ>(previousObject_));
        ::DeleteDC(static_cast<HDC>(memoryDC_));
        memoryDC_ = nullptr;
        previousObject_ = nullptr;
    }
}

bool CPOffscreen::BlitRect(NativeDC targetDC, const TRect& destRect, const TRect& srcRect) {
    if (!valid_ || !targetDC) return false;
    HDC target = static_cast<HDC>(targetDC);
    const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
    const int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
    bool ok;
    if (dibSection_) {
        // A bitmap can be selected into one DC only: lend it from our own DC
        // for the copy and put it back afterwards.
        if (memoryDC_) ::SelectObject(static_cast<HDC>(memoryDC_), static_cast<HGDIOBJ>(previousObject_));
        ::GdiFlush();
        HDC dc = ::CreateCompatibleDC(target);
        HGDIOBJ old = dc ? ::SelectObject(dc, static_cast<HGDIOBJ>(dibSection_)) : nullptr;
        ok = dc && old && old != HGDI_ERROR &&
             ::StretchBlt(target, destRect.left, destRect.top, dw, dh, dc, srcRect.left, srcRect.top, sw, sh, SRCCOPY);
        if (dc) {
            if (old && old != HGDI_ERROR) ::SelectObject(dc, old);
            ::DeleteDC(dc);
        }
        if (memoryDC_) ::SelectObject(static_cast<HDC>(memoryDC_), static_cast<HGDIOBJ>(dibSection_));
    } else {
        // StretchDIBits counts source rows from the bottom of the picture,
        // for top-down DIBs too.
        const int sy = height_ - srcRect.bottom;
        const int lines = ::StretchDIBits(target, destRect.left, destRect.top, dw, dh, srcRect.left, sy, sw, sh, pixels_,
                                          AsBitmapInfo(info_), DIB_RGB_COLORS, SRCCOPY);
        ok = lines != 0 && lines != static_cast<int>(GDI_ERROR);
    }
    if (oldMode) ::SetStretchBltMode(target, oldMode);
    return ok;
}

bool CPOffscreen::CaptureFromDC(NativeDC sourceDC, const TRect& srcRect, const TRect& destRect) {
    if (!valid_ || !sourceDC) return false;
    HDC source = static_cast<HDC>(sourceDC);
    const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
    const int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    if (dibSection_) {
        // While borrowed, the section already sits in our own DC.
        HDC dc = memoryDC_ ? static_cast<HDC>(memoryDC_) : ScreenCompatibleDC();
        if (!dc) return false;
        HGDIOBJ old = memoryDC_ ? nullptr : ::SelectObject(dc, static_cast<HGDIOBJ>(dibSection_));
        bool ok = (memoryDC_ || (old && old != HGDI_ERROR));
        if (ok) {
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ok = ::StretchBlt(dc, destRect.left, destRect.top, dw, dh, source, srcRect.left, srcRect.top, sw, sh,
                              SRCCOPY) != 0;
            ::GdiFlush();
        }
        if (!memoryDC_) {
            if (old && old != HGDI_ERROR) ::SelectObject(dc, old);
            ::DeleteDC(dc);
        }
        return ok;
    }
    // A packed DIB: draw through a device bitmap of the whole surface that
    // first gets the current pixels, so what lies outside destRect stays.
    HDC screen = ::GetWindowDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width_, height_);
    HDC dc = ::CreateCompatibleDC(screen);
    bool ok = bitmap && dc;
    HGDIOBJ old = ok ? ::SelectObject(dc, bitmap) : nullptr;
    ok = ok && old && old != HGDI_ERROR;
    if (ok) {
        ::SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, pixels_, AsBitmapInfo(info_), DIB_RGB_COLORS);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ok = ::StretchBlt(dc, destRect.left, destRect.top, dw, dh, source, srcRect.left, srcRect.top, sw, sh, SRCCOPY) != 0;
        ::SelectObject(dc, old);
        // GetDIBits may rewrite header fields; the surface's own stay.
        SBitmapInfoHeader keep = *info_;
        ok = ok && ::GetDIBits(dc, bitmap, 0, height_, pixels_, AsBitmapInfo(info_), DIB_RGB_COLORS) == height_;
        *info_ = keep;
    }
    if (dc) ::DeleteDC(dc);
    if (bitmap) ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

bool CPOffscreen::CreateFromResource(NativeModule module, int resourceId, int bitsPerPixel, bool topDown,
                                     bool asDIBSection) {
    Destroy();
    HMODULE m = static_cast<HMODULE>(module);
    if (bitsPerPixel >= 24) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        SPackedDibView dib;
        if (FindResourceBytes(m, resourceId, MAKEINTRESOURCEA(2) /* RT_BITMAP */, &data, &size) &&
            ParsePackedDib(data, size, &dib) && dib.bitsPerPixel >= 24 && CreateFromPackedDib(dib, topDown, asDIBSection))
            return true;
        if (FindResourceBytes(m, resourceId, "FDIB", &data, &size) && ParseBitmapFile(data, size, &dib) &&
            dib.bitsPerPixel >= 24 && CreateFromPackedDib(dib, topDown, asDIBSection))
            return true;
    }
    // The system's loader converts any depth; a capture brings it over.
    HBITMAP bitmap = ::LoadBitmapA(m, MAKEINTRESOURCEA(resourceId));
    if (!bitmap) return false;
    BITMAP about{};
    bool ok = ::GetObjectA(bitmap, sizeof about, &about) != 0 &&
              Create(about.bmWidth, about.bmHeight < 0 ? -about.bmHeight : about.bmHeight, bitsPerPixel, topDown,
                     asDIBSection);
    if (ok) {
        HDC dc = ScreenCompatibleDC();
        HGDIOBJ old = dc ? ::SelectObject(dc, bitmap) : nullptr;
        const TRect all{0, 0, width_, height_};
        ok = dc && old && old != HGDI_ERROR && CaptureFromDC(dc, all, all);
        if (dc) {
            if (old && old != HGDI_ERROR) ::SelectObject(dc, old);
            ::DeleteDC(dc);
        }
    }
    ::DeleteObject(bitmap);
    if (!ok) Destroy();
    return ok;
}
