#include "engine/VoiceManager.h"

#include <algorithm>

namespace
{
constexpr double kMaxResonance = 100.0;
} // namespace

void VoiceManager::NoteOn(int note, int velocity)
{
    for (Voice& voice : voices_)
    {
        if (!voice.IsActive())
        {
            voice.NoteOn(note, velocity);
            return;
        }
    }
    // All voices busy: the note is dropped, nothing is stolen or remembered.
}

void VoiceManager::NoteOff(int note, int /*velocity*/)
{
    for (Voice& voice : voices_)
        if (voice.IsActive() && voice.Note() == note) voice.NoteOff();
}

bool VoiceManager::AnyActive() const
{
    return std::any_of(voices_.begin(), voices_.end(), [](const Voice& voice) { return voice.IsActive(); });
}

void VoiceManager::SetSampleRate(double rate)
{
    ForEachVoice([rate](Voice& voice) { voice.SetSampleRate(rate); });
}

void VoiceManager::SetWaveform(int slot, OscilatorWaveform waveform)
{
    ForEachSlot(slot, [waveform](Voice& voice, int i) { voice.SetWaveform(i, waveform); });
}

void VoiceManager::SetSourceLevel(int slot, double level)
{
    ForEachSlot(slot, [level](Voice& voice, int i) { voice.SetSourceLevel(i, level); });
}

void VoiceManager::SetSquareDuty(int slot, double duty)
{
    ForEachSlot(slot, [duty](Voice& voice, int i) { voice.SetSquareDuty(i, duty); });
}

void VoiceManager::SetStartPhase(int slot, double phase)
{
    ForEachSlot(slot, [phase](Voice& voice, int i) { voice.SetStartPhase(i, phase); });
}

void VoiceManager::SetEnvDepth(int slot, double depth)
{
    ForEachSlot(slot, [depth](Voice& voice, int i) { voice.SetEnvDepth(i, depth); });
}

void VoiceManager::SetOctave(int slot, int octaves)
{
    ForEachSlot(slot, [octaves](Voice& voice, int i) { voice.SetOctave(i, octaves); });
}

void VoiceManager::SetTranspose(int slot, int semitones)
{
    ForEachSlot(slot, [semitones](Voice& voice, int i) { voice.SetTranspose(i, semitones); });
}

void VoiceManager::SetCents(int slot, int cents)
{
    ForEachSlot(slot, [cents](Voice& voice, int i) { voice.SetCents(i, cents); });
}

void VoiceManager::SetStageValue(EnvelopeTarget envelope, EnvelopeStage stage, double value)
{
    ForEachVoice([=](Voice& voice) { voice.SetStageValue(envelope, stage, value); });
}

void VoiceManager::SetHighNote(int note)
{
    ForEachVoice([note](Voice& voice) { voice.SetHighNote(note); });
}

void VoiceManager::SetLowNote(int note)
{
    ForEachVoice([note](Voice& voice) { voice.SetLowNote(note); });
}

void VoiceManager::SetPitchDuration(double seconds)
{
    ForEachVoice([seconds](Voice& voice) { voice.SetPitchDuration(seconds); });
}

void VoiceManager::SetPitchStart(double position)
{
    ForEachVoice([position](Voice& voice) { voice.SetPitchStart(position); });
}

void VoiceManager::SetPitchEnd(double position)
{
    ForEachVoice([position](Voice& voice) { voice.SetPitchEnd(position); });
}

void VoiceManager::SetPitchCurve(double curve)
{
    ForEachVoice([curve](Voice& voice) { voice.SetPitchCurve(curve); });
}

void VoiceManager::SetLowPassCutoff(double hertz)
{
    ForEachVoice([hertz](Voice& voice) { voice.SetLowPassCutoff(hertz); });
}

void VoiceManager::SetLowPassEnvDepth(double depth)
{
    ForEachVoice([depth](Voice& voice) { voice.SetLowPassEnvDepth(depth); });
}

void VoiceManager::SetHighPassCutoff(double hertz)
{
    ForEachVoice([hertz](Voice& voice) { voice.SetHighPassCutoff(hertz); });
}

void VoiceManager::SetHighPassEnvDepth(double depth)
{
    ForEachVoice([depth](Voice& voice) { voice.SetHighPassEnvDepth(depth); });
}

void VoiceManager::SetLowPassResonance(double resonance)
{
    const double q = std::clamp(resonance, 0.0, kMaxResonance);
    ForEachVoice([q](Voice& voice) { voice.SetLowPassResonance(q); });
}

void VoiceManager::SetHighPassResonance(double resonance)
{
    const double q = std::clamp(resonance, 0.0, kMaxResonance);
    ForEachVoice([q](Voice& voice) { voice.SetHighPassResonance(q); });
}

void VoiceManager::ReleaseAll()
{
    for (Voice& voice : voices_)
        if (voice.IsActive()) voice.NoteOff();
}

void VoiceManager::SilenceAll()
{
    for (Voice& voice : voices_)
        voice.Silence();
}
