#include "engine/ZKBitCrusher2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
std::vector<double> Crush(ZKBitCrusher2& crusher, const std::vector<double>& input)
{
    std::vector<double> output;
    for (double x : input)
        output.push_back(crusher.Process(x));
    return output;
}
} // namespace

TEST(ZKBitCrusher2, EqualRatesRoundTo24BitsAndHoldTwoCalls)
{
    ZKBitCrusher2 crusher;
    crusher.SetBitDepth(24);
    const double step = std::ldexp(1.0, -24);
    const double a = 0.1234567891, b = -0.6, c = 0.9999999999, d = 0.25;
    const auto out = Crush(crusher, {a, b, c, d, -0.3, 0.7});
    const auto rounded = [&](double x) { return std::floor(x / step + 0.5) * step; };
    EXPECT_EQ(out[0], rounded(a));
    EXPECT_EQ(out[1], rounded(a));
    EXPECT_EQ(out[2], rounded(c));
    EXPECT_EQ(out[3], rounded(c));
    EXPECT_EQ(out[4], rounded(-0.3));
    EXPECT_EQ(out[5], rounded(-0.3));
    EXPECT_NE(out[0], a); // the rounding is really applied
    EXPECT_LE(std::fabs(out[0] - a), step / 2);
}

TEST(ZKBitCrusher2, HoldLengthFollowsTruncatedRateRatio)
{
    ZKBitCrusher2 crusher;
    crusher.SetTargetRate(200); // 44100 / 200 = 220.5 -> hold 220, a new value every 221 calls
    int changes = 0;
    double last = crusher.Process(0.0);
    std::vector<int> changeAt;
    for (int i = 1; i <= 221 * 3; ++i)
    {
        const double y = crusher.Process(i % 2 ? 0.5 : -0.5);
        if (y != last)
        {
            ++changes;
            changeAt.push_back(i);
        }
        last = y;
    }
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(changeAt, (std::vector<int>{221, 442, 663}));
}

TEST(ZKBitCrusher2, TargetAboveSourceTakesEveryValue)
{
    ZKBitCrusher2 crusher;
    crusher.SetSourceRate(22050);
    crusher.SetBitDepth(2);
    EXPECT_EQ(Crush(crusher, {0.25, -0.5, 0.75, 0.0}), (std::vector<double>{0.25, -0.5, 0.75, 0.0}));
    EXPECT_EQ(crusher.HoldCounter(), 0);
}

TEST(ZKBitCrusher2, RoundingGoesUpAtHalvesAndIsNotLimited)
{
    ZKBitCrusher2 crusher;
    crusher.SetSourceRate(1); // N = 0: every call takes a new value
    crusher.SetBitDepth(1);   // grid of 0.5
    EXPECT_EQ(crusher.Process(0.3), 0.5);
    EXPECT_EQ(crusher.Process(0.2), 0.0);
    EXPECT_EQ(crusher.Process(-0.25), 0.0); // 2 * -0.25 = -0.5 rounds up to 0
    EXPECT_EQ(crusher.Process(-0.3), -0.5);
    EXPECT_EQ(crusher.Process(0.75), 1.0);
    EXPECT_EQ(crusher.Process(3.1), 3.0);
    EXPECT_EQ(crusher.Process(-1.8), -2.0);
}

TEST(ZKBitCrusher2, FractionalBitDepthUsesPowerOfTwoGrid)
{
    ZKBitCrusher2 crusher;
    crusher.SetSourceRate(1);
    crusher.SetBitDepth(1.5);
    const double grid = std::pow(2.0, 1.5);
    EXPECT_DOUBLE_EQ(crusher.Process(0.3), 1.0 / grid);
    EXPECT_DOUBLE_EQ(crusher.Process(0.9), 3.0 / grid);
}

TEST(ZKBitCrusher2, SettingChangesWaitForTheRunningHold)
{
    ZKBitCrusher2 crusher;
    crusher.SetTargetRate(200);
    EXPECT_EQ(crusher.Process(0.5), 0.5);
    for (int i = 0; i < 100; ++i)
        crusher.Process(0.0);
    crusher.SetTargetRate(44100);
    crusher.SetBitDepth(1);
    // 120 calls of the old hold remain and keep the old value.
    for (int i = 0; i < 120; ++i)
        ASSERT_EQ(crusher.Process(-0.3), 0.5) << "call " << i;
    EXPECT_EQ(crusher.Process(0.3), 0.5); // new value on the 1-bit grid
    EXPECT_EQ(crusher.HoldCounter(), 1);  // and the new, shorter hold
    EXPECT_EQ(crusher.Process(-0.9), 0.5);
    EXPECT_EQ(crusher.Process(-0.9), -1.0);
}

TEST(ZKBitCrusher2, DegenerateTargetRatesStaySafe)
{
    ZKBitCrusher2 crusher;
    crusher.SetTargetRate(0); // infinite ratio: hold the first value for as long as possible
    EXPECT_EQ(crusher.Process(0.5), 0.5);
    EXPECT_GT(crusher.HoldCounter(), 1000000000000LL);
    EXPECT_EQ(crusher.Process(-0.5), 0.5);

    ZKBitCrusher2 undefinedRatio;
    undefinedRatio.SetSourceRate(0);
    undefinedRatio.SetTargetRate(0); // NaN ratio: no hold
    EXPECT_EQ(undefinedRatio.Process(0.5), 0.5);
    EXPECT_EQ(undefinedRatio.Process(-0.5), -0.5);

    ZKBitCrusher2 negative;
    negative.SetTargetRate(-200);
    EXPECT_EQ(negative.Process(0.5), 0.5);
    EXPECT_EQ(negative.HoldCounter(), 0);
    EXPECT_EQ(negative.Process(-0.5), -0.5);
}
