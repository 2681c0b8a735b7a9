#pragma once

#include "engine/DenormalFilter.h"
#include "engine/EngineMath.h"
#include "engine/Lanes.h"

#include <cmath>

enum class FilterType
{
    LowPass,
    HighPass,
};

// The result of one step of the recursion: the guarded output and the next states.
template <typename Real> struct FilterStep
{
    Real y;
    Real s1;
    Real s2;
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

    // One step of the recursion on a double or on lanes, from explicit state and coefficients
    // (where PassesThrough holds, the filter skips it).
    template <typename Real>
    static FilterStep<Real> Step(Real x, Real s1, Real s2, Real g, Real k, Real a1, Real mixLowPass,
                                 Real mixBandPass, Real mixHighPass);
    // A high-pass at 0 Hz with no memory passes a finite input through unchanged and keeps its
    // memory at zero: the same result as the recursion, without it. Only a high-pass has a1 == 1
    // with g == 0 and mix weights (0, 0, 1), so the weights identify it.
    template <typename Real>
    static auto PassesThrough(Real x, Real s1, Real s2, Real g, Real a1, Real mixLowPass, Real mixHighPass)
    {
        return (g == 0.0) & (a1 == 1.0) & (s1 == 0.0) & (s2 == 0.0) & (mixHighPass == 1.0) &
               (mixLowPass == 0.0) & (x - x == 0.0);
    }
    // The coefficients g and a1 for a cutoff in cycles per sample, on a double or on lanes.
    template <typename Real> static Real WarpedCutoff(Real cyclesPerSample)
    {
        return engine_math::TanPi(cyclesPerSample);
    }
    template <typename Real> static Real Normaliser(Real g, Real k) { return 1.0 / (g * k + 1.0 + g * g); }
    // A cutoff clamped to [0, nyquist] (a NaN stays NaN), on a double or on lanes.
    template <typename Real> static Real ClampCutoff(Real hz, Real nyquist)
    {
        return Select(hz < 0.0, engine_math::detail::Constant<Real>(0.0), Select(hz > nyquist, nyquist, hz));
    }

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
    friend class VoiceLanes;

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
    return ClampCutoff(hz, sampleRate_ * 0.5);
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
    if (PassesThrough(x, s1_, s2_, g_, a1_, mixLowPass_, mixHighPass_)) return DenormalFilter(0.0 + x);
    const FilterStep<double> step = Step(x, s1_, s2_, g_, k_, a1_, mixLowPass_, mixBandPass_, mixHighPass_);
    s1_ = step.s1;
    s2_ = step.s2;
    return step.y;
}

template <typename Real>
FilterStep<Real> StateVariableFilter::Step(Real x, Real s1, Real s2, Real g, Real k, Real a1, Real mixLowPass,
                                           Real mixBandPass, Real mixHighPass)
{
    const Real hp = (x - s1 * k - g * s1 - s2) * a1;
    const Real bp = g * hp + s1;
    const Real nextS1 = g * hp + bp;
    const Real lp = g * bp + s2;
    const Real nextS2 = g * bp + lp;
    return {DenormalFilter(lp * mixLowPass + bp * mixBandPass + hp * mixHighPass), nextS1, nextS2};
}

// Where an envelope moves a filter's knob cutoff: a positive depth pulls it towards target as
// the envelope rises, a negative one pulls it towards target while the envelope is low.
// The result is not clamped.
template <typename Real> Real EnvelopeCutoff(Real knobCutoff, Real depth, Real envelope, double target)
{
    const Real opening =
        ((1.0 - envelope) * knobCutoff + envelope * target) * depth + (1.0 - depth) * knobCutoff;
    const Real closing =
        ((1.0 - envelope) * target + envelope * knobCutoff) * (-depth) + (1.0 + depth) * knobCutoff;
    return Select(depth > 0.0, opening, Select(depth < 0.0, closing, knobCutoff));
}
