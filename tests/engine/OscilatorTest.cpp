#include "engine/Oscilator.h"
#include "engine/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace
{
// The rate Make gives the oscillators it builds; each test sets its own.
std::int32_t engineRate = 44100;

class OscilatorTest : public ::testing::Test
{
protected:
    void SetUp() override { engineRate = 44100; }

    std::vector<double> Run(Oscilator& osc, double frequency, int count)
    {
        std::vector<double> out;
        for (int i = 0; i < count; ++i)
            out.push_back(osc.NextSample(frequency));
        return out;
    }
};

Oscilator Make(OscilatorWaveform waveform, double phase = 0.0)
{
    Oscilator osc;
    osc.SetSampleRate(engineRate);
    osc.SetWaveform(waveform);
    osc.Restart(phase);
    return osc;
}

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected,
                double tolerance = 1e-12)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "sample " << i;
}
} // namespace

TEST_F(OscilatorTest, ConstructionReseedsFromTheClock)
{
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    Oscilator osc;
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    const int drawn = RandomInt();
    RandomSeed(before);
    const int fromBefore = RandomInt();
    RandomSeed(after);
    const int fromAfter = RandomInt();
    EXPECT_TRUE(drawn == fromBefore || drawn == fromAfter);
}

TEST(SawTransitionTableTest, RowsFollowTheSmoothStep)
{
    ASSERT_EQ(SawTransitionTable.size(), 1001u);
    const std::pair<int, double> rows[] = {
        {0, -0.500003}, {250, -0.707106}, {500, 0.00000241979}, {750, 0.707106}, {1000, 0.500003}};
    for (auto [index, value] : rows)
        EXPECT_NEAR(SawTransitionTable[index], value, 1.5e-5) << index;
    for (int i = 0; i <= 1000; ++i)
    {
        const double s = std::sin(M_PI * (i - 500) / 1000.0);
        EXPECT_NEAR(SawTransitionTable[i], 1.5 * s - s * s * s, 1e-12) << i;
        EXPECT_NEAR(SawTransitionTable[i], -SawTransitionTable[1000 - i], 1e-12) << i;
    }
    EXPECT_EQ(*std::min_element(SawTransitionTable.begin(), SawTransitionTable.end()),
              SawTransitionTable[250]);
    EXPECT_EQ(*std::max_element(SawTransitionTable.begin(), SawTransitionTable.end()),
              SawTransitionTable[750]);
}

TEST_F(OscilatorTest, OffIsSilentAndKeepsItsPhase)
{
    engineRate = 8;
    Oscilator osc = Make(OscilatorWaveform::Triangle);
    Run(osc, 1.0, 3);
    EXPECT_DOUBLE_EQ(osc.Phase(), 0.375);
    osc.SetWaveform(OscilatorWaveform::Off);
    ExpectNear(Run(osc, 1.0, 4), {0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(osc.Phase(), 0.375);
    // Unknown values behave like Off.
    osc.SetWaveform(static_cast<OscilatorWaveform>(42));
    EXPECT_EQ(osc.NextSample(1.0), 0.0);
    // Back on, it resumes where it stopped.
    osc.SetWaveform(OscilatorWaveform::Triangle);
    EXPECT_DOUBLE_EQ(osc.NextSample(1.0), 1.0);
}

TEST_F(OscilatorTest, SinTanBreakerReadThePhaseBeforeStepping)
{
    engineRate = 4;
    Oscilator sine = Make(OscilatorWaveform::Sin);
    ExpectNear(Run(sine, 1.0, 6), {0, 1, 0, -1, 0, 1});
    EXPECT_DOUBLE_EQ(sine.Phase(), 0.5);

    engineRate = 8;
    Oscilator tangent = Make(OscilatorWaveform::Tan);
    // tan(pi p) for p = 0, 1/8, 1/4, then clipped to +-1 around the pole at 1/2.
    ExpectNear(Run(tangent, 1.0, 8), {0, std::tan(M_PI / 8), 1, 1, 1, -1, -1, -std::tan(M_PI / 8)});

    Oscilator breaker = Make(OscilatorWaveform::Breaker);
    const auto out = Run(breaker, 1.0, 8);
    for (int i = 0; i < 8; ++i)
    {
        const double p = i / 8.0;
        EXPECT_DOUBLE_EQ(out[i], std::abs(1 - 2 * p * p) - 1) << i;
        EXPECT_LE(out[i], 0.0);
        EXPECT_GE(out[i], -1.0);
    }
}

TEST_F(OscilatorTest, PhaseGrowsWhenTheIncrementExceedsOneCycle)
{
    engineRate = 4;
    Oscilator breaker = Make(OscilatorWaveform::Breaker);
    // inc = 2: the single-subtraction wrap cannot keep up.
    const auto out = Run(breaker, 8.0, 3);
    EXPECT_DOUBLE_EQ(breaker.Phase(), 4.0);
    ExpectNear(out, {0.0, std::abs(1 - 2 * 4.0) - 1, std::abs(1 - 2 * 9.0) - 1});
}

TEST_F(OscilatorTest, TriangleStepsFirst)
{
    engineRate = 8;
    Oscilator osc = Make(OscilatorWaveform::Triangle);
    ExpectNear(Run(osc, 1.0, 9), {-0.5, 0, 0.5, 1, 0.5, 0, -0.5, -1, -0.5});
    // At a real rate the first sample from phase 0 is just above -1.
    engineRate = 352800;
    Oscilator fine = Make(OscilatorWaveform::Triangle);
    EXPECT_NEAR(fine.NextSample(441.0), -1.0 + 4 * 441.0 / 352800.0, 1e-12);
}

TEST_F(OscilatorTest, SquareDutyAndTies)
{
    engineRate = 4;
    Oscilator osc = Make(OscilatorWaveform::Square);
    // Phases after stepping: 0.25, 0.5 (tie: keeps -1), 0.75, 1.0, then wrapped 0.25.
    ExpectNear(Run(osc, 1.0, 5), {-1, -1, 1, 1, -1});

    osc = Make(OscilatorWaveform::Square, 0.5);
    ASSERT_EQ(osc.NextSample(1.0), 1.0); // phase 0.75: high
    osc.Restart(0.0);
    osc.SetSquareDuty(0.25); // the first step lands exactly on the duty: the old output stays
    EXPECT_EQ(osc.NextSample(1.0), 1.0);

    osc = Make(OscilatorWaveform::Square);
    osc.SetSquareDuty(3.0); // clamped to 1: low for the whole cycle
    ExpectNear(Run(osc, 1.0, 3), {-1, -1, -1});
    osc = Make(OscilatorWaveform::Square);
    osc.SetSquareDuty(-3.0); // clamped to 0: high for the whole cycle
    ExpectNear(Run(osc, 1.0, 3), {1, 1, 1});
}

TEST_F(OscilatorTest, SawRampsAndShapesItsJump)
{
    engineRate = 352800;
    const double f = 441.0, inc = 1.0 / (352800.0 / f);

    Oscilator osc = Make(OscilatorWaveform::Saw, 0.75);
    const double first = osc.NextSample(f);
    EXPECT_DOUBLE_EQ(osc.Phase(), -0.25 + inc); // 0.75 folds to -0.25 before the step
    EXPECT_NEAR(first, -0.5 - osc.Phase(), 1e-9);

    osc = Make(OscilatorWaveform::Saw, -inc);
    EXPECT_NEAR(osc.NextSample(f), 0.0, 1e-5); // phase 0: the middle of the transition

    // Far from the jump the saw is 0.5 - p above it; a full cycle dips to -0.707 just before the
    // jump and overshoots to 0.707 just after it.
    osc = Make(OscilatorWaveform::Saw, 0.1);
    EXPECT_NEAR(osc.NextSample(f), 0.5 - (0.1 + inc), 1e-9);
    // At a low frequency the phase barely moves within the transition, so the table's extremes show.
    const double lowFrequency = 50.0;
    const auto cycle = Run(osc, lowFrequency, 352800 / 50);
    const double low = *std::min_element(cycle.begin(), cycle.end());
    const double high = *std::max_element(cycle.begin(), cycle.end());
    EXPECT_NEAR(low, -0.707, 0.01);
    EXPECT_NEAR(high, 0.707, 0.01);
    for (double v : cycle)
        EXPECT_TRUE(std::isfinite(v));

    // The top of the table: d clamps to 0.5, index 1000 with no neighbour read.
    osc = Make(OscilatorWaveform::Saw, 0.4);
    const double top = osc.NextSample(f);
    EXPECT_NEAR(top, SawTransitionTable[1000] - osc.Phase(), 1e-12);
}

TEST_F(OscilatorTest, SawTransitionInterpolatesTheTableOnAFixedTimeScale)
{
    // Inside the transition zone the table is read at e = 1000 d + 500 with d = 8820.22 / f * p,
    // interpolating between neighbouring rows. The zone is a fixed time, not a fixed phase share,
    // so the same phase and frequency give the same value at any engine rate.
    const double f = 441.0;
    for (std::int32_t rate : {352800, 96000})
    {
        engineRate = rate;
        for (double target : {0.0123, -0.0201, 0.05, -0.0004})
        {
            Oscilator osc = Make(OscilatorWaveform::Saw, target - 1.0 / (rate / f));
            const double y = osc.NextSample(f);
            const double p = osc.Phase();
            ASSERT_NEAR(p, target, 1e-12);
            const double d = std::clamp(8820.22 / f * p, -0.5, 0.5);
            const double e = d * 1000.0 + 500.0;
            const int i = static_cast<int>(e);
            const double r = e - std::floor(e);
            const double expected = i >= 1000
                                        ? SawTransitionTable[1000] - p
                                        : (1 - r) * SawTransitionTable[i] + r * SawTransitionTable[i + 1] - p;
            EXPECT_DOUBLE_EQ(y, expected) << rate << " " << target;
        }
    }
    // p = 0.0123 lies at e = 746.0, next to the overshoot peak: the saw reads about 0.707 there.
    engineRate = 352800;
    Oscilator osc = Make(OscilatorWaveform::Saw, 0.0123 - f / 352800.0);
    EXPECT_NEAR(osc.NextSample(f), 0.707 - 0.0123, 0.001);
}

TEST_F(OscilatorTest, WhistleStepsBothAccumulators)
{
    engineRate = 352800;
    const double f = 1000.0;
    Oscilator osc = Make(OscilatorWaveform::Whistle);
    EXPECT_EQ(osc.NextSample(f), 0.0);
    const double inc = 1.0 / (352800.0 / f), overtoneInc = 1.0 / (352800.0 / (20 * f));
    EXPECT_DOUBLE_EQ(osc.Phase(), inc);
    EXPECT_DOUBLE_EQ(osc.OvertonePhase(), overtoneInc);
    EXPECT_NEAR(osc.NextSample(f), std::sin(2 * M_PI * inc) + 0.25 * std::sin(2 * M_PI * overtoneInc), 1e-12);
}

TEST(NoiseTest, WhiteNoiseDrawsOneValue)
{
    RandomSeed(1);
    EXPECT_DOUBLE_EQ(Oscilator::NextWhiteSample(), 41 / 32767.0 * 2 - 1);
    EXPECT_EQ(RandomInt(), 18467);
    Oscilator osc;
    osc.SetWaveform(OscilatorWaveform::WhiteNoise);
    RandomSeed(1);
    EXPECT_DOUBLE_EQ(osc.NextSample(440.0), 41 / 32767.0 * 2 - 1);
}

TEST(NoiseTest, PinkNoiseDrawsThreeValuesInOrder)
{
    std::array<float, 3> state = {0, 0, 0};
    RandomSeed(1);
    EXPECT_NEAR(Oscilator::NextPinkSample(state), -0.75262950, 1e-6);
    EXPECT_NEAR(state[0], (0 - 41) * 0.319 + 41, 1e-3);
    EXPECT_NEAR(state[1], (0 - 18467) * 0.7756 + 18467, 1e-2);
    EXPECT_NEAR(state[2], (0 - 6334) * 0.9613 + 6334, 1e-2);
    EXPECT_NEAR(Oscilator::NextPinkSample(state), -0.68959924, 1e-6);
    EXPECT_EQ(RandomInt(), 11478); // seventh value: exactly six were drawn

    // Over a long run it centres on 0 within about +-0.78.
    double sum = 0, low = 0, high = 0;
    const int count = 200000;
    for (int i = 0; i < count; ++i)
    {
        const float v = Oscilator::NextPinkSample(state);
        sum += v;
        low = std::min<double>(low, v);
        high = std::max<double>(high, v);
    }
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    EXPECT_GE(low, -0.79);
    EXPECT_LE(high, 0.79);

    Oscilator osc;
    osc.SetWaveform(OscilatorWaveform::PinkNoise);
    RandomSeed(1);
    EXPECT_NEAR(osc.NextSample(440.0), -0.75262950, 1e-6);
}
