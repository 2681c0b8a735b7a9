#include "tools/artwork/PixelFont.h"

#include <stdexcept>
#include <string>

namespace artwork
{

namespace
{
const char* const kRegularSource[] = {
#include "tools/artwork/PixelGlyphsRegular.inc"
};
const char* const kTallSource[] = {
#include "tools/artwork/PixelGlyphsTall.inc"
};

Glyph ParseGlyph(const char* text, int maxRows)
{
    Glyph g{};
    g.rows.fill(0);
    const std::string s(text);
    int row = 0, col = 0, width = 0;
    for (char c : s)
    {
        if (c == '/')
        {
            ++row;
            col = 0;
            continue;
        }
        if (row >= maxRows) throw std::logic_error("glyph has too many rows");
        if (c == '#') g.rows[row] |= uint16_t(1u << (15 - col)); // left-aligned for now
        ++col;
        width = std::max(width, col);
    }
    g.width = width;
    for (auto& r : g.rows)
        r = uint16_t(r >> (16 - width)); // right-align so bit (width - 1 - x) is column x
    return g;
}
} // namespace

int Glyph::InkWidth() const
{
    const int left = InkLeft();
    int right = -1;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < width; ++x)
            if (Ink(x, y)) right = std::max(right, x);
    return right < 0 ? 0 : right - left + 1;
}

int Glyph::InkLeft() const
{
    int left = width;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < width; ++x)
            if (Ink(x, y)) left = std::min(left, x);
    return left == width ? 0 : left;
}

PixelFont::PixelFont(const char* const* source, int count, int rows, int ascent, int space)
    : mRows(rows), mAscent(ascent), mSpace(space)
{
    if (count != 95) throw std::logic_error("a pixel face needs the 95 printable characters");
    for (int i = 0; i < count; ++i)
        mGlyphs[i] = ParseGlyph(source[i], rows);
    mBlank.rows.fill(0);
}

const PixelFont& PixelFont::Regular()
{
    static const PixelFont font(kRegularSource, int(std::size(kRegularSource)), 9, 7, 3);
    return font;
}

const PixelFont& PixelFont::Tall()
{
    static const PixelFont font(kTallSource, int(std::size(kTallSource)), 12, 9, 3);
    return font;
}

const Glyph& PixelFont::Get(char c) const
{
    const int code = static_cast<unsigned char>(c);
    return code >= 32 && code <= 126 ? mGlyphs[code - 32] : mBlank;
}

int PixelFont::Measure(std::string_view text, int scale, int tracking) const
{
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        width += (text[i] == ' ' ? mSpace : Get(text[i]).width) * scale;
        if (i + 1 < text.size()) width += tracking * scale;
    }
    return width;
}

void PixelFont::Draw(Canvas& canvas, int x, int y, std::string_view text, Colour c, int scale,
                     int tracking) const
{
    for (char ch : text)
    {
        const Glyph& g = Get(ch);
        for (int row = 0; row < mRows; ++row)
            for (int col = 0; col < g.width; ++col)
                if (g.Ink(col, row))
                    canvas.FillRect(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                    y + (row + 1) * scale, c);
        x += ((ch == ' ' ? mSpace : g.width) + tracking) * scale;
    }
}

void PixelFont::DrawUpward(Canvas& canvas, int x, int y, std::string_view text, Colour c, int tracking) const
{
    // Design column k lands on row y - k; design row r lands on column x - ascent + r.
    for (char ch : text)
    {
        const Glyph& g = Get(ch);
        for (int row = 0; row < mRows; ++row)
            for (int col = 0; col < g.width; ++col)
                if (g.Ink(col, row)) canvas.Blend(x - mAscent + row, y - col, c);
        y -= (ch == ' ' ? mSpace : g.width) + tracking;
    }
}

} // namespace artwork
