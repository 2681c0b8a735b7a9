#include "tools/artwork/Decor.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/Shapes.h"

#include <iterator>
#include <string_view>

namespace artwork
{

namespace
{
using namespace decor;

// Little sprites for the kinds of sound the instrument makes, one character per pixel:
// k ink, o accent, y gold, w cream, r red, s steel, '.' clear.
constexpr const char* kSprites[][9] = {
    {"..kkkkk..", ".kyyyyyk.", "kyywyyyyk", "kywyyyyyk", "kyyyyyyyk", "kyyyyyyok", "kyyyyyook", ".kyooook.",
     "..kkkkk.."}, // coin
    {".........", "o........", ".o..y....", "..oooyyyy", ".o..y....", "o........", ".........", ".........",
     "........."}, // shot
    {"....y....", "...yyy...", "yyyywyyyy", ".yyywyyy.", "..yyyyy..", "..yy.yy..", ".yy...yy.", ".y.....y.",
     "........."}, // power-up
    {".rr...rr.", "rwrr.rrrr", "rwrrrrrrr", "rrrrrrrrr", ".rrrrrrr.", "..rrrrr..", "...rrr...", "....r....",
     "........."}, // hit
    {"....k....", "...kkk...", "..kkkkk..", "....k....", "....k....", "....k....", ".........", "kkkkkkkkk",
     "........."}, // jump
    {".........", "..kkkkk..", "..k...k..", "..k...k..", "kkk.kkk..", "kkk.kkk..", ".........", ".........",
     "........."}, // blip
    {"........s", ".......ss", "......ss.", ".....ss..", "o...ss...", ".o.ss....", "..ok.....", ".kooo....",
     "k...o...."}, // blade
};

Colour SpriteColour(char c)
{
    using namespace palette;
    switch (c)
    {
    case 'k':
        return kInk;
    case 'o':
        return kAccent;
    case 'y':
        return Rgb(0xF0B43A);
    case 'w':
        return kCream;
    case 'r':
        return kRed;
    case 's':
        return Rgb(0x8E979E);
    default:
        return Colour{0, 0, 0, 0};
    }
}

void PaintSprites(Canvas& canvas, int y, int scale)
{
    const int count = int(std::size(kSprites)), size = 9 * scale, gap = 4 * scale;
    const int x0 = (canvas.Width() - count * size - (count - 1) * gap) / 2;
    for (int i = 0; i < count; ++i)
        for (int row = 0; row < 9; ++row)
            for (int col = 0; col < 9; ++col)
            {
                const int px = x0 + i * (size + gap) + col * scale, py = y + row * scale;
                canvas.FillRect(px, py, px + scale, py + scale, SpriteColour(kSprites[i][row][col]));
            }
}

void Centred(Canvas& canvas, int y, std::string_view text, Colour c, int scale)
{
    const PixelFont& font = PixelFont::Regular();
    font.Draw(canvas, (canvas.Width() - font.Measure(text, scale)) / 2, y, text, c, scale);
}
} // namespace

Canvas PaintAbout(int width, int height)
{
    using namespace palette;
    Canvas canvas(width, height);
    PaintPanel(canvas, 0, 0, width, height);
    canvas.FillRect(0, 0, width, 14, kInk);
    PixelFont::Regular().Draw(canvas, 38, 4, "ABOUT", kCream, 1, 2);

    // Title plate: the product name in large dot-matrix lamps on a dark window.
    const float pitch = 8.0f;
    const float nameWidth = DotMatrixWidth("Brisbleep", pitch);
    const float px0 = (width - nameWidth) * 0.5f - 24, px1 = (width + nameWidth) * 0.5f + 24;
    FillRoundRect(canvas, px0 - 3, 49.0f, px1 + 3, 163.0f, 9.0f, Rgb(0x8E8A84));
    FillRoundRect(canvas, px0 - 1.5f, 50.5f, px1 + 1.5f, 161.5f, 8.0f, Rgb(0x1A1715));
    FillRoundRectGradient(canvas, px0, 52.0f, px1, 160.0f, 7.0f, Rgb(0x140F0D), kDisplay);
    for (int row = 0; row < 9; ++row)
        for (float x = (width - nameWidth) * 0.5f - 2 * pitch; x < (width + nameWidth) * 0.5f + 2 * pitch;
             x += pitch)
            FillCircle(canvas, x + pitch * 0.5f, 70.0f + (row + 0.5f) * pitch, pitch * 0.34f, kLedOff);
    DotMatrix(canvas, (width - nameWidth) * 0.5f, 70.0f, pitch, "Brisbleep");

    Centred(canvas, 184, "RETRO SOUND EFFECT INSTRUMENT", kInk, 2);
    Centred(canvas, 212, "Version 1.0.1", kInkSoft, 2);

    // Maker.
    FillRoundRect(canvas, 273.0f, 248.0f, 573.0f, 250.0f, 1.0f, WithAlpha(kInk, 0.5f));
    Centred(canvas, 268, "Designed and built by", kInkSoft, 2);
    Centred(canvas, 296, "QUORVANE", kAccent, 3);
    Centred(canvas, 334, "Copyright 2026 Quorvane. Free software under the GNU General", kInk, 1);
    Centred(canvas, 346, "Public License, version 3 or later, with no warranty.", kInk, 1);

    // Acknowledgements.
    FillRoundRect(canvas, 273.0f, 372.0f, 573.0f, 374.0f, 1.0f, WithAlpha(kInk, 0.5f));
    Centred(canvas, 390, "ACKNOWLEDGEMENTS", kInk, 2);
    Centred(canvas, 420, "libpng, the PNG reference library", kInk, 2);
    Centred(canvas, 446, "zlib, by Jean-loup Gailly and Mark Adler", kInk, 2);
    Centred(canvas, 472, "the VST 3 SDK, by Steinberg Media Technologies GmbH", kInk, 2);
    Centred(canvas, 512, "VST is a trademark of Steinberg Media Technologies GmbH", kInk, 2);

    PaintSprites(canvas, 552, 3);
    Centred(canvas, 610, "CLICK ANYWHERE TO CLOSE", kInkSoft, 1);

    // The band continues across the bottom edge, matching the editor's own.
    using namespace layout;
    PaintBand(canvas, kBandTop, kBandBottom, kPlate.x, kPlate.y, kPlate.x + kPlate.w, kPlate.y + kPlate.h);
    return canvas;
}

} // namespace artwork
