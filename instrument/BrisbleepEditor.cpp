#include "instrument/Brisbleep.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IKeyboardControl.h"
#include "editor/IStandardControls.h"
#include "editor/linux/IGraphicsLinux.h"
#include "instrument/EditorKeyboard.h"
#include "raster/PIX_Resources.h"

#include <memory>

namespace
{

constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;
constexpr int kEditorFrameRate = 25;

constexpr int kKnobImage = 103;
constexpr int kWhiteKeyImage = 104;
constexpr int kBlackKeyImage = 105;
constexpr int kLeftMeterImage = 108;
constexpr int kRightMeterImage = 109;
constexpr int kMeterFontImage = 115;
constexpr int kKnobFontImage = 116;
constexpr int kSwitch3Image = 120;

// x offset of each note of an octave from the octave's left edge, C to B.
constexpr std::array<int, 12> kKeyOffsets = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};

// The style of the value entry box; the visible texts come from the bitmap fonts.
ITextStyle ControlTextStyle()
{
    return ITextStyle("Arial", 14, IColorRGBA{255, 0, 0, 0}, kStyleNormal, kAlignCenter);
}

IBitmapRef Image(IGraphics& g, int id, int frames)
{
    const PIX_ImageInfo* info = PIX_FindImageInfo(id);
    return g.LoadBitmap(id, info ? info->name : "", frames);
}

} // namespace

void Brisbleep::CreateEditor()
{
    // The audio thread polls the keyboard and feeds the meters: swap them only between blocks.
    Lock lock(Mutex());
    auto graphics = std::make_unique<IGraphicsLinux>(this, kEditorWidth, kEditorHeight, kEditorFrameRate);
    IGraphics& g = *graphics;
    g.AddBackground(102, "resources/img/Background.png");

    auto* keyboard =
        new IKeyboardControl(this, Image(g, kWhiteKeyImage, 6), Image(g, kBlackKeyImage, 1), kKeyOffsets);
    keyboard->SetHeldNotes({&midiReceiver.heldKeyCount, midiReceiver.keyDown.data(), MidiInput::kKeyCount});
    g.AddControl(keyboard);
    editorKeyboard_ = std::make_unique<EditorKeyboard>(*keyboard);

    const ITextStyle style = ControlTextStyle();
    const IBitmapRef meterFont = Image(g, kMeterFontImage, 224);
    leftMeterControl = g.AddControl(
        new IPeakMeterBitmapBitmapFont(this, {760, 100, 788, 242}, Image(g, kLeftMeterImage, 19), style,
                                       meterFont, IPeakMeterBitmapBitmapFont::kTextRight, 2));
    rightMeterControl = g.AddControl(
        new IPeakMeterBitmapBitmapFont(this, {788, 100, 817, 242}, Image(g, kRightMeterImage, 19), style,
                                       meterFont, IPeakMeterBitmapBitmapFont::kTextLeft, 0));

    const IBitmapRef knob = Image(g, kKnobImage, 33);
    const IBitmapRef switch3 = Image(g, kSwitch3Image, 3);
    const IBitmapRef knobFont = Image(g, kKnobFontImage, 224);
    for (int i = 0; i < kParamCount; ++i)
    {
        const ParamLayoutSpec& row = kParamLayout[i];
        const IArea rect{row.x, row.y, row.x + row.w, row.y + row.h};
        IControl* control = nullptr;
        if (i == kPitchHighNote || i == kPitchLowNote)
            control = new IKnobMultiControlBitmapFontMidiNote(this, rect, i, knob, style, knobFont);
        else
            control = new IKnobMultiControlBitmapFont(
                this, rect, i, i == kPitchJumpTrigger || i == kBitCrushPosition ? switch3 : knob, style,
                knobFont);
        control->SetTooltip(row.tooltip);
        g.AddControl(control);
    }

    g.SetHandleMouseOver(true);
    g.SetShowTooltips(true);
    editorGraphics = graphics.get();
    AttachEditor(graphics.release());
    keyboardControl = editorKeyboard_.get();
}
