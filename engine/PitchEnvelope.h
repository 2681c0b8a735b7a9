#pragma once

#include <cstdint>

// Glides a voice's pitch once per note from startPosition to endPosition on a power curve.
// Position -1 is the low note, 0 the played note, 1 the high note.
class PitchEnvelope
{
public:
    PitchEnvelope();
    virtual ~PitchEnvelope() = default;

    // Starts a new glide; the duration in seconds is fixed here for the whole note.
    void Restart();

    // Steps one engine sample and updates position.
    void NextSample();

    void SetHighNote(std::int32_t note);
    void SetLowNote(std::int32_t note);

    // Frequency of an oscillator whose note frequency is baseFrequency at the current position.
    // The blend is linear in hertz and heads for the same high or low frequency whatever the
    // oscillator's own octave or transpose.
    double BlendFrequency(double baseFrequency) const
    {
        if (position > 0.0) return (1.0 - position) * baseFrequency + position * highFrequency;
        if (position < 0.0) return (1.0 + position) * baseFrequency + (-position) * lowFrequency;
        return baseFrequency;
    }

    std::int32_t highNote = 96;
    std::int32_t lowNote = 12;
    double highFrequency;
    double lowFrequency;
    double position = 0.0;
    std::uint64_t sampleCounter = 0;
    std::uint64_t durationSamples = 44100;
    double sampleRate = 44100.0;
    double duration = 1.0;
    double startPosition = 0.0;
    double endPosition = 1.0;
    double curve = 1.0;
};
