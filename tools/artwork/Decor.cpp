#include "tools/artwork/Decor.h"

#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/Shapes.h"

namespace artwork::decor
{

using namespace palette;

void PaintPanel(Canvas& canvas, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
        {
            // Fine grain plus a very slow vertical falloff, so the plate does not look flat.
            const float g = Grain(x, y, 7) * 0.012f + Grain(x / 3, y / 3, 11) * 0.006f;
            Colour c =
                Mix(kPanel, kPanelShade, std::clamp(float(y - y0) / float(y1 - y0) * 0.35f, 0.0f, 1.0f));
            c.r += g;
            c.g += g;
            c.b += g;
            canvas.Set(x, y, c);
        }
}

void HorizontalRule(Canvas& canvas, int x0, int x1, int y)
{
    canvas.FillRect(x0, y, x1, y + 2, kInk);
    canvas.FillRect(x0, y + 2, x1, y + 3, WithAlpha(Rgb(0xFFFFFF), 0.35f));
}

void VerticalRule(Canvas& canvas, int x, int y0, int y1)
{
    canvas.FillRect(x, y0, x + 2, y1, kInk);
    canvas.FillRect(x + 2, y0, x + 3, y1, WithAlpha(Rgb(0xFFFFFF), 0.35f));
}

void CentredCaption(Canvas& canvas, int cx, int y, std::string_view text)
{
    const PixelFont& font = PixelFont::Regular();
    font.Draw(canvas, cx - font.Measure(text) / 2, y, text, kInk);
}

void RightCaption(Canvas& canvas, int right, int y, std::string_view text)
{
    const PixelFont& font = PixelFont::Regular();
    font.Draw(canvas, right - font.Measure(text), y, text, kInk);
}

void SectionTitle(Canvas& canvas, int x, int y, std::string_view text)
{
    FillRoundRect(canvas, float(x), y + 1.0f, x + 5.0f, y + 6.0f, 1.0f, kAccent);
    PixelFont::Regular().Draw(canvas, x + 9, y, text, kInk, 1, 2);
}

void RowTab(Canvas& canvas, int y0, int y1, std::string_view text)
{
    FillRoundRect(canvas, 5.0f, y0 + 4.0f, 25.0f, y1 - 4.0f, 3.0f, kInk);
    const PixelFont& font = PixelFont::Regular();
    const int length = font.Measure(text);
    // Centred along the tab; the baseline column sits so the capitals are centred across it.
    font.DrawUpward(canvas, 18, (y0 + y1) / 2 + length / 2, text, kCream);
}

void ValueField(Canvas& canvas, int x0, int y0, int x1, int y1)
{
    FillRoundRect(canvas, float(x0), float(y0), float(x1), float(y1), 3.0f, WithAlpha(Rgb(0xFFFFFF), 0.55f));
    FillRoundRect(canvas, float(x0), float(y0), float(x1), y1 - 1.0f, 3.0f, Mix(kPanelShade, kInk, 0.08f));
    FillRoundRect(canvas, x0 + 0.5f, y0 + 1.5f, x1 - 0.5f, y1 - 1.0f, 2.5f, kPanelShade);
}

void PaintBand(Canvas& canvas, int y0, int y1, int plateX0, int plateY0, int plateX1, int plateY1)
{
    // Grey band with dark pinstripes, lit along its top edge.
    for (int y = y0; y < y1; ++y)
    {
        const bool stripe = (y - y0) % 4 >= 2;
        for (int x = 0; x < canvas.Width(); ++x)
        {
            Colour c = stripe ? kBandStripe : kBand;
            const float g = Grain(x, y, 3) * 0.01f;
            c.r += g;
            c.g += g;
            c.b += g;
            canvas.Set(x, y, c);
        }
    }
    canvas.FillRect(0, y0, canvas.Width(), y0 + 1, Rgb(0x807C77));
    canvas.FillRect(0, y1 - 1, canvas.Width(), y1, Rgb(0x252321));

    // Screws at either end and the maker's and the instrument's names engraved beside the plate.
    const float mid = (y0 + y1) * 0.5f;
    for (float sx : {14.0f, canvas.Width() - 14.0f})
    {
        FillCircle(canvas, sx, mid + 0.8f, 5.0f, WithAlpha(Rgb(0x000000), 0.5f), 1.8f);
        PaintShape(
            canvas, Box{int(sx) - 6, int(mid) - 6, int(sx) + 7, int(mid) + 7},
            [&](float x, float y) { return CircleDistance(x, y, sx, mid, 4.5f); },
            [&](float, float y)
            { return Mix(Rgb(0xC9C4BC), Rgb(0x6E6A64), std::clamp((y - mid + 4.5f) / 9.0f, 0.0f, 1.0f)); });
        StrokeSegment(canvas, sx - 2.6f, mid + 1.5f, sx + 2.6f, mid - 1.5f, 0.6f, Rgb(0x3A3734));
    }
    const PixelFont& font = PixelFont::Regular();
    const int textY = int(mid) - 4;
    const Colour engraved = Rgb(0xD9D4CB), shadow = WithAlpha(Rgb(0x000000), 0.6f);
    const std::string_view maker = "QUORVANE", kind = "8-BIT SOUND EFFECT SYNTHESIZER";
    const int makerX = 34, kindX = canvas.Width() - 34 - font.Measure(kind, 1, 2);
    font.Draw(canvas, makerX, textY + 1, maker, shadow, 1, 3);
    font.Draw(canvas, makerX, textY, maker, engraved, 1, 3);
    font.Draw(canvas, kindX, textY + 1, kind, shadow, 1, 2);
    font.Draw(canvas, kindX, textY, kind, WithAlpha(engraved, 0.8f), 1, 2);

    // The name plate: a dark window set into the band, with a bevel.
    FillRoundRect(canvas, plateX0 - 2.0f, plateY0 - 2.0f, plateX1 + 2.0f, plateY1 + 2.0f, 5.0f,
                  Rgb(0x8E8A84));
    FillRoundRect(canvas, plateX0 - 1.0f, plateY0 - 1.0f, plateX1 + 1.0f, plateY1 + 1.0f, 4.5f,
                  Rgb(0x1A1715));
    FillRoundRectGradient(canvas, float(plateX0), float(plateY0), float(plateX1), float(plateY1), 4.0f,
                          Rgb(0x140F0D), kDisplay);
    const float pitch = 3.5f;
    const char* name = "Brisbleep";
    const float w = DotMatrixWidth(name, pitch), h = 9 * pitch;
    // Unlit lamps fill the window so it reads as a real matrix display.
    const float gx0 = (plateX0 + plateX1) * 0.5f - w * 0.5f, gy0 = (plateY0 + plateY1) * 0.5f - h * 0.5f;
    const int colsLeft = int((gx0 - plateX0 - 3) / pitch), colsRight = int((plateX1 - 3 - (gx0 + w)) / pitch);
    Canvas lamps(canvas.Width(), canvas.Height());
    for (int row = 0; row < 9; ++row)
        for (int col = -colsLeft; col < int(w / pitch) + colsRight; ++col)
            FillCircle(lamps, gx0 + (col + 0.5f) * pitch, gy0 + (row + 0.5f) * pitch, pitch * 0.36f, kLedOff);
    DotMatrix(lamps, gx0, gy0, pitch, name);
    // The glow stays behind the glass: nothing of it reaches the bevel.
    lamps.ClearRect(0, 0, lamps.Width(), plateY0);
    lamps.ClearRect(0, plateY1, lamps.Width(), lamps.Height());
    lamps.ClearRect(0, 0, plateX0, lamps.Height());
    lamps.ClearRect(plateX1, 0, lamps.Width(), lamps.Height());
    canvas.Draw(lamps, 0, 0);
}

float DotMatrixWidth(std::string_view text, float pitch)
{
    return float(PixelFont::Regular().Measure(text)) * pitch;
}

void DotMatrix(Canvas& canvas, float x, float y, float pitch, std::string_view text)
{
    const PixelFont& font = PixelFont::Regular();
    float pen = x;
    for (char ch : text)
    {
        const Glyph& g = font.Get(ch);
        for (int row = 0; row < font.Rows(); ++row)
            for (int col = 0; col < g.width; ++col)
                if (g.Ink(col, row))
                {
                    const float cx = pen + (col + 0.5f) * pitch, cy = y + (row + 0.5f) * pitch;
                    FillCircle(canvas, cx, cy, pitch * 0.95f, WithAlpha(kLed, 0.16f), pitch * 0.9f);
                    FillCircle(canvas, cx, cy, pitch * 0.38f, kLed);
                    FillCircle(canvas, cx - pitch * 0.1f, cy - pitch * 0.1f, pitch * 0.16f,
                               WithAlpha(Rgb(0xFFF1C9), 0.8f));
                }
        pen += ((ch == ' ' ? font.SpaceWidth() : g.width) + 1) * pitch;
    }
}

} // namespace artwork::decor
