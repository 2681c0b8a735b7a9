#include "engine/EngineMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
using namespace engine_math;

// Long double references (64-bit mantissa) judge the double results to well below one ulp.
constexpr long double kPiL = 3.141592653589793238462643383279502884L;

struct Accuracy
{
    const char* name;
    std::function<double(double)> own;
    std::function<long double(long double)> reference;
    double low, high;
    bool logUniform;
    double relativeBound; // of the reference's magnitude, or of 1 where that is smaller
};

TEST(EngineMath, AgreesWithLongDoubleReferencesOverTheEnginesRanges)
{
    const Accuracy cases[] = {
        {"SinTwoPi", SinTwoPi<double>, [](long double t) { return sinl(2 * kPiL * t); }, -3.0, 3.0, false,
         4e-16},
        {"CosTwoPi", CosTwoPi<double>, [](long double t) { return cosl(2 * kPiL * t); }, -3.0, 3.0, false,
         4e-16},
        {"TanPi", TanPi<double>, [](long double t) { return tanl(kPiL * t); }, 0.0, 0.4999, false, 2e-15},
        {"Exp2", Exp2, [](long double y) { return exp2l(y); }, -60.0, 60.0, false, 5e-16},
        {"Exp", Exp, [](long double y) { return expl(y); }, -20.0, 5.0, false, 2e-15},
        {"Log2", Log2, [](long double x) { return log2l(x); }, 1e-300, 1e300, true, 4e-16},
        {"Log", Log, [](long double x) { return logl(x); }, 1e-12, 1e6, true, 6e-16},
        {"Pow(x, 2.5)", [](double x) { return Pow(x, 2.5); }, [](long double x) { return powl(x, 2.5L); },
         1e-9, 2.0, true, 3e-15},
        {"Pow(x, 1/2.2)", [](double x) { return Pow(x, 1.0 / 2.2); },
         [](long double x) { return powl(x, static_cast<long double>(1.0 / 2.2)); }, 1e-16, 2.0, true, 3e-15},
    };
    std::mt19937_64 random(7);
    for (const Accuracy& c : cases)
    {
        std::uniform_real_distribution<double> uniform(c.logUniform ? std::log(c.low) : c.low,
                                                       c.logUniform ? std::log(c.high) : c.high);
        double worst = 0.0;
        for (int i = 0; i < 200000; ++i)
        {
            const double x = c.logUniform ? std::exp(uniform(random)) : uniform(random);
            const long double expected = c.reference(x);
            const long double scale = std::fmax(1.0L, std::fabs(expected));
            worst = std::fmax(worst, static_cast<double>(std::fabs(c.own(x) - expected) / scale));
        }
        EXPECT_LT(worst, c.relativeBound) << c.name;
    }
}

TEST(EngineMath, ExactValuesAndEdges)
{
    EXPECT_EQ(SinTwoPi(0.0), 0.0);
    EXPECT_EQ(SinTwoPi(0.25), 1.0);
    EXPECT_EQ(SinTwoPi(-0.25), -1.0);
    EXPECT_EQ(SinTwoPi(0.5), 0.0);
    EXPECT_EQ(SinTwoPi(7.0), 0.0);
    EXPECT_EQ(CosTwoPi(0.0), 1.0);
    EXPECT_EQ(CosTwoPi(0.5), -1.0);
    EXPECT_EQ(TanPi(0.0), 0.0);
    EXPECT_EQ(TanPi(0.5), 1.633123935319537e16); // the pole gives a finite value
    EXPECT_TRUE(std::isnan(SinTwoPi(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(SinTwoPi(std::nan(""))));

    for (double x : {0.3, 1e-300, 1.7, 2.0})
        EXPECT_EQ(Pow(x, 1.0), x);
    EXPECT_EQ(Pow(1.0, 3.7), 1.0);
    EXPECT_EQ(Pow(0.0, 0.2), 0.0);
    for (int n = -1074; n <= 1023; n += 37)
        EXPECT_EQ(Exp2(n), std::ldexp(1.0, n)) << n; // whole powers of two, subnormals included
    EXPECT_EQ(Exp2(2000.0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Exp2(-2000.0), 0.0);
    for (int n = -1074; n <= 1023; n += 37)
        EXPECT_EQ(Log2(std::ldexp(1.0, n)), n) << n;
    EXPECT_EQ(Log2(0.0), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Log2(-1.0)));

    for (double x : {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.0, -2.0, 1e15 + 0.5, -1e15 - 0.5, 4503599627370495.5,
                     1e300, -1e-300})
        EXPECT_EQ(Floor(x), std::floor(x)) << x;
    EXPECT_TRUE(std::isnan(Floor(std::nan(""))));
    EXPECT_EQ(Round(2.5), 3.0);
    EXPECT_EQ(Round(-2.5), -3.0);
}
// The lane forms give every lane the double form's bits: ordinary arguments (many, spread over the
// engine's ranges and beyond), and the edges the double form handles on its own, mixed into the
// same vectors as ordinary ones.
TEST(EngineMath, LaneFormsGiveTheDoubleFormsBits)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> exp2Args = {0.0,    -0.0,    0.5,     -0.5,   1.5,     -1.5,   999.5,
                                    -999.5, 1000.0,  -1000.0, 1000.5, -1000.5, 1023.9, -1074.5,
                                    1024.5, -1076.0, inf,     -inf,   nan};
    std::vector<double> log2Args = {1.0,
                                    std::sqrt(2.0),
                                    std::nextafter(std::sqrt(2.0), 2.0),
                                    0x1p-1022,
                                    0x1p-1030,
                                    std::numeric_limits<double>::max(),
                                    0.0,
                                    -0.0,
                                    -1.0,
                                    inf,
                                    nan,
                                    1e-320};
    std::vector<std::pair<double, double>> powArgs = {
        {0.0, 2.5}, {1.0, 2.5}, {0.3, 1.0}, {0.5, 0.0}, {0x1p-1060, 0.5}, {1e-300, 8.0}, {2.0, 1023.5}};
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> exponent(-1100.0, 1100.0);
    std::uniform_real_distribution<double> magnitude(-700.0, 700.0);
    std::uniform_real_distribution<double> curve(0.125, 8.0);
    for (int i = 0; i < 4000; ++i)
    {
        exp2Args.push_back(exponent(random));
        log2Args.push_back(std::exp(magnitude(random)));
        powArgs.push_back({std::exp(magnitude(random) / 40.0), curve(random)});
    }
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    const auto check = [&](const char* name, std::size_t count, auto argsOf, auto lanes, auto scalar)
    {
        for (std::size_t first = 0; first < count; first += 2 * kLaneCount)
        {
            SplitLanes x[2], y[2], out[2];
            double a[2 * kLaneCount], b[2 * kLaneCount];
            for (int i = 0; i < 2 * kLaneCount; ++i)
                std::tie(a[i], b[i]) = argsOf((first + i) % count);
            for (int g = 0; g < 2; ++g)
            {
                x[g] = SplitLanes::Load(a + g * kLaneCount);
                y[g] = SplitLanes::Load(b + g * kLaneCount);
            }
            lanes(x, y, out);
            for (int i = 0; i < 2 * kLaneCount; ++i)
                EXPECT_TRUE(same(out[i / kLaneCount][i % kLaneCount], scalar(a[i], b[i])))
                    << name << "(" << a[i] << ", " << b[i] << ")";
        }
    };
    check(
        "Exp2", exp2Args.size(),
        [&](std::size_t i) {
            return std::pair{exp2Args[i], 0.0};
        },
        [](auto& x, auto&, auto& out) { Exp2Lanes(x, out); }, [](double a, double) { return Exp2(a); });
    check(
        "Log2", log2Args.size(),
        [&](std::size_t i) {
            return std::pair{log2Args[i], 0.0};
        },
        [](auto& x, auto&, auto& out) { Log2Lanes(x, out); }, [](double a, double) { return Log2(a); });
    check(
        "Pow", powArgs.size(), [&](std::size_t i) { return powArgs[i]; },
        [](auto& x, auto& y, auto& out) { PowLanes(x, y, out); },
        [](double a, double b) { return Pow(a, b); });
}
} // namespace
