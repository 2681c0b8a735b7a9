#include "tools/artwork/Decor.h"
#include "tools/artwork/Keyboard.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/Painters.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PixelFont.h"
#include "tools/artwork/Shapes.h"

#include <array>
#include <string>

namespace artwork
{

namespace
{
using namespace decor;

using namespace layout;

void Field(Canvas& canvas, Cell c)
{
    ValueField(canvas, c.x + 4, c.y + c.h - kValueBand - 1, c.x + c.w - 4, c.y + c.h);
}

void KnobFields(Canvas& canvas)
{
    for (const Cell& c : ControlCells())
        Field(canvas, c);
}

void HeaderBar(Canvas& canvas)
{
    const PixelFont& font = PixelFont::Regular();
    canvas.FillRect(0, 0, canvas.Width(), 14, palette::kInk);
    canvas.FillRect(0, 14, canvas.Width(), 15, WithAlpha(Rgb(0x000000), 0.25f));
    font.Draw(canvas, 38, 4, "OSCILLATORS", palette::kCream, 1, 2);
    font.Draw(canvas, 614, 4, "BIT CRUSHER", palette::kCream, 1, 2);
    font.Draw(canvas, 758, 4, "OUTPUT", palette::kCream, 1, 2);
    for (int x : {608, 752})
        canvas.FillRect(x, 0, x + 2, 14, palette::kCharcoalLight);
}

void Captions(Canvas& canvas)
{
    const PixelFont& font = PixelFont::Regular();
    // Oscillator and noise rows.
    for (size_t i = 0; i < kOscHeads.size(); ++i)
        CentredCaption(canvas, kOscColumns[i] + kCellWidth / 2, 20, kOscHeads[i]);
    for (size_t i = 0; i < kOscRows.size(); ++i)
        RowTab(canvas, kOscRows[i], kOscRows[i] + kKnobCell, std::string("OSC ") + char('1' + i));
    RowTab(canvas, kNoiseRows[0], kNoiseRows[0] + kKnobCell, "WHITE");
    RowTab(canvas, kNoiseRows[1], kNoiseRows[1] + kKnobCell, "PINK");
    // The empty wave cell of the noise rows names the source.
    for (size_t i = 0; i < kNoiseRows.size(); ++i)
    {
        const int y = kNoiseRows[i];
        CentredCaption(canvas, 68, y + 40, i == 0 ? "WHITE" : "PINK");
        CentredCaption(canvas, 68, y + 50, "NOISE");
        // A short trace of noise, rougher for white than for pink.
        uint32_t seed = 12345u + uint32_t(i) * 777u;
        float level = 0;
        float px = 44, py = y + 22.0f;
        for (int x = 45; x <= 92; x += 1)
        {
            seed = seed * 1103515245u + 12345u;
            const float r = float((seed >> 16) & 0x7fff) / 32767.0f * 2.0f - 1.0f;
            level = i == 0 ? r : level * 0.7f + r * 0.45f;
            const float ny = y + 22.0f + level * 10.0f;
            StrokeSegment(canvas, px, py, float(x), ny, 0.55f, WithAlpha(palette::kInkSoft, 0.9f));
            px = float(x);
            py = ny;
        }
    }
    // Bit crusher captions sit to the left of their knobs.
    RightCaption(canvas, 676, 52, "SAMPLE");
    RightCaption(canvas, 676, 62, "RATE");
    RightCaption(canvas, 676, 120, "BIT");
    RightCaption(canvas, 676, 130, "DEPTH");
    RightCaption(canvas, 676, 198, "MODE");
    // Output column.
    CentredCaption(canvas, kRightColumn + kCellWidth / 2, 20, "GAIN");
    CentredCaption(canvas, kRightColumn + kCellWidth / 2, 255, "PEAK");
    CentredCaption(canvas, kRightColumn + kCellWidth / 2, 292, "COMPRESSION");

    // History.
    SectionTitle(canvas, 256, 251, "HISTORY");
    font.Draw(canvas, 608, 251, "SOUND", palette::kInkSoft);
    font.Draw(canvas, 608, 261, "INDEX", palette::kInkSoft);

    // Pitch envelope.
    for (size_t i = 0; i < kPitchHeads.size(); ++i)
        CentredCaption(canvas, kPitchColumns[i] + kCellWidth / 2, 292, kPitchHeads[i]);
    SectionTitle(canvas, 256, 318, "PITCH");
    font.Draw(canvas, 265, 328, "ENVELOPE", palette::kInk, 1, 2);

    // Envelopes and filters.
    SectionTitle(canvas, 38, 380, "ENVELOPES");
    for (size_t i = 0; i < kEnvHeads.size(); ++i)
        CentredCaption(canvas, kEnvColumns[i] + kCellWidth / 2, 393, kEnvHeads[i]);
    RowTab(canvas, kEnvRows[0], kEnvRows[0] + kKnobCell, "AMP");
    RowTab(canvas, kEnvRows[1], kEnvRows[1] + kKnobCell, "FILTER");
    SectionTitle(canvas, 404, 380, "FILTERS");
    for (size_t i = 0; i < kFilterHeads.size(); ++i)
        CentredCaption(canvas, kFilterColumns[i] + kCellWidth / 2, 393, kFilterHeads[i]);
    RightCaption(canvas, 458, 424, "LOW");
    RightCaption(canvas, 458, 434, "PASS");
    RightCaption(canvas, 458, 492, "HIGH");
    RightCaption(canvas, 458, 502, "PASS");

    // Pitch jump: captions beside the knobs, in the free space to their left.
    SectionTitle(canvas, 692, 380, "PITCH JUMP");
    RightCaption(canvas, 748, 420, "TRANSPOSE");
    RightCaption(canvas, 748, 488, "DELAY");
    RightCaption(canvas, 748, 556, "TIME");
    RightCaption(canvas, 748, 622, "TRIGGER");

    // Mutation and the generator buttons.
    SectionTitle(canvas, 38, 546, "MUTATION");
    CentredCaption(canvas, 68, 632, "AMOUNT %");
    SectionTitle(canvas, 159, 546, "GENERATE");
    font.Draw(canvas, 262, 546, "PICK A SOUND TYPE, THEN TWEAK", palette::kInkSoft);
}

void Rules(Canvas& canvas)
{
    const int w = canvas.Width();
    HorizontalRule(canvas, 0, kRightColumn, 236);    // oscillators above, noise and history below
    VerticalRule(canvas, 606, 15, 236);              // oscillators | bit crusher
    VerticalRule(canvas, kRightColumn - 2, 15, 372); // bit crusher and pitch | output
    HorizontalRule(canvas, 248, kRightColumn, 279);  // history | pitch envelope
    VerticalRule(canvas, 246, 236, 372);             // noise | history and pitch envelope
    HorizontalRule(canvas, 0, w, 372);               // upper half | envelopes, filters, pitch jump
    VerticalRule(canvas, 392, 372, 540);             // envelopes | filters
    // Pitch jump takes the free space left of its knobs, so its edge steps around the button grid.
    VerticalRule(canvas, 682, 372, 540); // filters | pitch jump
    VerticalRule(canvas, 697, 540, 656); // buttons | pitch jump
    HorizontalRule(canvas, 0, 699, 540); // envelopes and filters | mutation and buttons
    VerticalRule(canvas, 140, 540, 656); // mutation | generate
}

void IndexWindow(Canvas& canvas)
{
    // A small display behind the sound index, which is written in the dark bitmap font.
    FillRoundRect(canvas, 551.0f, 242.0f, 601.0f, 269.0f, 3.5f, WithAlpha(Rgb(0xFFFFFF), 0.6f));
    FillRoundRect(canvas, 550.0f, 241.0f, 600.0f, 268.0f, 3.5f, Rgb(0x3A352F));
    PaintShape(
        canvas, Box{550, 241, 601, 269},
        [](float x, float y) { return RoundRectDistance(x, y, 552, 243, 598, 266, 2.5f); },
        [](float, float y)
        {
            return Mix(Mix(palette::kLcd, Rgb(0x000000), 0.12f), palette::kLcd,
                       std::clamp((y - 243) / 6.0f, 0.0f, 1.0f));
        });
}

void MeterBezel(Canvas& canvas)
{
    const int x0 = kMeterLeft.x, x1 = kMeterRight.x + kMeterRight.w, mid = kMeterRight.x;
    const int textTop = kMeterLeft.y + kMeterLeft.h - kValueBand;
    FillRoundRect(canvas, x0 - 2.0f, kMeterLeft.y - 2.0f, x1 + 2.0f, kMeterLeft.y + kMeterLeft.h + 2.0f, 5.0f,
                  WithAlpha(palette::kInk, 0.12f));
    // One field per channel: the left level ends at the middle, the right one starts there.
    ValueField(canvas, x0, textTop, mid - 1, textTop + 15);
    ValueField(canvas, mid + 1, textTop, x1, textTop + 15);
}

void KeyboardArea(Canvas& canvas)
{
    using namespace keyboard;
    const int w = canvas.Width(), h = canvas.Height();
    for (int y = kBandBottom; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const float g = Grain(x, y, 5) * 0.01f;
            canvas.Set(x, y, Colour{0.055f + g, 0.05f + g, 0.047f + g, 1.0f});
        }
    // A felt strip along the top of the keys.
    canvas.FillRect(kLeft - 4, kTop - 1, kLeft + kWhiteWidth + kOctaves * kOctaveWidth + 4, kTop,
                    Rgb(0x7A1E1A));
    PaintIdleKeyboard(canvas);
    // Cheek blocks either side of the keys with their range.
    const PixelFont& font = PixelFont::Regular();
    font.Draw(canvas, 40, 725, "KEYBOARD", WithAlpha(palette::kCream, 0.85f), 1, 2);
    font.Draw(canvas, 40, 738, "C0 TO C8", WithAlpha(palette::kCream, 0.45f), 1, 1);
    font.Draw(canvas, 724, 725, "CLICK TO", WithAlpha(palette::kCream, 0.45f), 1, 1);
    font.Draw(canvas, 724, 735, "PLAY", WithAlpha(palette::kCream, 0.45f), 1, 1);
    FillCircle(canvas, 128.0f, 737.0f, 2.5f, palette::kAccent);
    FillCircle(canvas, 718.0f, 737.0f, 2.5f, palette::kAccent);
}
} // namespace

Canvas PaintBackground(int width, int height)
{
    Canvas canvas(width, height);
    PaintPanel(canvas, 0, 0, width, kBandTop);
    HeaderBar(canvas);
    KnobFields(canvas);
    MeterBezel(canvas);
    IndexWindow(canvas);
    Rules(canvas);
    Captions(canvas);
    PaintBand(canvas, kBandTop, kBandBottom, kPlate.x, kPlate.y, kPlate.x + kPlate.w, kPlate.y + kPlate.h);
    KeyboardArea(canvas);
    return canvas;
}

} // namespace artwork
