#include "engine/StateVariableFilter.h"
#include "engine/EngineMath.h"

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
    g_ = WarpedCutoff(cutoff_ / sampleRate_);
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
    a1_ = Normaliser(g_, k_);
}
