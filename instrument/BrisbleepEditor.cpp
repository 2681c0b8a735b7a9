// The instrument's editor: a fixed 846 x 768 bitmap skin built once in the constructor.

#include "instrument/Brisbleep.h"

#include "editor/IBitmapFontControls.h"
#include "editor/IGraphicsPlatform.h"
#include "editor/IKeyboardControl.h"
#include "editor/IStandardControls.h"
#include "instrument/EditorKeyboard.h"
#include "raster/PIX_Resources.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string>

namespace
{

constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;
constexpr int kEditorFrameRate = 25;

enum ImageId : int
{
    kAboutImage = 101,
    kBackgroundImage = 102,
    kKnobImage = 103,
    kWhiteKeyImage = 104,
    kBlackKeyImage = 105,
    kLeftMeterImage = 108,
    kRightMeterImage = 109,
    kMeterFontImage = 115,
    kKnobFontImage = 116,
    kButtonsImage = 119,
    kSwitchImage = 120,
    kSmallButtonsImage = 121,
};

// An image of the module's table, cut into the frames the editor uses (one where no control uses it).
IBitmapRef Image(IGraphics& graphics, const PIX_ImageInfo& image)
{
    const std::string name = std::string("resources/img/") + image.name;
    return graphics.LoadBitmap(image.id, name.c_str(), std::max(1, image.frames));
}

IBitmapRef Image(IGraphics& graphics, int id)
{
    const PIX_ImageInfo* image = PIX_FindImageInfo(id);
    return image != nullptr ? Image(graphics, *image) : IBitmapRef{};
}

// Runs one of the instrument's sound actions from a button.
template <void (Brisbleep::*Action)()> void Run(void* instrument)
{
    (static_cast<Brisbleep*>(instrument)->*Action)();
}

struct ButtonLayout
{
    IArea area;
    int image;
    int baseFrame;
    IButtonControl::ClickHandler action;
    const char* tooltip;
};

// Ten large buttons in a grid of five 108-pixel columns and two 50-pixel rows, then the history row.
const ButtonLayout kButtons[] = {
    {{153, 556, 261, 606}, kButtonsImage, 0, &Run<&Brisbleep::ResetToInitial>, "Reset to the initial values"},
    {{153, 606, 261, 656},
     kButtonsImage,
     3,
     &Run<&Brisbleep::RandomSound>,
     "Random! Great to discover new sounds!"},
    {{261, 556, 369, 606}, kButtonsImage, 6, &Run<&Brisbleep::CoinRecipe>, "Pickup/Coin sounds"},
    {{261, 606, 369, 656},
     kButtonsImage,
     24,
     &Run<&Brisbleep::ShootRecipe>,
     "Shoots, Lasers, Blasters! Maybe a flanger would be great!"},
    {{369, 556, 477, 606}, kButtonsImage, 12, &Run<&Brisbleep::PowerupRecipe>, "Powerups!!"},
    {{369, 606, 477, 656},
     kButtonsImage,
     15,
     &Run<&Brisbleep::HitRecipe>,
     "Hit, Hurt! Try with others waveforms!"},
    {{477, 556, 585, 606}, kButtonsImage, 18, &Run<&Brisbleep::JumpRecipe>, "Jump!!"},
    {{477, 606, 585, 656}, kButtonsImage, 21, &Run<&Brisbleep::BlipRecipe>, "Blips and Select sounds"},
    {{585, 556, 693, 606}, kButtonsImage, 9, &Run<&Brisbleep::BladeRecipe>, "Blade Slashes"},
    {{585, 606, 693, 656},
     kButtonsImage,
     27,
     &Run<&Brisbleep::MutateSound>,
     "Mutate the current values. Change the amount with the Mutation % Knob"},
    {{320, 240, 396, 270},
     kSmallButtonsImage,
     0,
     &Run<&Brisbleep::PreviousSound>,
     "Go to the previous data index"},
    {{396, 240, 472, 270}, kSmallButtonsImage, 3, &Run<&Brisbleep::NextSound>, "Go to the next data index"},
    {{472, 240, 548, 270}, kSmallButtonsImage, 6, &Run<&Brisbleep::SaveSound>, "Save the current data index"},
};

constexpr std::array<int, 12> kKeyOffsets = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};

constexpr IArea kLeftMeterArea{760, 100, 788, 242};
constexpr IArea kRightMeterArea{788, 100, 817, 242};
constexpr int kLeftMeterTextOffset = 2;
constexpr IArea kIndexDisplayArea{548, 240, 603, 270};
constexpr IArea kAboutArea{0, 0, 846, 698};
// The small area that opens the about image while it is closed.
constexpr IArea kAboutClosedTarget{255, 668, 590, 701};

// The value entry box of the knobs, meters and index display; the visible texts use bitmap fonts.
ITextStyle ControlTextStyle()
{
    return ITextStyle("Arial", 14, IColorRGBA{255, 0, 0, 0}, kStyleNormal, kAlignCenter, 0, kQualityDefault,
                      IColorRGBA{255, 255, 255, 255}, IColorRGBA{255, 0, 0, 0});
}

} // namespace

void Brisbleep::CreateEditor()
{
    // The audio thread polls the keyboard and feeds the meters: build them between blocks. Buttons and
    // the history display are wired to this instrument's members, so the description is built once.
    Lock lock(Mutex());
    if (editorGraphics != nullptr) return;
    auto* graphics = new IGraphicsPlatform(this, kEditorWidth, kEditorHeight, kEditorFrameRate);
    editorGraphics = graphics;

    graphics->AddBackground(kBackgroundImage, "resources/img/Background.png");

    auto* keyboard = new IKeyboardControl(this, Image(*graphics, kWhiteKeyImage),
                                          Image(*graphics, kBlackKeyImage), kKeyOffsets);
    keyboard->SetHeldNotes({&midiReceiver.heldKeyCount, midiReceiver.keyDown.data(),
                            static_cast<int>(midiReceiver.keyDown.size())});
    graphics->AddControl(keyboard);
    editorKeyboard_ = std::make_unique<EditorKeyboard>(*keyboard);
    keyboardControl = editorKeyboard_.get();

    for (const PIX_ImageInfo& image : PIX_ImageTable())
        Image(*graphics, image);

    const ITextStyle style = ControlTextStyle();
    const IBitmapRef meterFont = Image(*graphics, kMeterFontImage);
    leftMeterControl = graphics->AddControl(new IPeakMeterBitmapBitmapFont(
        this, kLeftMeterArea, Image(*graphics, kLeftMeterImage), style, meterFont,
        IPeakMeterBitmapBitmapFont::kTextRight, kLeftMeterTextOffset));
    rightMeterControl = graphics->AddControl(
        new IPeakMeterBitmapBitmapFont(this, kRightMeterArea, Image(*graphics, kRightMeterImage), style,
                                       meterFont, IPeakMeterBitmapBitmapFont::kTextLeft, 0));

    for (const ButtonLayout& layout : kButtons)
    {
        auto* button =
            new IButtonControl(this, layout.area, Image(*graphics, layout.image), layout.baseFrame);
        button->AddClickHandler(this, layout.action);
        button->SetTooltip(layout.tooltip);
        graphics->AddControl(button);
    }

    const IBitmapRef knobFont = Image(*graphics, kKnobFontImage);
    indexDisplay = new ITextControlBitmapFont(this, kIndexDisplayArea, style, knobFont);
    indexDisplay->SetTooltip("Current data index");
    graphics->AddControl(indexDisplay);

    const IBitmapRef knob = Image(*graphics, kKnobImage);
    const IBitmapRef threeWaySwitch = Image(*graphics, kSwitchImage);
    for (int i = 0; i < kParamCount; ++i)
    {
        const ParamLayoutSpec& row = kParamLayout[i];
        const IArea rect{row.x, row.y, row.x + row.w, row.y + row.h};
        IControl* control = nullptr;
        if (i == kPitchHighNote || i == kPitchLowNote)
            control = new IKnobMultiControlBitmapFontMidiNote(this, rect, i, knob, style, knobFont);
        else if (i == kPitchJumpTrigger || i == kBitCrushPosition)
            control = new IKnobMultiControlBitmapFont(this, rect, i, threeWaySwitch, style, knobFont);
        else
            control = new IKnobMultiControlBitmapFont(this, rect, i, knob, style, knobFont);
        control->SetTooltip(row.tooltip);
        graphics->AddControl(control);
    }

    aboutOverlay =
        new IBitmapOverlayControl(this, kAboutArea, Image(*graphics, kAboutImage), kAboutClosedTarget);
    // Closed from the start: until the first drawing pass narrows it, an overlay's target is its whole
    // area, which would take every click meant for the controls beneath before the window first paints.
    aboutOverlay->SetTargetArea(kAboutClosedTarget);
    graphics->AddControl(aboutOverlay);

    graphics->SetHandleMouseOver(true);
    graphics->SetShowTooltips(true);
    AttachEditor(graphics);
}

bool Brisbleep::ShowAboutBox()
{
    Lock lock(Mutex());
    if (aboutOverlay == nullptr) return false;
    aboutOverlay->TakeValueFromPlugin(1.0);
    aboutOverlay->Hide(false);
    return true;
}
