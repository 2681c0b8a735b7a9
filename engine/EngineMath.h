#pragma once

// The engine's own elementary functions. The sound must come out byte for byte the same on every
// platform, compiler and C library, and C libraries differ in the last bits of sin, tan, pow and
// log. These use only +, -, x and / in a fixed order (no fused multiply-add: the engine is built
// with contraction off), so they round identically everywhere. Accuracy is a few units in the
// last place over the ranges the engine uses, far below anything audible.

#include "engine/BitCast.h"
#include <cstdint>
#include <limits>
#include <numbers>
#include <type_traits>

#include "engine/Lanes.h"

namespace engine_math
{

// Coefficients of a Taylor series, computed at compile time (exactly rounded by the compiler).
namespace detail
{
constexpr double kHalfPi = std::numbers::pi / 2.0;

// sin(pi/2 x) = sum c[k] x^(2k+1): c[k] = (-1)^k (pi/2)^(2k+1) / (2k+1)!
struct SinSeries
{
    double c[12]{};
    constexpr SinSeries()
    {
        double term = kHalfPi;
        for (int k = 0; k < 12; ++k)
        {
            c[k] = term;
            term = -term * kHalfPi * kHalfPi / ((2.0 * k + 2.0) * (2.0 * k + 3.0));
        }
    }
};
inline constexpr SinSeries kSin{};

// 2^f = sum f^k (ln 2)^k / k! for |f| <= 1/2.
struct Exp2Series
{
    double c[18]{};
    constexpr Exp2Series()
    {
        double term = 1.0;
        for (int k = 0; k < 18; ++k)
        {
            c[k] = term;
            term = term * std::numbers::ln2 / (k + 1.0);
        }
    }
};
inline constexpr Exp2Series kExp2{};

// atanh(s) / s = sum s^(2k) / (2k + 1), for |s| <= 0.172.
struct AtanhSeries
{
    double c[13]{};
    constexpr AtanhSeries()
    {
        for (int k = 0; k < 13; ++k)
            c[k] = 1.0 / (2.0 * k + 1.0);
    }
};
inline constexpr AtanhSeries kAtanh{};
inline constexpr double kTwoOverLn2 = 2.0 / std::numbers::ln2;

// A constant as a double or as that constant in every lane.
template <typename Real> Real Constant(double c)
{
    if constexpr (std::is_same_v<Real, double>)
        return c;
    else
        return Real::Splat(c);
}

// sin(pi/2 x) for x in [-1, 1].
template <typename Real> Real SinQuarterTurns(Real x)
{
    const Real x2 = x * x;
    Real sum = Constant<Real>(kSin.c[11]);
    for (int k = 10; k >= 0; --k)
        sum = sum * x2 + kSin.c[k];
    return sum * x;
}
} // namespace detail

// The largest integer not above x, for |x| below 2^52 (larger doubles are integers already); NaN
// stays NaN.
inline double Floor(double x)
{
    if (!(x > -4503599627370496.0 && x < 4503599627370496.0) || x == 0.0) return x; // keeps -0.0
    const double t = static_cast<double>(static_cast<std::int64_t>(x));
    return t > x ? t - 1.0 : t;
}

// The integer nearest to x (halves away from zero), for |x| below 2^52.
inline double Round(double x)
{
    return x < 0.0 ? -Floor(-x + 0.5) : Floor(x + 0.5);
}

namespace detail
{
// An integer within 1/2 of t: adding and taking away 1.5 * 2^52 rounds t to an integer (ties to
// even) for |t| below 2^51, without a conversion; larger values are integers already.
template <typename Real> Real NearInteger(Real t)
{
    constexpr double kShifter = 6755399441055744.0;
    const Real rounded = (t + kShifter) - kShifter;
    return Select((t > -2251799813685248.0) & (t < 2251799813685248.0), rounded, t);
}

// Where t lies in its turn, in quarter turns folded into [-1, 1], where the sine takes every value
// once: sin(2 pi t) = sin(pi/2 q). Both steps are exact.
template <typename Real> Real FoldedQuarterTurns(Real t)
{
    Real q = 4.0 * (t - NearInteger(t)); // in [-2, 2]
    q = Select(q > 1.0, 2.0 - q, q);
    return Select(q < -1.0, -2.0 - q, q);
}
} // namespace detail

// The functions below take a double or four lanes (engine/Lanes.h) and give every lane exactly
// the double's result: each branch is computed and the right one selected.

// sin(2 pi t): t counts whole turns, so no multiple of pi is ever rounded.
template <typename Real> Real SinTwoPi(Real t)
{
    const Real q = detail::FoldedQuarterTurns(t);
    const Real notFinite = t - t; // NaN for NaN and the infinities, else 0
    return Select(notFinite == 0.0, detail::SinQuarterTurns(q), notFinite);
}

// sin(2 pi t) of many values at once, each exactly as SinTwoPi gives it. The polynomials run side
// by side, term after term, so that none waits for another.
template <typename Real, int N> void SinTwoPi(const Real (&t)[N], Real (&out)[N])
{
    Real q[N];
    Real x2[N];
    for (int i = 0; i < N; ++i)
    {
        q[i] = detail::FoldedQuarterTurns(t[i]);
        x2[i] = q[i] * q[i];
        out[i] = detail::Constant<Real>(detail::kSin.c[11]);
    }
    for (int k = 10; k >= 0; --k)
        for (int i = 0; i < N; ++i)
            out[i] = out[i] * x2[i] + detail::kSin.c[k];
    for (int i = 0; i < N; ++i)
    {
        const Real notFinite = t[i] - t[i];
        out[i] = Select(notFinite == 0.0, out[i] * q[i], notFinite);
    }
}

// cos(2 pi t).
template <typename Real> Real CosTwoPi(Real t)
{
    Real q = 4.0 * (t - detail::NearInteger(t)); // in [-2, 2]; cos(pi/2 q) = sin(pi/2 (1 - |q|))
    q = Select(q < 0.0, -q, q);
    const Real notFinite = t - t;
    return Select(notFinite == 0.0, detail::SinQuarterTurns(1.0 - q), notFinite);
}

// tan(pi t). At the poles, where the cosine comes out exactly 0, the value is the one tan gives
// for the double nearest pi/2 (with the sign of the sine), so callers never see an infinity.
template <typename Real> Real TanPi(Real t)
{
    const Real s = SinTwoPi(0.5 * t);
    const Real c = CosTwoPi(0.5 * t);
    const Real pole = Select(s < 0.0, detail::Constant<Real>(-1.633123935319537e16),
                             detail::Constant<Real>(1.633123935319537e16));
    return Select(c == 0.0, pole, s / c);
}

// 2^y. Beyond the range of doubles it gives 0 or infinity.
inline double Exp2(double y)
{
    if (!(y == y)) return y;
    if (y > 1024.0) return std::numeric_limits<double>::infinity();
    if (y < -1075.0) return 0.0;
    const double n = Round(y);
    const double f = y - n; // exact, in [-1/2, 1/2]
    double sum = detail::kExp2.c[17];
    for (int k = 16; k >= 0; --k)
        sum = sum * f + detail::kExp2.c[k];
    // Scale by 2^n in two steps, so that results near the ends of the range stay exact.
    const auto scale = [](int e) { return BitCast<double>(static_cast<std::uint64_t>(e + 1023) << 52); };
    const int ni = static_cast<int>(n);
    const int half = ni / 2;
    return sum * scale(half) * scale(ni - half);
}

// log2(x) for x > 0; -infinity at 0, NaN below.
double Log2(double x);

// x^y for x >= 0 (the engine's uses): exact for y = 1, for x = 0 and for x = 1.
inline double Pow(double x, double y)
{
    if (y == 1.0 || x == 1.0) return y == 1.0 ? x : 1.0;
    if (x == 0.0) return y > 0.0 ? 0.0 : (y == 0.0 ? 1.0 : Exp2(2000.0));
    return Exp2(y * Log2(x));
}

// Exp2, Log2 and Pow on four lanes, each lane exactly as the double form gives it. The lanes
// take the double form's steps side by side where the argument lies in the ordinary range
// (finite, normal, no overflow or underflow on the way), which is every use in the engine; any
// other lane is computed by the double form. The array forms run their polynomials side by
// side, term after term, so that none waits for another.
namespace detail
{
// The largest integer not above x, for 0 <= x < 2^51: adding and taking away 2^52 rounds x to an
// integer, which is one too large where it rounded up.
template <int Parts> BasicLanes<Parts> FloorNonNegative(BasicLanes<Parts> x)
{
    const BasicLanes<Parts> rounded = (x + 4503599627370496.0) - 4503599627370496.0;
    return Select(rounded > x, rounded - 1.0, rounded);
}

// 2^n for whole n in [-1022, 1023]: n + 2^52 + 1023 holds n + 1023 in its low bits, which shifted
// into the exponent field make the power.
template <int Parts> BasicLanes<Parts> PowerOfTwo(BasicLanes<Parts> n)
{
    using Bits = typename BasicLaneMask<Parts>::Bits;
    using Vector = typename BasicLanes<Parts>::Vector;
    BasicLanes<Parts> biased = n + (4503599627370496.0 + 1023.0);
    for (Vector& p : biased.part)
        p = reinterpret_cast<Vector>(reinterpret_cast<Bits>(p) << 52);
    return biased;
}

// Exp2 for |y| <= 1000 (the lanes in valid), where Round is the floor of |y| + 1/2 with y's sign,
// and the two scalings by powers of two are exact and make one.
template <int Parts, int N>
void Exp2Ordinary(const BasicLanes<Parts> (&y)[N], BasicLanes<Parts> (&out)[N],
                  BasicLaneMask<Parts> (&valid)[N])
{
    BasicLanes<Parts> n[N];
    BasicLanes<Parts> f[N];
    for (int i = 0; i < N; ++i)
    {
        const BasicLanes<Parts> magnitude = Abs(y[i]);
        const BasicLanes<Parts> whole = FloorNonNegative(magnitude + 0.5);
        n[i] = Select(y[i] < 0.0, -whole, whole);
        f[i] = y[i] - n[i];
        valid[i] = magnitude <= 1000.0;
        out[i] = BasicLanes<Parts>::Splat(kExp2.c[17]);
    }
    for (int k = 16; k >= 0; --k)
        for (int i = 0; i < N; ++i)
            out[i] = out[i] * f[i] + kExp2.c[k];
    for (int i = 0; i < N; ++i)
        out[i] = out[i] * PowerOfTwo(n[i]);
}

// Log2 for normal positive finite x (the lanes in valid), with the exponent read as a double: the
// exponent field below the bits of 2^52 makes 2^52 plus the biased exponent.
template <int Parts, int N>
void Log2Ordinary(const BasicLanes<Parts> (&x)[N], BasicLanes<Parts> (&out)[N],
                  BasicLaneMask<Parts> (&valid)[N])
{
    using Bits = typename LaneVectors<8 * BasicLanes<Parts>::kPartLanes>::UInt64;
    using Vector = typename BasicLanes<Parts>::Vector;
    BasicLanes<Parts> e[N];
    BasicLanes<Parts> s[N];
    BasicLanes<Parts> s2[N];
    for (int i = 0; i < N; ++i)
    {
        BasicLanes<Parts> biased;
        BasicLanes<Parts> m;
        for (int p = 0; p < Parts; ++p)
        {
            const Bits bits = reinterpret_cast<Bits>(x[i].part[p]);
            biased.part[p] = reinterpret_cast<Vector>((bits >> 52) | 0x4330000000000000ull);
            m.part[p] = reinterpret_cast<Vector>((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
        }
        e[i] = (biased - 4503599627370496.0) - 1023.0;
        const BasicLaneMask<Parts> high = m > std::numbers::sqrt2;
        m = Select(high, m * 0.5, m);
        e[i] = Select(high, e[i] + 1.0, e[i]);
        s[i] = (m - 1.0) / (m + 1.0);
        s2[i] = s[i] * s[i];
        valid[i] = (x[i] >= 0x1p-1022) & (x[i] < __builtin_inf());
        out[i] = BasicLanes<Parts>::Splat(kAtanh.c[12]);
    }
    for (int k = 11; k >= 0; --k)
        for (int i = 0; i < N; ++i)
            out[i] = out[i] * s2[i] + kAtanh.c[k];
    for (int i = 0; i < N; ++i)
        out[i] = e[i] + out[i] * s[i] * kTwoOverLn2;
}

// Replaces the lanes outside valid with f of the arguments there (rare, so kept out of line).
template <int Parts, typename F>
[[gnu::noinline, gnu::cold]] void CompleteLanes(BasicLanes<Parts>& out, BasicLaneMask<Parts> valid,
                                                BasicLanes<Parts> a, BasicLanes<Parts> b, F f)
{
    for (int lane = 0; lane < kLaneCount; ++lane)
        if (!valid[lane]) out.part[lane / out.kPartLanes][lane % out.kPartLanes] = f(a[lane], b[lane]);
}
} // namespace detail

template <int Parts, int N> void Exp2Lanes(const BasicLanes<Parts> (&y)[N], BasicLanes<Parts> (&out)[N])
{
    BasicLaneMask<Parts> valid[N];
    detail::Exp2Ordinary(y, out, valid);
    for (int i = 0; i < N; ++i)
        if (AnyLane(!valid[i]))
            detail::CompleteLanes(out[i], valid[i], y[i], y[i], [](double a, double) { return Exp2(a); });
}

template <int Parts, int N> void Log2Lanes(const BasicLanes<Parts> (&x)[N], BasicLanes<Parts> (&out)[N])
{
    BasicLaneMask<Parts> valid[N];
    detail::Log2Ordinary(x, out, valid);
    for (int i = 0; i < N; ++i)
        if (AnyLane(!valid[i]))
            detail::CompleteLanes(out[i], valid[i], x[i], x[i], [](double a, double) { return Log2(a); });
}

// x[i]^y[i] in every lane.
template <int Parts, int N>
void PowLanes(const BasicLanes<Parts> (&x)[N], const BasicLanes<Parts> (&y)[N], BasicLanes<Parts> (&out)[N])
{
    BasicLanes<Parts> log[N];
    BasicLaneMask<Parts> logValid[N];
    detail::Log2Ordinary(x, log, logValid);
    BasicLanes<Parts> product[N];
    for (int i = 0; i < N; ++i)
        product[i] = y[i] * log[i];
    BasicLaneMask<Parts> valid[N];
    detail::Exp2Ordinary(product, out, valid);
    // The exact cases of y = 1 and x = 1 come from the double form (x = 0 is not ordinary).
    for (int i = 0; i < N; ++i)
    {
        valid[i] = valid[i] & logValid[i] & !(y[i] == 1.0) & !(x[i] == 1.0);
        if (AnyLane(!valid[i]))
            detail::CompleteLanes(out[i], valid[i], x[i], y[i], [](double a, double b) { return Pow(a, b); });
    }
}

// e^x.
inline double Exp(double x)
{
    return Exp2(x * std::numbers::log2e);
}

// The natural logarithm.
inline double Log(double x)
{
    return Log2(x) * std::numbers::ln2;
}

} // namespace engine_math
