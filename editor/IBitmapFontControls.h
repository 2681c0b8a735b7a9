#pragma once

#include "editor/IBitmapFont.h"
#include "editor/IStandardControls.h"

#include <atomic>
#include <string>

// What both bitmap-font knobs draw: a film-strip knob centred at the top of the control and a
// centred text in a bitmap font along its bottom 16 pixels.
struct IBitmapFontKnobLayout
{
    // Height of the value text's row at the bottom of the control.
    static constexpr int kTextBandHeight = 16;

    IBitmapFontKnobLayout(const IArea& rect, const IBitmapRef& knobBitmap, const IBitmapRef& fontBitmap);
    void Draw(IGraphics& graphics, double value, const char* text, const IBlend* blend) const;

    IBitmapRef knobBitmap;
    IBitmapRef fontBitmap;
    const IBitmapFontWidths& glyphWidths;
    IArea textBand;  // the value text's row, and where a press opens value entry
    IArea glyphCell; // where glyphs are drawn: the row's top, one glyph high
    int32_t textCentre;
    IArea knobArea;
};

// A film-strip knob with its value and unit written below it in a bitmap font. A press in the text
// row opens value entry; a press on the knob re-sends the current value.
class IKnobMultiControlBitmapFont : public IKnobControl
{
public:
    IKnobMultiControlBitmapFont(IFrameBase* plugin, IArea rect, int paramIdx, const IBitmapRef& knobBitmap,
                                const ITextStyle& style, const IBitmapRef& fontBitmap);
    void OnMouseDown(int x, int y, const IMouseModifiers& mod) override;
    bool Draw(IGraphics& graphics) override;

    const IBitmapFontKnobLayout& Layout() const { return layout; }
    // The text drawn under the knob: the value's display text followed by its unit.
    std::string ValueText() const;

private:
    IBitmapFontKnobLayout layout;
};

// The knob of a MIDI note parameter, its value written as a note name and octave ("C#" and 4 for
// 61). Forty times finer geared than a whole-range drag, and a press never opens value entry.
class IKnobMultiControlBitmapFontMidiNote : public IKnobControl
{
public:
    IKnobMultiControlBitmapFontMidiNote(IFrameBase* plugin, IArea rect, int paramIdx,
                                        const IBitmapRef& knobBitmap, const ITextStyle& style,
                                        const IBitmapRef& fontBitmap);
    void OnMouseDown(int x, int y, const IMouseModifiers& mod) override;
    bool Draw(IGraphics& graphics) override;

    const IBitmapFontKnobLayout& Layout() const { return layout; }
    // "C 4" for 60: the parameter's current value (truncated), not the control's.
    std::string NoteText() const;

private:
    IBitmapFontKnobLayout layout;
};

// A line of text in a bitmap font, centred, its glyph row 20 pixels above the bottom.
class ITextControlBitmapFont : public IControl
{
public:
    ITextControlBitmapFont(IFrameBase* plugin, IArea rect, const ITextStyle& style,
                           const IBitmapRef& fontBitmap);
    bool Draw(IGraphics& graphics) override;
    // Marks the control dirty only when the text changed.
    void SetText(const char* text);
    const std::string& Text() const { return text; }

private:
    IBitmapRef fontBitmap;
    const IBitmapFontWidths& glyphWidths;
    std::string text = "0";
    IArea glyphCell;
    int32_t textCentre;
};

// A film-strip level meter with the level in decibels below it. Its value is the linear peak level,
// set by the instrument's audio thread after every block and read by the drawing thread, so it is
// handed over through an atomic; the meter redraws at every frame.
class IPeakMeterBitmapBitmapFont : public IControl
{
public:
    enum Alignment : int32_t
    {
        kTextLeft = 1,
        kTextRight = 2,
    };

    IPeakMeterBitmapBitmapFont(IFrameBase* plugin, IArea rect, const IBitmapRef& meterBitmap,
                               const ITextStyle& style, const IBitmapRef& fontBitmap, int alignment,
                               int textOffset);
    bool Draw(IGraphics& graphics) override;
    bool IsDirty() override { return true; }
    void TakeValueFromPlugin(double value) override { level.store(value, std::memory_order_relaxed); }
    double Level() const { return level.load(std::memory_order_relaxed); }
    // "-A" below 0.0005, else the level in dB with one decimal.
    std::string LevelText() const;
    // Where the text starts for the current level.
    int TextStartX() const;

private:
    IBitmapRef meterBitmap;
    IBitmapRef fontBitmap;
    const IBitmapFontWidths& glyphWidths;
    IArea glyphCell;
    IArea meterArea;
    int32_t alignment;
    int32_t textOffset;
    std::atomic<double> level{0.0};
};
