#include "editor/IBitmapFont.h"

#include "editor/BitmapFontSpacing.h"
#include "editor/IGraphics.h"

#include <algorithm>

namespace
{

// Codes 32 to 127 come from the spacing table; 128 and up are never drawn and stay 0.
IBitmapFontWidths MakeTable(const std::array<int16_t, 96>& ascii)
{
    IBitmapFontWidths table;
    std::copy(ascii.begin(), ascii.end(), table.widths.begin());
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
    static const IBitmapFontWidths table = MakeTable(kBitmapFontSpacing14);
    return table;
}

const IBitmapFontWidths& BitmapFont12Widths()
{
    static const IBitmapFontWidths table = MakeTable(kBitmapFontSpacing12);
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
