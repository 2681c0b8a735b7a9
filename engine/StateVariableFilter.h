#pragma once

enum class FilterType
{
    LowPass,
    HighPass,
};

// Two-pole state-variable filter with trapezoidal integration; the output is a fixed mix of its
// low-, band- and high-pass taps chosen by type. Coefficients are cheap enough to recompute
// every sample, which is what an envelope-driven cutoff needs.
class StateVariableFilter
{
public:
    StateVariableFilter();
    virtual ~StateVariableFilter() = default;

    void SetType(FilterType type);
    // The cutoff is clamped again to the new Nyquist limit; the filter memory is kept.
    void SetSampleRate(double hertz);
    // Clamps a cutoff to [0, sampleRate / 2], stores it and updates the coefficients.
    void SetCutoff(double hertz);
    void SetResonance(double q);
    // Clears the filter memory.
    void Reset();

    // One sample through the filter. The returned value is denormal-guarded; the states are not.
    double Process(double x);

    FilterType Type() const { return type_; }
    double SampleRate() const { return sampleRate_; }
    double Cutoff() const { return cutoff_; }
    double Resonance() const { return q_; }
    // The warped cutoff tan(pi fc / fs) and the normalising factor of the recursion.
    double G() const { return g_; }
    double A1() const { return a1_; }
    // The damping 1 / q used by the recursion.
    double Damping() const { return k_; }
    // The two integrator states.
    double State1() const { return s1_; }
    double State2() const { return s2_; }

private:
    // Recomputes g, k, a1 and the tap weights from cutoff, sample rate, q and type.
    void UpdateCoefficients();
    double ClampToNyquist(double hz) const;

    double s1_ = 0.0;
    double s2_ = 0.0;
    double g_ = 0.0;
    double k_ = 0.0;
    double a1_ = 0.0;
    double mixLowPass_ = 1.0;
    double mixBandPass_ = 0.0;
    double mixHighPass_ = 0.0;
    double sampleRate_ = 44100.0;
    double cutoff_ = 1000.0;
    double q_ = 0.70710678118654752440; // 1 / sqrt(2): maximally flat
    FilterType type_ = FilterType::LowPass;
};

// Where an envelope moves a filter's knob cutoff: a positive depth pulls it towards target as
// the envelope rises, a negative one pulls it towards target while the envelope is low.
// The result is not clamped.
inline double EnvelopeCutoff(double knobCutoff, double depth, double envelope, double target)
{
    if (depth > 0.0)
        return ((1.0 - envelope) * knobCutoff + envelope * target) * depth + (1.0 - depth) * knobCutoff;
    if (depth < 0.0)
        return ((1.0 - envelope) * target + envelope * knobCutoff) * (-depth) + (1.0 + depth) * knobCutoff;
    return knobCutoff;
}
