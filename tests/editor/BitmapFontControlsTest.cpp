// Bitmap-font knobs, the text display and the meter, on the instrument's own parameters.

#include "EditorTestSupport.h"

#include "editor/IBitmapFontControls.h"
#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

namespace
{

struct FontControlFixture : ::testing::Test
{
    Brisbleep instrument{OfflineHostContext{}};
    TestGraphics g{&instrument, 200, 200};
    // Synthetic images: glyph frame i and knob frame i are painted grey i.
    std::unique_ptr<PIX_MemBitmap> font14 = StripBitmap(11, 14, 224);
    std::unique_ptr<PIX_MemBitmap> font12 = StripBitmap(9, 12, 224);
    std::unique_ptr<PIX_MemBitmap> knob = StripBitmap(48, 48, 33);
    std::unique_ptr<PIX_MemBitmap> meter = StripBitmap(28, 100, 19);
    std::vector<std::string> log;

    void SetUp() override
    {
        g.AddControl(new LoggingControl(log, "bg", {0, 0, 200, 200}));
        g.PrepareDraw();
    }
    IKnobMultiControlBitmapFont* Knob(int param, IArea rect = {0, 0, 72, 68})
    {
        auto* c = new IKnobMultiControlBitmapFont(&instrument, rect, param, IBitmapRef(knob.get(), 33), {},
                                                  IBitmapRef(font14.get(), 224));
        g.AddControl(c);
        return c;
    }
    IKnobMultiControlBitmapFontMidiNote* NoteKnob(int param)
    {
        auto* c = new IKnobMultiControlBitmapFontMidiNote(&instrument, {0, 0, 72, 68}, param,
                                                          IBitmapRef(knob.get(), 33), {},
                                                          IBitmapRef(font14.get(), 224));
        g.AddControl(c);
        return c;
    }
    IPeakMeterBitmapBitmapFont* Meter(int alignment, int offset)
    {
        auto* c = new IPeakMeterBitmapBitmapFont(&instrument, {100, 0, 128, 142}, IBitmapRef(meter.get(), 19),
                                                 {}, IBitmapRef(font12.get(), 224), alignment, offset);
        g.AddControl(c);
        return c;
    }
    void Redraw()
    {
        ClearSurface(g);
        g.Draw({0, 0, 200, 200});
    }
    int At(int x, int y) { return FrameAt(*g.DrawBitmapSurface(), x, y); }
};

} // namespace

TEST(BitmapFont, SpacingWidthTables)
{
    const IBitmapFontWidths& w14 = BitmapFont14Widths();
    const IBitmapFontWidths& w12 = BitmapFont12Widths();
    EXPECT_EQ(w14.firstCode, 32);
    EXPECT_EQ(w14.count, 224);
    // Spot checks across the rows, including the odd ones out.
    EXPECT_EQ(w14.Width(' '), 7);
    EXPECT_EQ(w14.Width('&'), 9);
    EXPECT_EQ(w14.Width('0'), 8);
    EXPECT_EQ(w14.Width('I'), 8);
    EXPECT_EQ(w14.Width('_'), 9);
    EXPECT_EQ(w14.Width('`'), 5);
    EXPECT_EQ(w14.Width('|'), 5);
    EXPECT_EQ(w14.Width('~'), 9);
    EXPECT_EQ(w14.Width(127), 0);
    EXPECT_EQ(w12.Width(' '), 6);
    EXPECT_EQ(w12.Width(')'), 5);
    EXPECT_EQ(w12.Width('0'), 7);
    EXPECT_EQ(w12.Width('I'), 6);
    EXPECT_EQ(w12.Width('_'), 8);
    EXPECT_EQ(w12.Width('~'), 8);
    EXPECT_EQ(w12.Width(200), 0);
    int sum14 = 0, sum12 = 0;
    for (int c = 32; c < 128; ++c)
    {
        sum14 += w14.Width(static_cast<unsigned char>(c));
        sum12 += w12.Width(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(sum14, 662);
    EXPECT_EQ(sum12, 566);
    EXPECT_EQ(BitmapTextWidth(w14, "-6.0dB"), 41);
    EXPECT_EQ(BitmapTextWidth(w12, "-6.0"), 23);
}

TEST_F(FontControlFixture, GainKnobWritesItsValueCentredUnderTheKnob)
{
    instrument.SetParameterValue(kOutputGain, -6.0);
    IKnobMultiControlBitmapFont* gain = Knob(kOutputGain);
    g.PushValueToControls(kOutputGain, -6.0, false);
    EXPECT_EQ(gain->ValueText(), "-6.0dB");
    EXPECT_EQ(gain->Layout().knobArea, (IArea{12, 0, 60, 48}));
    EXPECT_EQ(gain->Layout().textBand, (IArea{0, 52, 72, 68}));
    Redraw();
    // (-6 - -48) / 60 = 0.7 of the knob's 33 frames: frame trunc(32 * 0.7 + 0.5) + 1 = 23.
    EXPECT_EQ(At(36, 20), 23);
    // 41 pixels wide around x = 36: starts at 16. Glyph frame = code - 31.
    const int row = 52;
    EXPECT_EQ(At(15, row), 0);
    EXPECT_EQ(At(16, row), '-' - 31);
    EXPECT_EQ(At(23, row), '6' - 31);
    EXPECT_EQ(At(30, row), '.' - 31);
    EXPECT_EQ(At(35, row), '0' - 31);
    EXPECT_EQ(At(43, row), 'd' - 31);
    EXPECT_EQ(At(50, row), 'B' - 31);
    EXPECT_EQ(At(60, row + 13), 'B' - 31);
    EXPECT_EQ(At(61, row), 0);
    EXPECT_EQ(At(50, row + 14), 0); // one glyph high
}

TEST_F(FontControlFixture, EnumerationShowsItsTextWithoutLabel)
{
    instrument.SetParameterValue(kOsc1Type, 2.0);
    EXPECT_EQ(Knob(kOsc1Type)->ValueText(), "Sin");
}

TEST_F(FontControlFixture, GlyphsAreCutAtTheControlsRightEdge)
{
    instrument.SetParameterValue(kOutputGain, -6.0);
    Knob(kOutputGain, {0, 0, 40, 68}); // text starts at 20 - 20 = 0 and runs past 40
    Redraw();
    EXPECT_EQ(At(39, 52), 'B' - 31);
    EXPECT_EQ(At(40, 52), 0);
}

TEST_F(FontControlFixture, NoteKnobNamesTheParametersNote)
{
    IKnobMultiControlBitmapFontMidiNote* note = NoteKnob(kPitchHighNote);
    EXPECT_EQ(note->Gearing(), 40.0);
    const std::pair<double, const char*> cases[] = {
        {60, "C 4"}, {61, "C# 4"}, {96, "C 7"}, {12, "C 0"}, {127, "G 9"}};
    for (const auto& [value, text] : cases)
    {
        instrument.SetParameterValue(kPitchHighNote, value);
        EXPECT_EQ(note->NoteText(), text) << value;
    }
}

TEST_F(FontControlFixture, TextBandPromptsKnobImageResends)
{
    IKnobMultiControlBitmapFont* gain = Knob(kOutputGain);
    EXPECT_EQ(gain->Gearing(), 4.0);
    g.PushValueToControls(kOutputGain, -6.0, false);
    instrument.ClearHostRecords();
    g.OnMouseDown(36, 20, LeftButton()); // on the knob: the value goes to the host again
    g.OnMouseUp(36, 20, LeftButton());
    ASSERT_EQ(instrument.HostEdits().size(), 3u);
    EXPECT_EQ(instrument.HostEdits()[1].kind, IBindingOffline::HostEdit::Value);
    EXPECT_EQ(g.textFieldControl, nullptr);
    g.OnMouseDown(36, 60, LeftButton()); // in the bottom 16 pixels: value entry over the band
    EXPECT_EQ(g.textFieldControl, gain);
    EXPECT_EQ(g.textFieldArea, (IArea{0, 52, 72, 68}));
    EXPECT_EQ(g.textFieldText, "-6.0");

    g.textFieldControl = nullptr;
    NoteKnob(kPitchLowNote);
    g.OnMouseDown(36, 60, LeftButton()); // a note knob never prompts
    EXPECT_EQ(g.textFieldControl, nullptr);
}

TEST_F(FontControlFixture, TextControlCentresItsTextTwentyPixelsAboveTheBottom)
{
    auto* text =
        new ITextControlBitmapFont(&instrument, {0, 100, 56, 130}, {}, IBitmapRef(font14.get(), 224));
    g.AddControl(text);
    text->SetText("12");
    Redraw();
    // "12" is 14 pixels wide around x = 28: starts at 21; the row starts at y = 110.
    EXPECT_EQ(At(20, 110), 0);
    EXPECT_EQ(At(21, 110), '1' - 31);
    EXPECT_EQ(At(28, 110), '2' - 31);
    EXPECT_EQ(At(21, 109), 0);
    text->SetText("");
    Redraw();
    EXPECT_EQ(At(21, 110), 0);
}

TEST_F(FontControlFixture, MeterTextsAndAlignment)
{
    IPeakMeterBitmapBitmapFont* right = Meter(IPeakMeterBitmapBitmapFont::kTextRight, 2);
    EXPECT_TRUE(right->IsDirty());
    right->MarkClean();
    EXPECT_TRUE(right->IsDirty()); // redrawn at every frame
    right->TakeValueFromPlugin(0.0004);
    EXPECT_EQ(right->LevelText(), "-A");
    right->TakeValueFromPlugin(1.0);
    EXPECT_EQ(right->LevelText(), "0.0");
    right->TakeValueFromPlugin(0.5);
    EXPECT_EQ(right->LevelText(), "-6.0");
    EXPECT_EQ(right->TextStartX(), 128 - 2 - 23);
    Redraw();
    EXPECT_EQ(At(114, 60), 10); // 19 frames at 0.5: frame 10
    EXPECT_EQ(At(103, 126), '-' - 31);
    EXPECT_EQ(At(102, 126), 0);

    IPeakMeterBitmapBitmapFont* left = Meter(IPeakMeterBitmapBitmapFont::kTextLeft, 0);
    left->TakeValueFromPlugin(0.5);
    EXPECT_EQ(left->TextStartX(), 100);
    IPeakMeterBitmapBitmapFont* centred = Meter(0, 5);
    centred->TakeValueFromPlugin(0.5);
    EXPECT_EQ(centred->TextStartX(), 114 - 11);
}
