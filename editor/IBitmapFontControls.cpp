#include "editor/IBitmapFontControls.h"

#include "editor/IGraphics.h"
#include "frame/IFrameBase.h"

#include <cmath>
#include <cstdio>

namespace
{

constexpr const char* kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// Below this linear level the meter reads "-A" (about -66 dB).
constexpr double kMeterFloor = 0.0005;
// 20 / ln(10): decibels from a natural logarithm.
constexpr double kNepersToDecibels = 8.656170245333781;
constexpr int kTextControlRowOffset = 20;
constexpr int kMeterRowOffset = 16;

IArea GlyphRow(const IArea& rect, int rowOffset, const IBitmapRef& font)
{
    const int top = rect.B - rowOffset;
    return {rect.L, top, rect.R, top + font.FrameH()};
}

int CentreOf(const IArea& rect)
{
    return rect.L + (rect.R - rect.L) / 2;
}

// A frame of the strip centred horizontally at the top of rect.
IArea CentredFrame(const IArea& rect, const IBitmapRef& strip)
{
    const int left = rect.L + (rect.R - strip.FrameW() - rect.L) / 2;
    return {left, rect.T, left + strip.FrameW(), rect.T + strip.FrameH()};
}

} // namespace

IBitmapFontKnobLayout::IBitmapFontKnobLayout(const IArea& rect, const IBitmapRef& knobBitmap,
                                             const IBitmapRef& fontBitmap)
    : knobBitmap(knobBitmap), fontBitmap(fontBitmap),
      glyphWidths(BitmapFontWidthsFor(fontBitmap)), textBand{rect.L, rect.B - kTextBandHeight, rect.R,
                                                             rect.B},
      glyphCell(GlyphRow(rect, kTextBandHeight, fontBitmap)), textCentre(CentreOf(rect)),
      knobArea(CentredFrame(rect, knobBitmap))
{
}

void IBitmapFontKnobLayout::Draw(IGraphics& graphics, double value, const char* text,
                                 const IBlend* blend) const
{
    graphics.DrawBitmapFrame(knobBitmap, knobArea, FilmstripFrame(knobBitmap.N, value), blend);
    if (!text || !*text) return;
    const int x = textCentre - BitmapTextWidth(glyphWidths, text) / 2;
    DrawBitmapText(graphics, fontBitmap, glyphWidths, text, x, glyphCell.T, glyphCell.R, blend);
}

IKnobMultiControlBitmapFont::IKnobMultiControlBitmapFont(IFrameBase* plugin, IArea rect, int paramIdx,
                                                         const IBitmapRef& knobBitmap,
                                                         const ITextStyle& style,
                                                         const IBitmapRef& fontBitmap)
    : IKnobControl(plugin, rect, paramIdx, kVertical, 4.0), layout(rect, knobBitmap, fontBitmap)
{
    mText = style;
    mDisablePrompt = false;
}

std::string IKnobMultiControlBitmapFont::ValueText() const
{
    const IParameter* param = Param();
    if (!param) return {};
    char value[kParameterTextSize];
    param->FormatCurrentValue(value);
    return std::string(value) + param->HostLabel();
}

bool IKnobMultiControlBitmapFont::Draw(IGraphics& graphics)
{
    layout.Draw(graphics, mValue, ValueText().c_str(), &mBlend);
    return true;
}

void IKnobMultiControlBitmapFont::OnMouseDown(int x, int y, const IMouseModifiers& mod)
{
    if (layout.textBand.Empty() || !layout.textBand.Contains(x, y))
    {
        OnMouseDrag(x, y, 0, 0, mod);
        return;
    }
    if (mParamIdx >= 0 && !mDisablePrompt && mGraphics)
    {
        mGraphics->OpenValueEntry(this, Param(), &layout.textBand);
        mRedraw = true;
    }
}

IKnobMultiControlBitmapFontMidiNote::IKnobMultiControlBitmapFontMidiNote(IFrameBase* plugin, IArea rect,
                                                                         int paramIdx,
                                                                         const IBitmapRef& knobBitmap,
                                                                         const ITextStyle& style,
                                                                         const IBitmapRef& fontBitmap)
    : IKnobControl(plugin, rect, paramIdx, kVertical, 40.0), layout(rect, knobBitmap, fontBitmap)
{
    mText = style;
    mDisablePrompt = false;
}

std::string IKnobMultiControlBitmapFontMidiNote::NoteText() const
{
    const IParameter* param = Param();
    if (!param) return {};
    const int note = static_cast<int>(param->Value());
    const int name = (note % 12 + 12) % 12; // a negative value still names a note
    char text[16];
    std::snprintf(text, sizeof text, "%s %d", kNoteNames[name], note / 12 - 1);
    return text;
}

bool IKnobMultiControlBitmapFontMidiNote::Draw(IGraphics& graphics)
{
    layout.Draw(graphics, mValue, NoteText().c_str(), &mBlend);
    return true;
}

void IKnobMultiControlBitmapFontMidiNote::OnMouseDown(int x, int y, const IMouseModifiers& mod)
{
    OnMouseDrag(x, y, 0, 0, mod);
}

ITextControlBitmapFont::ITextControlBitmapFont(IFrameBase* plugin, IArea rect, const ITextStyle& style,
                                               const IBitmapRef& fontBitmap)
    : IControl(plugin, rect, -1), fontBitmap(fontBitmap), glyphWidths(BitmapFontWidthsFor(fontBitmap)),
      glyphCell(GlyphRow(rect, kTextControlRowOffset, fontBitmap)), textCentre(CentreOf(rect))
{
    mText = style;
}

void ITextControlBitmapFont::SetText(const char* newText)
{
    const char* t = newText ? newText : "";
    if (text == t) return;
    text = t;
    MarkDirty(false);
}

bool ITextControlBitmapFont::Draw(IGraphics& graphics)
{
    if (text.empty()) return true;
    const int x = textCentre - BitmapTextWidth(glyphWidths, text.c_str()) / 2;
    DrawBitmapText(graphics, fontBitmap, glyphWidths, text.c_str(), x, glyphCell.T, glyphCell.R, &mBlend);
    return true;
}

IPeakMeterBitmapBitmapFont::IPeakMeterBitmapBitmapFont(IFrameBase* plugin, IArea rect,
                                                       const IBitmapRef& meterBitmap, const ITextStyle& style,
                                                       const IBitmapRef& fontBitmap, int alignment,
                                                       int textOffset)
    : IControl(plugin, rect, -1), meterBitmap(meterBitmap), fontBitmap(fontBitmap),
      glyphWidths(BitmapFont12Widths()), glyphCell(GlyphRow(rect, kMeterRowOffset, fontBitmap)),
      meterArea(CentredFrame(rect, meterBitmap)), alignment(alignment), textOffset(textOffset)
{
    mText = style;
}

std::string IPeakMeterBitmapBitmapFont::LevelText() const
{
    const double value = Level();
    if (!(value >= kMeterFloor)) return "-A"; // silence, and anything that is not a level
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", 1, std::log(value) * kNepersToDecibels);
    return text;
}

int IPeakMeterBitmapBitmapFont::TextStartX() const
{
    const int width = BitmapTextWidth(glyphWidths, LevelText().c_str());
    if (alignment == kTextLeft) return mArea.L + textOffset;
    if (alignment == kTextRight) return mArea.R - textOffset - width;
    return CentreOf(mArea) - width / 2;
}

bool IPeakMeterBitmapBitmapFont::Draw(IGraphics& graphics)
{
    graphics.DrawBitmapFrame(meterBitmap, meterArea, FilmstripFrame(meterBitmap.N, Level()), &mBlend);
    const std::string text = LevelText();
    DrawBitmapText(graphics, fontBitmap, glyphWidths, text.c_str(), TextStartX(), glyphCell.T, glyphCell.R,
                   &mBlend);
    return true;
}
