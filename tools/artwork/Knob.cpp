#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/Shapes.h"

namespace artwork
{

namespace
{
// The pointer sweeps 270 degrees, from 135 degrees left of straight up to 135 degrees right.
constexpr float kSweepStart = -135.0f;
constexpr float kSweep = 270.0f;

void PaintKnobFrame(Canvas& canvas, float top, float size, float angle, Colour accent)
{
    const float k = size / 48.0f; // every measure is drawn for a 48-pixel frame and scaled
    const float cx = size * 0.5f, cy = top + size * 0.5f;
    const float rad = Radians(angle);
    const float sx = std::sin(rad), sy = -std::cos(rad);

    // Value ring: a faint groove for the whole sweep, lit from the start up to the pointer.
    StrokeArc(canvas, cx, cy, 21.0f * k, kSweepStart, kSweepStart + kSweep, 1.6f * k,
              WithAlpha(palette::kInk, 0.16f));
    if (angle > kSweepStart + 0.01f)
        StrokeArc(canvas, cx, cy, 21.0f * k, kSweepStart, angle, 1.6f * k, accent);

    // Soft drop shadow below the body.
    FillCircle(canvas, cx, cy + 1.8f * k, 17.0f * k, WithAlpha(Rgb(0x000000), 0.42f), 4.0f * k);

    // Body: charcoal lit from above.
    const float body = 17.0f * k;
    PaintShape(
        canvas, Box{int(cx - body - 2), int(cy - body - 2), int(cx + body + 3), int(cy + body + 3)},
        [&](float x, float y) { return CircleDistance(x, y, cx, cy, body); },
        [&](float, float y)
        {
            return Mix(palette::kCharcoalLight, palette::kCharcoalDark,
                       std::clamp((y - (cy - body)) / (2 * body), 0.0f, 1.0f));
        });

    // Knurled skirt: grooves turn with the knob, so motion reads even away from the pointer.
    if (size >= 40)
    {
        for (int i = 0; i < 24; ++i)
        {
            const float a = rad + Radians(15.0f * i);
            const float gx = std::sin(a), gy = -std::cos(a);
            StrokeSegment(canvas, cx + gx * 13.8f * k, cy + gy * 13.8f * k, cx + gx * 16.4f * k,
                          cy + gy * 16.4f * k, 0.45f * k, WithAlpha(Rgb(0x000000), 0.35f));
        }
    }
    // Rim highlight along the upper edge.
    PaintShape(
        canvas, Box{int(cx - body - 2), int(cy - body - 2), int(cx + body + 3), int(cy + body + 3)},
        [&](float x, float y) { return std::fabs(CircleDistance(x, y, cx, cy, body - 0.6f * k)) - 0.5f * k; },
        [&](float x, float y)
        {
            const float up = std::clamp(-(y - cy) / body * 0.8f - (x - cx) / body * 0.2f, 0.0f, 1.0f);
            return WithAlpha(Rgb(0xFFFFFF), 0.28f * up);
        });

    // Cap: a slightly lighter dome with a dark rim.
    const float cap = 12.6f * k;
    FillCircle(canvas, cx, cy, cap + 0.8f * k, WithAlpha(Rgb(0x0E0D0C), 0.7f));
    PaintShape(
        canvas, Box{int(cx - cap - 2), int(cy - cap - 2), int(cx + cap + 3), int(cy + cap + 3)},
        [&](float x, float y) { return CircleDistance(x, y, cx, cy, cap); },
        [&](float x, float y)
        {
            const float d = std::hypot(x - (cx - 4.0f * k), y - (cy - 5.0f * k)) / (cap * 1.7f);
            return Mix(Rgb(0x625C55), Rgb(0x2C2825), std::clamp(d, 0.0f, 1.0f));
        });

    // Pointer line in cream with a short accent tip on the skirt.
    StrokeSegment(canvas, cx + sx * 3.5f * k, cy + sy * 3.5f * k, cx + sx * 11.0f * k, cy + sy * 11.0f * k,
                  1.35f * k, palette::kCream);
    StrokeSegment(canvas, cx + sx * 14.0f * k, cy + sy * 14.0f * k, cx + sx * 16.0f * k, cy + sy * 16.0f * k,
                  1.1f * k, accent);
}
} // namespace

Canvas PaintKnobStrip(int width, int height, int frames, Colour accent)
{
    Canvas canvas(width, height);
    const float size = float(height) / frames;
    for (int i = 0; i < frames; ++i)
    {
        const float angle = kSweepStart + kSweep * float(i) / float(frames - 1);
        Canvas frame(width, int(size));
        PaintKnobFrame(frame, 0.0f, size, angle, accent);
        canvas.Draw(frame, 0, int(std::lround(i * size)));
    }
    return canvas;
}

} // namespace artwork
