#pragma once

#include "engine/EG.h"
#include "engine/Oscilator.h"
#include "engine/PitchEnvelope.h"
#include "engine/StateVariableFilter.h"

#include <array>
#include <cstdint>

// Source slots of a voice: three oscillators, then the white and the pink noise source.
inline constexpr int kVoiceSourceCount = 5;
inline constexpr int kVoiceOscillatorCount = 3;
inline constexpr int kWhiteNoiseSlot = 3;
inline constexpr int kPinkNoiseSlot = 4;

// Cutoffs the filter envelope pulls towards: the low-pass opens fully, the high-pass closes.
inline constexpr double kLowPassEnvelopeTarget = 22050.0;
inline constexpr double kHighPassEnvelopeTarget = 0.0;

// Which of a voice's two envelopes a stage setting is meant for.
enum class EnvelopeTarget
{
    Amplitude,
    Filter,
};

// One note: five sources with their amplitude envelope, a pitch glide and a high-pass followed
// by a low-pass filter moved by a second envelope. One mono sample per call at the engine rate.
// A voice frees itself when its amplitude release ends. Per-source setters take a slot 0 to 4
// that the caller has checked.
class Voice
{
public:
    Voice();
    virtual ~Voice() = default;

    // The amplitude envelope calls back into this object, so a voice stays where it was built.
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Starts the note; called only on a free voice.
    void NoteOn(std::int32_t noteNumber, std::int32_t noteVelocity);
    // Releases both envelopes; a release already running goes on undisturbed.
    void NoteOff();

    // One engine sample; exactly 0 while the voice is free.
    double NextSample();

    // The engine rate for the envelopes, the glide, the filters (whose memory is cleared) and
    // the oscillators.
    void SetSampleRate(double rate);

    void SetWaveform(int slot, OscilatorWaveform waveform) { oscillators_[slot].SetWaveform(waveform); }
    void SetSourceLevel(int slot, double level) { sourceLevel_[slot] = level; }
    void SetSquareDuty(int slot, double duty) { oscillators_[slot].SetSquareDuty(duty); }
    // Takes effect at the next note.
    void SetStartPhase(int slot, double phase) { startPhase_[slot] = phase; }
    void SetEnvDepth(int slot, double depth) { envDepth_[slot] = depth; }
    // Pitch offsets mark the base frequencies for recomputation at the next sample.
    void SetOctave(int slot, std::int32_t octaves);
    void SetTranspose(int slot, std::int32_t semitones);
    void SetCents(int slot, std::int32_t cents);

    void SetStageValue(EnvelopeTarget envelope, EnvelopeStage stage, double value);
    void SetHighNote(std::int32_t note) { pitchEnvelope_.SetHighNote(note); }
    void SetLowNote(std::int32_t note) { pitchEnvelope_.SetLowNote(note); }
    void SetPitchDuration(double seconds) { pitchEnvelope_.SetDuration(seconds); }
    void SetPitchStart(double position) { pitchEnvelope_.SetStartPosition(position); }
    void SetPitchEnd(double position) { pitchEnvelope_.SetEndPosition(position); }
    void SetPitchCurve(double curve) { pitchEnvelope_.SetCurve(curve); }

    void SetLowPassCutoff(double hertz) { lowPassCutoff_ = hertz; }
    void SetHighPassCutoff(double hertz) { highPassCutoff_ = hertz; }
    void SetLowPassEnvDepth(double depth) { lowPassEnvDepth_ = depth; }
    void SetHighPassEnvDepth(double depth) { highPassEnvDepth_ = depth; }
    void SetLowPassResonance(double q) { lowPassFilter_.SetResonance(q); }
    void SetHighPassResonance(double q) { highPassFilter_.SetResonance(q); }

    bool IsActive() const { return active_; }
    std::int32_t Note() const { return note_; }
    std::int32_t Velocity() const { return velocity_; }
    const EG& AmpEnvelope() const { return ampEnvelope_; }
    const EG& FilterEnvelope() const { return filterEnvelope_; }
    const PitchEnvelope& Pitch() const { return pitchEnvelope_; }
    const StateVariableFilter& LowPassFilter() const { return lowPassFilter_; }
    const StateVariableFilter& HighPassFilter() const { return highPassFilter_; }
    const Oscilator& Oscillator(int slot) const { return oscillators_[slot]; }
    double SourceLevel(int slot) const { return sourceLevel_[slot]; }
    double StartPhase(int slot) const { return startPhase_[slot]; }
    double EnvDepth(int slot) const { return envDepth_[slot]; }
    std::int32_t Octave(int slot) const { return octave_[slot]; }
    std::int32_t Transpose(int slot) const { return transpose_[slot]; }
    std::int32_t Cents(int slot) const { return cents_[slot]; }
    double LowPassCutoff() const { return lowPassCutoff_; }
    double HighPassCutoff() const { return highPassCutoff_; }
    double LowPassEnvDepth() const { return lowPassEnvDepth_; }
    double HighPassEnvDepth() const { return highPassEnvDepth_; }
    // Each source's frequency at the last sample, after the glide.
    double Frequency(int slot) const { return frequency_[slot]; }

    // Frees the voice at once, wherever its envelopes are: it renders 0 from the next sample.
    void Silence();

private:
    friend class VoiceLanes;

    void OnAmpCycleFinished() { active_ = false; }
    void UpdateBaseFrequencies();

    EG ampEnvelope_;
    std::array<Oscilator, kVoiceSourceCount> oscillators_;
    std::array<double, kVoiceSourceCount> sourceLevel_ = {1.0, 0.0, 0.0, 0.0, 0.0};
    bool frequenciesDirty_ = true;
    std::int32_t note_ = 0;
    std::int32_t velocity_ = 0;
    double velocityScale_ = 0.0; // velocity / 127, the mix's gain
    bool active_ = false;
    StateVariableFilter lowPassFilter_;
    StateVariableFilter highPassFilter_;
    double lowPassEnvDepth_ = 0.0;
    double highPassEnvDepth_ = 0.0;
    EG filterEnvelope_;
    double lowPassCutoff_ = 22050.0;
    double highPassCutoff_ = 0.0;
    std::array<std::int32_t, kVoiceSourceCount> transpose_ = {};
    std::array<std::int32_t, kVoiceSourceCount> octave_ = {};
    std::array<std::int32_t, kVoiceSourceCount> cents_ = {};
    std::array<double, kVoiceSourceCount> startPhase_ = {};
    std::array<double, kVoiceSourceCount> envDepth_ = {1.0, 1.0, 1.0, 1.0, 1.0};
    PitchEnvelope pitchEnvelope_;
    std::array<double, kVoiceSourceCount> baseFrequency_ = {};
    std::array<double, kVoiceSourceCount> frequency_ = {};
};
