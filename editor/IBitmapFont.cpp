#include "editor/IBitmapFont.h"

#include "editor/IGraphics.h"

#include <algorithm>

namespace
{

// Codes 32 to 127; 128 and up are never drawn and stay 0.
constexpr int16_t kWidths14[96] = {
    7, 5, 8, 8, 8, 7, 9, 6, 5, 5, 7, 8, 6, 7, 5, 7, // 32
    8, 7, 7, 7, 7, 7, 7, 7, 7, 7, 6, 6, 7, 7, 7, 7, // 48
    7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 7, 7, 7, 7, 7, 7, // 64
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 9, // 80
    5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, // 96
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 7, 9, 0, // 112
};

constexpr int16_t kWidths12[96] = {
    6, 4, 7, 7, 7, 6, 7, 5, 4, 5, 6, 7, 5, 6, 4, 6, // 32
    7, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 5, 6, 6, 6, 6, // 48
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // 64
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 8, // 80
    4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, // 96
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 8, 0, // 112
};

IBitmapFontWidths MakeTable(const int16_t (&ascii)[96])
{
    IBitmapFontWidths table;
    std::copy(std::begin(ascii), std::end(ascii), table.widths.begin());
    return table;
}

bool Drawable(unsigned char c)
{
    return c >= 32 && c <= 126;
}

} // namespace

int IBitmapFontWidths::Width(unsigned char c) const
{
    const int i = c - firstCode;
    return i >= 0 && i < count ? widths[i] : 0;
}

const IBitmapFontWidths& BitmapFont14Widths()
{
    static const IBitmapFontWidths table = MakeTable(kWidths14);
    return table;
}

const IBitmapFontWidths& BitmapFont12Widths()
{
    static const IBitmapFontWidths table = MakeTable(kWidths12);
    return table;
}

const IBitmapFontWidths& BitmapFontWidthsFor(const IBitmapRef& font)
{
    return font.FrameH() <= 12 ? BitmapFont12Widths() : BitmapFont14Widths();
}

int BitmapTextWidth(const IBitmapFontWidths& widths, const char* text)
{
    int width = 0;
    for (const char* p = text; p && *p; ++p)
        if (Drawable(static_cast<unsigned char>(*p))) width += widths.Width(static_cast<unsigned char>(*p));
    return width;
}

void DrawBitmapText(IGraphics& graphics, const IBitmapRef& font, const IBitmapFontWidths& widths,
                    const char* text, int x, int top, int right, const IBlend* blend)
{
    const int glyphH = font.FrameH();
    for (const char* p = text; p && *p; ++p)
    {
        const auto c = static_cast<unsigned char>(*p);
        if (!Drawable(c)) continue;
        const int index = c - 32;
        const int frame = std::min(font.N, index + 1);
        int srcX = 0;
        int srcY = 0;
        if (font.N >= 2 && frame != 1)
        {
            if (font.horizontal)
                srcX = static_cast<int>(static_cast<double>(font.W) * (frame - 1) / font.N + 0.5);
            else
                srcY = static_cast<int>(static_cast<double>(font.H) * (frame - 1) / font.N + 0.5);
        }
        graphics.DrawBitmap(font, IArea{x, top, right, top + glyphH}, srcX, srcY, blend);
        x += widths.Width(c);
    }
}
