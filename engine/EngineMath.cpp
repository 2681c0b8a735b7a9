#include "engine/EngineMath.h"

#include "engine/BitCast.h"

namespace engine_math
{

double Log2(double x)
{
    if (x == 0.0) return -std::numeric_limits<double>::infinity();
    if (!(x > 0.0)) return std::numeric_limits<double>::quiet_NaN(); // negative, or NaN
    if (x == std::numeric_limits<double>::infinity()) return x;
    int exponentOffset = 0;
    if (x < 0x1p-1022) // subnormal: scale into the normal range first
    {
        x *= 0x1p54;
        exponentOffset = -54;
    }
    const std::uint64_t bits = BitCast<std::uint64_t>(x);
    int e = static_cast<int>((bits >> 52) & 0x7ff) - 1023 + exponentOffset;
    // The mantissa as a number in [1, 2), then folded into [sqrt(1/2), sqrt(2)).
    double m = BitCast<double>((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    if (m > std::numbers::sqrt2)
    {
        m *= 0.5;
        ++e;
    }
    // log2(m) = 2 atanh(s) / ln 2 with s = (m - 1) / (m + 1).
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double sum = detail::kAtanh.c[12];
    for (int k = 11; k >= 0; --k)
        sum = sum * s2 + detail::kAtanh.c[k];
    return static_cast<double>(e) + sum * s * detail::kTwoOverLn2;
}

} // namespace engine_math
