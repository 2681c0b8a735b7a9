#include "engine/Oscilator.h"
#include "engine/EngineMath.h"

#include "engine/Random.h"

#include <cmath>
#include <ctime>
#include <numbers>

namespace
{
std::array<double, kSawTransitionSize> MakeSawTransitionTable()
{
    std::array<double, kSawTransitionSize> table{};
    for (int i = 0; i < kSawTransitionSize; ++i)
    {
        const double d = (i - 500) / 1000.0;
        table[i] = 0.75 * engine_math::SinTwoPi(0.5 * d) + 0.25 * engine_math::SinTwoPi(1.5 * d);
    }
    return table;
}

// Frequency at which the saw's transition spans the whole phase range. It is fixed, so the
// transition lasts the same time (about 56.7 microseconds each side) at every sample rate.
constexpr double kSawTransitionFrequency = 8820.22;

inline void Wrap(double& phase)
{
    // One subtraction, not a modulo: a phase that grows by more than one cycle per sample keeps
    // growing, and the shapes are evaluated on it as it is.
    if (phase >= 1.0) phase -= 1.0;
}

void SeedFromClock()
{
    RandomSeed(static_cast<std::uint32_t>(std::time(nullptr)));
}
} // namespace

const std::array<double, kSawTransitionSize> SawTransitionTable = MakeSawTransitionTable();

Oscilator::Oscilator()
{
    phase_ = 0.0;
    overtonePhase_ = 0.0;
    // Both reseeds are deliberate: building an oscillator restarts the shared noise sequence from
    // the clock, once before and once after the pink state is cleared. Within one clock second
    // the second changes nothing; dropping either would change the start-up noise when the second
    // turns in between.
    SeedFromClock();
    pinkState_ = {0.0f, 0.0f, 0.0f};
    SeedFromClock();
    output_ = 0.0;
    overtoneOutput_ = 0.0;
    waveform_ = OscilatorWaveform::Sin;
    squareDuty_ = 0.5;
}

double Oscilator::SinStep(double& phase, double& output, double increment)
{
    output = engine_math::SinTwoPi(phase);
    Wrap(phase);
    phase += increment;
    return output;
}

double Oscilator::NextWhiteSample()
{
    return RandomInt() / 32767.0 * 2.0 - 1.0;
}

float Oscilator::NextPinkSample(std::array<float, 3>& state)
{
    const float w1 = static_cast<float>(RandomInt());
    state[0] = (state[0] - w1) * 0.319f + w1;
    const float w2 = static_cast<float>(RandomInt());
    state[1] = (state[1] - w2) * 0.7756f + w2;
    const float w3 = static_cast<float>(RandomInt());
    state[2] = (state[2] - w3) * 0.9613f + w3;
    // The scale is 2 / 32767 and the offset the sum of the three weights, so the result centres on 0.
    return (state[1] * 0.0711347833f + state[0] * 0.0210923795f + state[2] * 0.6887356043f) *
               0.0000610370189f -
           0.780962765f;
}

double Oscilator::NextSample(double frequency)
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
        double d = (kSawTransitionFrequency / frequency) * phase_;
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
