#include "engine/PitchEnvelope.h"

#include "engine/NoteFrequency.h"

#include <cmath>

PitchEnvelope::PitchEnvelope() : highFrequency(NoteFrequency(96)), lowFrequency(NoteFrequency(12)) {}

void PitchEnvelope::Restart()
{
    sampleCounter = 0;
    const double samples = duration * sampleRate;
    // Negative or NaN durations count as an empty glide rather than an undefined conversion.
    durationSamples = samples > 0.0 ? static_cast<std::uint64_t>(samples) : 0;
}

void PitchEnvelope::NextSample()
{
    double t = static_cast<double>(sampleCounter) / static_cast<double>(durationSamples);
    ++sampleCounter;
    // NaN (an empty glide at its first sample) counts as the start; an empty glide is at its end
    // from the second sample on.
    t = t > 1.0 ? 1.0 : (t > 0.0 ? t : 0.0);
    const double c = std::pow(t, curve);
    position = (1.0 - c) * startPosition + c * endPosition;
}

void PitchEnvelope::SetHighNote(std::int32_t note)
{
    highNote = note;
    highFrequency = NoteFrequency(note);
}

void PitchEnvelope::SetLowNote(std::int32_t note)
{
    lowNote = note;
    lowFrequency = NoteFrequency(note);
}
