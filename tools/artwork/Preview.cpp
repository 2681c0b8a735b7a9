#include "tools/artwork/Preview.h"

#include "instrument/ParamLayout.h"
#include "tools/artwork/GlyphWidths.h"
#include "tools/artwork/Keyboard.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/PngFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

namespace artwork
{

namespace
{
using namespace layout;

Canvas Load(const std::string& dir, const std::string& file, bool& ok)
{
    const auto image = ReadPng(dir + "/" + file);
    if (!image)
    {
        ok = false;
        return Canvas(1, 1);
    }
    Canvas canvas(image->width, image->height);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
        {
            const uint8_t* p = &image->pixels[(size_t(y) * image->width + x) * 4];
            canvas.Set(x, y, Colour{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f});
        }
    return canvas;
}

// Frame i (0-based) of a vertical strip, composited with its top-left at (x, y).
void DrawFrame(Canvas& dst, const Canvas& strip, int frames, int i, int x, int y, int clipRight = 1 << 30)
{
    const int h = strip.Height() / frames;
    const int w = std::min(strip.Width(), clipRight - x);
    if (w <= 0) return;
    Canvas frame(w, h);
    frame.Copy(strip, 0, i * h, w, h, 0, 0);
    dst.Draw(frame, x, y);
}

// The value text of a parameter at its default: display names for the choices, note names for the
// two pitch notes, otherwise the number with the decimals its step implies and the unit.
std::string DefaultText(int index, const ParamLayoutSpec& row)
{
    static const char* const kWaves[] = {"Off", "Triangle", "Sin", "Square",
                                         "Saw", "Breaker",  "Tan", "Whistle"};
    static const char* const kNotes[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int v = int(row.defaultValue);
    if (index >= 1 && index <= 3) return kWaves[v];
    static const char* const kJumpTriggers[] = {"On NoteOn", "On NoteOff", "Both"};
    static const char* const kCrushPlaces[] = {"Off", "Inside", "After"};
    if (index == 50) return kJumpTriggers[v];
    if (index == 56) return kCrushPlaces[v];
    if (index == 34 || index == 35) return std::string(kNotes[v % 12]) + " " + std::to_string(v / 12 - 1);
    const int decimals = row.step >= 1 ? 0 : row.step >= 0.1 ? 1 : row.step >= 0.01 ? 2 : 3;
    char number[32];
    std::snprintf(number, sizeof number, "%.*f", decimals, row.defaultValue);
    return std::string(number) + row.label;
}

int TextWidth(std::string_view text, const std::array<int16_t, 96>& widths)
{
    int w = 0;
    for (char c : text)
        w += widths[size_t(c - kFirstGlyphCode)];
    return w;
}

void DrawText(Canvas& dst, const Canvas& font, const std::array<int16_t, 96>& widths, std::string_view text,
              int x, int top, int clipRight)
{
    for (char c : text)
    {
        DrawFrame(dst, font, kGlyphFrames, c - kFirstGlyphCode, x, top, clipRight);
        x += widths[size_t(c - kFirstGlyphCode)];
    }
}
} // namespace

bool WriteEditorPreview(const std::string& dir, const std::string& path, std::ostream& err)
{
    bool ok = true;
    Canvas editor = Load(dir, "Background.png", ok);
    const Canvas knob = Load(dir, "KnobNes.png", ok), switch3 = Load(dir, "Switch3.png", ok);
    const Canvas font14 = Load(dir, "Eyetype_3_14.png", ok), font12 = Load(dir, "Eyetype_3_12.png", ok);
    const Canvas white = Load(dir, "pianowhitekey.png", ok), black = Load(dir, "pianoblackkey.png", ok);
    const Canvas meterL = Load(dir, "PeakMeterL.png", ok), meterR = Load(dir, "PeakMeterR.png", ok);
    const Canvas buttons = Load(dir, "Buttons.png", ok), small = Load(dir, "ButtonsSmall.png", ok);
    if (!ok)
    {
        err << dir << ": cannot read the images for the preview\n";
        return false;
    }

    // Every knob and switch at its parameter's default, with the value text the editor would write.
    const auto cells = ControlCells();
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const Cell& c = cells[i];
        const ParamLayoutSpec& row = kParamLayout[i];
        const bool isSwitch = c.h == kSwitchCell;
        const Canvas& strip = isSwitch ? switch3 : knob;
        const int frames = isSwitch ? 3 : 33;
        const double shape = row.shape > 0 ? row.shape : 1.0;
        const double normal =
            std::pow((row.defaultValue - row.minValue) / (row.maxValue - row.minValue), 1.0 / shape);
        DrawFrame(editor, strip, frames, int((frames - 1) * normal + 0.5), c.x + (c.w - strip.Width()) / 2,
                  c.y);
        const std::string text = DefaultText(int(i), row);
        DrawText(editor, font14, kSpacing14, text, c.x + c.w / 2 - TextWidth(text, kSpacing14) / 2,
                 c.y + c.h - kValueBand, c.x + c.w);
    }

    // Meters at a healthy level, their texts right- and left-aligned at the centre.
    DrawFrame(editor, meterL, 19, 14, kMeterLeft.x, kMeterLeft.y);
    DrawFrame(editor, meterR, 19, 12, kMeterRight.x, kMeterRight.y);
    const int meterText = kMeterLeft.y + kMeterLeft.h - 16;
    DrawText(editor, font12, kSpacing12, "-3.2",
             kMeterLeft.x + kMeterLeft.w - 2 - TextWidth("-3.2", kSpacing12), meterText,
             kMeterLeft.x + kMeterLeft.w);
    DrawText(editor, font12, kSpacing12, "-5.0", kMeterRight.x, meterText, kMeterRight.x + kMeterRight.w);

    // Large buttons by base frame, one hovered and one pressed; the history row; the index.
    const int bases[10] = {0, 3, 6, 24, 12, 15, 18, 21, 9, 27};
    for (int i = 0; i < 10; ++i)
    {
        const int state = i == 2 ? 1 : (i == 6 ? 2 : 0);
        DrawFrame(editor, buttons, 30, bases[i] + state, kButtonGridX + (i / 2) * kButtonWidth,
                  kButtonGridY + (i % 2) * kButtonHeight);
    }
    for (int i = 0; i < 3; ++i)
        DrawFrame(editor, small, 9, i * 3, kHistoryX + i * kSmallButtonWidth, kHistoryY);
    const int ix = kIndexDisplay.x + kIndexDisplay.w / 2;
    DrawText(editor, font14, kSpacing14, "12", ix - TextWidth("12", kSpacing14) / 2,
             kIndexDisplay.y + kIndexDisplay.h - 20, kIndexDisplay.x + kIndexDisplay.w);

    // Two held keys: middle C and the F sharp above it.
    using namespace keyboard;
    const int octave = kLeft + 4 * kOctaveWidth;
    DrawFrame(editor, white, 6, 0, octave, kTop);
    DrawFrame(editor, black, 1, 0, octave + kOffsets[6], kTop);

    if (!WritePng(path, editor))
    {
        err << path << ": cannot write the preview\n";
        return false;
    }
    return true;
}

} // namespace artwork
