#pragma once

#include "engine/Lanes.h"

#include "engine/BitCast.h"
#include <cstdint>

// Flushes values too small to matter (below 2^-54 in magnitude), and every infinity and NaN, to
// 0. Applied to each stage's output so that denormals never slow the audio path down and a
// non-finite value produced inside one stage never reaches the next. Adding 1 to the biased
// exponent wraps the all-ones exponent of inf/NaN to 0, so one comparison catches both ends.
inline double DenormalFilter(double x)
{
    const auto exponent = static_cast<std::uint32_t>(BitCast<std::uint64_t>(x) >> 52) & 0x7ffu;
    return ((exponent + 1u) & 0x7ffu) < 970u ? 0.0 : x;
}

// The same for four lanes. |x| >= 2^-54 and finite is exactly the exponent test above: the
// biased exponent is 969 or more and not all ones.
template <int Parts> BasicLanes<Parts> DenormalFilter(BasicLanes<Parts> x)
{
    const BasicLanes<Parts> magnitude = Abs(x);
    return Select((magnitude >= 0x1p-54) & (magnitude < __builtin_inf()), x, BasicLanes<Parts>::Splat(0.0));
}
