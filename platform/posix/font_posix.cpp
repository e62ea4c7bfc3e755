// fontconfig matches the family names of the panel's faces to font files
// (Liberation Sans and Mono are the metric twins of Arial and Courier;
// DejaVu stands in when they are missing); FreeType opens and renders them.
#include "platform/posix/font_posix.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace {

constexpr int32_t kCourierFace = 2;

struct CachedFace {
    std::string key;  // family + style
    FT_Face face = nullptr;
};

// The process's font files: opened once, shared by every font holder.
struct FontCache {
    FT_Library library = nullptr;
    bool triedLibrary = false;
    std::vector<CachedFace> faces;
    bool fontconfigUp = false;

    ~FontCache() {
        Reset();
        // fontconfig's own configuration is process-wide too; it goes last.
        if (fontconfigUp) FcFini();
    }
    void Reset() {
        for (CachedFace& f : faces)
            if (f.face) FT_Done_Face(f.face);
        faces.clear();
        if (library) FT_Done_FreeType(library);
        library = nullptr;
        triedLibrary = false;
    }
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

// The file fontconfig gives for family; empty when none.
std::string MatchFile(const char* family, bool bold, bool italic, bool mono) {
    std::string file;
    if (!FcInit()) return file;
    Cache().fontconfigUp = true;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return file;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(mono ? "DejaVu Sans Mono" : "DejaVu Sans"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

FT_Face FaceFor(int32_t face, bool bold, bool italic) {
    FontCache& cache = Cache();
    if (!cache.triedLibrary) {
        cache.triedLibrary = true;
        if (FT_Init_FreeType(&cache.library) != 0) cache.library = nullptr;
    }
    if (!cache.library) return nullptr;
    static const char* const kFamilies[] = {"Arial", "Helvetica", "Courier"};
    const char* family = kFamilies[(face >= 0 && face <= 2) ? face : 0];
    const std::string key = std::string(family) + (bold ? "B" : "") + (italic ? "I" : "");
    for (const CachedFace& f : cache.faces)
        if (f.key == key) return f.face;
    const std::string file = MatchFile(family, bold, italic, face == kCourierFace);
    FT_Face ftFace = nullptr;
    if (file.empty() || FT_New_Face(cache.library, file.c_str(), 0, &ftFace) != 0) ftFace = nullptr;
    cache.faces.push_back({key, ftFace});  // a failure is remembered too
    return ftFace;
}

FT_Face Face(const SPosixFont& font) { return static_cast<FT_Face>(font.face); }

bool Size(const SPosixFont& font) {
    FT_Face f = Face(font);
    if (!f) return false;
    // The height asked is the character (em) height, as a negative
    // CreateFontA height is.
    if (f->size && f->size->metrics.y_ppem == font.pixelHeight) return true;
    return FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(font.pixelHeight)) == 0;
}

}  // namespace

bool OpenPosixFont(int32_t face, int32_t pixelHeight, int32_t weight, bool italic, SPosixFont& font) {
    const bool bold = weight >= 600;
    FT_Face f = FaceFor(face, bold, italic);
    if (!f) return false;
    font.face = f;
    font.pixelHeight = pixelHeight < 1 ? 1 : (pixelHeight > 1000 ? 1000 : pixelHeight);
    font.weight = weight;
    font.fixedPitch = FT_IS_FIXED_WIDTH(f) != 0;
    font.synthesiseBold = bold && !(f->style_flags & FT_STYLE_FLAG_BOLD);
    return true;
}

int32_t PosixGlyphAdvance(const SPosixFont& font, unsigned char c) {
    if (!Size(font)) return 0;
    FT_Face f = Face(font);
    if (FT_Load_Char(f, c < 32 ? ' ' : c, FT_LOAD_DEFAULT) != 0) return 0;
    return static_cast<int32_t>((f->glyph->advance.x + 32) >> 6) + (font.synthesiseBold ? 1 : 0);
}

int32_t PosixLineHeight(const SPosixFont& font) {
    if (!Size(font)) return font.pixelHeight;
    return static_cast<int32_t>((Face(font)->size->metrics.height + 32) >> 6);
}

int32_t PosixAscent(const SPosixFont& font) {
    if (!Size(font)) return font.pixelHeight;
    return static_cast<int32_t>((Face(font)->size->metrics.ascender + 32) >> 6);
}

void PosixDrawGlyph(const SPosixFont& font, unsigned char c, int32_t x, int32_t y, PosixGlyphPlot plot,
                    void* context) {
    if (!Size(font) || c <= 32) return;
    FT_Face f = Face(font);
    if (FT_Load_Char(f, c, FT_LOAD_RENDER) != 0) return;
    const FT_Bitmap& bitmap = f->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int32_t left = x + f->glyph->bitmap_left;
    const int32_t top = y - f->glyph->bitmap_top;
    const int32_t passes = font.synthesiseBold ? 2 : 1;
    for (int32_t pass = 0; pass < passes; ++pass)
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* line = bitmap.buffer + static_cast<intptr_t>(row) * bitmap.pitch;
            for (unsigned col = 0; col < bitmap.width; ++col)
                if (line[col]) plot(left + static_cast<int32_t>(col) + pass, top + static_cast<int32_t>(row), line[col], context);
        }
}

void FontCacheReset() { Cache().Reset(); }
