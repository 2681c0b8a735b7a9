#pragma once

// Voice settings shared by the benchmarks and the allocation test: the instrument's parameter
// defaults in engine units, and a heavy sound that runs every part of a voice.

#include "engine/EngineRenderer.h"
#include "engine/Oscilator.h"
#include "engine/VoiceManager.h"

namespace voice_scenes
{
inline constexpr double kHostRate = 44100.0;
inline constexpr double kEngineRate = kHostRate * 8.0; // 352800

// The host rate and the instrument's default compression (0.3) and output gain (-6 dB).
inline void PrepareRenderer(EngineRenderer& renderer)
{
    renderer.SetHostSampleRate(kHostRate);
    renderer.SetCompressionFactor(0.3);
    renderer.SetOutputGain(0.50118723362727224);
}

inline void SetEnvelope(VoiceManager& manager, EnvelopeTarget envelope, double attack, double hold,
                        double decay, double sustain, double release)
{
    manager.SetStageValue(envelope, StageAttack, attack);
    manager.SetStageValue(envelope, StageHold, hold);
    manager.SetStageValue(envelope, StageDecay, decay);
    manager.SetStageValue(envelope, StageSustain, sustain);
    manager.SetStageValue(envelope, StageRelease, release);
}

// Oscillator 1 a triangle at 0 dB, every other source at -96 dB (off), filters open, no glide.
inline void ApplyDefaultSound(VoiceManager& manager)
{
    constexpr OscilatorWaveform waveforms[] = {OscilatorWaveform::Triangle, OscilatorWaveform::Off,
                                               OscilatorWaveform::Off};
    for (int slot = 0; slot < 3; ++slot)
    {
        manager.SetWaveform(slot, waveforms[slot]);
        manager.SetOctave(slot, 0);
        manager.SetTranspose(slot, 0);
        manager.SetCents(slot, 0);
        manager.SetSquareDuty(slot, 0.5);
        manager.SetStartPhase(slot, 0.0);
    }
    for (int slot = 0; slot < kVoiceSourceCount; ++slot)
    {
        manager.SetSourceLevel(slot, slot == 0 ? 1.0 : 0.0);
        manager.SetEnvDepth(slot, 1.0);
    }
    SetEnvelope(manager, EnvelopeTarget::Amplitude, 0.01, 0.001, 0.001, 1.0, 0.2);
    SetEnvelope(manager, EnvelopeTarget::Filter, 0.01, 0.001, 0.001, 1.0, 0.2);
    manager.SetHighNote(96);
    manager.SetLowNote(12);
    manager.SetPitchDuration(1.0);
    manager.SetPitchStart(0.0);
    manager.SetPitchEnd(0.0);
    manager.SetPitchCurve(1.0);
    manager.SetLowPassCutoff(22050.0);
    manager.SetLowPassResonance(0.7071067811865476);
    manager.SetLowPassEnvDepth(0.0);
    manager.SetHighPassCutoff(0.0);
    manager.SetHighPassResonance(0.7071067811865476);
    manager.SetHighPassEnvDepth(0.0);
}

// All five sources on, both filters moved by the filter envelope, a curved glide over the note.
inline void ApplyHeavySound(VoiceManager& manager)
{
    ApplyDefaultSound(manager);
    manager.SetWaveform(0, OscilatorWaveform::Saw);
    manager.SetWaveform(1, OscilatorWaveform::Whistle);
    manager.SetWaveform(2, OscilatorWaveform::Square);
    manager.SetSquareDuty(2, 0.3);
    manager.SetOctave(1, -1);
    manager.SetCents(2, 7);
    constexpr double levels[kVoiceSourceCount] = {1.0, 0.5, 0.5, 0.25, 0.25};
    for (int slot = 0; slot < kVoiceSourceCount; ++slot)
        manager.SetSourceLevel(slot, levels[slot]);
    manager.SetEnvDepth(3, 0.5);
    SetEnvelope(manager, EnvelopeTarget::Filter, 0.05, 0.01, 0.3, 0.2, 0.4);
    manager.SetLowPassCutoff(2500.0);
    manager.SetLowPassResonance(2.5);
    manager.SetLowPassEnvDepth(0.6);
    manager.SetHighPassCutoff(300.0);
    manager.SetHighPassResonance(1.2);
    manager.SetHighPassEnvDepth(-0.4);
    manager.SetPitchStart(-1.0);
    manager.SetPitchEnd(0.5);
    manager.SetPitchCurve(2.5);
    manager.SetPitchDuration(0.8);
}

} // namespace voice_scenes
