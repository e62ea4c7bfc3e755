#include "platform/offscreen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dib_fixtures.h"
#include "platform/memory_block.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/host_window.h"
#endif

namespace {

uint32_t Pattern(int x, int y) { return 0xFF800000u | static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x); }

void PaintPattern(CPOffscreen& s) {
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const uint32_t v = Pattern(x, y);
            std::memcpy(s.Row(y) + x * (s.BitsPerPixel() / 8), &v, s.BitsPerPixel() / 8);
        }
}

// The pixel at picture position (x, y), widened to 32 bits.
uint32_t PixelAt(const CPOffscreen& s, int x, int y) {
    uint32_t v = 0xFF000000u;
    std::memcpy(&v, s.Row(y) + x * (s.BitsPerPixel() / 8), s.BitsPerPixel() / 8);
    return v;
}

// Colour bytes only: GDI does not promise what a copy does with alpha.
uint32_t Rgb(uint32_t v) { return v & 0x00FFFFFFu; }

struct SCreateCase {
    int bits;
    bool topDown;
    bool section;
};

TEST(Offscreen, CreateWritesTheHeaderFields) {
    const SCreateCase cases[] = {{32, false, true}, {32, true, true}, {24, false, false}, {8, true, false}, {32, false, false}};
    for (const SCreateCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.topDown ? " top-down" : " bottom-up") + (c.section ? " section" : " packed"));
        CPOffscreen s(13, 5, c.bits, c.topDown, c.section);
        ASSERT_TRUE(s.Valid());
        const SBitmapInfoHeader* h = s.Info();
        const int stride = DibRowStride(c.bits, 13);
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biWidth, 13);
        EXPECT_EQ(h->biHeight, c.topDown ? -5 : 5);
        EXPECT_EQ(h->biPlanes, 1);
        EXPECT_EQ(h->biBitCount, c.bits);
        EXPECT_EQ(h->biCompression, 0u);
        EXPECT_EQ(h->biSizeImage, static_cast<uint32_t>(stride * 5));
        EXPECT_EQ(h->biClrUsed, c.bits <= 8 ? 256u : 0u);
        EXPECT_EQ(s.RowStride(), stride);
        EXPECT_EQ(s.TopDown(), c.topDown);
        EXPECT_EQ(s.IsDIBSection(), c.section);
        EXPECT_EQ(s.BlitMode(), 0);
        const size_t table = c.bits <= 8 ? 1024 : 0;
        if (c.section) {
            EXPECT_EQ(MemBlockSize(h), 40u + table);
        } else {
            // A packed DIB: rows right after the header and colours.
            EXPECT_EQ(MemBlockSize(h), 40u + table + stride * 5);
            EXPECT_EQ(s.Pixels(), reinterpret_cast<const uint8_t*>(h) + 40 + table);
        }
        for (int i = 0; i < stride * 5; ++i) ASSERT_EQ(s.Pixels()[i], 0) << i;
    }
}

TEST(Offscreen, InvalidSizesLeaveTheSurfaceInvalid) {
    const uint64_t before = MemLiveBytes();
    for (const auto& [w, h, bits] : {std::tuple{0, 5, 32}, {5, 0, 32}, {-3, 5, 32}, {70000, 1, 32}, {5, 5, 12}}) {
        CPOffscreen s(w, h, bits, false, true);
        EXPECT_FALSE(s.Valid()) << w << "x" << h << "x" << bits;
        TRect r{1, 2, 3, 4};
        EXPECT_FALSE(s.Bounds(r));
        EXPECT_EQ(r, TRect{});
        EXPECT_EQ(s.MakeBucket(), nullptr);
        EXPECT_EQ(s.BorrowDC(), nullptr);
    }
    EXPECT_EQ(MemLiveBytes(), before);
}

TEST(Offscreen, BoundsAndBucketsFollowTheOrigin) {
    CPOffscreen s(20, 10, 32, false, true);
    TRect r;
    ASSERT_TRUE(s.Bounds(r));
    EXPECT_EQ(r, (TRect{0, 0, 20, 10}));
    s.SetOrigin(5, -3);
    s.Bounds(r);
    EXPECT_EQ(r, (TRect{5, -3, 25, 7}));
    auto bucket = s.MakeBucket();
    ASSERT_TRUE(bucket);
    EXPECT_EQ(bucket->OriginX(), 5);
    EXPECT_EQ(bucket->OriginY(), -3);
    EXPECT_EQ(bucket->Pixels(), s.Pixels());
    EXPECT_FALSE(bucket->OwnsPixels());
    EXPECT_EQ(bucket->UserWord(), 0u);
}

TEST(Offscreen, DestructionFreesEverything) {
    const uint64_t before = MemLiveBytes();
    {
        CPOffscreen a(64, 64, 32, false, true);
        CPOffscreen b(64, 64, 24, true, false);
        a.BorrowDC();  // a forgotten borrow ends with the surface
        EXPECT_GT(MemLiveBytes(), before);
    }
    EXPECT_EQ(MemLiveBytes(), before);
}

TEST(Offscreen, BorrowedDCNestsAndTheLastReturnReleasesIt) {
    CPOffscreen s(8, 8, 32, false, true);
    NativeDC first = s.BorrowDC();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(s.BorrowDC(), first);
    EXPECT_EQ(s.DCNesting(), 2);
    s.ReturnDC();
    EXPECT_EQ(s.DCNesting(), 1);
    // Still usable: a copy into it lands.
    CPOffscreen src(8, 8, 32, false, true);
    PaintPattern(src);
    EXPECT_TRUE(src.BlitTo(first, TRect{0, 0, 8, 8}));
    EXPECT_EQ(Rgb(PixelAt(s, 3, 4)), Rgb(Pattern(3, 4)));
    s.ReturnDC();
    EXPECT_EQ(s.DCNesting(), 0);
    s.ReturnDC();  // at zero: nothing
    EXPECT_EQ(s.DCNesting(), 0);
    CPOffscreen packed(8, 8, 32, false, false);
    EXPECT_EQ(packed.BorrowDC(), nullptr);
}

TEST(Offscreen, CopyToSurfaceMatchesPicturePositionsAcrossStorageAndOrientation) {
    for (bool srcSection : {true, false})
        for (bool srcDown : {true, false})
            for (bool dstDown : {true, false})
                for (int srcBits : {24, 32}) {
                    SCOPED_TRACE(std::string(srcSection ? "section " : "packed ") + (srcDown ? "top-down " : "bottom-up ") +
                                 "onto " + (dstDown ? "top-down " : "bottom-up ") + std::to_string(srcBits));
                    CPOffscreen src(7, 5, srcBits, srcDown, srcSection);
                    CPOffscreen dst(9, 6, 32, dstDown, true);
                    PaintPattern(src);
                    ASSERT_TRUE(src.CopyToSurface(dst));
                    for (int y = 0; y < 6; ++y)
                        for (int x = 0; x < 9; ++x) {
                            const uint32_t want = (x < 7 && y < 5) ? Rgb(Pattern(x, y)) : 0u;
                            ASSERT_EQ(Rgb(PixelAt(dst, x, y)), want) << x << "," << y;
                        }
                }
}

TEST(Offscreen, CopyToSurfaceRectsCopiesAPartToAPlace) {
    CPOffscreen src(10, 10, 32, false, true);
    CPOffscreen dst(10, 10, 32, true, true);
    PaintPattern(src);
    ASSERT_TRUE(src.CopyToSurfaceRects(dst, TRect{1, 2, 4, 4}, TRect{5, 6, 8, 8}));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 2 && y < 4;
            ASSERT_EQ(Rgb(PixelAt(dst, x, y)), inside ? Rgb(Pattern(x + 4, y + 4)) : 0u) << x << "," << y;
        }
}

TEST(Offscreen, CopyToSurfaceRectStretchesByWholeFactors) {
    CPOffscreen src(3, 2, 32, false, true);
    CPOffscreen dst(6, 4, 32, false, true);
    PaintPattern(src);
    ASSERT_TRUE(src.CopyToSurfaceRect(dst, TRect{0, 0, 6, 4}));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(Rgb(PixelAt(dst, x, y)), Rgb(Pattern(x / 2, y / 2))) << x << "," << y;
}

TEST(Offscreen, CopyNeedsATargetWithADC) {
    CPOffscreen src(4, 4, 32, false, true);
    CPOffscreen packed(4, 4, 32, false, false);
    CPOffscreen invalid;
    EXPECT_FALSE(src.CopyToSurface(packed));
    EXPECT_FALSE(src.CopyToSurface(invalid));
    EXPECT_FALSE(invalid.CopyToSurface(src));
    EXPECT_FALSE(src.BlitTo(nullptr, TRect{0, 0, 4, 4}));
}

TEST(Offscreen, BlitWhileItsOwnDCIsBorrowedKeepsTheDCWorking) {
    CPOffscreen src(6, 6, 32, false, true);
    CPOffscreen dst(6, 6, 32, false, true);
    PaintPattern(src);
    NativeDC own = src.BorrowDC();
    ASSERT_NE(own, nullptr);
    ASSERT_TRUE(src.CopyToSurface(dst));
    EXPECT_EQ(Rgb(PixelAt(dst, 5, 5)), Rgb(Pattern(5, 5)));
    EXPECT_EQ(src.DCNesting(), 1);
    // The section is selected in the borrowed DC again: drawing into it
    // still reaches the pixels.
    CPOffscreen marker(2, 2, 32, false, true);
    auto bucket = marker.MakeBucket();
    bucket->Fill(0xFF123456u);
    ASSERT_TRUE(marker.BlitTo(own, TRect{0, 0, 2, 2}));
    EXPECT_EQ(Rgb(PixelAt(src, 1, 1)), 0x123456u);
    src.ReturnDC();
}

TEST(Offscreen, CaptureFromDCFillsTheDestinationRectangle) {
    for (bool section : {true, false}) {
        SCOPED_TRACE(section ? "section" : "packed");
        CPOffscreen src(8, 8, 32, true, true);
        PaintPattern(src);
        CPOffscreen dst(8, 8, 32, false, section);
        auto bucket = dst.MakeBucket();
        bucket->Fill(0xFF0000FFu);
        NativeDC dc = src.BorrowDC();
        ASSERT_TRUE(dst.CaptureFromDC(dc, TRect{2, 2, 6, 6}, TRect{0, 0, 4, 4}));
        src.ReturnDC();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x < 4 && y < 4;
                ASSERT_EQ(Rgb(PixelAt(dst, x, y)), inside ? Rgb(Pattern(x + 2, y + 2)) : 0x0000FFu) << x << "," << y;
            }
    }
}

TEST(Offscreen, CreateFromPackedDibKeepsPicturePositionsInEitherOrientation) {
    for (int height : {3, -3})
        for (int bits : {24, 32})
            for (bool topDown : {true, false}) {
                SCOPED_TRACE(std::to_string(height) + " " + std::to_string(bits) + (topDown ? " to top-down" : " to bottom-up"));
                const auto data = MakePackedDib(5, height, bits);
                SPackedDibView dib;
                ASSERT_TRUE(ParsePackedDib(data.data(), data.size(), &dib));
                CPOffscreen s;
                ASSERT_TRUE(s.CreateFromPackedDib(dib, topDown, true));
                EXPECT_EQ(s.BitsPerPixel(), bits);
                EXPECT_EQ(s.TopDown(), topDown);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 5; ++x) {
                        const uint32_t v = PixelAt(s, x, y);
                        ASSERT_EQ(v & 0xFFFFFFu, 0x800000u | static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x));
                        if (bits == 32) {
                            ASSERT_EQ(v >> 24, 0xC0u);
                        }
                    }
            }
}

TEST(Offscreen, CreateFromPackedDibCopiesTheColourTable) {
    const auto data = MakePackedDib(4, 2, 8, 16);
    SPackedDibView dib;
    ASSERT_TRUE(ParsePackedDib(data.data(), data.size(), &dib));
    CPOffscreen s;
    ASSERT_TRUE(s.CreateFromPackedDib(dib, false, false));
    ASSERT_NE(s.Colours(), nullptr);
    EXPECT_EQ(s.Colours()[5], 0x0023190Fu);  // entry i is (B, G, R) = (3i, 5i, 7i)
    EXPECT_EQ(s.Colours()[16], 0u);
    EXPECT_EQ(PixelAt(s, 3, 1) & 0xFF, 4u);
}

TEST(Offscreen, CompositeUsesBothSurfacesOrigins) {
    CPOffscreen logo(2, 2, 24, false, false);
    CPOffscreen canvas(6, 6, 32, false, true);
    canvas.SetOrigin(10, 10);
    auto bucket = logo.MakeBucket();
    std::memset(bucket->Pixels(), 0xFF, static_cast<size_t>(logo.RowStride()) * 2);
    logo.Composite(canvas, 14, 14, 255, 0);
    EXPECT_EQ(PixelAt(canvas, 4, 4), 0xFFFEFEFEu);
    EXPECT_EQ(PixelAt(canvas, 5, 5), 0xFFFEFEFEu);
    EXPECT_EQ(PixelAt(canvas, 3, 3), 0u);
    CPOffscreen palette(2, 2, 8, false, false);
    palette.Composite(canvas, 10, 10, 255, 0);  // 8 bits: refused
    EXPECT_EQ(PixelAt(canvas, 0, 0), 0u);
}

TEST(Offscreen, MissingResourceLeavesTheSurfaceInvalid) {
    CPOffscreen s;
    EXPECT_FALSE(s.CreateFromResource(PlatformThisModule(), 31999, 32, false, true));
    EXPECT_FALSE(s.Valid());
}

#ifndef _WIN32

TEST(Offscreen, EmbeddedLogoBitmapsLoad) {
    for (int id = 109; id <= 112; ++id) {
        CPOffscreen s;
        ASSERT_TRUE(s.CreateFromResource(nullptr, id, 32, false, true)) << id;
        EXPECT_GE(s.BitsPerPixel(), 24);
        EXPECT_GT(s.Width(), 0);
    }
}

class CRecordingTarget : public CPBlitTarget {
public:
    bool Blit(const TRect& d, const CPOffscreen& s, const TRect& r) override {
        dest = d;
        src = r;
        source = &s;
        return true;
    }
    TRect dest, src;
    const CPOffscreen* source = nullptr;
};

TEST(Offscreen, BlitRectHandsTheRectanglesToTheHostTarget) {
    CPOffscreen s(16, 9, 32, false, true);
    CRecordingTarget target;
    ASSERT_TRUE(s.BlitRect(static_cast<CPBlitTarget*>(&target), TRect{0, 0, 32, 18}, TRect{1, 2, 3, 4}));
    EXPECT_EQ(target.dest, (TRect{0, 0, 32, 18}));
    EXPECT_EQ(target.src, (TRect{1, 2, 3, 4}));
    EXPECT_EQ(target.source, &s);
    ASSERT_TRUE(s.BlitTo(static_cast<CPBlitTarget*>(&target), TRect{0, 0, 16, 9}));
    EXPECT_EQ(target.src, (TRect{0, 0, 16, 9}));
}

TEST(Offscreen, CaptureNeedsASurfaceDC) {
    CPOffscreen s(4, 4, 32, false, true);
    CRecordingTarget window;
    EXPECT_FALSE(s.CaptureFromDC(static_cast<CPBlitTarget*>(&window), TRect{0, 0, 4, 4}, TRect{0, 0, 4, 4}));
}

#else

TEST(OffscreenGdi, GdiDrawingThroughTheBorrowedDCLandsInThePixels) {
    CPOffscreen s(10, 10, 32, false, true);
    HDC dc = static_cast<HDC>(s.BorrowDC());
    ASSERT_NE(dc, nullptr);
    HBRUSH brush = ::CreateSolidBrush(RGB(0x11, 0x22, 0x33));
    RECT r{2, 1, 5, 3};
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    s.ReturnDC();  // flushes
    EXPECT_EQ(Rgb(PixelAt(s, 2, 1)), 0x112233u);
    EXPECT_EQ(Rgb(PixelAt(s, 4, 2)), 0x112233u);
    EXPECT_EQ(Rgb(PixelAt(s, 5, 2)), 0u);
    EXPECT_EQ(Rgb(PixelAt(s, 2, 3)), 0u);
}

TEST(OffscreenGdi, PackedSurfaceBlitsThroughStretchDIBits) {
    for (bool topDown : {false, true}) {
        CPOffscreen src(8, 6, 32, topDown, false);
        PaintPattern(src);
        CPOffscreen dst(8, 6, 32, false, true);
        HDC dc = static_cast<HDC>(dst.BorrowDC());
        ASSERT_TRUE(src.BlitRect(dc, TRect{0, 0, 3, 2}, TRect{4, 3, 7, 5}));
        dst.ReturnDC();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                ASSERT_EQ(Rgb(PixelAt(dst, x, y)), Rgb(Pattern(x + 4, y + 3))) << topDown << " " << x << "," << y;
    }
}

#endif

}  // namespace
