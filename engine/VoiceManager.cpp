#include "engine/VoiceManager.h"

#include <algorithm>

namespace
{
constexpr double kMaxResonance = 100.0;

void ReleaseEnvelope(EG& envelope)
{
    if (envelope.Stage() != StageRelease) envelope.EnterStage(StageRelease);
}

void AnnounceRate(StateVariableFilter& filter, double rate)
{
    filter.SetSampleRate(rate);
    filter.Reset();
}

void SetResonance(StateVariableFilter& filter, double resonance)
{
    filter.SetResonance(std::clamp(resonance, 0.0, kMaxResonance));
}
} // namespace

void VoiceManager::NoteOn(int note, int velocity)
{
    for (Voice& voice : voices)
    {
        if (!voice.active)
        {
            voice.NoteOn(note, velocity);
            return;
        }
    }
    // All voices busy: the note is dropped, nothing is stolen or remembered.
}

void VoiceManager::NoteOff(int note, int /*velocity*/)
{
    for (Voice& voice : voices)
    {
        if (voice.active && voice.note == note)
        {
            ReleaseEnvelope(voice.ampEnvelope);
            ReleaseEnvelope(voice.filterEnvelope);
        }
    }
}

void VoiceManager::SetSampleRate(double rate)
{
    ForEachVoice(
        [rate](Voice& voice)
        {
            voice.ampEnvelope.SetSampleRate(rate);
            voice.filterEnvelope.SetSampleRate(rate);
            voice.pitchEnvelope.SetSampleRate(rate);
            AnnounceRate(voice.lowPassFilter, rate);
            AnnounceRate(voice.highPassFilter, rate);
            for (Oscilator& oscillator : voice.oscillators)
                oscillator.SetSampleRate(static_cast<std::int32_t>(rate));
        });
}

void VoiceManager::SetWaveform(int slot, OscilatorWaveform waveform)
{
    ForEachSlot(slot,
                [waveform](Voice& voice, std::size_t i) { voice.oscillators[i].SetWaveform(waveform); });
}

void VoiceManager::SetSourceLevel(int slot, double level)
{
    ForEachSlot(slot, [level](Voice& voice, std::size_t i) { voice.sourceLevel[i] = level; });
}

void VoiceManager::SetSquareDuty(int slot, double duty)
{
    ForEachSlot(slot, [duty](Voice& voice, std::size_t i) { voice.oscillators[i].SetSquareDuty(duty); });
}

void VoiceManager::SetStartPhase(int slot, double phase)
{
    ForEachSlot(slot, [phase](Voice& voice, std::size_t i) { voice.startPhase[i] = phase; });
}

void VoiceManager::SetEnvDepth(int slot, double depth)
{
    ForEachSlot(slot, [depth](Voice& voice, std::size_t i) { voice.envDepth[i] = depth; });
}

void VoiceManager::SetOctave(int slot, int octaves)
{
    ForEachSlot(slot,
                [octaves](Voice& voice, std::size_t i)
                {
                    voice.octave[i] = octaves;
                    voice.frequenciesDirty = true;
                });
}

void VoiceManager::SetTranspose(int slot, int semitones)
{
    ForEachSlot(slot,
                [semitones](Voice& voice, std::size_t i)
                {
                    voice.transpose[i] = semitones;
                    voice.frequenciesDirty = true;
                });
}

void VoiceManager::SetCents(int slot, int cents)
{
    ForEachSlot(slot,
                [cents](Voice& voice, std::size_t i)
                {
                    voice.cents[i] = cents;
                    voice.frequenciesDirty = true;
                });
}

void VoiceManager::SetStageValue(EnvelopeTarget envelope, EnvelopeStage stage, double value)
{
    ForEachVoice(
        [=](Voice& voice)
        {
            EG& target = envelope == EnvelopeTarget::Amplitude ? voice.ampEnvelope : voice.filterEnvelope;
            target.SetStageValue(stage, value);
        });
}

void VoiceManager::SetHighNote(int note)
{
    ForEachVoice([note](Voice& voice) { voice.pitchEnvelope.SetHighNote(note); });
}

void VoiceManager::SetLowNote(int note)
{
    ForEachVoice([note](Voice& voice) { voice.pitchEnvelope.SetLowNote(note); });
}

void VoiceManager::SetPitchDuration(double seconds)
{
    ForEachVoice([seconds](Voice& voice) { voice.pitchEnvelope.SetDuration(seconds); });
}

void VoiceManager::SetPitchStart(double position)
{
    ForEachVoice([position](Voice& voice) { voice.pitchEnvelope.SetStartPosition(position); });
}

void VoiceManager::SetPitchEnd(double position)
{
    ForEachVoice([position](Voice& voice) { voice.pitchEnvelope.SetEndPosition(position); });
}

void VoiceManager::SetPitchCurve(double curve)
{
    ForEachVoice([curve](Voice& voice) { voice.pitchEnvelope.SetCurve(curve); });
}

void VoiceManager::SetLowPassCutoff(double hertz)
{
    ForEachVoice([hertz](Voice& voice) { voice.lowPassCutoff = hertz; });
}

void VoiceManager::SetLowPassEnvDepth(double depth)
{
    ForEachVoice([depth](Voice& voice) { voice.lowPassEnvDepth = depth; });
}

void VoiceManager::SetHighPassCutoff(double hertz)
{
    ForEachVoice([hertz](Voice& voice) { voice.highPassCutoff = hertz; });
}

void VoiceManager::SetHighPassEnvDepth(double depth)
{
    ForEachVoice([depth](Voice& voice) { voice.highPassEnvDepth = depth; });
}

void VoiceManager::SetLowPassResonance(double resonance)
{
    ForEachVoice([resonance](Voice& voice) { SetResonance(voice.lowPassFilter, resonance); });
}

void VoiceManager::SetHighPassResonance(double resonance)
{
    ForEachVoice([resonance](Voice& voice) { SetResonance(voice.highPassFilter, resonance); });
}
