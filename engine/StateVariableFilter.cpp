#include "engine/StateVariableFilter.h"

#include "engine/DenormalFilter.h"

#include <cmath>
#include <numbers>

StateVariableFilter::StateVariableFilter()
{
    UpdateCoefficients();
}

void StateVariableFilter::SetType(FilterType type)
{
    type_ = type;
    UpdateCoefficients();
}

void StateVariableFilter::SetSampleRate(double hertz)
{
    sampleRate_ = hertz;
    cutoff_ = ClampToNyquist(cutoff_);
    UpdateCoefficients();
}

double StateVariableFilter::ClampToNyquist(double hz) const
{
    const double nyquist = sampleRate_ * 0.5;
    if (hz < 0.0) return 0.0;
    if (hz > nyquist) return nyquist;
    return hz;
}

void StateVariableFilter::SetResonance(double q)
{
    q_ = q;
    UpdateCoefficients();
}

void StateVariableFilter::Reset()
{
    s1_ = 0.0;
    s2_ = 0.0;
}

void StateVariableFilter::UpdateCoefficients()
{
    g_ = std::tan(cutoff_ * std::numbers::pi / sampleRate_);
    if (type_ == FilterType::LowPass)
    {
        mixLowPass_ = 1.0;
        mixBandPass_ = 0.0;
        mixHighPass_ = 0.0;
    }
    else
    {
        mixLowPass_ = 0.0;
        mixBandPass_ = 0.0;
        mixHighPass_ = 1.0;
    }
    k_ = 1.0 / q_;
    a1_ = 1.0 / (g_ * k_ + 1.0 + g_ * g_);
}

void StateVariableFilter::SetCutoff(double hz)
{
    hz = ClampToNyquist(hz);
    // The coefficients depend on nothing else that changes here: an unchanged cutoff (the usual
    // case, with no envelope depth) keeps them, which saves a tangent and two divisions.
    if (hz == cutoff_) return;
    cutoff_ = hz;
    UpdateCoefficients();
}

double StateVariableFilter::Process(double x)
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
