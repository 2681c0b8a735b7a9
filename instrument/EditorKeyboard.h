#pragma once

#include "editor/IKeyboardControl.h"
#include "instrument/KeyboardState.h"

// The on-screen keyboard as the audio side polls it.
class EditorKeyboard final : public KeyboardState
{
public:
    explicit EditorKeyboard(IKeyboardControl& keyboard) : keyboard_(keyboard) {}
    int PressedKey() const override { return keyboard_.PressedKey(); }
    double TouchDepth() const override { return keyboard_.TouchDepth(); }
    // No parameter behind the keyboard, so this only marks it for drawing.
    void MarkDirty() override { keyboard_.MarkDirty(true); }

private:
    IKeyboardControl& keyboard_;
};
