#pragma once

#include "engine/EngineMath.h"
#include "engine/Lanes.h"
#include <cmath>
#include <cstdint>
#include <limits>

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
    // Steps count engine samples as count calls of NextSample do, writing the position after
    // each; the curve's powers are taken on Lanes, eight samples side by side.
    template <typename Lanes> void NextSamples(double* positions, int count);

    // Past the end of the glide every sample gives the same position and only the count moves.
    bool GlideFinished() const { return sampleCounter_ >= durationSamples_ && sampleCounter_ != 0; }
    // Advances a finished glide by count samples exactly as count calls of NextSample would.
    void SkipFinishedSamples(std::uint64_t count) { sampleCounter_ += count; }

    void SetHighNote(std::int32_t note);
    void SetLowNote(std::int32_t note);
    void SetSampleRate(double hertz) { sampleRate_ = hertz; }
    // Seconds; fixed for a glide when it restarts.
    void SetDuration(double seconds) { duration_ = seconds; }
    // Positions and the curve act from the next sample.
    void SetStartPosition(double position) { startPosition_ = position; }
    void SetEndPosition(double position) { endPosition_ = position; }
    void SetCurve(double curve) { curve_ = curve; }

    // Frequency of an oscillator whose note frequency is baseFrequency at the current position.
    // The blend is linear in hertz and heads for the same high or low frequency whatever the
    // oscillator's own octave or transpose.
    double BlendFrequency(double baseFrequency) const
    {
        return Blend(position_, baseFrequency, highFrequency_, lowFrequency_);
    }
    // The same blend on a double or on lanes.
    template <typename Real> static Real Blend(Real position, Real baseFrequency, Real high, Real low)
    {
        return Select(
            position > 0.0, (1.0 - position) * baseFrequency + position * high,
            Select(position < 0.0, (1.0 + position) * baseFrequency + (-position) * low, baseFrequency));
    }

    std::int32_t HighNote() const { return highNote_; }
    std::int32_t LowNote() const { return lowNote_; }
    double HighFrequency() const { return highFrequency_; }
    double LowFrequency() const { return lowFrequency_; }
    double Position() const { return position_; }
    std::uint64_t SampleCounter() const { return sampleCounter_; }
    std::uint64_t DurationSamples() const { return durationSamples_; }
    double SampleRate() const { return sampleRate_; }
    double Duration() const { return duration_; }
    double StartPosition() const { return startPosition_; }
    double EndPosition() const { return endPosition_; }
    double Curve() const { return curve_; }

private:
    // The glide's progress t in [0, 1] at this sample; moves the count on.
    double NextProgress();
    // Whether the curve's value at t is t itself, or cannot matter (see NextSample).
    bool CurveIsProgress(double t) const;
    double PositionAt(double curved) const { return (1.0 - curved) * startPosition_ + curved * endPosition_; }

    std::int32_t highNote_ = 96;
    std::int32_t lowNote_ = 12;
    double highFrequency_;
    double lowFrequency_;
    double position_ = 0.0;
    std::uint64_t sampleCounter_ = 0;
    std::uint64_t durationSamples_ = 44100;
    double sampleRate_ = 44100.0;
    double duration_ = 1.0;
    double startPosition_ = 0.0;
    double endPosition_ = 1.0;
    double curve_ = 1.0;
};

// Inline: these run for every voice at every engine sample.
inline double PitchEnvelope::NextProgress()
{
    // At and past the end of the glide t is exactly 1 (the quotient is 1 or more, or x / 0 = inf);
    // the division is left out there. 0 / 0 (an empty glide at its first sample) counts as the start.
    double t = 1.0;
    if (sampleCounter_ < durationSamples_ || sampleCounter_ == 0)
    {
        t = static_cast<double>(sampleCounter_) / static_cast<double>(durationSamples_);
        t = t > 1.0 ? 1.0 : (t > 0.0 ? t : 0.0);
    }
    ++sampleCounter_;
    return t;
}

inline bool PitchEnvelope::CurveIsProgress(double t) const
{
    // pow is skipped where t itself is its exact value (the linear curve, the ends of the glide) and
    // where its value cannot matter (a glide from 0 to 0 gives 0 for any c in 0..1).
    const bool powIsT =
        curve_ == 1.0 || t == 0.0 || t == 1.0 || (startPosition_ == 0.0 && endPosition_ == 0.0);
    return powIsT && curve_ > 0.0 && curve_ < std::numeric_limits<double>::infinity();
}

inline void PitchEnvelope::NextSample()
{
    const double t = NextProgress();
    position_ = PositionAt(CurveIsProgress(t) ? t : engine_math::Pow(t, curve_));
}

template <typename Lanes> void PitchEnvelope::NextSamples(double* positions, int count)
{
    // Two lanes' worth at a time, whose powers run side by side (more would not fit the registers).
    constexpr int kGroups = 2;
    constexpr int kChunk = kGroups * Lanes::kCount;
    for (int first = 0; first < count; first += kChunk)
    {
        const int size = count - first < kChunk ? count - first : kChunk;
        double t[kChunk];
        bool curved[kChunk];
        double base[kChunk]; // t where the curve applies, else a harmless 1/2
        bool anyCurved = false;
        for (int i = 0; i < kChunk; ++i)
        {
            t[i] = i < size ? NextProgress() : 0.5;
            curved[i] = i < size && !CurveIsProgress(t[i]);
            base[i] = curved[i] ? t[i] : 0.5;
            anyCurved = anyCurved || curved[i];
        }
        if (!anyCurved)
        {
            for (int i = 0; i < size; ++i)
                positions[first + i] = PositionAt(t[i]);
            continue;
        }
        Lanes bases[kGroups];
        Lanes exponents[kGroups];
        Lanes powers[kGroups];
        for (int g = 0; g < kGroups; ++g)
        {
            bases[g] = Lanes::Load(base + g * Lanes::kCount);
            exponents[g] = Lanes::Splat(curve_);
        }
        engine_math::PowLanes(bases, exponents, powers);
        for (int i = 0; i < size; ++i)
            positions[first + i] =
                PositionAt(curved[i] ? powers[i / Lanes::kCount][i % Lanes::kCount] : t[i]);
    }
    if (count > 0) position_ = positions[count - 1];
}
