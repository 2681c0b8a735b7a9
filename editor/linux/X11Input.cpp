#include "editor/linux/X11Input.h"

#include "editor/ITextEntryRules.h"
#include "frame/IParameter.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>

namespace x11input
{

int KeyCodeFor(unsigned long keysym)
{
    switch (keysym)
    {
    case XK_space:
        return KEY_SPACE;
    case XK_Up:
        return KEY_UPARROW;
    case XK_Down:
        return KEY_DOWNARROW;
    case XK_Left:
        return KEY_LEFTARROW;
    case XK_Right:
        return KEY_RIGHTARROW;
    default:
        break;
    }
    if (keysym >= XK_0 && keysym <= XK_9) return KEY_DIGIT_0 + static_cast<int>(keysym - XK_0);
    if (keysym >= XK_a && keysym <= XK_z) return KEY_ALPHA_A + static_cast<int>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z) return KEY_ALPHA_A + static_cast<int>(keysym - XK_A);
    return -1;
}

IMouseModifiers ModifiersFor(unsigned int state, int button, bool press)
{
    IMouseModifiers mod;
    mod.L = (state & Button1Mask) != 0;
    mod.R = (state & Button3Mask) != 0;
    mod.S = (state & ShiftMask) != 0;
    mod.C = (state & ControlMask) != 0;
    mod.A = (state & Mod1Mask) != 0;
    if (button == Button1) mod.L = press;
    if (button == Button3) mod.R = press;
    return mod;
}

int WheelNotches(int button)
{
    if (button == Button4) return 1;
    if (button == Button5) return -1;
    return 0;
}

bool DoubleClickDetector::Press(int button, int x, int y, unsigned long timeMs)
{
    // Unsigned difference: correct across the wrap of the server's clock.
    const unsigned long elapsed = (timeMs - lastTime) & 0xFFFFFFFFul;
    const bool isDouble = armed && button == lastButton && elapsed <= kMaxIntervalMs &&
                          std::abs(x - lastX) <= kMaxDistance && std::abs(y - lastY) <= kMaxDistance;
    armed = !isDouble;
    lastButton = button;
    lastX = x;
    lastY = y;
    lastTime = timeMs;
    return isDouble;
}

bool EntryAccepts(const IParameter* param, char c)
{
    return TextEntryAccepts(param, c);
}

double EntryValue(const IParameter& param, const char* text)
{
    return TextEntryValue(param, text);
}

TextEntryModel::TextEntryModel(const std::string& initial, int limit)
    : text(initial), limit(limit < 0 ? 0 : limit), caret(static_cast<int>(initial.size()))
{
}

void TextEntryModel::ClearSelection()
{
    if (!allSelected) return;
    text.clear();
    caret = 0;
    allSelected = false;
}

bool TextEntryModel::Type(char c, const IParameter* param)
{
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    if (!EntryAccepts(param, c)) return false;
    ClearSelection();
    if (static_cast<int>(text.size()) >= limit) return false;
    text.insert(text.begin() + caret, c);
    ++caret;
    return true;
}

void TextEntryModel::Backspace()
{
    if (allSelected)
    {
        ClearSelection();
        return;
    }
    if (caret == 0) return;
    text.erase(text.begin() + caret - 1);
    --caret;
}

void TextEntryModel::Delete()
{
    if (allSelected)
    {
        ClearSelection();
        return;
    }
    if (caret < static_cast<int>(text.size())) text.erase(text.begin() + caret);
}

void TextEntryModel::MoveCaret(int delta)
{
    if (allSelected)
    {
        allSelected = false;
        caret = delta < 0 ? 0 : static_cast<int>(text.size());
        return;
    }
    caret += delta;
    if (caret < 0) caret = 0;
    if (caret > static_cast<int>(text.size())) caret = static_cast<int>(text.size());
}

void TextEntryModel::Home()
{
    allSelected = false;
    caret = 0;
}

void TextEntryModel::End()
{
    allSelected = false;
    caret = static_cast<int>(text.size());
}

void TextEntryModel::Paste(const std::string& pasted, const IParameter* param)
{
    for (char c : pasted)
    {
        if (c == '\n' || c == '\r') break;
        Type(c, param);
    }
}

} // namespace x11input
