#pragma once

#include <array>
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
    static double SinStep(double& phase, double& output, double increment);

    std::int32_t sampleRate_ = 44100;
    // The phase increments for the frequency and rate they were computed for.
    double incrementFrequency_ = 0.0;
    std::int32_t incrementRate_ = 0;
    double increment_ = 0.0;
    double overtoneIncrement_ = 0.0;
    double phase_;
    double output_;
    double overtonePhase_;
    double overtoneOutput_;
    std::array<float, 3> pinkState_;
    OscilatorWaveform waveform_;
    double squareDuty_;
};
