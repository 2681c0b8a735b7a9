#pragma once

#include "engine/EngineMath.h"
#include "engine/Lanes.h"
#include "engine/Random.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <type_traits>

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
    static float NextPinkSample(std::array<float, 3>& state) { return NextPinkSample(state, RandomInt); }
    // The same from the values draw() gives (three of them).
    template <typename Draw> static float NextPinkSample(std::array<float, 3>& state, Draw draw);
    // The same from this oscillator's own filter state.
    float NextPinkSample() { return NextPinkSample(pinkState_); }

    // Uniform white noise in -1..1; draws one random value.
    static double NextWhiteSample() { return NextWhiteSample(RandomInt); }
    // The same from the value draw() gives.
    template <typename Draw> static double NextWhiteSample(Draw draw)
    {
        return WhiteFrom(static_cast<double>(draw()));
    }

    // The two noises from drawn values, on one voice's numbers or on lanes: white from one value,
    // and pink from three that step its low-passes (a double's lanes for white, a float's for pink).
    template <typename Real> static Real WhiteFrom(Real drawn) { return drawn / 32767.0 * 2.0 - 1.0; }
    template <typename PinkState, typename Real>
    static void StepPink(PinkState& state, const Real (&drawn)[3]);
    template <typename PinkState>
    static auto PinkFrom(const PinkState& state) -> std::remove_cvref_t<decltype(state[0])>;

    std::int32_t SampleRate() const { return sampleRate_; }
    OscilatorWaveform Waveform() const { return waveform_; }
    double SquareDuty() const { return squareDuty_; }
    double Phase() const { return phase_; }
    double OvertonePhase() const { return overtonePhase_; }
    double Output() const { return output_; }

    // The phases and last outputs of the two accumulators (the overtone is the Whistle's).
    template <typename Real> struct PhaseState
    {
        Real phase;
        Real output;
        Real overtonePhase;
        Real overtoneOutput;
    };
    template <typename Real> struct Increments
    {
        Real increment;
        Real overtone;
        Real sawScale;
    };
    // Phase steps per sample for a frequency at a rate, on a double or on lanes.
    template <typename Real> static Increments<Real> IncrementsFor(Real rate, Real frequency);
    // One sample of a phase-driven waveform (not the noises) on a double or on lanes: steps the
    // state and returns the value.
    template <typename Real>
    static Real Step(OscilatorWaveform waveform, PhaseState<Real>& state, Real increment,
                     Real overtoneIncrement, Real sawScale, Real squareDuty);

    // The Whistle is the sum of the sines of its two phases as a sample starts; a caller stepping
    // many samples may advance the phases first and take the sines of them all together.
    template <typename Real>
    static void AdvanceWhistle(PhaseState<Real>& state, Real increment, Real overtoneIncrement)
    {
        state.overtonePhase = Wrap(state.overtonePhase) + overtoneIncrement;
        state.phase = Wrap(state.phase) + increment;
    }
    template <typename Real> static Real WhistleFrom(Real sine, Real overtoneSine)
    {
        return sine + 0.25 * overtoneSine;
    }

private:
    friend class VoiceLanes;

    // One subtraction, not a modulo: a phase that grows by more than one cycle per sample keeps
    // growing, and the shapes are evaluated on it as it is.
    template <typename Real> static Real Wrap(Real phase) { return Select(phase >= 1.0, phase - 1.0, phase); }

    template <typename Real> static Real One() { return engine_math::detail::Constant<Real>(1.0); }

    // Frequency at which the saw's transition spans the whole phase range. It is fixed, so the
    // transition lasts the same time (about 56.7 microseconds each side) at every sample rate.
    static constexpr double kSawTransitionFrequency = 8820.22;

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
        const Increments<double> increments = IncrementsFor(static_cast<double>(sampleRate_), frequency);
        increment_ = increments.increment;
        overtoneIncrement_ = increments.overtone;
        sawScale_ = increments.sawScale;
    }
    switch (waveform_)
    {
    case OscilatorWaveform::Sin:
    case OscilatorWaveform::Tan:
    case OscilatorWaveform::Breaker:
    case OscilatorWaveform::Triangle:
    case OscilatorWaveform::Square:
    case OscilatorWaveform::Saw:
    case OscilatorWaveform::Whistle:
    {
        PhaseState<double> state{phase_, output_, overtonePhase_, overtoneOutput_};
        const double value = Step(waveform_, state, increment_, overtoneIncrement_, sawScale_, squareDuty_);
        phase_ = state.phase;
        output_ = state.output;
        overtonePhase_ = state.overtonePhase;
        overtoneOutput_ = state.overtoneOutput;
        return value;
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

template <typename PinkState, typename Real>
void Oscilator::StepPink(PinkState& state, const Real (&drawn)[3])
{
    state[0] = (state[0] - drawn[0]) * 0.319f + drawn[0];
    state[1] = (state[1] - drawn[1]) * 0.7756f + drawn[1];
    state[2] = (state[2] - drawn[2]) * 0.9613f + drawn[2];
}

template <typename PinkState>
auto Oscilator::PinkFrom(const PinkState& state) -> std::remove_cvref_t<decltype(state[0])>
{
    // The scale is 2 / 32767 and the offset the sum of the three weights, so the result centres on 0.
    return (state[1] * 0.0711347833f + state[0] * 0.0210923795f + state[2] * 0.6887356043f) *
               0.0000610370189f -
           0.780962765f;
}

template <typename Draw> float Oscilator::NextPinkSample(std::array<float, 3>& state, Draw draw)
{
    // Braced initialisers run in order: the first value drawn feeds the first low-pass.
    const float drawn[3] = {static_cast<float>(draw()), static_cast<float>(draw()),
                            static_cast<float>(draw())};
    StepPink(state, drawn);
    return PinkFrom(state);
}

template <typename Real> Oscilator::Increments<Real> Oscilator::IncrementsFor(Real rate, Real frequency)
{
    return {1.0 / (rate / frequency), 1.0 / (rate / (20.0 * frequency)), kSawTransitionFrequency / frequency};
}

namespace oscilator_detail
{
// The saw transition table at e in [0, 1000] (the last entry alone at 1000), interpolated linearly.
inline double SawTransitionAt(double e)
{
    const int i = static_cast<int>(e);
    if (i >= kSawTransitionSize - 1) return SawTransitionTable[kSawTransitionSize - 1];
    const double r = e - engine_math::Floor(e);
    return (1.0 - r) * SawTransitionTable[i] + r * SawTransitionTable[i + 1];
}

template <int Parts> BasicLanes<Parts> SawTransitionAt(BasicLanes<Parts> e)
{
    const LaneTruncation<Parts> whole = TruncateNonNegative(e);
    // Filled element by element: built in memory and loaded whole, the vectors would wait for
    // the single stores to land.
    BasicLanes<Parts> below;
    BasicLanes<Parts> above;
    for (int lane = 0; lane < kLaneCount; ++lane)
    {
        const int i = whole.ints[lane] < kSawTransitionSize - 1 ? whole.ints[lane] : kSawTransitionSize - 2;
        below.part[lane / BasicLanes<Parts>::kPartLanes][lane % BasicLanes<Parts>::kPartLanes] =
            SawTransitionTable[i];
        above.part[lane / BasicLanes<Parts>::kPartLanes][lane % BasicLanes<Parts>::kPartLanes] =
            SawTransitionTable[i + 1];
    }
    const BasicLanes<Parts> r = e - whole.asDouble;
    const BasicLanes<Parts> interpolated = (1.0 - r) * below + r * above;
    return Select(whole.asDouble >= kSawTransitionSize - 1.0,
                  BasicLanes<Parts>::Splat(SawTransitionTable[kSawTransitionSize - 1]), interpolated);
}
} // namespace oscilator_detail

template <typename Real>
Real Oscilator::Step(OscilatorWaveform waveform, PhaseState<Real>& s, Real increment, Real overtoneIncrement,
                     Real sawScale, Real squareDuty)
{
    using engine_math::SinTwoPi;
    using engine_math::TanPi;
    switch (waveform)
    {
    case OscilatorWaveform::Sin:
        s.output = SinTwoPi(s.phase);
        s.phase = Wrap(s.phase) + increment;
        return s.output;
    case OscilatorWaveform::Tan:
    {
        const Real t = TanPi(s.phase);
        s.output = Select(t > 1.0, One<Real>(), Select(t < -1.0, -One<Real>(), t));
        s.phase = Wrap(s.phase) + increment;
        return s.output;
    }
    case OscilatorWaveform::Breaker:
        s.output = Abs(1.0 - 2.0 * s.phase * s.phase) - 1.0;
        s.phase = Wrap(s.phase) + increment;
        return s.output;
    case OscilatorWaveform::Triangle:
        s.phase = Wrap(s.phase) + increment;
        s.output = Select(s.phase <= 0.5, 4.0 * (s.phase - 0.25), 4.0 * ((1.0 - s.phase) - 0.25));
        return s.output;
    case OscilatorWaveform::Square:
    {
        const Real duty =
            Select(squareDuty < 0.0, 0.0 * One<Real>(), Select(squareDuty > 1.0, One<Real>(), squareDuty));
        s.phase = Wrap(s.phase) + increment;
        // A phase exactly on the duty keeps the previous level.
        s.output = Select(duty > s.phase, -One<Real>(), s.output);
        s.output = Select(duty < s.phase, One<Real>(), s.output);
        return s.output;
    }
    case OscilatorWaveform::Saw:
    {
        // The saw runs its phase in -0.5..0.5 so the jump sits at phase 0.
        s.phase = Select(s.phase >= 0.5, s.phase - 1.0, s.phase) + increment;
        Real d = sawScale * s.phase;
        // Written so that a NaN (a zero frequency at phase 0) lands on the table's edge instead
        // of reaching the integer conversion.
        d = Select(d > 0.5, 0.5 * One<Real>(), Select(d >= -0.5, d, -0.5 * One<Real>()));
        s.output = oscilator_detail::SawTransitionAt(d * 1000.0 + 500.0) - s.phase;
        return s.output;
    }
    case OscilatorWaveform::Whistle:
    {
        s.overtoneOutput = SinTwoPi(s.overtonePhase);
        s.output = SinTwoPi(s.phase);
        AdvanceWhistle(s, increment, overtoneIncrement);
        return WhistleFrom(s.output, s.overtoneOutput);
    }
    default:
        return 0.0 * One<Real>();
    }
}
