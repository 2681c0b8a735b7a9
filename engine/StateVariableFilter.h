#pragma once

#include "engine/DenormalFilter.h"

#include <cmath>

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

// Inline: these run for every voice at every engine sample.
inline double StateVariableFilter::ClampToNyquist(double hz) const
{
    const double nyquist = sampleRate_ * 0.5;
    if (hz < 0.0) return 0.0;
    if (hz > nyquist) return nyquist;
    return hz;
}

inline void StateVariableFilter::SetCutoff(double hz)
{
    hz = ClampToNyquist(hz);
    // The coefficients depend on nothing else that changes here: an unchanged cutoff (the usual
    // case, with no envelope depth) keeps them, which saves a tangent and two divisions.
    if (hz == cutoff_) return;
    cutoff_ = hz;
    UpdateCoefficients();
}

inline double StateVariableFilter::Process(double x)
{
    // A high-pass at 0 Hz with no memory passes a finite input through unchanged and keeps its
    // memory at zero: the same result as the recursion below, without it.
    if (g_ == 0.0 && a1_ == 1.0 && s1_ == 0.0 && s2_ == 0.0 && type_ == FilterType::HighPass &&
        std::isfinite(x))
        return DenormalFilter(0.0 + x);
    const double hp = (x - s1_ * k_ - g_ * s1_ - s2_) * a1_;
    const double bp = g_ * hp + s1_;
    s1_ = g_ * hp + bp;
    const double lp = g_ * bp + s2_;
    s2_ = g_ * bp + lp;
    return DenormalFilter(lp * mixLowPass_ + bp * mixBandPass_ + hp * mixHighPass_);
}

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
