#include "engine/DecimationFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace
{

DecimationFilter Designed()
{
    DecimationFilter filter;
    filter.Design(0.0625);
    return filter;
}

// Steady-state amplitude of a sine of `cycles` per sample through the filter.
double Amplitude(double cycles)
{
    DecimationFilter filter = Designed();
    double peak = 0.0;
    for (int i = 0; i < 20000; ++i)
    {
        const double y = filter.Process(std::sin(2.0 * std::numbers::pi * cycles * i));
        if (i > 10000) peak = std::max(peak, std::abs(y));
    }
    return peak;
}

} // namespace

TEST(DecimationFilter, CoefficientsForEightTimesOversampling)
{
    const DecimationFilter filter = Designed();
    EXPECT_NEAR(filter.Gain(), 0.012158720478451969, 1e-15); // the product of eight poles: 1e-13 relative
    const double expected[8] = {3.988080519954173,   -7.328169515721717,   8.043876731109458,
                                -5.735067651532098,  2.706754271291999,    -0.8226185560590226,
                                0.14670868452896038, -0.011723204050205199};
    for (int j = 1; j <= 8; ++j)
        EXPECT_NEAR(filter.Feedback(j), expected[j - 1], 1e-13) << "feedback " << j;
    for (int j = 0; j <= DecimationFilter::kOrder; ++j)
        EXPECT_EQ(filter.History(j), 0.0);
}

TEST(DecimationFilter, UnityAtDcAndCornerAtHostNyquist)
{
    DecimationFilter filter = Designed();
    double y = 0.0;
    for (int i = 0; i < 5000; ++i)
        y = filter.Process(1.0);
    EXPECT_NEAR(y, 1.0, 1e-12);

    // 0.0625 cycles per engine sample is 22050 Hz at 8 x 44100 Hz.
    const double corner = 20.0 * std::log10(Amplitude(0.0625));
    EXPECT_LT(corner, -2.0);
    EXPECT_GT(corner, -3.5);
    EXPECT_GT(Amplitude(0.02), 0.96);
    EXPECT_LT(Amplitude(0.25), 0.01); // an image four times above the corner is 40 dB down
}

TEST(DecimationFilter, HistoryShiftsAndLatestOutputComesFirst)
{
    DecimationFilter filter = Designed();
    const double first = filter.Process(1.0);
    EXPECT_DOUBLE_EQ(first, filter.Gain());
    const double second = filter.Process(0.0);
    EXPECT_DOUBLE_EQ(filter.History(1), first);
    EXPECT_DOUBLE_EQ(second, filter.Feedback(1) * first);
    EXPECT_EQ(filter.History(0), second);
}

TEST(DecimationFilter, TailFadesToRoundingResidueAndNonFiniteInputIsFlushed)
{
    DecimationFilter filter = Designed();
    filter.Process(1.0);
    double largest = 0.0;
    for (int i = 0; i < 20000; ++i)
    {
        const double y = filter.Process(0.0);
        if (i > 10000) largest = std::max(largest, std::abs(y));
    }
    // The recursion keeps circulating rounding residue; it must stay at that level, not grow.
    EXPECT_LT(largest, 1e-14);

    EXPECT_EQ(filter.Process(std::nan("")), 0.0);
    EXPECT_EQ(filter.Process(std::numeric_limits<double>::infinity()), 0.0);
    for (int j = 0; j <= DecimationFilter::kOrder; ++j)
        EXPECT_TRUE(std::isfinite(filter.History(j)));
}
