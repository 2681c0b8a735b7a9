#include "engine/Compressor.h"
#include "engine/EngineMath.h"

#include "engine/DenormalFilter.h"
#include "engine/Lanes.h"

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

// Flattened: the lane maths inlined keeps its values in registers.
[[gnu::flatten]] void Compressor::Compress(double* values, int count) const
{
    // Two lanes' worth side by side. The power of |x| takes x's sign, as above: x > 0 gives
    // Pow(x, p) and anything else -Pow(-x, p), where -x is |x| but for a NaN, which ends as 0
    // either way.
    constexpr int kChunk = 2 * kLaneCount;
    int done = 0;
    for (; done + kChunk <= count; done += kChunk)
    {
        SplitLanes x[2];
        SplitLanes magnitude[2];
        SplitLanes power[2];
        const SplitLanes exponent[2] = {SplitLanes::Splat(exponent_), SplitLanes::Splat(exponent_)};
        for (int g = 0; g < 2; ++g)
        {
            x[g] = SplitLanes::Load(values + done + g * kLaneCount);
            magnitude[g] = Abs(x[g]);
        }
        engine_math::PowLanes(magnitude, exponent, power);
        for (int g = 0; g < 2; ++g)
        {
            SplitLanes y = Select(x[g] > 0.0, power[g], -power[g]);
            y = Select(y > 2.0, SplitLanes::Splat(2.0), Select(y < -2.0, SplitLanes::Splat(-2.0), y));
            y = DenormalFilter(y);
            for (int lane = 0; lane < kLaneCount; ++lane)
                values[done + g * kLaneCount + lane] = y[lane];
        }
    }
    for (; done < count; ++done)
        values[done] = Compress(values[done]);
}
