#include "engine/EG.h"
#include "tests/support/EnvelopeSettings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kEngineRate = 352800.0;

struct CycleCounter
{
    int began = 0;
    int finished = 0;
    void OnBegan() { ++began; }
    void OnFinished() { ++finished; }
};

// An envelope with the instrument's default times at the oversampled rate of a 44100 Hz host.
EG MakeDefault()
{
    EG eg;
    eg.SetSampleRate(kEngineRate);
    SetStageSettings(eg, {0.0, 0.01, 0.001, 0.001, 1.0, 0.2});
    return eg;
}

// Steps until the stage changes; returns the number of samples spent.
int SamplesUntilLeaving(EG& eg, EnvelopeStage stage)
{
    int count = 0;
    while (eg.Stage() == stage && count < 100000000)
    {
        eg.NextSample();
        ++count;
    }
    return count;
}
} // namespace

TEST(EGTest, FreshEnvelopeRestsAtTheFloor)
{
    EG eg;
    EXPECT_EQ(eg.Stage(), StageOff);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(eg.NextSample(), 1e-7);
    EXPECT_EQ(eg.SampleIndex(), 0u);
}

TEST(EGTest, AttackEndsShortOfOneThenHoldStartsAtOne)
{
    EG eg = MakeDefault();
    eg.Retrigger();
    EXPECT_EQ(eg.Stage(), StageAttack);
    EXPECT_EQ(eg.StageEndIndex(), 3528u);
    double previous = 0;
    double value = 0;
    for (int i = 1; i <= 3528; ++i)
    {
        value = eg.NextSample();
        ASSERT_GT(value, previous) << i; // rising all the way
        previous = value;
    }
    // First-order multiplier 1 + ln(1 / 1e-7) / 3528, applied 3528 times: about 0.96396, short of 1.
    const double multiplier = 1.0 + (std::log(1.0) - std::log(1e-7)) / 3528.0;
    EXPECT_NEAR(value, 1e-7 * std::pow(multiplier, 3528.0), 1e-10);
    EXPECT_NEAR(value, 0.96396, 0.00001);
    EXPECT_EQ(eg.Stage(), StageAttack);
    EXPECT_EQ(eg.NextSample(), 1.0); // 3529th: first of hold
    EXPECT_EQ(eg.Stage(), StageHold);
    // Exponential: the level in decibels rises linearly, so halfway it is the geometric middle.
    EG half = MakeDefault();
    half.Retrigger();
    double mid = 0;
    for (int i = 0; i < 1764; ++i)
        mid = half.NextSample();
    EXPECT_NEAR(std::log(mid), 0.5 * (std::log(1e-7) + std::log(value)), 0.01);
}

TEST(EGTest, StageLengthsAtTheEngineRate)
{
    EG eg = MakeDefault();
    eg.Retrigger();
    EXPECT_EQ(SamplesUntilLeaving(eg, StageAttack), 3529); // 3528 samples, then the first of hold
    EXPECT_EQ(SamplesUntilLeaving(eg, StageHold), 352);    // 0.001 s = 352.8, truncated
    EXPECT_EQ(SamplesUntilLeaving(eg, StageDecay), 352);
    EXPECT_EQ(eg.Stage(), StageSustain);
    EXPECT_EQ(eg.Level(), 1.0); // sustain 1: the decay never moved
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(eg.NextSample(), 1.0);

    CycleCounter counter;
    eg.CycleFinished.Connect<&CycleCounter::OnFinished>(&counter);
    eg.EnterStage(StageRelease);
    EXPECT_EQ(eg.StageEndIndex(), 70560u);
    for (int i = 0; i < 70560; ++i)
        eg.NextSample();
    EXPECT_EQ(eg.Stage(), StageRelease);
    EXPECT_EQ(counter.finished, 0);
    const double last = eg.NextSample(); // 70561st: enters Off, release multiplier applied once more
    EXPECT_EQ(eg.Stage(), StageOff);
    EXPECT_EQ(counter.finished, 1);
    EXPECT_NEAR(last / 1e-7, 1.0, 0.05);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(eg.NextSample(), last); // rests where the release ended
    EXPECT_EQ(counter.finished, 1);
}

TEST(EGTest, DecayHeadsForTheSustainLevel)
{
    EG eg = MakeDefault();
    eg.SetStageValue(StageSustain, 0.25);
    eg.Retrigger();
    SamplesUntilLeaving(eg, StageAttack);
    SamplesUntilLeaving(eg, StageHold);
    double lastDecay = eg.Level();
    EXPECT_EQ(lastDecay, eg.Multiplier()); // first decay sample: 1 times the decay multiplier
    while (eg.Stage() == StageDecay)
    {
        lastDecay = eg.Level();
        eg.NextSample();
    }
    EXPECT_NEAR(lastDecay, 0.25, 0.01);
    EXPECT_EQ(eg.Level(), 0.25); // sustain starts exactly on its value
    EXPECT_EQ(eg.NextSample(), 0.25);
}

TEST(EGTest, SignalsAndReleaseRules)
{
    EG eg = MakeDefault();
    CycleCounter counter;
    eg.CycleBegan.Connect<&CycleCounter::OnBegan>(&counter);
    eg.CycleFinished.Connect<&CycleCounter::OnFinished>(&counter);
    eg.Retrigger();
    EXPECT_EQ(counter.began, 1);
    eg.Retrigger(); // every retrigger begins a new cycle
    EXPECT_EQ(counter.began, 2);

    // A note-off during the attack releases from the current level.
    for (int i = 0; i < 100; ++i)
        eg.NextSample();
    const double level = eg.Level();
    eg.EnterStage(StageRelease);
    EXPECT_EQ(eg.Level(), level);
    EXPECT_LT(eg.Multiplier(), 1.0);
    for (int i = 0; i < 50; ++i)
        eg.NextSample();
    // A second note-off does not restart the release.
    const auto index = eg.SampleIndex();
    eg.EnterStage(StageRelease);
    EXPECT_EQ(eg.SampleIndex(), index);
    EXPECT_EQ(counter.began, 2);
    EXPECT_EQ(counter.finished, 0);
}

TEST(EGTest, SustainChangesFollowTheStage)
{
    EG eg = MakeDefault();
    eg.SetStageValue(StageSustain, 0.5);
    eg.Retrigger();
    // During the attack the new sustain waits for the next decay.
    eg.SetStageValue(StageSustain, 0.4);
    EXPECT_EQ(eg.Stage(), StageAttack);
    SamplesUntilLeaving(eg, StageAttack);
    SamplesUntilLeaving(eg, StageHold);
    // During the decay it bends the rest of it towards the new value.
    for (int i = 0; i < 100; ++i)
        eg.NextSample();
    eg.SetStageValue(StageSustain, 0.1);
    const double expected =
        1.0 + (std::log(0.1) - std::log(eg.Level())) / double(eg.StageEndIndex() - eg.SampleIndex());
    EXPECT_DOUBLE_EQ(eg.Multiplier(), expected);
    double last = 0;
    while (eg.Stage() == StageDecay)
    {
        last = eg.Level();
        eg.NextSample();
    }
    EXPECT_NEAR(last, 0.1, 0.01);
    // During the sustain the level follows at once.
    eg.SetStageValue(StageSustain, 0.7);
    EXPECT_EQ(eg.NextSample(), 0.7);
}

TEST(EGTest, LengtheningTheRunningAttackReaimsTheRest)
{
    EG eg = MakeDefault();
    eg.Retrigger();
    for (int i = 0; i < 1764; ++i)
        eg.NextSample();
    eg.SetStageValue(StageAttack, 0.02); // half done: half of 0.02 s remains
    EXPECT_EQ(eg.StageEndIndex(), 1764u + 3528u);
    int samples = 0;
    double last = 0;
    while (eg.Stage() == StageAttack)
    {
        last = eg.Level();
        eg.NextSample();
        ++samples;
    }
    EXPECT_EQ(samples, 3528 + 1);
    EXPECT_NEAR(last, 1.0, 0.05);
    EXPECT_EQ(eg.Level(), 1.0);
}

TEST(EGTest, ChangesAtTheVeryEndOfAStageKeepTheMultiplier)
{
    EG eg;
    eg.SetSampleRate(1000.0);
    SetStageSettings(eg, {0.0, 0.01, 0.01, 0.01, 0.5, 0.01});
    eg.Retrigger();
    for (int i = 0; i < 10; ++i)
        eg.NextSample();
    ASSERT_EQ(eg.SampleIndex(), eg.StageEndIndex());
    const double multiplier = eg.Multiplier();
    eg.SetStageValue(StageAttack, 0.5); // nothing remains of the attack to rescale
    EXPECT_EQ(eg.Multiplier(), multiplier);
    EXPECT_EQ(eg.StageEndIndex(), eg.SampleIndex());
    EXPECT_EQ(eg.NextSample(), 1.0); // the stage still ends on time
    EXPECT_EQ(eg.Stage(), StageHold);

    for (int i = 0; i < 10; ++i)
        eg.NextSample();
    ASSERT_EQ(eg.Stage(), StageDecay);
    for (int i = 0; i < 9; ++i)
        eg.NextSample();
    ASSERT_EQ(eg.SampleIndex(), eg.StageEndIndex());
    const double decayMultiplier = eg.Multiplier();
    eg.SetStageValue(StageSustain, 0.2);
    EXPECT_EQ(eg.Multiplier(), decayMultiplier);
    EXPECT_TRUE(std::isfinite(eg.Level()));
    EXPECT_EQ(eg.NextSample(), 0.2);
}

TEST(EGTest, StagesWithoutLengthStillAdvance)
{
    // At 500 samples per second every 0.001 s stage truncates to 0 samples. Each stage must still
    // give way after one sample, or the envelope (and the voice it frees) would never finish.
    EG eg;
    eg.SetSampleRate(500.0);
    SetStageSettings(eg, {0.0, 0.001, 0.001, 0.001, 0.5, 0.001});
    CycleCounter counter;
    eg.CycleFinished.Connect<&CycleCounter::OnFinished>(&counter);
    eg.Retrigger();
    EXPECT_EQ(eg.NextSample(), 1.0); // straight into hold, which is flat even without length
    EXPECT_EQ(eg.Stage(), StageHold);
    eg.NextSample();
    EXPECT_EQ(eg.Stage(), StageDecay);
    EXPECT_EQ(eg.NextSample(), 0.5);
    EXPECT_EQ(eg.Stage(), StageSustain);
    eg.EnterStage(StageRelease);
    eg.NextSample();
    EXPECT_EQ(eg.Stage(), StageOff);
    EXPECT_EQ(counter.finished, 1);
}
