// The window's input rules that need no X server: key mapping, modifiers, wheel notches, double
// clicks by time and distance, and the text entry's filter, limit and committed value.

#include "editor/linux/X11Input.h"
#include "frame/IParameter.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include <X11/X.h>
#include <X11/keysym.h>

namespace
{

using namespace x11input;

TEST(X11Input, KeysMapToTheEditorsCodes)
{
    const struct
    {
        unsigned long keysym;
        int code;
    } cases[] = {
        {XK_space, 0},    {XK_Up, 1},      {XK_Down, 2},         {XK_Left, 3},  {XK_Right, 4},  {XK_0, 5},
        {XK_9, 14},       {XK_a, 15},      {XK_A, 15},           {XK_z, 40},    {XK_Z, 40},     {XK_m, 27},
        {XK_F5, -1},      {XK_Return, -1}, {XK_Escape, -1},      {XK_KP_0, -1}, {XK_KP_Up, -1}, {XK_Tab, -1},
        {XK_Shift_L, -1}, {XK_exclam, -1}, {XK_bracketleft, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyCodeFor(c.keysym), c.code) << "keysym " << std::hex << c.keysym;
}

TEST(X11Input, ModifiersComeFromTheStateAndTheButtonOfTheEvent)
{
    struct Case
    {
        unsigned state;
        int button;
        bool press;
        bool L, R, S, C, A;
    };
    const Case cases[] = {
        {0, 0, false, false, false, false, false, false},
        {ShiftMask | ControlMask, 0, false, false, false, true, true, false},
        {Mod1Mask, 0, false, false, false, false, false, true},
        {Button1Mask, 0, false, true, false, false, false, false},        // a drag with the left button
        {0, Button1, true, true, false, false, false, false},             // the press adds its button
        {Button1Mask, Button1, false, false, false, false, false, false}, // the release removes it
        {0, Button3, true, false, true, false, false, false},
        {Button1Mask | Button3Mask, Button3, false, true, false, false, false, false},
        {0, Button2, true, false, false, false, false, false}, // middle is neither
        {Mod4Mask | LockMask, 0, false, false, false, false, false, false},
    };
    for (const Case& c : cases)
    {
        const IMouseModifiers m = ModifiersFor(c.state, c.button, c.press);
        EXPECT_EQ((std::array<bool, 5>{m.L, m.R, m.S, m.C, m.A}),
                  (std::array<bool, 5>{c.L, c.R, c.S, c.C, c.A}))
            << "state " << c.state << " button " << c.button;
    }
}

TEST(X11Input, WheelButtonsAreNotches)
{
    EXPECT_EQ(WheelNotches(Button4), 1);
    EXPECT_EQ(WheelNotches(Button5), -1);
    for (int other : {1, 2, 3, 6, 7, 8})
        EXPECT_EQ(WheelNotches(other), 0) << other;
}

TEST(X11Input, DoubleClicksByTimeDistanceAndButton)
{
    struct Press
    {
        int button, x, y;
        unsigned long time;
        bool isDouble;
    };
    const struct
    {
        const char* name;
        std::vector<Press> presses;
    } cases[] = {
        {"quick and close", {{1, 10, 10, 1000, false}, {1, 12, 13, 1200, true}}},
        {"at the time limit", {{1, 10, 10, 1000, false}, {1, 10, 10, 1400, true}}},
        {"too slow", {{1, 10, 10, 1000, false}, {1, 10, 10, 1401, false}}},
        {"at the distance limit", {{1, 10, 10, 0, false}, {1, 15, 5, 100, true}}},
        {"too far", {{1, 10, 10, 0, false}, {1, 16, 10, 100, false}}},
        {"other button", {{1, 10, 10, 0, false}, {3, 10, 10, 100, false}}},
        {"right button too", {{3, 10, 10, 0, false}, {3, 10, 10, 100, true}}},
        {"third press starts anew",
         {{1, 0, 0, 0, false}, {1, 0, 0, 100, true}, {1, 0, 0, 200, false}, {1, 0, 0, 300, true}}},
        {"slow then quick", {{1, 0, 0, 0, false}, {1, 0, 0, 900, false}, {1, 0, 0, 1000, true}}},
        {"across the clock's wrap", {{1, 0, 0, 0xFFFFFF00ul, false}, {1, 0, 0, 0x40ul, true}}},
    };
    for (const auto& c : cases)
    {
        DoubleClickDetector detector;
        for (std::size_t i = 0; i < c.presses.size(); ++i)
        {
            const Press& p = c.presses[i];
            EXPECT_EQ(detector.Press(p.button, p.x, p.y, p.time), p.isDouble) << c.name << ", press " << i;
        }
    }
    DoubleClickDetector reset;
    reset.Press(1, 0, 0, 0);
    reset.Reset();
    EXPECT_FALSE(reset.Press(1, 0, 0, 10));
}

IParameter Make(IParameterType type)
{
    IParameter p;
    switch (type)
    {
    case IParameterType::Bool:
        p.DefineBool("b", false);
        break;
    case IParameterType::Int:
        p.DefineInt("i", 0, -100, 100);
        break;
    case IParameterType::Enum:
        p.DefineEnum("e", 0, 3);
        p.AddDisplayText(0, "Off");
        p.AddDisplayText(1, "Inside");
        p.AddDisplayText(2, "After");
        break;
    case IParameterType::Double:
        p.DefineDouble("d", 0.0, -10.0, 10.0, 0.1);
        break;
    default:
        break;
    }
    return p;
}

TEST(X11Input, EntryCharacterFilterPerParameterType)
{
    const IParameter boolean = Make(IParameterType::Bool), integer = Make(IParameterType::Int),
                     enumeration = Make(IParameterType::Enum), real = Make(IParameterType::Double);
    const IParameter none;
    const struct
    {
        const IParameter* param;
        const char* accepted;
        const char* refused;
    } cases[] = {
        {&boolean, "+-0123456789", ".aeE, "},
        {&integer, "+-0123456789", ".aeE, "},
        {&enumeration, "+-0123456789", ".aO "},
        {&real, "+-0123456789.", "aeE,x "},
        {nullptr, "+-09.aZ ,", ""},
        {&none, "+-09.aZ ,", ""},
    };
    for (const auto& c : cases)
    {
        for (const char* p = c.accepted; *p; ++p)
            EXPECT_TRUE(EntryAccepts(c.param, *p)) << "'" << *p << "'";
        for (const char* p = c.refused; *p; ++p)
            EXPECT_FALSE(EntryAccepts(c.param, *p)) << "'" << *p << "'";
    }
}

TEST(X11Input, EntryValueOfTypedText)
{
    const IParameter integer = Make(IParameterType::Int), enumeration = Make(IParameterType::Enum),
                     real = Make(IParameterType::Double), boolean = Make(IParameterType::Bool);
    IParameter negated = Make(IParameterType::Double);
    negated.SetNegateDisplay(true);
    const struct
    {
        const IParameter* param;
        const char* text;
        double value;
    } cases[] = {
        {&integer, "125", 125.0},   {&integer, "-42", -42.0},   {&integer, "", 0.0},
        {&integer, "+7", 7.0},      {&real, "7.5", 7.5},        {&real, "-.5", -0.5},
        {&real, "1.2.3", 1.2},      {&real, "-", 0.0},          {&negated, "3", -3.0},
        {&negated, "-2.5", 2.5},    {&enumeration, "After", 2}, {&enumeration, "Inside", 1},
        {&enumeration, "after", 0}, {&enumeration, "2", 2},     {&boolean, "1", 1},
        {&boolean, "0", 0},         {&boolean, "+", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(EntryValue(*c.param, c.text), c.value) << "\"" << c.text << "\"";
}

TEST(X11Input, TextEntryEditing)
{
    const IParameter integer = Make(IParameterType::Int);
    const IParameter real = Make(IParameterType::Double);

    // Typing replaces the selected initial text; the dot is refused for an integer.
    TextEntryModel a("0", 7);
    EXPECT_TRUE(a.AllSelected());
    for (char c : std::string("12.5"))
        a.Type(c, &integer);
    EXPECT_EQ(a.Text(), "125");
    EXPECT_EQ(a.Caret(), 3);

    // Seven characters at most.
    TextEntryModel b("", 7);
    for (char c : std::string("123456789"))
        b.Type(c, &real);
    EXPECT_EQ(b.Text(), "1234567");

    // A refused first character keeps the selection.
    TextEntryModel c("5.0", 7);
    EXPECT_FALSE(c.Type('x', &real));
    EXPECT_TRUE(c.AllSelected());
    EXPECT_EQ(c.Text(), "5.0");

    // Caret moves, backspace and delete.
    TextEntryModel d("1234", 7);
    d.MoveCaret(-1); // leaves the selection at the start
    EXPECT_EQ(d.Caret(), 0);
    d.End();
    d.MoveCaret(-1);
    d.Backspace();
    EXPECT_EQ(d.Text(), "124");
    d.Delete();
    EXPECT_EQ(d.Text(), "12");
    d.Home();
    d.Type('-', &integer);
    EXPECT_EQ(d.Text(), "-12");
    d.MoveCaret(-5);
    d.Backspace();
    EXPECT_EQ(d.Text(), "-12");
    d.MoveCaret(10);
    EXPECT_EQ(d.Caret(), 3);

    // Backspace on the selection empties the entry.
    TextEntryModel e("99", 7);
    e.Backspace();
    EXPECT_EQ(e.Text(), "");

    // Pasting filters, limits and stops at a line break.
    TextEntryModel f("0", 4);
    f.Paste("1a2.3\n45", &integer);
    EXPECT_EQ(f.Text(), "123");
    f.Paste("4567", &integer);
    EXPECT_EQ(f.Text(), "1234");

    // Control characters never enter the text.
    TextEntryModel g("", 7);
    EXPECT_FALSE(g.Type('\t', nullptr));
    EXPECT_FALSE(g.Type(0x7F, nullptr));
    EXPECT_TRUE(g.Type('a', nullptr));
}

} // namespace
