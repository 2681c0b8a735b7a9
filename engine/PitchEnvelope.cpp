#include "engine/PitchEnvelope.h"

#include "engine/NoteFrequency.h"

#include <cmath>
#include <limits>

namespace
{
constexpr double kInfinity = std::numeric_limits<double>::infinity();
} // namespace

PitchEnvelope::PitchEnvelope() : highFrequency_(NoteFrequency(96)), lowFrequency_(NoteFrequency(12)) {}

void PitchEnvelope::Restart()
{
    sampleCounter_ = 0;
    const double samples = duration_ * sampleRate_;
    // Negative or NaN durations count as an empty glide rather than an undefined conversion.
    durationSamples_ = samples > 0.0 ? static_cast<std::uint64_t>(samples) : 0;
}

void PitchEnvelope::NextSample()
{
    double t = static_cast<double>(sampleCounter_) / static_cast<double>(durationSamples_);
    ++sampleCounter_;
    // NaN (an empty glide at its first sample) counts as the start; an empty glide is at its end
    // from the second sample on.
    t = t > 1.0 ? 1.0 : (t > 0.0 ? t : 0.0);
    // pow is skipped where t itself is its exact value (the linear curve, the ends of the glide) and
    // where its value cannot matter (a glide from 0 to 0 gives 0 for any c in 0..1).
    const bool powIsT =
        curve_ == 1.0 || t == 0.0 || t == 1.0 || (startPosition_ == 0.0 && endPosition_ == 0.0);
    const double c = powIsT && curve_ > 0.0 && curve_ < kInfinity ? t : std::pow(t, curve_);
    position_ = (1.0 - c) * startPosition_ + c * endPosition_;
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
