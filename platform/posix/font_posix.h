// Fonts of the POSIX drawing context: faces matched by fontconfig, glyphs
// rendered anti-aliased by FreeType. Opened font files are kept for the
// process (one table, FontCacheReset for tests).
#pragma once

#include <cstdint>

struct SPosixFont {
    void* face = nullptr;  // FT_Face, owned by the cache
    int32_t pixelHeight = 0;  // character height in pixels
    int32_t weight = 400;
    bool fixedPitch = false;
    bool underline = false;
    bool strikeOut = false;
    bool synthesiseBold = false;  // a bold request met by a regular face
};

// A font for face (0 Arial, 1 Helvetica, 2 Courier) at pixelHeight; false
// when no font file could be opened.
bool OpenPosixFont(int32_t face, int32_t pixelHeight, int32_t weight, bool italic, SPosixFont& font);

// Advance of one byte's glyph in pixels (26.6 rounded); the line height and
// the ascent of the font.
int32_t PosixGlyphAdvance(const SPosixFont& font, unsigned char c);
int32_t PosixLineHeight(const SPosixFont& font);
int32_t PosixAscent(const SPosixFont& font);

// Renders the glyph of c with its pen origin (baseline) at (x, y) through
// plot(x, y, coverage 0..255, context).
using PosixGlyphPlot = void (*)(int32_t x, int32_t y, int32_t coverage, void* context);
void PosixDrawGlyph(const SPosixFont& font, unsigned char c, int32_t x, int32_t y, PosixGlyphPlot plot,
                    void* context);

void FontCacheReset();
