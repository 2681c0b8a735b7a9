#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/Shapes.h"

#include <array>
#include <string_view>

namespace artwork
{

namespace
{
enum class State
{
    Normal,
    Hover,
    Pressed
};
constexpr std::array<State, 3> kStates = {State::Normal, State::Hover, State::Pressed};

enum class Icon
{
    None,
    Left,
    Right
};

struct CapColours
{
    Colour light, dark, edge, label, labelActive, glow;
};

constexpr CapColours kDarkCap{palette::kCharcoalLight, palette::kCharcoal,     palette::kCharcoalDark,
                              palette::kCream,         palette::kAccentBright, palette::kAccent};
constexpr CapColours kRedCap{palette::kRedLight, palette::kRed, palette::kRedDark,
                             palette::kCream,    Rgb(0xFFE7C4), Rgb(0xF2B33D)};

struct ButtonFace
{
    std::string_view label;
    const CapColours* colours;
    Icon icon = Icon::None;
};

// The large buttons in the order of their frames in the strip (three frames each).
constexpr std::array<ButtonFace, 10> kLargeButtons = {{{"RESET", &kRedCap},
                                                       {"RANDOM", &kRedCap},
                                                       {"COIN", &kDarkCap},
                                                       {"BLADE", &kDarkCap},
                                                       {"POWERUP", &kDarkCap},
                                                       {"HIT", &kDarkCap},
                                                       {"JUMP", &kDarkCap},
                                                       {"BLIP", &kDarkCap},
                                                       {"SHOOT", &kDarkCap},
                                                       {"MUTATE", &kRedCap}}};
// The history buttons: previous, next, save.
constexpr std::array<ButtonFace, 3> kSmallButtons = {
    {{"PREV", &kDarkCap, Icon::Left}, {"NEXT", &kDarkCap, Icon::Right}, {"SAVE", &kRedCap}}};

void PaintButton(Canvas& canvas, int top, int width, int height, int margin, int scale,
                 const ButtonFace& face, State state)
{
    const CapColours& c = *face.colours;
    const bool pressed = state == State::Pressed;
    const float sink = pressed ? 1.0f : 0.0f;
    const float x0 = float(margin), x1 = float(width - margin);
    const float y0 = top + margin + sink, y1 = top + height - margin - 1 + sink;
    const float radius = height > 40 ? 7.0f : 5.0f;

    // Shadow on the panel: long when raised, short when pressed down.
    FillRoundRect(canvas, x0, y0 + (pressed ? 0.5f : 2.5f), x1, y1 + (pressed ? 0.5f : 2.5f), radius,
                  WithAlpha(Rgb(0x000000), pressed ? 0.35f : 0.45f), pressed ? 1.5f : 3.0f);
    if (state == State::Hover)
        FillRoundRect(canvas, x0 - 1.5f, y0 - 1.5f, x1 + 1.5f, y1 + 1.5f, radius + 1.5f,
                      WithAlpha(c.glow, 0.9f));
    FillRoundRect(canvas, x0, y0, x1, y1, radius, c.edge);
    Colour light = c.light, dark = c.dark;
    if (state == State::Hover)
    {
        light = Mix(light, Rgb(0xFFFFFF), 0.1f);
        dark = Mix(dark, Rgb(0xFFFFFF), 0.06f);
    }
    if (pressed)
    {
        light = Mix(c.dark, Rgb(0x000000), 0.15f);
        dark = Mix(c.light, Rgb(0x000000), 0.1f);
    }
    FillRoundRectGradient(canvas, x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1, light, dark);
    // Gloss along the top of a raised cap, an inner shadow along the top of a pressed one.
    if (!pressed)
        PaintShape(
            canvas, Box{int(x0), int(y0), int(x1) + 1, int(y0) + 4},
            [&](float x, float y)
            { return RoundRectDistance(x, y, x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1); },
            [&](float, float y)
            { return WithAlpha(Rgb(0xFFFFFF), 0.22f * std::clamp(1.0f - (y - y0 - 1), 0.0f, 1.0f)); });
    else
        PaintShape(
            canvas, Box{int(x0), int(y0), int(x1) + 1, int(y0) + 5},
            [&](float x, float y)
            { return RoundRectDistance(x, y, x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1); },
            [&](float, float y)
            { return WithAlpha(Rgb(0x000000), 0.35f * std::clamp(1.0f - (y - y0 - 1) / 3.0f, 0.0f, 1.0f)); });

    // Label, centred, with a small arrow for the history steps.
    const PixelFont& font = PixelFont::Regular();
    const int iconWidth = face.icon == Icon::None ? 0 : 4 * scale + 3 * scale;
    const int textWidth = font.Measure(face.label, scale);
    const int total = iconWidth + textWidth;
    const int tx = (width - total) / 2 + (face.icon == Icon::Left ? iconWidth : 0);
    const int ty = int(y0 + (y1 - y0 - font.Ascent() * scale) / 2.0f + 0.5f);
    const Colour ink = state == State::Normal ? c.label : c.labelActive;
    font.Draw(canvas, tx, ty + 1, face.label, WithAlpha(Rgb(0x000000), 0.45f), scale);
    font.Draw(canvas, tx, ty, face.label, ink, scale);
    if (face.icon != Icon::None)
    {
        const float h = font.Ascent() * scale;
        const float ax = face.icon == Icon::Left ? float(tx - iconWidth) : float(tx + textWidth + 3 * scale);
        const float aw = 4.0f * scale;
        if (face.icon == Icon::Left)
            FillTriangle(canvas, ax, ty + h * 0.5f, ax + aw, float(ty), ax + aw, ty + h, ink);
        else
            FillTriangle(canvas, ax + aw, ty + h * 0.5f, ax, float(ty), ax, ty + h, ink);
    }
}

template <size_t N>
Canvas PaintStrip(int width, int height, const std::array<ButtonFace, N>& faces, int margin, int scale)
{
    Canvas canvas(width, height);
    const int frame = height / int(N * kStates.size());
    for (size_t i = 0; i < N; ++i)
    {
        for (size_t s = 0; s < kStates.size(); ++s)
        {
            Canvas one(width, frame); // one frame at a time so shadows never reach a neighbour
            PaintButton(one, 0, width, frame, margin, scale, faces[i], kStates[s]);
            canvas.Draw(one, 0, int((i * kStates.size() + s)) * frame);
        }
    }
    return canvas;
}
} // namespace

Canvas PaintButtonStrip(int width, int height)
{
    return PaintStrip(width, height, kLargeButtons, 5, 2);
}

Canvas PaintSmallButtonStrip(int width, int height)
{
    return PaintStrip(width, height, kSmallButtons, 3, 1);
}

} // namespace artwork
