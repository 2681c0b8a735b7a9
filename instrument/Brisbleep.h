#pragma once

#include "engine/PitchJump.h"
#include "instrument/BrisbleepBinding.h"
#include "instrument/KeyboardState.h"
#include "instrument/ParamLayout.h"
#include "instrument/SoundHistory.h"

#include "engine/EngineRenderer.h"
#include "engine/MidiInput.h"

#include <cstdint>
#include <memory>

class IBitmapOverlayControl;
class IGraphics;
class ITextControlBitmapFont;
enum class SoundRecipe;

// The instrument: sixty parameters driving four voices rendered eight times oversampled, then
// decimated, optionally bit-crushed, compressed, gain-smoothed and metered. Output is mono,
// copied to the second output when that is connected.
class Brisbleep : public BrisbleepBinding
{
public:
    // The instrument's state: the plug-in version word, then the sixty parameter values.
    static constexpr int kStateSize = 4 + 8 * kParamCount;

    explicit Brisbleep(BrisbleepBinding::HostContext host);
    ~Brisbleep() override;

    Brisbleep(const Brisbleep&) = delete;
    Brisbleep& operator=(const Brisbleep&) = delete;

    void OnReset() override;
    void OnParameterChange(int index) override;
    void RenderDouble(double** inputs, double** outputs, int frames) override;
    void OnMidiMessage(const IMidiMessage& message) override;
    bool SaveState(IStateChunk& chunk) override;
    int32_t LoadState(const IStateChunk& chunk, int32_t position) override;
    bool StateMatches(const IStateChunk& chunk, int32_t position) override;

    // Sends the mouse-played keyboard's note changes through the MIDI path (once per block).
    void PollKeyboard(int pressedKey, double touchDepth);

    // Builds the editor description and attaches it (the constructor does; later calls do nothing):
    // background, keyboard (polled by the audio side from then on), meters, the sound and history
    // buttons, the history index display, a control for every parameter and the about overlay.
    void CreateEditor();

    // True when no voice sounds and no MIDI message is waiting: only the filter tail remains.
    bool IsIdle() const;

    // The editor's sound buttons. Each runs on the editor's thread and moves parameters through their
    // controls as a user would, so the host hears every change. All but ResetToInitial need the
    // editor description.
    void ResetToInitial();
    void RandomSound();
    void CoinRecipe();
    void ShootRecipe();
    void PowerupRecipe();
    void HitRecipe();
    void JumpRecipe();
    void BlipRecipe();
    void BladeRecipe();
    void MutateSound();
    // The sound history: record appends the current sound and shows it; save overwrites the entry on
    // show; previous and next step through the entries and apply them.
    void RecordSound();
    void SaveSound();
    void PreviousSound();
    void NextSound();

    // Opens the about image over the editor.
    bool ShowAboutBox() override;

    // Audio members. Public so that the editor, the tests and the offline renderer can read
    // levels and engine state; they are written only under the frame mutex.
    std::int32_t lastKeyboardNote = 11;
    MidiInput midiReceiver;
    KeyboardState* keyboardControl = nullptr;
    EngineRenderer renderer;
    PitchJump pitchJump;
    double mutationAmount = 0.05;
    std::int32_t leftMeterControl = -1;
    std::int32_t rightMeterControl = -1;
    // The attached editor built by CreateEditor (owned by the frame), or none.
    IGraphics* editorGraphics = nullptr;

    // Sound history and the editor controls the instrument talks to.
    SoundHistory soundHistory;
    ITextControlBitmapFont* indexDisplay = nullptr;
    IBitmapOverlayControl* aboutOverlay = nullptr;

private:
    std::unique_ptr<KeyboardState> editorKeyboard_;
    void CreateParameters();
    void ApplyRecipe(SoundRecipe recipe);
    void ApplyCurrentEntry();
    void ShowCurrentEntry();
    void OnProgramChange(int program);
};
