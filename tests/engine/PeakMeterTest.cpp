#include "engine/PeakMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
PeakLevels Block(PeakMeter& meter, double left, double right)
{
    meter.ResetPeaks();
    meter.AddSamples(left * 0.5, -right * 0.25);
    meter.AddSamples(-left, right);
    meter.AddSamples(0.0, 0.0);
    return meter.UpdateLevels();
}
} // namespace

TEST(PeakMeter, RisesSeventyPercentPerBlock)
{
    PeakMeter meter;
    PeakLevels levels = Block(meter, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(levels.left, 0.7);
    EXPECT_DOUBLE_EQ(levels.right, 0.7);
    EXPECT_EQ(meter.peakLeft, levels.left); // the peak fields take the new levels
    levels = Block(meter, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(levels.left, 0.91);
    EXPECT_DOUBLE_EQ(meter.levelLeft, 0.91);
}

TEST(PeakMeter, SilenceHalvesTheLevelPerBlock)
{
    PeakMeter meter;
    meter.levelLeft = meter.levelRight = 1.0;
    double expected = 1.0;
    for (int block = 0; block < 6; ++block)
    {
        expected *= 0.5;
        const PeakLevels levels = Block(meter, 0.0, 0.0);
        EXPECT_DOUBLE_EQ(levels.left, expected);
        EXPECT_DOUBLE_EQ(levels.right, expected);
    }
}

TEST(PeakMeter, PeakEqualToLevelKeepsIt)
{
    PeakMeter meter;
    meter.levelLeft = 0.4;
    meter.levelRight = 0.4;
    const PeakLevels levels = Block(meter, 0.4, 0.4);
    EXPECT_DOUBLE_EQ(levels.left, 0.4);
    EXPECT_DOUBLE_EQ(levels.right, 0.4);
}

TEST(PeakMeter, SidesUseTheirOwnWeights)
{
    PeakMeter meter;
    meter.levelLeft = 0.2;
    meter.levelRight = 0.8;
    const PeakLevels levels = Block(meter, 0.6, 0.4);
    EXPECT_DOUBLE_EQ(levels.left, 0.3 * 0.2 + 0.7 * 0.6);  // rising: attack
    EXPECT_DOUBLE_EQ(levels.right, 0.5 * 0.8 + 0.5 * 0.4); // falling: release
}

TEST(PeakMeter, PeaksAreAbsoluteMaximaIgnoringNaN)
{
    PeakMeter meter;
    meter.AddSamples(-0.75, 0.1);
    meter.AddSamples(0.5, -0.3);
    meter.AddSamples(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(meter.peakLeft, 0.75);
    EXPECT_EQ(meter.peakRight, 0.3);
    meter.ResetPeaks();
    EXPECT_EQ(meter.peakLeft, 0.0);
    EXPECT_EQ(meter.peakRight, 0.0);
}

TEST(PeakMeter, UnwrittenRightChannelDecaysToZero)
{
    // The right input stays 0 (an unconnected output's zeroed scratch) while the left plays.
    PeakMeter meter;
    meter.levelRight = 0.8;
    for (int block = 0; block < 60; ++block)
    {
        meter.ResetPeaks();
        meter.AddSamples(0.5, 0.0);
        meter.UpdateLevels();
    }
    EXPECT_LT(meter.levelRight, 1e-15);
    EXPECT_NEAR(meter.levelLeft, 0.5, 1e-12);
}
