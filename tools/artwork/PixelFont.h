#pragma once
// The project's own pixel typefaces, defined as text in PixelGlyphs.cpp.
//
// "Regular" is a 5 x 7 design with two descender rows (rows 0-6 above the baseline, 7-8 below);
// "Tall" is a 6 x 9 design with three descender rows, used where glyphs may be larger.
// Both carry every printable ASCII character.

#include "tools/artwork/Canvas.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace artwork
{

struct Glyph
{
    int width = 0;                 // columns, including any designed left padding
    std::array<uint16_t, 12> rows; // bit (width - 1 - x) set where column x has ink
    bool Ink(int x, int y) const
    {
        return y >= 0 && y < 12 && x >= 0 && x < width && (rows[y] >> (width - 1 - x)) & 1;
    }
    // Columns from the first to the last inked one (0 for a blank glyph), and where they start.
    int InkWidth() const;
    int InkLeft() const;
};

class PixelFont
{
public:
    static const PixelFont& Regular();
    static const PixelFont& Tall();

    // Glyph for a printable ASCII character; anything else is blank.
    const Glyph& Get(char c) const;
    int Rows() const { return mRows; }     // design rows including descenders
    int Ascent() const { return mAscent; } // rows above the baseline
    int SpaceWidth() const { return mSpace; }

    // Caption layout: glyphs set tightly, one blank column between them (times the scale).
    int Measure(std::string_view text, int scale = 1, int tracking = 1) const;
    // Draws text with its top-left at (x, y); each design pixel is a scale x scale block.
    void Draw(Canvas& canvas, int x, int y, std::string_view text, Colour c, int scale = 1,
              int tracking = 1) const;
    // Draws text turned a quarter to the left (reading upward), its baseline at column x,
    // starting at row y and running towards smaller y.
    void DrawUpward(Canvas& canvas, int x, int y, std::string_view text, Colour c, int tracking = 1) const;

private:
    PixelFont(const char* const* source, int count, int rows, int ascent, int space);
    std::array<Glyph, 95> mGlyphs{};
    Glyph mBlank{};
    int mRows, mAscent, mSpace;
};

} // namespace artwork
