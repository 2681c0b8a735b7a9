#pragma once

#include "engine/EG.h"
#include "engine/Oscilator.h"
#include "engine/Voice.h"
#include "engine/VoiceLanes.h"

#include <array>

// Owns the instrument's four voices: starts the first free one for each note (no stealing),
// releases every voice of a key at note-off, and writes each sound setting into all four voices.
class VoiceManager
{
public:
    static constexpr int kVoiceCount = VoiceLanes::kVoiceCount;

    virtual ~VoiceManager() = default;

    void NoteOn(int note, int velocity);
    void NoteOff(int note, int velocity);
    // rate is the engine rate (eight times the host rate).
    void SetSampleRate(double rate);

    // Per-slot settings; a slot outside 0 to 4 is ignored.
    void SetWaveform(int slot, OscilatorWaveform waveform);
    void SetSourceLevel(int slot, double level);
    void SetSquareDuty(int slot, double duty);
    void SetStartPhase(int slot, double phase);
    void SetEnvDepth(int slot, double depth);
    // Pitch offsets mark the voices' base frequencies for recomputation at their next sample.
    void SetOctave(int slot, int octaves);
    void SetTranspose(int slot, int semitones);
    void SetCents(int slot, int cents);

    void SetStageValue(EnvelopeTarget envelope, EnvelopeStage stage, double value);

    void SetHighNote(int note);
    void SetLowNote(int note);
    void SetPitchDuration(double seconds);
    void SetPitchStart(double position);
    void SetPitchEnd(double position);
    void SetPitchCurve(double curve);

    void SetLowPassCutoff(double hertz);
    void SetLowPassEnvDepth(double depth);
    void SetHighPassCutoff(double hertz);
    void SetHighPassEnvDepth(double depth);
    // Resonances are clamped to 0 to 100.
    void SetLowPassResonance(double resonance);
    void SetHighPassResonance(double resonance);

    // The sum of the four voices for one engine sample, in voice order.
    double NextSample()
    {
        double sum = 0.0;
        for (Voice& voice : voices_)
            sum += voice.NextSample();
        return sum;
    }

    // count engine samples of the four voices' sum into out: the numbers count calls of
    // NextSample give, computed in lanes where the voices allow it. Returns how many of the
    // samples began with a voice sounding (voices only fall free during a run, so these are the
    // first ones).
    int Render(double* out, int count)
    {
        const int sounding = VoiceLanes::Render(voices_, out, count, instructionSet_);
        if (sounding >= 0) return sounding;
        int began = 0;
        for (int i = 0; i < count; ++i)
        {
            began += AnyActive() ? 1 : 0;
            out[i] = NextSample();
        }
        return began;
    }
    // Which lanes Render uses (the processor's best by default); Scalar renders voice by voice.
    void UseInstructionSet(VoiceLanes::InstructionSet set) { instructionSet_ = set; }
    VoiceLanes::InstructionSet InstructionSet() const { return instructionSet_; }

    bool AnyActive() const;
    const std::array<Voice, kVoiceCount>& Voices() const { return voices_; }
    // A voice by number, for starting a note on a chosen voice regardless of what it plays.
    Voice& VoiceAt(int index) { return voices_[index]; }

    // Releases every sounding voice (MIDI all notes off).
    void ReleaseAll();
    // Stops every voice at once, releases included (MIDI all sound off).
    void SilenceAll();

private:
    std::array<Voice, kVoiceCount> voices_;
    VoiceLanes::InstructionSet instructionSet_ = VoiceLanes::Best();

    // Every setting is applied to voices 0, 1, 2, 3 in that order.
    template <typename Apply> void ForEachVoice(Apply apply)
    {
        for (Voice& voice : voices_)
            apply(voice);
    }
    template <typename Apply> void ForEachSlot(int slot, Apply apply)
    {
        if (slot < 0 || slot >= kVoiceSourceCount) return;
        for (Voice& voice : voices_)
            apply(voice, slot);
    }
};
