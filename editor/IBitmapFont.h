#pragma once

#include "editor/IGraphicsTypes.h"

#include <array>
#include <cstdint>

class IGraphics;

// Spacing widths of a bitmap font: one glyph per frame for the codes firstCode upward.
struct IBitmapFontWidths
{
    int32_t firstCode = 32;
    int32_t count = 224;
    std::array<int16_t, 224> widths{};

    int Width(unsigned char c) const;
};

// The 14-pixel font (11 x 14 glyphs) and the 12-pixel font (9 x 12 glyphs).
const IBitmapFontWidths& BitmapFont14Widths();
const IBitmapFontWidths& BitmapFont12Widths();
// The table that fits a font image by its glyph height.
const IBitmapFontWidths& BitmapFontWidthsFor(const IBitmapRef& font);

// Sum of the spacing widths of the drawable characters.
int BitmapTextWidth(const IBitmapFontWidths& widths, const char* text);

// Writes text with a bitmap font from x on, its glyph row starting at top, each glyph cut at right.
// Only the printable ASCII codes 32 to 126 are drawn; other characters are skipped.
void DrawBitmapText(IGraphics& graphics, const IBitmapRef& font, const IBitmapFontWidths& widths,
                    const char* text, int x, int top, int right, const IBlend* blend);
