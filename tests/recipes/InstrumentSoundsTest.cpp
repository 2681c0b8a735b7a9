// The sound buttons, history and editor layout as the instrument runs them headless.

#include "instrument/Brisbleep.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IGraphics.h"
#include "editor/IKeyboardControl.h"
#include "editor/IStandardControls.h"

#include "engine/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Instrument
{
    Instrument() : plugin(std::make_unique<Brisbleep>(OfflineHostContext{})) {}
    IGraphics& Graphics() const { return *plugin->editorGraphics; }
    IControl* ControlOf(int paramIdx) const
    {
        for (int i = 0; i < Graphics().NControls(); ++i)
            if (Graphics().GetControl(i)->ParamIdx() == paramIdx) return Graphics().GetControl(i);
        return nullptr;
    }
    std::array<double, kParamCount> Values() const
    {
        std::array<double, kParamCount> values{};
        for (int i = 0; i < kParamCount; ++i)
            values[i] = plugin->GetParam(i)->Value();
        return values;
    }
    // Parameters whose new values reached the host, in order.
    std::vector<int> HostValueParams() const
    {
        std::vector<int> params;
        for (const auto& edit : plugin->HostEdits())
            if (edit.kind == IBindingOffline::HostEdit::Value) params.push_back(edit.paramIdx);
        return params;
    }
    std::string Display() const { return plugin->indexDisplay->Text(); }

    std::unique_ptr<Brisbleep> plugin;
};

const IMouseModifiers kLeft{true, false, false, false, false};
const IMouseModifiers kNone{};

constexpr const char* kButtonTooltips[13] = {
    "Reset to the initial values",
    "Random! Great to discover new sounds!",
    "Pickup/Coin sounds",
    "Shoots, Lasers, Blasters! Maybe a flanger would be great!",
    "Powerups!!",
    "Hit, Hurt! Try with others waveforms!",
    "Jump!!",
    "Blips and Select sounds",
    "Blade Slashes",
    "Mutate the current values. Change the amount with the Mutation % Knob",
    "Go to the previous data index",
    "Go to the next data index",
    "Save the current data index",
};
constexpr int kFirstButton = 4;
constexpr int kCoinButton = kFirstButton + 2;
constexpr int kIndexDisplay = 17;
constexpr int kFirstParamControl = 18;

} // namespace

TEST(EditorLayout, SeventyNineControlsInDrawingOrder)
{
    Instrument in;
    IGraphics& g = in.Graphics();
    EXPECT_EQ(g.Width(), 846);
    EXPECT_EQ(g.Height(), 768);
    EXPECT_EQ(g.FrameRate(), 25);
    EXPECT_TRUE(g.HandleMouseOver());
    EXPECT_TRUE(g.ShowTooltips());
    ASSERT_EQ(g.NControls(), 79);

    EXPECT_NE(dynamic_cast<IBitmapControl*>(g.GetControl(0)), nullptr);
    EXPECT_EQ(g.GetControl(0)->Area(), (IArea{0, 0, 846, 768}));
    EXPECT_NE(dynamic_cast<IKeyboardControl*>(g.GetControl(1)), nullptr);
    EXPECT_EQ(g.GetControl(1)->Area(), (IArea{138, 707, 708, 767}));
    EXPECT_NE(dynamic_cast<IPeakMeterBitmapBitmapFont*>(g.GetControl(2)), nullptr);
    EXPECT_EQ(g.GetControl(2)->Area(), (IArea{760, 100, 788, 242}));
    EXPECT_EQ(g.GetControl(3)->Area(), (IArea{788, 100, 817, 242}));
    EXPECT_EQ(in.plugin->leftMeterControl, 2);
    EXPECT_EQ(in.plugin->rightMeterControl, 3);

    for (int b = 0; b < 13; ++b)
    {
        auto* button = dynamic_cast<IButtonControl*>(g.GetControl(kFirstButton + b));
        ASSERT_NE(button, nullptr) << b;
        EXPECT_EQ(button->Tooltip(), kButtonTooltips[b]);
        // Each button is one frame of its strip: 108 x 50 in the grid, 76 x 30 in the history row.
        EXPECT_EQ(button->DrawArea().W(), b < 10 ? 108 : 76);
        EXPECT_EQ(button->DrawArea().H(), b < 10 ? 50 : 30);
    }
    EXPECT_EQ(g.GetControl(kFirstButton + 3)->Area().L, 261); // shoot, below coin
    EXPECT_EQ(g.GetControl(kFirstButton + 3)->Area().T, 606);

    auto* display = dynamic_cast<ITextControlBitmapFont*>(g.GetControl(kIndexDisplay));
    ASSERT_EQ(display, in.plugin->indexDisplay);
    EXPECT_EQ(display->Text(), "0");
    EXPECT_EQ(display->Tooltip(), "Current data index");
    EXPECT_EQ(display->Area(), (IArea{548, 240, 603, 270}));

    for (int i = 0; i < kParamCount; ++i)
    {
        IControl* c = g.GetControl(kFirstParamControl + i);
        EXPECT_EQ(c->ParamIdx(), i);
        EXPECT_EQ(c, in.ControlOf(i)) << "parameter " << i << " has a second control";
        const ParamLayoutSpec& row = kParamLayout[i];
        EXPECT_EQ(c->Area(), (IArea{row.x, row.y, row.x + row.w, row.y + row.h}));
        EXPECT_EQ(c->Tooltip(), row.tooltip);
        const bool note = i == kPitchHighNote || i == kPitchLowNote;
        EXPECT_EQ(dynamic_cast<IKnobMultiControlBitmapFontMidiNote*>(c) != nullptr, note) << i;
        EXPECT_EQ(dynamic_cast<IKnobMultiControlBitmapFont*>(c) != nullptr, !note) << i;
    }
    EXPECT_EQ(g.GetControl(kFirstParamControl + 17)->Tooltip(), "Osc3 Cents");
    EXPECT_EQ(g.GetControl(kFirstParamControl + 27)->Tooltip(), "White EnvDepth");

    auto* about = dynamic_cast<IBitmapOverlayControl*>(g.GetControl(78));
    ASSERT_EQ(about, in.plugin->aboutOverlay);
    EXPECT_EQ(about->Area(), (IArea{0, 0, 846, 698}));
    for (int i = 0; i < g.NControls(); ++i)
    {
        const bool drivesParameter = i >= kFirstParamControl && i < kFirstParamControl + kParamCount;
        if (!drivesParameter)
        {
            EXPECT_EQ(g.GetControl(i)->ParamIdx(), -1) << i;
        }
    }
}

TEST(EditorLayout, ButtonShowsHoverAndPressFramesAndRunsItsActionOnRelease)
{
    Instrument in;
    IGraphics& g = in.Graphics();
    auto* coin = dynamic_cast<IButtonControl*>(g.GetControl(kCoinButton));
    ASSERT_NE(coin, nullptr);
    const int x = 300, y = 580;
    // Nothing has been drawn yet: the closed about overlay must not take the click.

    g.OnMouseOver(x, y, kNone);
    EXPECT_EQ(g.MouseOver(), kCoinButton);
    EXPECT_EQ(coin->State(), IButtonControl::kHover);
    EXPECT_EQ(g.GetControl(g.MouseOver())->Tooltip(), "Pickup/Coin sounds");

    g.OnMouseDown(x, y, kLeft);
    EXPECT_EQ(coin->State(), IButtonControl::kPressed);
    EXPECT_EQ(in.plugin->soundHistory.Count(), 0) << "the action runs on release, not on press";

    g.OnMouseUp(x, y, kLeft);
    EXPECT_EQ(in.plugin->soundHistory.Count(), 1);
    // Coin makes oscillator 1 a sine at full level.
    EXPECT_EQ(in.plugin->GetParam(kOsc1Type)->Value(), 2.0);
    EXPECT_EQ(in.plugin->GetParam(kOsc1Level)->Value(), 0.0);

    // A press released outside the button still runs it.
    g.OnMouseDown(x, y, kLeft);
    g.OnMouseUp(10, 10, kLeft);
    EXPECT_EQ(in.plugin->soundHistory.Count(), 2);
    EXPECT_EQ(in.Display(), "1");
}

TEST(SoundButtons, RecipeChangesReachTheHostInTableOrderAndOnlyWhenThePositionChanges)
{
    Instrument in;
    in.plugin->SetParameterValue(5, -10.0); // Osc2 Level: not in any recipe
    in.plugin->SetParameterValue(kBitCrushSampleRate, 8000.0);
    const auto before = in.Values();
    in.plugin->ClearHostRecords();

    RandomSeed(2024);
    in.plugin->CoinRecipe();
    const std::vector<int> sent = in.HostValueParams();
    // Sent at most once each, in the order of the recipe's rows.
    const std::vector<int> rowOrder = {1,  4,  7,  8,  18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39,
                                       42, 45, 40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49, 50};
    std::size_t row = 0;
    for (int p : sent)
    {
        while (row < rowOrder.size() && rowOrder[row] != p)
            ++row;
        ASSERT_LT(row, rowOrder.size()) << "parameter " << p << " sent out of order or twice";
        ++row;
    }
    // The defaults already hold these positions (full oscillator level, silent noise, full depths,
    // open filters, no pitch glide, 1 s glide time, compression 0.3): nothing is sent for them.
    for (int p : {4, 7, 8, 18, 24, 27, 28, 36, 37, 38, 40, 41, 43, 44, 46})
        EXPECT_EQ(std::count(sent.begin(), sent.end(), p), 0) << p;
    for (int p : {1, 29, 31, 32, 33, 39, 42, 45, 51, 52, 53, 54, 55, 47, 49, 50})
        EXPECT_EQ(std::count(sent.begin(), sent.end(), p), 1) << p;

    const auto after = in.Values();
    for (int p : {0,  2,  3,  5,  6,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                  19, 20, 21, 22, 23, 25, 26, 34, 35, 56, 57, 58, 59})
        EXPECT_EQ(after[p], before[p]) << p;

    // The fixed cells of a second coin are where the first one left them: not sent again.
    in.plugin->ClearHostRecords();
    in.plugin->CoinRecipe();
    const std::vector<int> again = in.HostValueParams();
    for (int p : {1, 4, 7, 8, 18, 24, 27, 28, 32, 36, 37, 38, 39, 40, 41, 43, 44, 46})
        EXPECT_EQ(std::count(again.begin(), again.end(), p), 0) << p;
    EXPECT_GT(again.size(), 10u);
}

TEST(SoundButtons, ResetRestoresTheDefaultsWithoutAHistoryEntry)
{
    Instrument in;
    RandomSeed(5);
    in.plugin->ShootRecipe();
    in.plugin->SetParameterValue(5, -20.0);
    ASSERT_NE(in.plugin->GetParam(kOsc1Type)->Value(), 1.0);
    in.plugin->ResetToInitial();
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_EQ(in.plugin->GetParam(i)->Value(), kParamLayout[i].defaultValue) << i;
    EXPECT_EQ(in.plugin->soundHistory.Count(), 1);
    // The controls follow, so a recipe afterwards compares against the restored positions.
    EXPECT_EQ(in.ControlOf(kOsc1Type)->Value(), in.plugin->GetParam(kOsc1Type)->ToNormalized());
}

TEST(SoundHistory, ButtonsStepThroughRecordedSoundsAndShowTheIndex)
{
    Instrument in;
    EXPECT_EQ(in.Display(), "0");
    in.plugin->PreviousSound();
    in.plugin->NextSound();
    EXPECT_EQ(in.Display(), "0");
    in.plugin->SaveSound();
    EXPECT_EQ(in.plugin->soundHistory.Count(), 1);
    EXPECT_EQ(in.Display(), "0");

    Instrument fresh;
    RandomSeed(77);
    fresh.plugin->CoinRecipe();
    const auto first = fresh.Values();
    fresh.plugin->HitRecipe();
    fresh.plugin->BladeRecipe();
    EXPECT_EQ(fresh.Display(), "2");
    fresh.plugin->SetParameterValue(5, -3.0); // not touched by recipes, restored by the history
    fresh.plugin->PreviousSound();
    fresh.plugin->PreviousSound();
    EXPECT_EQ(fresh.Display(), "0");
    const auto restored = fresh.Values();
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_NEAR(restored[i], first[i], 1e-9 * (1 + std::abs(first[i]))) << i;
    fresh.plugin->PreviousSound();
    EXPECT_EQ(fresh.Display(), "0");
    fresh.plugin->JumpRecipe();
    EXPECT_EQ(fresh.Display(), "3");
    EXPECT_EQ(fresh.plugin->soundHistory.Count(), 4);
    fresh.plugin->NextSound();
    EXPECT_EQ(fresh.Display(), "3");
}

TEST(SoundHistory, MutationAtZeroChangesNothingButRecordsAnEntry)
{
    Instrument in;
    RandomSeed(3);
    in.plugin->PowerupRecipe();
    in.plugin->SetParameterValue(kMutationPercent, 0.0);
    const auto before = in.Values();
    in.plugin->MutateSound();
    // Each parameter is set to its own position: at most the last bit of the value moves.
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_NEAR(in.Values()[i], before[i], 1e-12 * (1 + std::abs(before[i]))) << i;
    EXPECT_EQ(in.plugin->soundHistory.Count(), 2);
    EXPECT_EQ(in.Display(), "1");

    in.plugin->SetParameterValue(kMutationPercent, 10.0);
    in.plugin->MutateSound();
    const auto mutated = in.Values();
    int moved = 0;
    for (int i = 0; i < kParamCount; ++i)
    {
        const IParameter* p = in.plugin->GetParam(i);
        EXPECT_GE(mutated[i], p->Min());
        EXPECT_LE(mutated[i], p->Max());
        moved += mutated[i] != before[i];
    }
    EXPECT_GT(moved, 20);
    // Waveform, levels, pitch notes, crusher and gain are never mutated.
    for (int p : {0, 1, 2, 4, 5, 7, 8, 9, 34, 35, 56, 57, 58})
        EXPECT_EQ(mutated[p], before[p]) << p;
}

TEST(AboutBox, SlotSixteenOpensTheOverlayOverTheEditor)
{
    Instrument in;
    IBitmapOverlayControl* about = in.plugin->aboutOverlay;
    EXPECT_LT(about->Value(), 0.5);
    EXPECT_TRUE(in.plugin->ShowAboutBox());
    EXPECT_EQ(about->Value(), 1.0);
    EXPECT_FALSE(about->IsHidden());
    EXPECT_TRUE(about->IsDirty());
    // Open, it covers the editor down to the keyboard and a click anywhere on it closes it.
    in.Graphics().Draw({0, 0, 846, 768});
    const IMouseModifiers left{true, false, false, false, false};
    in.Graphics().OnMouseDown(300, 580, left);
    EXPECT_EQ(about->Value(), 0.0);
    EXPECT_EQ(in.plugin->soundHistory.Count(), 0) << "the coin button beneath was pressed";
}
