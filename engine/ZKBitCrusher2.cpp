#include "engine/ZKBitCrusher2.h"
#include "engine/EngineMath.h"

#include <cmath>
#include <limits>

namespace
{
// The hold length is a rate ratio; a zero or non-finite target rate must not turn into an
// undefined float-to-integer conversion. NaN and negative ratios hold nothing (a new value at
// every call, as for a ratio below 1); ratios beyond the integer range hold for as long as it allows.
std::int64_t HoldLength(double ratio)
{
    if (!(ratio >= 1.0)) return 0;
    constexpr double limit = 9223372036854775807.0; // rounds to 2^63, the first value out of range
    if (ratio >= limit) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(ratio);
}
} // namespace

double ZKBitCrusher2::Process(double x)
{
    const double grid = engine_math::Exp2(bitDepth_);
    if (holdCounter_ > 0)
    {
        --holdCounter_;
    }
    else
    {
        holdCounter_ = HoldLength(sourceRate_ / targetRate_);
        heldSample_ = engine_math::Floor(grid * x + 0.5) / grid;
    }
    return heldSample_;
}

void ZKBitCrusher2::SkipZeros(std::int64_t count)
{
    while (count > 0)
    {
        if (holdCounter_ > 0)
        {
            const std::int64_t held = holdCounter_ < count ? holdCounter_ : count;
            holdCounter_ -= held;
            count -= held;
        }
        else
        {
            Process(0.0);
            --count;
        }
    }
}
