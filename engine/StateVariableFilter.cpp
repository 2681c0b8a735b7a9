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
    SetCutoff(cutoff_);
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
    const double nyquist = sampleRate_ * 0.5;
    if (hz < 0.0)
        hz = 0.0;
    else if (hz > nyquist)
        hz = nyquist;
    cutoff_ = hz;
    UpdateCoefficients();
}

double StateVariableFilter::Process(double x)
{
    const double hp = (x - s1_ * k_ - g_ * s1_ - s2_) * a1_;
    const double bp = g_ * hp + s1_;
    s1_ = g_ * hp + bp;
    const double lp = g_ * bp + s2_;
    s2_ = g_ * bp + lp;
    return DenormalFilter(lp * mixLowPass_ + bp * mixBandPass_ + hp * mixHighPass_);
}
