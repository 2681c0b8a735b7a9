#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/Shapes.h"

namespace artwork
{

namespace
{
constexpr int kSegments = 18;
constexpr int kSegmentPitch = 6;
constexpr int kSegmentHeight = 5;
constexpr int kHousingBottom = 124; // the rows below stay clear for the level text drawn under the meter

Colour SegmentColour(int i)
{
    if (i >= 15) return palette::kMeterRed;
    if (i >= 12) return palette::kMeterYellow;
    return palette::kMeterGreen;
}

void PaintMeterFrame(Canvas& canvas, int top, int width, int lit, bool left)
{
    const Colour housing = Rgb(0x1E1B19);
    const float hx0 = left ? 2.0f : 0.5f, hx1 = left ? width - 0.5f : width - 2.0f;
    FillRoundRect(canvas, hx0, top + 1.0f, hx1, top + kHousingBottom + 1.0f, 4.0f,
                  WithAlpha(Rgb(0x000000), 0.35f), 2.0f);
    FillRoundRectGradient(canvas, hx0, float(top), hx1, float(top + kHousingBottom), 3.5f, Rgb(0x2C2826),
                          housing);
    // Channel letter at the top of the housing.
    const PixelFont& font = PixelFont::Regular();
    const char* letter = left ? "L" : "R";
    const int segX0 = left ? 10 : 5, segX1 = segX0 + 13;
    font.Draw(canvas, (segX0 + segX1) / 2 - 2, top + 3, letter, WithAlpha(palette::kCream, 0.7f));

    for (int i = 0; i < kSegments; ++i)
    {
        const int y1 = top + 120 - kSegmentPitch * i, y0 = y1 - kSegmentHeight;
        const Colour c = SegmentColour(i);
        if (i < lit)
        {
            FillRoundRect(canvas, segX0 - 1.0f, y0 - 1.0f, segX1 + 1.0f, y1 + 1.0f, 2.0f, WithAlpha(c, 0.35f),
                          2.5f);
            FillRoundRect(canvas, float(segX0), float(y0), float(segX1), float(y1), 1.0f, c);
            canvas.FillRect(segX0 + 1, y0, segX1 - 1, y0 + 1, WithAlpha(Rgb(0xFFFFFF), 0.45f));
        }
        else
        {
            FillRoundRect(canvas, float(segX0), float(y0), float(segX1), float(y1), 1.0f,
                          Mix(c, housing, 0.8f));
        }
        // Scale ticks on the outer side, longer every third segment.
        const int tickLen = i % 3 == 2 ? 3 : 1;
        const int tx = left ? segX0 - 3 - tickLen : segX1 + 3;
        canvas.FillRect(tx, y0 + 2, tx + tickLen, y0 + 3, Rgb(0x8A8278));
    }
}
} // namespace

Canvas PaintMeterStrip(int width, int height, int frames, bool left)
{
    Canvas canvas(width, height);
    const int frame = height / frames;
    // Frame k lights the lowest k - 1 segments: the first frame is silence, the last is full scale.
    for (int i = 0; i < frames; ++i)
        PaintMeterFrame(canvas, i * frame, width, i * kSegments / (frames - 1), left);
    return canvas;
}

} // namespace artwork
