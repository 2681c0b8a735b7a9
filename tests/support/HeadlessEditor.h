#pragma once

// The instrument's editor built and drawn headless, for the window tests: where its controls are,
// and what it looks like untouched, to compare a real window with.

#include "editor/IBitmapFontControls.h"
#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "instrument/Brisbleep.h"
#include "tests/support/EditorPoint.h"

struct HeadlessEditor
{
    Brisbleep instrument{OfflineHostContext{}};
    IGraphics* g = nullptr;

    HeadlessEditor()
    {
        instrument.CreateEditor();
        g = instrument.editorGraphics;
        DrawWholeEditor(*g);
    }
    IControl* ControlOf(int param) const
    {
        for (int i = 0; i < g->NControls(); ++i)
            if (g->GetControl(i)->ParamIdx() == param) return g->GetControl(i);
        return nullptr;
    }
    // The value-text row of a knob, where a press opens the text entry.
    IArea TextBand(int param) const
    {
        if (auto* knob = dynamic_cast<IKnobMultiControlBitmapFont*>(ControlOf(param)))
            return knob->Layout().textBand;
        return {};
    }
};

// One untouched editor for the whole test program.
inline HeadlessEditor& Headless()
{
    static HeadlessEditor editor;
    return editor;
}
