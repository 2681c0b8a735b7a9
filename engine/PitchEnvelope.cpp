#include "engine/PitchEnvelope.h"

#include "engine/NoteFrequency.h"

#include <cmath>

PitchEnvelope::PitchEnvelope() : highFrequency_(NoteFrequency(96)), lowFrequency_(NoteFrequency(12)) {}

void PitchEnvelope::Restart()
{
    sampleCounter_ = 0;
    const double samples = duration_ * sampleRate_;
    // Negative or NaN durations count as an empty glide rather than an undefined conversion.
    durationSamples_ = samples > 0.0 ? static_cast<std::uint64_t>(samples) : 0;
}

void PitchEnvelope::SetHighNote(std::int32_t note)
{
    highNote_ = note;
    highFrequency_ = NoteFrequency(note);
}

void PitchEnvelope::SetLowNote(std::int32_t note)
{
    lowNote_ = note;
    lowFrequency_ = NoteFrequency(note);
}
