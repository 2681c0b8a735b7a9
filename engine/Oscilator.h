#pragma once

#include "engine/EngineMath.h"

#include <array>
#include <cmath>
#include <cstdint>

// Values 8 and 9 are the noise sources; a voice draws those directly. Any other value is silent.
enum class OscilatorWaveform : std::int32_t
{
    Off = 0,
    Triangle = 1,
    Sin = 2,
    Square = 3,
    Saw = 4,
    Breaker = 5,
    Tan = 6,
    Whistle = 7,
    WhiteNoise = 8,
    PinkNoise = 9,
};

// Display texts of the waveforms a user can pick (Off to Whistle), indexed by value.
inline constexpr std::array<const char*, 8> kOscilatorWaveformNames = {"Off", "Triangle", "Sin", "Square",
                                                                       "Saw", "Breaker",  "Tan", "Whistle"};

// Smooth step that replaces the saw's jump: 1.5 s - s^3 with s = sin(pi (i - 500) / 1000), running
// from -0.5 through a dip to -0.707 and an overshoot to 0.707 up to 0.5.
inline constexpr int kSawTransitionSize = 1001;
extern const std::array<double, kSawTransitionSize> SawTransitionTable;

// One waveform, one sample per call, computed from a phase accumulator without band limiting.
// "Oscilator" (one l) is the instrument's established name for this class and its waveform type;
// it is kept as is so the code reads the same as the instrument's own documentation.
class Oscilator
{
public:
    Oscilator();
    virtual ~Oscilator() = default;

    // Whole engine samples per second (the oversampled rate, truncated); each oscillator keeps
    // its own, so instruments at different rates in one process do not disturb each other.
    void SetSampleRate(std::int32_t hertz) { sampleRate_ = hertz; }
    void SetWaveform(OscilatorWaveform waveform) { waveform_ = waveform; }
    // Clamped to 0..1 when used.
    void SetSquareDuty(double duty) { squareDuty_ = duty; }
    // Starts both phase accumulators at a note's start phase.
    void Restart(double startPhase)
    {
        phase_ = startPhase;
        overtonePhase_ = startPhase;
    }

    // Steps the selected waveform by one sample at the given frequency and returns it.
    double NextSample(double frequency);

    // Pink noise from three one-pole low-passes of uniform noise; draws three random values.
    static float NextPinkSample(std::array<float, 3>& state);
    // The same from this oscillator's own filter state.
    float NextPinkSample() { return NextPinkSample(pinkState_); }

    // Uniform white noise in -1..1; draws one random value.
    static double NextWhiteSample();

    std::int32_t SampleRate() const { return sampleRate_; }
    OscilatorWaveform Waveform() const { return waveform_; }
    double SquareDuty() const { return squareDuty_; }
    double Phase() const { return phase_; }
    double OvertonePhase() const { return overtonePhase_; }
    double Output() const { return output_; }

private:
    // Frequency at which the saw's transition spans the whole phase range. It is fixed, so the
    // transition lasts the same time (about 56.7 microseconds each side) at every sample rate.
    static constexpr double kSawTransitionFrequency = 8820.22;

    static void Wrap(double& phase)
    {
        // One subtraction, not a modulo: a phase that grows by more than one cycle per sample keeps
        // growing, and the shapes are evaluated on it as it is.
        if (phase >= 1.0) phase -= 1.0;
    }
    static double SinStep(double& phase, double& output, double increment)
    {
        output = engine_math::SinTwoPi(phase);
        Wrap(phase);
        phase += increment;
        return output;
    }

    std::int32_t sampleRate_ = 44100;
    // The phase increments for the frequency and rate they were computed for.
    double incrementFrequency_ = 0.0;
    std::int32_t incrementRate_ = 0;
    double increment_ = 0.0;
    double overtoneIncrement_ = 0.0;
    double sawScale_ = 0.0; // the saw transition's frequency over this one
    double phase_;
    double output_;
    double overtonePhase_;
    double overtoneOutput_;
    std::array<float, 3> pinkState_;
    OscilatorWaveform waveform_;
    double squareDuty_;
};

// Inline: it runs for every source of every voice at every engine sample.
inline double Oscilator::NextSample(double frequency)
{
    // Two divisions per sample are the costliest part of the cheap waveforms; the increment only
    // changes with the frequency (or the rate), so it is kept until then. NaN never matches,
    // which just recomputes it.
    if (frequency != incrementFrequency_ || sampleRate_ != incrementRate_)
    {
        incrementFrequency_ = frequency;
        incrementRate_ = sampleRate_;
        increment_ = 1.0 / (static_cast<double>(sampleRate_) / frequency);
        overtoneIncrement_ = 1.0 / (static_cast<double>(sampleRate_) / (20.0 * frequency));
        sawScale_ = kSawTransitionFrequency / frequency;
    }
    const double increment = increment_;
    switch (waveform_)
    {
    case OscilatorWaveform::Sin:
        return SinStep(phase_, output_, increment);
    case OscilatorWaveform::Tan:
        output_ = engine_math::TanPi(phase_);
        if (output_ > 1.0)
            output_ = 1.0;
        else if (output_ < -1.0)
            output_ = -1.0;
        Wrap(phase_);
        phase_ += increment;
        return output_;
    case OscilatorWaveform::Breaker:
        output_ = std::abs(1.0 - 2.0 * phase_ * phase_) - 1.0;
        Wrap(phase_);
        phase_ += increment;
        return output_;
    case OscilatorWaveform::Triangle:
        Wrap(phase_);
        phase_ += increment;
        output_ = phase_ <= 0.5 ? 4.0 * (phase_ - 0.25) : 4.0 * ((1.0 - phase_) - 0.25);
        return output_;
    case OscilatorWaveform::Square:
    {
        double duty = squareDuty_;
        if (duty < 0.0)
            duty = 0.0;
        else if (duty > 1.0)
            duty = 1.0;
        Wrap(phase_);
        phase_ += increment;
        // A phase exactly on the duty keeps the previous level.
        if (duty > phase_) output_ = -1.0;
        if (duty < phase_) output_ = 1.0;
        return output_;
    }
    case OscilatorWaveform::Saw:
    {
        // The saw runs its phase in -0.5..0.5 so the jump sits at phase 0.
        if (phase_ >= 0.5) phase_ -= 1.0;
        phase_ += increment;
        double d = sawScale_ * phase_;
        // Written so that a NaN (a zero frequency at phase 0) lands on the table's edge instead
        // of reaching the integer conversion below.
        d = d > 0.5 ? 0.5 : (d >= -0.5 ? d : -0.5);
        const double e = d * 1000.0 + 500.0;
        const int i = static_cast<int>(e);
        if (i >= kSawTransitionSize - 1)
        {
            output_ = SawTransitionTable[kSawTransitionSize - 1] - phase_;
        }
        else
        {
            const double r = e - engine_math::Floor(e);
            output_ = (1.0 - r) * SawTransitionTable[i] + r * SawTransitionTable[i + 1] - phase_;
        }
        return output_;
    }
    case OscilatorWaveform::Whistle:
    {
        const double overtone = SinStep(overtonePhase_, overtoneOutput_, overtoneIncrement_);
        const double fundamental = SinStep(phase_, output_, increment);
        return fundamental + 0.25 * overtone;
    }
    case OscilatorWaveform::WhiteNoise:
        return NextWhiteSample();
    case OscilatorWaveform::PinkNoise:
        return static_cast<double>(NextPinkSample(pinkState_));
    case OscilatorWaveform::Off:
    default:
        return 0.0;
    }
}
