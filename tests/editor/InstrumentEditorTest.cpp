// The instrument's editor drawn headless: its controls, the keyboard played through the audio
// path, the meters fed by the blocks, and a snapshot that shows a moved knob.

#include "EditorTestSupport.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IEditorSnapshot.h"
#include "editor/IKeyboardControl.h"
#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"
#include "raster/PIX_Png.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace
{

struct EditorInstrument : ::testing::Test
{
    Brisbleep instrument{OfflineHostContext{}};
    IGraphics* g = nullptr;
    std::vector<double> left = std::vector<double>(256), right = std::vector<double>(256);

    void SetUp() override
    {
        instrument.SetHostSampleRate(44100);
        instrument.SetHostBlockSize(256);
        instrument.ConnectOutputs(2);
        instrument.SetProcessing(true);
        instrument.CreateEditor();
        g = instrument.editorGraphics;
        ASSERT_NE(g, nullptr);
    }
    void Block()
    {
        double* outs[2] = {left.data(), right.data()};
        instrument.ProcessBlock(outs, 256);
    }
    // Note-on and note-off messages that reached the host, as (status, note, velocity).
    std::vector<std::array<int, 3>> NotesToHost() const
    {
        std::vector<std::array<int, 3>> notes;
        for (const IMidiMessage& m : instrument.MidiSentToHost())
            notes.push_back({m.status, m.data1, m.data2});
        return notes;
    }
    IControl* ControlOf(int param) const
    {
        for (int i = 0; i < g->NControls(); ++i)
            if (g->GetControl(i)->ParamIdx() == param) return g->GetControl(i);
        return nullptr;
    }
};

// Named after the process, so that runs side by side on one machine do not meet.
std::string TempPng(const char* name)
{
    const std::string file = std::string(name) + "_" + std::to_string(getpid()) + ".png";
    return (std::filesystem::temp_directory_path() / file).string();
}

} // namespace

TEST_F(EditorInstrument, DescriptionHoldsBackgroundKeyboardMetersAndKnobs)
{
    EXPECT_EQ(instrument.GetEditor(), static_cast<IFrameEditor*>(g));
    EXPECT_EQ(g->Width(), 846);
    EXPECT_EQ(g->Height(), 768);
    EXPECT_EQ(g->FrameRate(), 25);
    EXPECT_TRUE(g->HandleMouseOver());
    // Background, keyboard, two meters, thirteen buttons and the history display come before the
    // parameter controls; the about overlay follows them.
    constexpr int kFirstKnob = 4 + 13 + 1;
    ASSERT_EQ(g->NControls(), kFirstKnob + kParamCount + 1);
    EXPECT_EQ(g->GetControl(0)->Area(), (IArea{0, 0, 846, 768}));
    EXPECT_NE(dynamic_cast<IKeyboardControl*>(g->GetControl(1)), nullptr);
    EXPECT_EQ(instrument.leftMeterControl, 2);
    EXPECT_EQ(instrument.rightMeterControl, 3);
    for (int i = 0; i < kParamCount; ++i)
    {
        IControl* c = g->GetControl(kFirstKnob + i);
        EXPECT_EQ(c->ParamIdx(), i);
        EXPECT_EQ(c->Tooltip(), kParamLayout[i].tooltip);
        const bool noteKnob = dynamic_cast<IKnobMultiControlBitmapFontMidiNote*>(c) != nullptr;
        EXPECT_EQ(noteKnob, i == kPitchHighNote || i == kPitchLowNote) << i;
    }
    // Attaching showed every parameter: the gain knob sits at -6 dB of -48..12.
    EXPECT_DOUBLE_EQ(ControlOf(kOutputGain)->Value(), 0.7);
}

TEST_F(EditorInstrument, KeyboardPlaysThroughTheAudioPathWithTouchVelocity)
{
    // Top pixel row of the lowest white C: velocity 1. Then the bottom row of D: 125.
    g->OnMouseDown(138 + 2, 707, LeftButton());
    Block();
    g->OnMouseDrag(138 + 12, 766, LeftButton());
    Block();
    g->OnMouseUp(138 + 12, 766, LeftButton());
    Block();
    Block(); // nothing new once released
    EXPECT_EQ(NotesToHost(), (std::vector<std::array<int, 3>>{
                                 {0x90, 12, 1}, {0x80, 12, 0}, {0x90, 14, 125}, {0x80, 14, 0}}));
}

TEST_F(EditorInstrument, MidiHeldNotesShowAndMetersFollowTheOutput)
{
    auto* meter = dynamic_cast<IPeakMeterBitmapBitmapFont*>(g->GetControl(instrument.leftMeterControl));
    auto* rightMeter = dynamic_cast<IPeakMeterBitmapBitmapFont*>(g->GetControl(instrument.rightMeterControl));
    ASSERT_TRUE(meter && rightMeter);
    Block();
    EXPECT_EQ(meter->Level(), 0.0);
    instrument.DeliverMidi({0, 0x90, 60, 127});
    for (int i = 0; i < 8; ++i)
        Block();
    EXPECT_GT(meter->Level(), 0.05);
    EXPECT_EQ(rightMeter->Level(), meter->Level());
    EXPECT_NE(meter->LevelText(), "-A");

    // The held note's key is lit: the pixel differs from the idle keyboard.
    auto* keyboard = dynamic_cast<IKeyboardControl*>(g->GetControl(1));
    ASSERT_TRUE(keyboard->NoteHeld(60));
    DrawWholeEditor(*g);
    const PIX_Pixel lit = PixelAt(*g->DrawBitmapSurface(), 138 + 4 * 70 + 5, 760);
    instrument.DeliverMidi({0, 0x80, 60, 0});
    Block();
    DrawWholeEditor(*g);
    EXPECT_NE(PixelAt(*g->DrawBitmapSurface(), 138 + 4 * 70 + 5, 760), lit);

    // A note held by MIDI is not pressed again with the mouse.
    instrument.DeliverMidi({0, 0x90, 60, 127});
    Block();
    g->OnMouseDown(138 + 4 * 70 + 5, 760, LeftButton());
    EXPECT_EQ(keyboard->PressedKey(), -1);
}

TEST_F(EditorInstrument, SnapshotShowsAKnobMovedByADrag)
{
    const std::string before = TempPng("brisbleep_editor_before");
    const std::string after = TempPng("brisbleep_editor_after");
    ASSERT_EQ(WriteEditorPng(*g, before), "");

    // Drag the gain knob up by its height: a quarter of the range, -6 dB to +9 dB.
    const ParamLayoutSpec& row = kParamLayout[kOutputGain];
    const int x = row.x + row.w / 2;
    const int y = row.y + 20;
    g->OnMouseDown(x, y, LeftButton());
    g->OnMouseDrag(x, y - row.h, LeftButton());
    g->OnMouseUp(x, y - row.h, LeftButton());
    EXPECT_NEAR(instrument.GetParam(kOutputGain)->Value(), 9.0, 1e-9);
    ASSERT_EQ(WriteEditorPng(*g, after), "");

    std::unique_ptr<PIX_MemBitmap> a(PIX_LoadPNGFile(before.c_str()));
    std::unique_ptr<PIX_MemBitmap> b(PIX_LoadPNGFile(after.c_str()));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Width(), 846);
    EXPECT_EQ(a->Height(), 768);
    auto changed = [&](int l, int t, int r, int bottom)
    {
        int n = 0;
        for (int yy = t; yy < bottom; ++yy)
            for (int xx = l; xx < r; ++xx)
                n += PixelAt(*a, xx, yy) != PixelAt(*b, xx, yy);
        return n;
    };
    EXPECT_GT(changed(row.x, row.y, row.x + row.w, row.y + 48), 50);                 // the knob turned
    EXPECT_GT(changed(row.x, row.y + row.h - 16, row.x + row.w, row.y + row.h), 10); // "9.0dB"
    const ParamLayoutSpec& other = kParamLayout[kOsc1Type];
    EXPECT_EQ(changed(other.x, other.y, other.x + other.w, other.y + other.h), 0);
    std::remove(before.c_str());
    std::remove(after.c_str());
}

TEST_F(EditorInstrument, SnapshotWriteFailuresAreOneMessage)
{
    EXPECT_EQ(WriteEditorPng(*g, "/nonexistent-dir/e.png"),
              "cannot write \"/nonexistent-dir/e.png\": No such file or directory");
    // A full device fails inside the encoder: the reason comes back, nothing is printed.
    ::testing::internal::CaptureStderr();
    const std::string full = WriteEditorPng(*g, "/dev/full");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(full.rfind("cannot write \"/dev/full\": ", 0), 0u) << full;
    EXPECT_GT(full.size(), std::string("cannot write \"/dev/full\": ").size());
}

TEST_F(EditorInstrument, HeadlessWindowOperationsAnswerNotAvailable)
{
    EXPECT_EQ(g->OpenWindow(nullptr), nullptr);
    EXPECT_FALSE(g->IsWindowOpen());
    IPopupMenu menu;
    menu.AddItem("a");
    EXPECT_EQ(g->ShowPopupMenu(menu, {0, 0, 10, 10}), nullptr);
    std::string file = "x.state", folder;
    g->ChooseFile(file, 1, folder, "state");
    EXPECT_TRUE(file.empty()); // nothing chosen
    // Images by name: only PNG names load, in any case.
    EXPECT_EQ(g->LoadBitmapResource(102, "resources/img/Background.bmp"), nullptr);
    std::unique_ptr<PIX_IBitmap> png(g->LoadBitmapResource(102, "resources/img/Background.PNG"));
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->Width(), 846);
}

TEST_F(EditorInstrument, ParameterTrafficBetweenHostFrameAndKnobs)
{
    IControl* gain = ControlOf(kOutputGain);
    instrument.AutomateParameter(kOutputGain, 0.25); // host automation, normalised
    EXPECT_EQ(gain->Value(), 0.25);
    instrument.SetParameterValue(kOutputGain, 0.0); // a real value: (0 + 48) / 60
    EXPECT_DOUBLE_EQ(gain->Value(), 0.8);
    instrument.GetParam(kOutputGain)->SetClamped(-48.0); // e.g. a loaded state, then the refresh
    instrument.RefreshEditorFromParameters();
    EXPECT_EQ(gain->Value(), 0.0);

    // A drag is bracketed by begin and end edit, each move sent to the host and the engine.
    instrument.ClearHostRecords();
    const IArea a = gain->Area();
    g->OnMouseDown(a.L + 36, a.T + 20, LeftButton());
    g->OnMouseDrag(a.L + 36, a.T + 20 - 34, LeftButton()); // half the height: an eighth of the range
    g->OnMouseUp(a.L + 36, a.T + 20 - 34, LeftButton());
    const auto& edits = instrument.HostEdits();
    ASSERT_EQ(edits.size(), 4u);
    EXPECT_EQ(edits[0].kind, IBindingOffline::HostEdit::Begin);
    EXPECT_EQ(edits[1].kind, IBindingOffline::HostEdit::Value); // the press re-sends the value
    EXPECT_EQ(edits[1].normalizedValue, 0.0);
    EXPECT_EQ(edits[2].kind, IBindingOffline::HostEdit::Value);
    EXPECT_DOUBLE_EQ(edits[2].normalizedValue, 0.125);
    EXPECT_EQ(edits[3].kind, IBindingOffline::HostEdit::End);
    for (const auto& e : edits)
        EXPECT_EQ(e.paramIdx, kOutputGain);
    EXPECT_DOUBLE_EQ(instrument.GetParam(kOutputGain)->Value(), -40.5); // -48 + 0.125 * 60, step 0.1
    EXPECT_DOUBLE_EQ(instrument.renderer.OutputGainTarget(), std::exp(-40.5 * 0.1151292546497));
}
