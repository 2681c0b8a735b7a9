#pragma once

// What the audio side reads of the on-screen keyboard once per block. The editor's keyboard
// control is reached through this so that the instrument also runs without any editor.
class KeyboardState
{
public:
    virtual ~KeyboardState() = default;
    // Key held with the mouse (0 is the keyboard's lowest C, MIDI note 12), or -1 when none.
    virtual int PressedKey() const = 0;
    // How far down the key was pressed, 0 to 1; sets the velocity.
    virtual double TouchDepth() const = 0;
    // Asks for a redraw so that held keys show.
    virtual void MarkDirty() = 0;
};
