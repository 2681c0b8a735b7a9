#include "engine/NoteFrequency.h"

#include "engine/BitCast.h"
#include <cstdint>

namespace
{
// Upper word of the bit pattern of 1.0 minus a small bias that spreads the mantissa error.
constexpr double kFastPowBias = 1072632447.0;
} // namespace

double FastPow(double a, double b)
{
    const auto bits = BitCast<std::uint64_t>(a);
    const auto high = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
    const auto k = static_cast<std::int32_t>(b * (static_cast<double>(high) - kFastPowBias) + kFastPowBias);
    return BitCast<double>(static_cast<std::uint64_t>(static_cast<std::uint32_t>(k)) << 32);
}

double NoteFrequency(double note)
{
    return FastPow(2.0, (note - 69.0) / 12.0) * 440.0;
}
