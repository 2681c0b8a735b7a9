#include "engine/Compressor.h"
#include "engine/EngineMath.h"

#include "engine/DenormalFilter.h"

#include <cmath>

double Compressor::Compress(double x) const
{
    double y = x > 0.0 ? engine_math::Pow(x, exponent_) : -engine_math::Pow(-x, exponent_);
    if (y > 2.0)
        y = 2.0;
    else if (y < -2.0)
        y = -2.0;
    return DenormalFilter(y);
}
