// Event routing and the parameter road between frame and controls.

#include "EditorTestSupport.h"

#include "editor/IStandardControls.h"

#include <gtest/gtest.h>

namespace
{

struct EventFixture : ::testing::Test
{
    EditorTestFrame frame{4};
    TestGraphics g{&frame};
    std::vector<std::string> log;
    LoggingControl* bg = nullptr;
    LoggingControl* lower = nullptr;
    LoggingControl* upper = nullptr;

    void SetUp() override
    {
        frame.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
        frame.GetParam(1)->DefineDouble("Curve", 0.0, 0.0, 4.0, 0.01, "", 2.0);
        frame.GetParam(2)->DefineEnum("Wave", 1, 3);
        frame.GetParam(2)->AddDisplayText(0, "Off");
        frame.GetParam(2)->AddDisplayText(1, "Sin");
        frame.GetParam(2)->AddDisplayText(2, "Saw");
        frame.GetParam(3)->DefineInt("Shift", 0, -24, 24);
        bg = Add("bg", {0, 0, 100, 100});
        lower = Add("lower", {10, 10, 50, 50}, 0);
        upper = Add("upper", {30, 30, 70, 70}, 1);
        log.clear();
    }
    LoggingControl* Add(const char* name, IArea area, int param = -1)
    {
        auto* c = new LoggingControl(log, name, area, param, &frame);
        g.AddControl(c);
        return c;
    }
};

} // namespace

TEST_F(EventFixture, PressGoesToTheTopmostControlWithEditBracketing)
{
    g.OnMouseDown(40, 40, LeftButton());
    g.OnMouseDrag(45, 38, LeftButton());
    g.OnMouseUp(90, 90, LeftButton()); // released outside: still the pressed control
    EXPECT_EQ(log, (std::vector<std::string>{"upper down 40,40", "upper drag 5,-2", "upper up 90,90"}));
    EXPECT_EQ(frame.log, (std::vector<std::string>{"begin 1", "end 1"}));
    EXPECT_EQ(g.MouseCapture(), -1);
    EXPECT_EQ(g.LastMouseX(), -1);
    // Without a capture the wheel goes to the control under the mouse, with one to the captured.
    g.OnMouseWheel(20, 20, {}, 2);
    EXPECT_EQ(log.back(), "lower wheel 2,0");
    g.OnMouseDown(60, 60, LeftButton());
    g.OnMouseWheel(20, 20, {}, -1);
    EXPECT_EQ(log.back(), "upper wheel -1,0");
}

TEST_F(EventFixture, GreyedAndHiddenControlsPassThePressBeneath)
{
    upper->SetGrayed(true);
    EXPECT_EQ(upper->Blend().weight, 0.25f);
    g.OnMouseDown(40, 40, LeftButton());
    EXPECT_EQ(log.back(), "lower down 40,40");
    upper->SetGrayed(false);
    upper->Hide(true);
    g.OnMouseDown(41, 41, LeftButton());
    EXPECT_EQ(log.back(), "lower down 41,41");
    g.OnMouseDown(200, 200, LeftButton()); // nothing there
    EXPECT_EQ(g.MouseCapture(), -1);
    EXPECT_EQ(g.LastMouseX(), -1);
}

TEST_F(EventFixture, DragWithoutMovementSendsNothing)
{
    g.OnMouseDown(20, 20, LeftButton());
    g.OnMouseDrag(20, 20, LeftButton());
    EXPECT_EQ(log, (std::vector<std::string>{"lower down 20,20"}));
    g.OnMouseDrag(20, 25, LeftButton());
    g.OnMouseDrag(20, 25, LeftButton());
    EXPECT_EQ(log.back(), "lower drag 0,5");
    EXPECT_EQ(log.size(), 2u);
    g.OnMouseUp(20, 25, LeftButton());
    g.OnMouseDrag(30, 30, LeftButton()); // nothing captured any more
    EXPECT_EQ(log.back(), "lower up 20,25");
}

TEST_F(EventFixture, RightPressUnderVst3AsksForTheHostMenu)
{
    EditorTestFrame vst3(4, kApiVST3);
    TestGraphics g3(&vst3);
    auto* c = new LoggingControl(log, "c", {0, 0, 10, 10}, 2, &vst3);
    g3.AddControl(c);
    g3.OnMouseDown(5, 6, RightButton());
    EXPECT_EQ(vst3.log, (std::vector<std::string>{"menu 2 5,6"}));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(g3.MouseCapture(), -1);
    // The VST2 binding gets an ordinary edit.
    g.OnMouseDown(15, 15, RightButton());
    EXPECT_EQ(frame.log, (std::vector<std::string>{"begin 0"}));
}

TEST_F(EventFixture, KeysFallBackToTheKeyCatcher)
{
    EXPECT_FALSE(g.OnKeyDown(5, 5, KEY_SPACE)); // over the background, no catcher
    std::vector<std::string> catcherLog;
    g.SetKeyCatcher(new LoggingControl(catcherLog, "catcher", {}));
    EXPECT_TRUE(g.OnKeyDown(5, 5, KEY_ALPHA_A));
    EXPECT_EQ(catcherLog, (std::vector<std::string>{"catcher key 15,0"}));
    EXPECT_TRUE(g.OnKeyDown(20, 20, KEY_UPARROW)); // over a control: that control
    EXPECT_EQ(log.back(), "lower key 1,0");
    lower->keyResult = false;
    EXPECT_FALSE(g.OnKeyDown(20, 20, KEY_UPARROW)); // its answer, even when unhandled
    EXPECT_EQ(catcherLog.size(), 1u);
}

TEST_F(EventFixture, DoubleClickAsClickCapturesWithoutBeginEdit)
{
    EXPECT_FALSE(g.OnMouseDoubleClick(20, 20, LeftButton()));
    EXPECT_EQ(log.back(), "lower dbl 20,20");
    lower->SetDoubleClickAsClick(true);
    EXPECT_TRUE(g.OnMouseDoubleClick(20, 21, LeftButton()));
    EXPECT_EQ(log.back(), "lower down 20,21");
    EXPECT_EQ(g.MouseCapture(), 1);
    EXPECT_TRUE(frame.log.empty());
    EXPECT_FALSE(g.OnMouseDoubleClick(200, 200, LeftButton()));
}

TEST_F(EventFixture, MouseOverOnlyWhenHandledAndTellsThePreviousControl)
{
    EXPECT_FALSE(g.OnMouseOver(20, 20, {}));
    EXPECT_TRUE(log.empty());
    g.SetHandleMouseOver(true);
    EXPECT_TRUE(g.OnMouseOver(20, 20, {}));
    EXPECT_EQ(g.MouseOver(), 1);
    g.OnMouseOver(60, 60, {});
    EXPECT_EQ(log, (std::vector<std::string>{"lower over 20,20", "upper over 60,60", "lower out"}));
    EXPECT_EQ(g.MouseOver(), 2);
    log.clear();
    g.OnMouseOver(200, 200, {}); // nothing there: nobody is told
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(g.MouseOver(), 2);
    upper->SetGrayed(true);
    g.OnMouseOver(60, 60, {}); // the greyed control is skipped: the background is beneath
    EXPECT_EQ(log, (std::vector<std::string>{"bg over 60,60", "upper out"}));
    upper->SetMouseOverWhenGrayed(true);
    log.clear();
    g.OnMouseOver(60, 61, {});
    EXPECT_EQ(log, (std::vector<std::string>{"upper over 60,61", "bg out"}));
    log.clear();
    g.OnMouseOut();
    EXPECT_EQ(log, (std::vector<std::string>{"bg out", "lower out", "upper out"}));
    EXPECT_EQ(g.MouseOver(), -1);
}

TEST_F(EventFixture, TooltipBelongsToTheControlNamedOnlyWhileThePointerIsOnIt)
{
    g.SetHandleMouseOver(true);
    EXPECT_EQ(g.TooltipControlAt(20, 20), -1); // nothing named yet
    g.OnMouseOver(20, 20, {});
    EXPECT_EQ(g.TooltipControlAt(20, 20), 1);
    g.OnMouseOver(200, 200, {}); // still named, but the pointer has left it
    EXPECT_EQ(g.MouseOver(), 1);
    EXPECT_EQ(g.TooltipControlAt(200, 200), -1);
    g.OnMouseOver(60, 60, {});
    EXPECT_EQ(g.TooltipControlAt(60, 60), 2);
    g.OnMouseOut();
    EXPECT_EQ(g.TooltipControlAt(60, 60), -1);
}

TEST_F(EventFixture, PushedRealValuesAreNormalisedAndNeverSentBack)
{
    g.PushValueToControls(0, -30.0, false); // below the minimum: shown at 0
    EXPECT_EQ(lower->Value(), 0.0);
    g.PushValueToControls(0, 5.0, false);
    EXPECT_DOUBLE_EQ(lower->Value(), 0.75);
    g.PushValueToControls(1, 1.0, false); // shape 2: (1/4)^(1/2)
    EXPECT_DOUBLE_EQ(upper->Value(), 0.5);
    g.PushValueToControls(0, 0.25, true);
    EXPECT_EQ(lower->Value(), 0.25);
    EXPECT_TRUE(frame.log.empty());
    EXPECT_EQ(lower->DefaultValue(), 0.0); // the first value received became the default
}

TEST_F(EventFixture, AuxiliaryBindingsTakeOnlyTheFirstMatch)
{
    bg->AddAuxParam(3);
    bg->AddAuxParam(3);
    g.PushValueToControls(3, 0.5, true);
    EXPECT_EQ(bg->GetAuxParam(0).value, 0.5);
    EXPECT_EQ(bg->GetAuxParam(1).value, 0.0);
}

TEST_F(EventFixture, ControlsMovedAsUserReachTheHostAndTheParameter)
{
    g.SetControlsAsUser(0, 0.75);
    EXPECT_EQ(frame.log, (std::vector<std::string>{"host 0"}));
    EXPECT_EQ(frame.hostValues, (std::vector<double>{0.75}));
    EXPECT_DOUBLE_EQ(frame.GetParam(0)->Value(), 5.0);
    g.SetControlsAsUser(0, 0.75); // unchanged: nothing more
    EXPECT_EQ(frame.log.size(), 1u);
}

TEST_F(EventFixture, ValueEntryIsAPopupForEnumerations)
{
    frame.GetParam(2)->SetClamped(1.0);
    auto* wave = new LoggingControl(log, "wave", {80, 80, 90, 90}, 2, &frame);
    g.AddControl(wave);
    const IArea box{80, 80, 90, 90};
    g.popupChoice = 2;
    g.OpenValueEntry(wave, frame.GetParam(2), &box);
    EXPECT_EQ(g.shownMenu, (std::vector<std::string>{"Off", "Sin*", "Saw"}));
    EXPECT_EQ(wave->Value(), 1.0);
    EXPECT_EQ(frame.GetParam(2)->Value(), 2.0);
    g.popupChoice = 7; // outside the range: clamped to the maximum
    wave->SetValueFromUser(0.0);
    g.OpenValueEntry(wave, frame.GetParam(2), &box);
    EXPECT_EQ(wave->Value(), 1.0);
    g.popupChoice = -1; // cancelled
    g.OpenValueEntry(wave, frame.GetParam(2), &box);
    EXPECT_EQ(wave->Value(), 1.0);
    EXPECT_TRUE(g.textFieldText.empty());
    g.OpenValueEntry(wave, frame.GetParam(2), nullptr); // missing area: nothing
}

TEST_F(EventFixture, ValueEntryTextUsesPrecisionNegationAndTruncation)
{
    frame.GetParam(0)->SetClamped(-2.46);
    g.OpenValueEntry(lower, frame.GetParam(0), &lower->Area());
    EXPECT_EQ(g.textFieldText, "-2.5");
    EXPECT_EQ(g.textFieldControl, lower);
    frame.GetParam(0)->SetNegateDisplay(true);
    g.OpenValueEntry(lower, frame.GetParam(0), &lower->Area());
    EXPECT_EQ(g.textFieldText, "2.5");
    frame.GetParam(3)->SetClamped(-7.0);
    g.OpenValueEntry(lower, frame.GetParam(3), &lower->Area());
    EXPECT_EQ(g.textFieldText, "-7");
}

TEST_F(EventFixture, RightClickPromptNeedsPromptingEnabled)
{
    auto* knob = new TestKnob(&frame, {0, 0, 41, 31}, 0);
    g.AddControl(knob);
    g.OnMouseDown(5, 5, RightButton());
    EXPECT_EQ(g.textFieldControl, nullptr); // prompting is off by default
    knob->SetPromptDisabled(false);
    g.OnMouseDown(5, 5, RightButton());
    EXPECT_EQ(g.textFieldControl, knob);
    EXPECT_EQ(g.textFieldArea, (IArea{0, 7, 40, 23})); // 40 x 16 around the centre (20, 15)
    EXPECT_TRUE(knob->RedrawPending());
}
