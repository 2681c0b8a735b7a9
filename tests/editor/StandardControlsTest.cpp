// The standard controls: knob gearing, switches, overlays, buttons and the value road.

#include "EditorTestSupport.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IStandardControls.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

struct ControlFixture : ::testing::Test
{
    EditorTestFrame frame{2};
    TestGraphics g{&frame};

    void SetUp() override
    {
        frame.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
        frame.GetParam(1)->DefineBool("Flag", false);
    }
};

IMouseModifiers With(bool control, bool shift)
{
    IMouseModifiers m;
    m.L = true;
    m.C = control;
    m.S = shift;
    return m;
}

} // namespace

TEST_F(ControlFixture, KnobGearingAndFineAdjustment)
{
    auto* knob = new TestKnob(&frame, {0, 0, 50, 100}, 0);
    g.AddControl(knob);
    knob->SetValueFromUser(0.5);
    knob->OnMouseDrag(0, 0, 0, -100, With(false, false)); // up by the knob's height, gearing 4
    EXPECT_DOUBLE_EQ(knob->Value(), 0.75);
    knob->OnMouseDrag(0, 0, 0, -100, With(true, false));
    EXPECT_DOUBLE_EQ(knob->Value(), 0.775);
    knob->OnMouseDrag(0, 0, 0, 100, With(false, true));
    EXPECT_DOUBLE_EQ(knob->Value(), 0.75);
    EXPECT_DOUBLE_EQ(frame.hostValues.back(), 0.75);

    auto* across = new TestKnob(&frame, {0, 0, 200, 10}, 0, IKnobControl::kHorizontal, 2.0);
    across->OnMouseDrag(0, 0, 100, 50, With(false, false)); // right by half the width, gearing 2
    EXPECT_DOUBLE_EQ(across->Value(), 0.25);
    g.AddControl(across);
}

TEST_F(ControlFixture, WheelStepsAndClamping)
{
    auto* knob = new TestKnob(&frame, {0, 0, 50, 100}, 0);
    g.AddControl(knob);
    knob->OnMouseWheel(0, 0, {}, 1);
    EXPECT_DOUBLE_EQ(knob->Value(), 0.01);
    knob->OnMouseWheel(0, 0, With(false, true), 1);
    EXPECT_DOUBLE_EQ(knob->Value(), 0.011);
    knob->OnMouseWheel(0, 0, With(true, false), -1);
    EXPECT_DOUBLE_EQ(knob->Value(), 0.01);
    knob->OnMouseDrag(0, 0, 0, -1000, {}); // far past the top
    EXPECT_EQ(knob->Value(), 1.0);
    EXPECT_EQ(frame.hostValues.back(), 1.0);
    knob->OnMouseWheel(0, 0, {}, -500);
    EXPECT_EQ(knob->Value(), 0.0);
    knob->SetClamp(0.2, 0.6);
    knob->OnMouseWheel(0, 0, {}, 1);
    EXPECT_DOUBLE_EQ(knob->Value(), 0.2);
}

TEST_F(ControlFixture, DoubleClickRestoresTheFirstPluginValue)
{
    auto* knob = new TestKnob(&frame, {0, 0, 50, 100}, 0);
    g.AddControl(knob);
    knob->SetValueFromUser(0.3);
    frame.log.clear();
    knob->OnMouseDoubleClick(0, 0, {}); // never received a value: nothing
    EXPECT_EQ(knob->Value(), 0.3);
    EXPECT_TRUE(frame.log.empty());
    g.PushValueToControls(0, 0.6, true);
    g.PushValueToControls(0, 0.9, true);
    EXPECT_EQ(knob->DefaultValue(), 0.6);
    knob->OnMouseDoubleClick(0, 0, {});
    EXPECT_EQ(knob->Value(), 0.6);
    EXPECT_EQ(frame.log, (std::vector<std::string>{"host 0"}));
}

TEST_F(ControlFixture, ThreeFrameSwitchCyclesAndShowsEachFrame)
{
    auto strip = StripBitmap(4, 4, 3);
    auto* sw = new ISwitchControl(&frame, {0, 0, 4, 4}, 1, IBitmapRef(strip.get(), 3));
    g.AddControl(sw);
    g.PrepareDraw();
    std::vector<double> values;
    std::vector<int> frames;
    for (int click = 0; click < 4; ++click)
    {
        g.Draw({0, 0, 4, 4});
        frames.push_back(FrameAt(*g.DrawBitmapSurface(), 1, 1));
        values.push_back(sw->Value());
        g.OnMouseDown(1, 1, LeftButton());
        g.OnMouseUp(1, 1, LeftButton());
    }
    EXPECT_EQ(values, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 1}));
    sw->OnMouseDoubleClick(1, 1, {}); // counts as one more click
    EXPECT_EQ(sw->Value(), 1.0);
}

TEST_F(ControlFixture, BitmapControlFrameFollowsTheValue)
{
    auto strip = StripBitmap(2, 2, 2);
    IBitmapControl two(&frame, {0, 0, 2, 2}, -1, IBitmapRef(strip.get(), 2));
    g.PrepareDraw();
    std::vector<std::string> log;
    g.AddControl(new LoggingControl(log, "bg", {0, 0, 100, 100}));
    g.Draw({0, 0, 100, 100});
    two.TakeValueFromPlugin(0.49);
    two.Draw(g);
    EXPECT_EQ(FrameAt(*g.DrawBitmapSurface(), 0, 0), 1);
    two.TakeValueFromPlugin(0.5);
    two.Draw(g);
    EXPECT_EQ(FrameAt(*g.DrawBitmapSurface(), 0, 0), 2);
}

TEST_F(ControlFixture, OverlayOpensFromItsSmallTargetAndClosesAnywhere)
{
    auto image = SolidBitmap(80, 60, 0xff112233);
    auto* overlay =
        new IBitmapOverlayControl(&frame, {0, 0, 80, 60}, IBitmapRef(image.get()), {20, 50, 40, 60});
    g.AddControl(overlay);
    g.PrepareDraw();
    EXPECT_EQ(overlay->TargetArea(), (IArea{0, 0, 80, 60})); // whole area until the first pass
    g.Draw({0, 0, 80, 60});
    EXPECT_EQ(overlay->TargetArea(), (IArea{20, 50, 40, 60}));
    ClearSurface(g);
    g.OnMouseDown(5, 5, LeftButton()); // outside the closed target: nothing
    EXPECT_EQ(overlay->Value(), 0.0);
    g.OnMouseDown(25, 55, LeftButton());
    EXPECT_EQ(overlay->Value(), 1.0);
    g.Draw({0, 0, 80, 60});
    EXPECT_EQ(overlay->TargetArea(), (IArea{0, 0, 80, 60}));
    EXPECT_EQ(PixelAt(*g.DrawBitmapSurface(), 5, 5), 0xff112233u);
    g.OnMouseDown(5, 5, LeftButton()); // open: a click anywhere closes it
    EXPECT_EQ(overlay->Value(), 0.0);
    ClearSurface(g);
    g.Draw({0, 0, 80, 60});
    EXPECT_EQ(PixelAt(*g.DrawBitmapSurface(), 5, 5), 0u);
}

namespace
{
void CountClick(void* context)
{
    ++*static_cast<int*>(context);
}
} // namespace

TEST_F(ControlFixture, ButtonShowsItsThreeFramesAndRunsHandlersOnRelease)
{
    // Two buttons sharing one six-frame strip of 5 x 4 frames, offsets 0 and 3.
    auto strip = StripBitmap(5, 4, 6);
    const IBitmapRef ref(strip.get(), 6);
    auto* first = new IButtonControl(&frame, {0, 0, 20, 20}, ref, 0);
    auto* second = new IButtonControl(&frame, {30, 0, 50, 20}, ref, 3);
    g.AddControl(first);
    g.AddControl(second);
    EXPECT_EQ(first->DrawArea(), (IArea{0, 0, 5, 4}));
    int clicks = 0;
    first->AddClickHandler(&clicks, CountClick);
    first->AddClickHandler(&clicks, CountClick); // already present: ignored
    g.SetHandleMouseOver(true);
    g.PrepareDraw();
    auto frameShown = [&](int x)
    {
        g.Draw({0, 0, 100, 100});
        return FrameAt(*g.DrawBitmapSurface(), x, 1);
    };
    EXPECT_EQ(frameShown(1), 1);
    EXPECT_EQ(frameShown(31), 4);
    g.OnMouseOver(2, 2, {});
    EXPECT_EQ(first->State(), IButtonControl::kHover);
    EXPECT_EQ(frameShown(1), 2);
    g.OnMouseDown(2, 2, LeftButton());
    EXPECT_EQ(frameShown(1), 3);
    EXPECT_EQ(clicks, 0);
    g.OnMouseUp(90, 90, LeftButton()); // released outside: the pressed button still runs
    EXPECT_EQ(clicks, 1);
    g.OnMouseOut();
    EXPECT_EQ(frameShown(1), 1);
    EXPECT_TRUE(frame.log.empty()); // buttons drive no parameter
}

TEST_F(ControlFixture, MarkDirtyFeedsValueAndNameDisplays)
{
    auto font = StripBitmap(11, 14, 224);
    auto* display = new ITextControlBitmapFont(&frame, {0, 0, 60, 30}, {}, IBitmapRef(font.get(), 224));
    auto* name = new ITextControlBitmapFont(&frame, {0, 40, 60, 70}, {}, IBitmapRef(font.get(), 224));
    auto* knob = new TestKnob(&frame, {0, 0, 50, 100}, 0);
    g.AddControl(display);
    g.AddControl(name);
    g.AddControl(knob);
    EXPECT_EQ(display->Text(), "0");
    knob->SetValueDisplayControl(display);
    knob->SetNameDisplayControl(name);
    knob->SetValueFromUser(0.25);
    EXPECT_EQ(display->Text(), "-5.0 dB");
    EXPECT_EQ(name->Text(), "Gain");
    display->MarkClean();
    display->SetText("-5.0 dB"); // unchanged: stays clean
    EXPECT_FALSE(display->IsDirty());
    display->SetText("x");
    EXPECT_TRUE(display->IsDirty());
}

TEST_F(ControlFixture, KnobWithoutExtentKeepsItsValue)
{
    auto* flat = new TestKnob(&frame, {10, 10, 40, 10}, 0);
    g.AddControl(flat);
    flat->SetValueFromUser(0.5);
    flat->OnMouseDrag(0, 0, 0, 0, {}); // the press of a bitmap-font knob re-sends this way
    flat->OnMouseDrag(0, 0, 0, -5, {});
    EXPECT_EQ(flat->Value(), 0.5);
    EXPECT_EQ(frame.hostValues.back(), 0.5);
}
