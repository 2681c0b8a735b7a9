#include "engine/PitchEnvelope.h"
#include "engine/NoteFrequency.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PitchEnvelopeTest, NoteFrequenciesOfTheTargets)
{
    PitchEnvelope env;
    EXPECT_EQ(env.highFrequency, 2327.565155029297);
    EXPECT_EQ(env.lowFrequency, 13.176554441452026);
    env.SetHighNote(81);
    env.SetLowNote(69);
    EXPECT_EQ(env.highFrequency, 880.0);
    EXPECT_EQ(env.lowFrequency, NoteFrequency(69));
}

TEST(PitchEnvelopeTest, FullSweepFromLowToHigh)
{
    PitchEnvelope env;
    env.sampleRate = 1000;
    env.startPosition = -1;
    env.endPosition = 1;
    env.duration = 1;
    env.Restart();
    const double f0 = 500.0;
    env.NextSample();
    EXPECT_EQ(env.position, -1.0);
    EXPECT_EQ(env.BlendFrequency(f0), env.lowFrequency);
    for (int i = 1; i < 500; ++i)
        env.NextSample();
    env.NextSample(); // t = 500 / 1000
    EXPECT_EQ(env.position, 0.0);
    EXPECT_EQ(env.BlendFrequency(f0), f0);
    for (int i = 501; i < 1000; ++i)
        env.NextSample();
    env.NextSample(); // sample durationSamples + 1
    EXPECT_EQ(env.position, 1.0);
    EXPECT_EQ(env.BlendFrequency(f0), env.highFrequency);
    for (int i = 0; i < 5000; ++i)
        env.NextSample();
    EXPECT_EQ(env.position, 1.0);
}

TEST(PitchEnvelopeTest, BlendIsLinearInHertz)
{
    PitchEnvelope env;
    env.position = 0.25;
    EXPECT_DOUBLE_EQ(env.BlendFrequency(400.0), 0.75 * 400.0 + 0.25 * env.highFrequency);
    env.position = -0.5;
    EXPECT_DOUBLE_EQ(env.BlendFrequency(400.0), 0.5 * 400.0 + 0.5 * env.lowFrequency);
}

TEST(PitchEnvelopeTest, CurveAndDefaults)
{
    PitchEnvelope env;
    env.sampleRate = 100;
    env.startPosition = 0;
    env.endPosition = 0;
    env.curve = 3.0;
    env.Restart();
    for (int i = 0; i < 300; ++i)
    {
        env.NextSample();
        ASSERT_EQ(env.position, 0.0);
    }
    // Curve 2 lingers near the start: halfway through, a quarter of the way.
    env.endPosition = 1;
    env.curve = 2.0;
    env.Restart();
    for (int i = 0; i <= 50; ++i)
        env.NextSample();
    EXPECT_DOUBLE_EQ(env.position, 0.25);
    env.curve = 0.5; // acts from the next sample
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.position, std::sqrt(0.51));
}

TEST(PitchEnvelopeTest, DurationActsFromTheNextNoteEndFromTheNextSample)
{
    PitchEnvelope env;
    env.sampleRate = 100;
    env.duration = 1;
    env.Restart();
    for (int i = 0; i < 10; ++i)
        env.NextSample();
    env.duration = 0.1;
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.position, 0.1); // still the 1 s glide
    env.endPosition = 0.5;
    env.NextSample();
    EXPECT_DOUBLE_EQ(env.position, 0.11 * 0.5);
    env.Restart();
    EXPECT_EQ(env.durationSamples, 10u);
}

TEST(PitchEnvelopeTest, EmptyGlideJumpsToItsEndWithoutNaN)
{
    PitchEnvelope env;
    env.sampleRate = 100;
    env.duration = 0.001; // under one sample
    env.startPosition = -1;
    env.endPosition = 1;
    env.Restart();
    EXPECT_EQ(env.durationSamples, 0u);
    env.NextSample();
    EXPECT_EQ(env.position, -1.0);
    env.NextSample();
    EXPECT_EQ(env.position, 1.0);
}
