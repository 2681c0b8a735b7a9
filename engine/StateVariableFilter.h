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

    // Recomputes g, k, a1 and the tap weights from cutoff, sampleRate, q and type.
    void UpdateCoefficients();

    // Clamps a cutoff to [0, sampleRate / 2], stores it and updates the coefficients.
    void SetCutoff(double hz);

    // One sample through the filter. The returned value is denormal-guarded; the states are not.
    double Process(double x);

    double s1 = 0.0;
    double s2 = 0.0;
    double g = 0.0;
    double k = 0.0;
    double a1 = 0.0;
    double mixLowPass = 1.0;
    double mixBandPass = 0.0;
    double mixHighPass = 0.0;
    double sampleRate = 44100.0;
    double cutoff = 1000.0;
    double q = 0.70710678118654752440; // 1 / sqrt(2): maximally flat
    FilterType type = FilterType::LowPass;
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
