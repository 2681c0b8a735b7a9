#include "engine/StateVariableFilter.h"

#include "engine/DenormalFilter.h"

#include <cmath>
#include <numbers>

StateVariableFilter::StateVariableFilter()
{
    UpdateCoefficients();
    s1 = 0.0;
    s2 = 0.0;
}

void StateVariableFilter::UpdateCoefficients()
{
    g = std::tan(cutoff * std::numbers::pi / sampleRate);
    if (type == FilterType::LowPass)
    {
        mixLowPass = 1.0;
        mixBandPass = 0.0;
        mixHighPass = 0.0;
    }
    else
    {
        mixLowPass = 0.0;
        mixBandPass = 0.0;
        mixHighPass = 1.0;
    }
    k = 1.0 / q;
    a1 = 1.0 / (g * k + 1.0 + g * g);
}

void StateVariableFilter::SetCutoff(double hz)
{
    const double nyquist = sampleRate * 0.5;
    if (hz < 0.0)
        hz = 0.0;
    else if (hz > nyquist)
        hz = nyquist;
    cutoff = hz;
    UpdateCoefficients();
}

double StateVariableFilter::Process(double x)
{
    const double hp = (x - s1 * k - g * s1 - s2) * a1;
    const double bp = g * hp + s1;
    s1 = g * hp + bp;
    const double lp = g * bp + s2;
    s2 = g * bp + lp;
    return DenormalFilter(lp * mixLowPass + bp * mixBandPass + hp * mixHighPass);
}
