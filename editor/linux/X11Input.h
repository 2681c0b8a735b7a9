#pragma once

#include "editor/IGraphicsTypes.h"

#include <cstdint>
#include <string>

class IParameter;

// The parts of the X11 editor window that need no X server: how keys, buttons and modifiers become
// the editor's events, double clicks told apart by time and distance, and the single-line text entry.
namespace x11input
{

// The editor's key code for an X key symbol: space, the four arrows, the digits of the main block and
// the letters (either case). -1 for every other key, which goes back to the host.
int KeyCodeFor(unsigned long keysym);

// Mouse modifiers from an X event state mask (Button1 left, Button3 right, Shift, Control, Mod1 alt).
// X reports the state before the event, so a press adds its own button and a release removes it.
IMouseModifiers ModifiersFor(unsigned int state, int button = 0, bool press = false);

// Wheel notches of a button: 4 turns up (+1), 5 down (-1); every other button turns nothing.
int WheelNotches(int button);

// A second press of the same button, soon enough and close enough to the first, is a double click,
// as the desktop counts it. The press after a double click starts counting anew.
class DoubleClickDetector
{
public:
    static constexpr unsigned long kMaxIntervalMs = 400;
    static constexpr int kMaxDistance = 5;

    // time is the X server's millisecond clock, which wraps around.
    bool Press(int button, int x, int y, unsigned long timeMs);
    void Reset() { armed = false; }

private:
    bool armed = false;
    int lastButton = 0;
    int lastX = 0;
    int lastY = 0;
    unsigned long lastTime = 0;
};

// True when the entry of a parameter of this type takes the character: integer kinds take digits and
// the signs, Double also the dot; no parameter (or type None) takes everything.
bool EntryAccepts(const IParameter* param, char c);

// The real value typed text commits to: for Bool and Enum the value of the first display text equal to
// it, otherwise (and for every other type) the leading number (0 when none), negated for other types
// where the display is.
double EntryValue(const IParameter& param, const char* text);

// The text of a single-line entry: starts with everything selected (the first character typed
// replaces it all), keeps at most `limit` characters and a caret.
class TextEntryModel
{
public:
    TextEntryModel(const std::string& initial, int limit);

    // Inserts at the caret (replacing a selection); false when refused by the filter or the limit.
    bool Type(char c, const IParameter* param);
    void Backspace();
    void Delete();
    void MoveCaret(int delta);
    void Home();
    void End();
    // Pasted text: each character as if typed, refusals skipped, line breaks end it.
    void Paste(const std::string& text, const IParameter* param);

    const std::string& Text() const { return text; }
    int Caret() const { return caret; }
    bool AllSelected() const { return allSelected; }
    int Limit() const { return limit; }

private:
    void ClearSelection();

    std::string text;
    int limit;
    int caret;
    bool allSelected = true;
};

} // namespace x11input
