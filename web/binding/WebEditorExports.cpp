// The page's canvas drives the editor through these: ticks from its animation frames, its pointer,
// wheel and key events, and the answers of its menu and text entry.

#include "web/binding/WebInstance.h"

#include "editor/web/IGraphicsWeb.h"

#include <emscripten.h>

#include <cstdint>

namespace
{

IGraphicsWeb* Editor()
{
    Brisbleep* instrument = WebInstrument().get();
    return instrument ? static_cast<IGraphicsWeb*>(instrument->editorGraphics) : nullptr;
}

// Bits of the page's modifier word.
IMouseModifiers Modifiers(int bits)
{
    IMouseModifiers mod;
    mod.L = (bits & 1) != 0;
    mod.R = (bits & 2) != 0;
    mod.S = (bits & 4) != 0;
    mod.C = (bits & 8) != 0;
    mod.A = (bits & 16) != 0;
    return mod;
}

// The page reads nothing of what the offline binding records for a host; left alone, the record of
// every edit would grow for as long as the page is open.
void ForgetHostRecords()
{
    if (Brisbleep* instrument = WebInstrument().get()) instrument->ClearHostRecords();
}

} // namespace

BB_EXPORT int bb_editor_width()
{
    return Editor() ? Editor()->Width() : 0;
}

BB_EXPORT int bb_editor_height()
{
    return Editor() ? Editor()->Height() : 0;
}

BB_EXPORT int bb_editor_frame_rate()
{
    return Editor() ? Editor()->FrameRate() : 0;
}

BB_EXPORT int bb_editor_tick()
{
    IGraphicsWeb* editor = Editor();
    if (!editor) return 0;
    editor->Tick(emscripten_get_now());
    ForgetHostRecords();
    return editor->Changed().Empty() ? 0 : 1;
}

BB_EXPORT const std::uint8_t* bb_editor_rgba()
{
    return Editor() ? Editor()->Rgba() : nullptr;
}

BB_EXPORT const int* bb_editor_dirty()
{
    static int area[4];
    const IArea changed = Editor() ? Editor()->TakeChanged() : IArea{};
    area[0] = changed.L;
    area[1] = changed.T;
    area[2] = changed.R;
    area[3] = changed.B;
    return area;
}

BB_EXPORT void bb_editor_mouse_down(int x, int y, int button, int mods, int clicks)
{
    if (IGraphicsWeb* editor = Editor()) editor->MouseDown(x, y, button, Modifiers(mods), clicks);
    ForgetHostRecords();
}

BB_EXPORT void bb_editor_mouse_up(int x, int y, int button, int mods)
{
    if (IGraphicsWeb* editor = Editor()) editor->MouseUp(x, y, button, Modifiers(mods));
    ForgetHostRecords();
}

BB_EXPORT void bb_editor_mouse_move(int x, int y, int mods)
{
    if (IGraphicsWeb* editor = Editor()) editor->MouseMove(x, y, Modifiers(mods), emscripten_get_now());
    ForgetHostRecords();
}

BB_EXPORT void bb_editor_mouse_leave()
{
    if (IGraphicsWeb* editor = Editor()) editor->MouseLeave();
}

BB_EXPORT void bb_editor_wheel(int x, int y, int mods, int notches)
{
    if (IGraphicsWeb* editor = Editor()) editor->Wheel(x, y, Modifiers(mods), notches);
    ForgetHostRecords();
}

BB_EXPORT int bb_editor_key_down(int key)
{
    IGraphicsWeb* editor = Editor();
    const bool used = editor && editor->KeyDown(key);
    ForgetHostRecords();
    return used ? 1 : 0;
}

BB_EXPORT void bb_editor_menu_chosen(int index)
{
    if (IGraphicsWeb* editor = Editor()) editor->MenuChosen(index);
    ForgetHostRecords();
}

BB_EXPORT void bb_editor_entry_text(const char* text)
{
    if (IGraphicsWeb* editor = Editor()) editor->SetEntryText(text);
}

BB_EXPORT void bb_editor_entry_state(int state)
{
    if (IGraphicsWeb* editor = Editor()) editor->SetEntryState(state);
}

BB_EXPORT int bb_editor_entry_accepts(int code)
{
    IGraphicsWeb* editor = Editor();
    return editor && editor->EntryAccepts(code) ? 1 : 0;
}

BB_EXPORT int bb_editor_keyboard_key()
{
    Brisbleep* instrument = WebInstrument().get();
    return instrument && instrument->keyboardControl ? instrument->keyboardControl->PressedKey() : -1;
}

BB_EXPORT double bb_editor_keyboard_depth()
{
    Brisbleep* instrument = WebInstrument().get();
    return instrument && instrument->keyboardControl ? instrument->keyboardControl->TouchDepth() : 0.0;
}

BB_EXPORT void bb_editor_set_meters(double left, double right)
{
    Brisbleep* instrument = WebInstrument().get();
    IGraphicsWeb* editor = Editor();
    if (!instrument || !editor) return;
    if (IControl* meter = editor->GetControl(instrument->leftMeterControl)) meter->TakeValueFromPlugin(left);
    if (IControl* meter = editor->GetControl(instrument->rightMeterControl))
        meter->TakeValueFromPlugin(right);
}

BB_EXPORT void bb_editor_note_held(int note, int held)
{
    // Notes from the computer keyboard and MIDI play in the worklet; the editor's keyboard shows them
    // from here. Only the display changes: the page's instrument plays nothing.
    Brisbleep* instrument = WebInstrument().get();
    if (!instrument || note < 0 || note >= static_cast<int>(instrument->midiReceiver.keyDown.size())) return;
    MidiInput& midi = instrument->midiReceiver;
    const std::uint8_t down = held ? 1 : 0;
    if (midi.keyDown[static_cast<std::size_t>(note)].exchange(down) == down) return;
    midi.heldKeyCount.fetch_add(down ? 1 : -1);
    if (instrument->keyboardControl) instrument->keyboardControl->MarkDirty();
}
