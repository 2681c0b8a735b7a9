#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/Shapes.h"

namespace artwork
{

namespace
{
// A slide switch: a row of indicator lamps over a dark slot with a light thumb.
void PaintSwitchFrame(Canvas& canvas, int width, int positions, int selected)
{
    const float margin = 6.5f;
    // Stops sit on pixel centres so the thumb's grip lines stay crisp.
    auto stop = [&](int i)
    { return std::floor(margin + (width - 2 * margin) * float(i) / float(positions - 1)) + 0.5f; };

    for (int i = 0; i < positions; ++i)
    {
        if (i == selected)
        {
            FillCircle(canvas, stop(i), 4.0f, 3.6f, WithAlpha(palette::kAccent, 0.35f), 2.5f);
            FillCircle(canvas, stop(i), 4.0f, 2.2f, palette::kAccentBright);
            FillCircle(canvas, stop(i) - 0.6f, 3.4f, 0.8f, WithAlpha(Rgb(0xFFFFFF), 0.7f));
        }
        else
        {
            FillCircle(canvas, stop(i), 4.0f, 2.2f, WithAlpha(palette::kInk, 0.28f));
        }
    }

    const float ty0 = 10.0f, ty1 = 21.0f;
    FillRoundRect(canvas, 1.5f, ty0 + 1.0f, width - 1.5f, ty1 + 1.0f, 5.5f, WithAlpha(Rgb(0xFFFFFF), 0.5f));
    FillRoundRectGradient(canvas, 1.5f, ty0, width - 1.5f, ty1, 5.5f, Rgb(0x0F0D0C), Rgb(0x2E2A27));

    const float cx = stop(selected);
    FillRoundRect(canvas, cx - 4.5f, 9.0f + 1.2f, cx + 4.5f, 22.0f + 1.2f, 2.5f,
                  WithAlpha(Rgb(0x000000), 0.5f), 1.5f);
    FillRoundRectGradient(canvas, cx - 4.5f, 9.0f, cx + 4.5f, 22.0f, 2.5f, Rgb(0xF1EBDF), Rgb(0xB4AC9D));
    for (int g = -1; g <= 1; ++g)
        StrokeSegment(canvas, cx + g * 2.0f, 12.5f, cx + g * 2.0f, 18.5f, 0.45f,
                      WithAlpha(Rgb(0x57504A), 0.8f));
}
} // namespace

Canvas PaintSwitchStrip(int width, int height, int positions)
{
    Canvas canvas(width, height);
    const int frame = height / positions;
    for (int i = 0; i < positions; ++i)
    {
        Canvas one(width, frame);
        PaintSwitchFrame(one, width, positions, i);
        canvas.Draw(one, 0, i * frame);
    }
    return canvas;
}

} // namespace artwork
