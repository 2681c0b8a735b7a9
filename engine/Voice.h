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

// One note: five sources with their amplitude envelope, a pitch glide and a high-pass followed
// by a low-pass filter moved by a second envelope. One mono sample per call at the engine rate.
// The owner writes the settings directly; a voice frees itself when its amplitude release ends.
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

    // One engine sample; exactly 0 while the voice is free.
    double NextSample();

    EG ampEnvelope;
    std::array<Oscilator, kVoiceSourceCount> oscillators;
    std::array<double, kVoiceSourceCount> sourceLevel = {1.0, 0.0, 0.0, 0.0, 0.0};
    bool frequenciesDirty = true;
    std::int32_t note = 0;
    std::int32_t velocity = 0;
    bool active = false;
    StateVariableFilter lowPassFilter;
    StateVariableFilter highPassFilter;
    double lowPassEnvDepth = 0.0;
    double highPassEnvDepth = 0.0;
    EG filterEnvelope;
    double lowPassCutoff = 22050.0;
    double highPassCutoff = 0.0;
    std::array<std::int32_t, kVoiceSourceCount> transpose = {};
    std::array<std::int32_t, kVoiceSourceCount> octave = {};
    std::array<std::int32_t, kVoiceSourceCount> cents = {};
    std::array<double, kVoiceSourceCount> startPhase = {};
    std::array<double, kVoiceSourceCount> envDepth = {1.0, 1.0, 1.0, 1.0, 1.0};
    PitchEnvelope pitchEnvelope;
    std::array<double, kVoiceSourceCount> baseFrequency = {};
    std::array<double, kVoiceSourceCount> frequency = {};

private:
    void OnAmpCycleFinished() { active = false; }
    void UpdateBaseFrequencies();
};
