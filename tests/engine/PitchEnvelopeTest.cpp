#include "engine/PitchEnvelope.h"
#include "engine/NoteFrequency.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PitchEnvelopeTest, NoteFrequenciesOfTheTargets)
{
    PitchEnvelope env;
    EXPECT_EQ(env.HighFrequency(), 2327.565155029297);
    EXPECT_EQ(env.LowFrequency(), 13.176554441452026);
    env.SetHighNote(81);
    env.SetLowNote(69);
    EXPECT_EQ(env.HighFrequency(), 880.0);
    EXPECT_EQ(env.LowFrequency(), NoteFrequency(69));
}

TEST(PitchEnvelopeTest, FullSweepFromLowToHigh)
{
    PitchEnvelope env;
    env.SetSampleRate(1000);
    env.SetStartPosition(-1);
    env.SetEndPosition(1);
    env.SetDuration(1);
    env.Restart();
    const double f0 = 500.0;
    env.NextSample();
    EXPECT_EQ(env.Position(), -1.0);
    EXPECT_EQ(env.BlendFrequency(f0), env.LowFrequency());
    for (int i = 1; i < 500; ++i)
        env.NextSample();
    env.NextSample(); // t = 500 / 1000
    EXPECT_EQ(env.Position(), 0.0);
    EXPECT_EQ(env.BlendFrequency(f0), f0);
    for (int i = 501; i < 1000; ++i)
        env.NextSample();
    env.NextSample(); // sample durationSamples + 1
    EXPECT_EQ(env.Position(), 1.0);
    EXPECT_EQ(env.BlendFrequency(f0), env.HighFrequency());
    for (int i = 0; i < 5000; ++i)
        env.NextSample();
    EXPECT_EQ(env.Position(), 1.0);
}

TEST(PitchEnvelopeTest, BlendIsLinearInHertz)
{
    PitchEnvelope env;
    env.SetStartPosition(0.25); // a glide's first sample sits on its start
    env.Restart();
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.BlendFrequency(400.0), 0.75 * 400.0 + 0.25 * env.HighFrequency());
    env.SetStartPosition(-0.5);
    env.Restart();
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.BlendFrequency(400.0), 0.5 * 400.0 + 0.5 * env.LowFrequency());
}

TEST(PitchEnvelopeTest, CurveAndDefaults)
{
    PitchEnvelope env;
    env.SetSampleRate(100);
    env.SetStartPosition(0);
    env.SetEndPosition(0);
    env.SetCurve(3.0);
    env.Restart();
    for (int i = 0; i < 300; ++i)
    {
        env.NextSample();
        ASSERT_EQ(env.Position(), 0.0);
    }
    // Curve 2 lingers near the start: halfway through, a quarter of the way.
    env.SetEndPosition(1);
    env.SetCurve(2.0);
    env.Restart();
    for (int i = 0; i <= 50; ++i)
        env.NextSample();
    EXPECT_DOUBLE_EQ(env.Position(), 0.25);
    env.SetCurve(0.5); // acts from the next sample
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.Position(), std::sqrt(0.51));
}

TEST(PitchEnvelopeTest, DurationActsFromTheNextNoteEndFromTheNextSample)
{
    PitchEnvelope env;
    env.SetSampleRate(100);
    env.SetDuration(1);
    env.Restart();
    for (int i = 0; i < 10; ++i)
        env.NextSample();
    env.SetDuration(0.1);
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.Position(), 0.1); // still the 1 s glide
    env.SetEndPosition(0.5);
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.Position(), 0.11 * 0.5);
    env.Restart();
    EXPECT_EQ(env.DurationSamples(), 10u);
}

TEST(PitchEnvelopeTest, EmptyGlideJumpsToItsEndWithoutNaN)
{
    PitchEnvelope env;
    env.SetSampleRate(100);
    env.SetDuration(0.001); // under one sample
    env.SetStartPosition(-1);
    env.SetEndPosition(1);
    env.Restart();
    EXPECT_EQ(env.DurationSamples(), 0u);
    env.NextSample();
    EXPECT_EQ(env.Position(), -1.0);
    env.NextSample();
    EXPECT_EQ(env.Position(), 1.0);
}

// Stepping many samples at once (the powers of the curve side by side in lanes) leaves the same
// positions and state as stepping them one by one: curved and linear glides, across the end of
// the glide, an empty glide, and counts that do not fill the lanes.
TEST(PitchEnvelopeTest, ManySamplesAtOnceMatchOneByOne)
{
    struct Case
    {
        double curve, start, end, duration;
    };
    const Case cases[] = {{2.5, -1.0, 0.5, 0.03},
                          {0.125, 1.0, -1.0, 0.01},
                          {1.0, -1.0, 1.0, 0.02},
                          {8.0, 0.0, 0.0, 0.02},
                          {3.0, 0.3, 0.7, 0.0}};
    for (const Case& c : cases)
    {
        PitchEnvelope one, many;
        for (PitchEnvelope* env : {&one, &many})
        {
            env->SetSampleRate(1000);
            env->SetCurve(c.curve);
            env->SetStartPosition(c.start);
            env->SetEndPosition(c.end);
            env->SetDuration(c.duration);
            env->Restart();
        }
        int done = 0;
        for (int count : {1, 8, 3, 7, 8, 5, 8, 2, 8})
        {
            double positions[8];
            many.NextSamples<SplitLanes>(positions, count);
            for (int i = 0; i < count; ++i)
            {
                one.NextSample();
                EXPECT_EQ(positions[i], one.Position()) << c.curve << " sample " << done + i;
            }
            done += count;
            EXPECT_EQ(many.Position(), one.Position());
            EXPECT_EQ(many.SampleCounter(), one.SampleCounter());
        }
    }
}
