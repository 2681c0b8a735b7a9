#include "tools/artwork/GlyphWidths.h"
#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"

#include <algorithm>

namespace artwork
{

namespace
{
struct FontLook
{
    const PixelFont* face;
    int scale;
    int top;                               // first design row inside the cell
    const std::array<int16_t, 96>* widths; // none: glyphs sit one column in
    Colour ink;
};

FontLook LookOf(FontStyle style)
{
    switch (style)
    {
    case FontStyle::Small:
        return {&PixelFont::Regular(), 1, 2, &kSpacing12, palette::kInk};
    case FontStyle::Medium:
        return {&PixelFont::Tall(), 1, 2, &kSpacing14, palette::kInk};
    case FontStyle::MediumLight:
        return {&PixelFont::Tall(), 1, 2, &kSpacing14, palette::kCream};
    case FontStyle::Large:
        break;
    }
    return {&PixelFont::Regular(), 2, 1, nullptr, palette::kInk};
}
} // namespace

Canvas PaintFont(int width, int height, FontStyle style)
{
    const FontLook look = LookOf(style);
    const int cell = height / kGlyphFrames;
    Canvas canvas(width, height);
    // Codes above 126 are never written by the editor and stay blank.
    for (int code = kFirstGlyphCode; code <= 126; ++code)
    {
        const Glyph& g = look.face->Get(char(code));
        const int ink = g.InkWidth() * look.scale;
        int left = look.scale;
        if (look.widths)
        {
            // Centre the ink in the advance, keeping one spare column on the right.
            const int advance = (*look.widths)[size_t(code - kFirstGlyphCode)];
            left = std::max(0, (advance - 1 - ink) / 2);
        }
        const int x0 = left - g.InkLeft() * look.scale;
        const int y0 = (code - kFirstGlyphCode) * cell + look.top;
        for (int row = 0; row < look.face->Rows(); ++row)
            for (int col = 0; col < g.width; ++col)
                if (g.Ink(col, row))
                    canvas.FillRect(x0 + col * look.scale, y0 + row * look.scale, x0 + (col + 1) * look.scale,
                                    y0 + (row + 1) * look.scale, look.ink);
    }
    return canvas;
}

} // namespace artwork
