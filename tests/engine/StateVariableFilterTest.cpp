#include "engine/StateVariableFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
StateVariableFilter Make(FilterType type, double cutoff, double rate = 352800.0)
{
    StateVariableFilter filter;
    filter.SetType(type);
    filter.SetSampleRate(rate);
    filter.SetCutoff(cutoff);
    return filter;
}

double Rms(StateVariableFilter& filter, double frequency, double rate)
{
    double sum = 0;
    const int count = static_cast<int>(rate); // one second
    for (int i = 0; i < count; ++i)
    {
        const double y = filter.Process(std::sin(2 * M_PI * frequency * i / rate));
        if (i >= count / 2) sum += y * y;
    }
    return std::sqrt(sum / (count / 2));
}
} // namespace

TEST(StateVariableFilterTest, OpenLowPassHasUnityGainAtDc)
{
    StateVariableFilter filter = Make(FilterType::LowPass, 22050.0);
    EXPECT_NEAR(filter.G(), 0.198912, 1e-6);
    EXPECT_DOUBLE_EQ(filter.G(), std::tan(M_PI / 16));
    double y = 0;
    for (int i = 0; i < 2000; ++i)
        y = filter.Process(1.0);
    EXPECT_NEAR(y, 1.0, 1e-9);
    // It is a real low-pass at the oversampled rate: -3 dB at the cutoff, far down two octaves up.
    StateVariableFilter a = Make(FilterType::LowPass, 22050.0);
    EXPECT_NEAR(Rms(a, 22050.0, 352800.0) * std::sqrt(2.0), std::sqrt(0.5), 0.01);
    StateVariableFilter b = Make(FilterType::LowPass, 22050.0);
    EXPECT_LT(Rms(b, 88200.0, 352800.0) * std::sqrt(2.0), 0.08);
}

TEST(StateVariableFilterTest, HighPassAtZeroPassesEverything)
{
    StateVariableFilter filter = Make(FilterType::HighPass, 0.0);
    EXPECT_EQ(filter.G(), 0.0);
    EXPECT_EQ(filter.A1(), 1.0);
    for (double x : {1.0, -0.5, 0.25, 0.0, 0.75})
        EXPECT_EQ(filter.Process(x), x);
    EXPECT_EQ(filter.State1(), 0.0);
    EXPECT_EQ(filter.State2(), 0.0);
    // A high-pass at 1 kHz blocks DC.
    StateVariableFilter dc = Make(FilterType::HighPass, 1000.0);
    double y = 1;
    for (int i = 0; i < 100000; ++i)
        y = dc.Process(1.0);
    EXPECT_NEAR(y, 0.0, 1e-9);
}

TEST(StateVariableFilterTest, OutputIsDenormalGuarded)
{
    StateVariableFilter filter = Make(FilterType::LowPass, 1000.0);
    EXPECT_EQ(filter.Process(std::numeric_limits<double>::infinity()), 0.0);
    StateVariableFilter quiet = Make(FilterType::LowPass, 1000.0);
    EXPECT_EQ(quiet.Process(1e-30), 0.0);
}

TEST(StateVariableFilterTest, SetCutoffClampsToHalfTheRate)
{
    StateVariableFilter filter = Make(FilterType::LowPass, 1000.0, 1000.0);
    filter.SetCutoff(-5.0);
    EXPECT_EQ(filter.Cutoff(), 0.0);
    EXPECT_EQ(filter.G(), 0.0);
    filter.SetCutoff(900.0);
    EXPECT_EQ(filter.Cutoff(), 500.0);
    filter.SetCutoff(250.0);
    EXPECT_EQ(filter.Cutoff(), 250.0);
    EXPECT_DOUBLE_EQ(filter.G(), std::tan(M_PI / 4));
}

TEST(EnvelopeCutoffTest, DepthDirections)
{
    const double knob = 1000.0;
    EXPECT_EQ(EnvelopeCutoff(knob, 0.0, 0.7, 22050.0), knob);
    EXPECT_EQ(EnvelopeCutoff(knob, 1.0, 1.0, 22050.0), 22050.0);
    EXPECT_EQ(EnvelopeCutoff(knob, 1.0, 0.0, 22050.0), knob);
    EXPECT_EQ(EnvelopeCutoff(knob, -1.0, 0.0, 22050.0), 22050.0);
    EXPECT_EQ(EnvelopeCutoff(knob, -1.0, 1.0, 22050.0), knob);
    EXPECT_EQ(EnvelopeCutoff(knob, 1.0, 1.0, 0.0), 0.0); // high-pass falls to 0 Hz
    EXPECT_DOUBLE_EQ(EnvelopeCutoff(knob, 0.5, 0.5, 3000.0), 0.5 * 2000.0 + 0.5 * knob);
    EXPECT_DOUBLE_EQ(EnvelopeCutoff(knob, -0.5, 0.25, 3000.0),
                     0.5 * (0.75 * 3000.0 + 0.25 * knob) + 0.5 * knob);
}
