#include "engine/Voice.h"
#include "engine/NoteFrequency.h"
#include "engine/Random.h"
#include "tests/support/EnvelopeSettings.h"
#include "tests/support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr int kEngineRate = 352800; // 8 x 44100

// Gives a voice the rate and settings the instrument applies with its default parameters.
class VoiceTest : public ::testing::Test
{
protected:
    static void ConfigureDefaults(Voice& voice)
    {
        voice.SetSampleRate(kEngineRate);
        for (EnvelopeTarget envelope : {EnvelopeTarget::Amplitude, EnvelopeTarget::Filter})
        {
            constexpr double settings[] = {0.01, 0.001, 0.001, 1.0, 0.2};
            for (int s = StageAttack; s <= StageRelease; ++s)
                voice.SetStageValue(envelope, static_cast<EnvelopeStage>(s), settings[s - StageAttack]);
        }
        voice.SetPitchEnd(0.0);
        voice.SetWaveform(0, OscilatorWaveform::Triangle);
        voice.SetWaveform(1, OscilatorWaveform::Off);
        voice.SetWaveform(2, OscilatorWaveform::Off);
    }

    static std::vector<double> Render(Voice& voice, int count)
    {
        std::vector<double> out(count);
        for (double& y : out)
            y = voice.NextSample();
        return out;
    }

    static void Release(Voice& voice) { voice.NoteOff(); }
};
} // namespace

TEST_F(VoiceTest, FreeVoiceIsExactlySilentAndFrozen)
{
    Voice voice;
    ConfigureDefaults(voice);
    const double phase = voice.Oscillator(0).Phase();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(voice.NextSample(), 0.0);
    EXPECT_EQ(voice.Oscillator(0).Phase(), phase);
    EXPECT_EQ(voice.AmpEnvelope().Stage(), StageOff);
    EXPECT_EQ(voice.Pitch().SampleCounter(), 0u);
}

TEST_F(VoiceTest, DefaultNote69SoundsAtTheEngineTuning)
{
    Voice voice;
    ConfigureDefaults(voice);
    voice.NoteOn(69, 127);
    EXPECT_TRUE(voice.IsActive());
    const auto samples = Render(voice, kEngineRate / 2);
    const double measured = RisingCrossingFrequency(samples, 5000, samples.size(), kEngineRate);
    EXPECT_NEAR(measured, 414.857, 0.01);
    EXPECT_NEAR(measured, NoteFrequency(69) * FastPow(2.0, 0.0), 0.01);
    // Full level once the attack is over: a triangle peaking near 1.
    const double peak = *std::max_element(samples.begin() + 5000, samples.end());
    EXPECT_GT(peak, 0.95);
    EXPECT_LT(peak, 1.05);
}

TEST_F(VoiceTest, NoteLengthFollowsTheAmplitudeEnvelope)
{
    Voice voice;
    ConfigureDefaults(voice);
    voice.NoteOn(60, 127);
    // Attack 3528 samples rising from almost nothing.
    const auto attack = Render(voice, 3528);
    EXPECT_LT(std::abs(attack[100]), 1e-5);
    Render(voice, 10000);
    Release(voice);
    int released = 0;
    while (voice.IsActive() && released < 1000000)
    {
        voice.NextSample();
        ++released;
    }
    EXPECT_EQ(released, 70561); // 0.2 s of release plus the sample that enters StageOff
    EXPECT_EQ(voice.NextSample(), 0.0);
}

TEST_F(VoiceTest, ZeroEnvelopeDepthHoldsFullLevelUntilTheReleaseEnds)
{
    Voice voice;
    ConfigureDefaults(voice);
    for (int i = 0; i < kVoiceSourceCount; ++i)
        voice.SetEnvDepth(i, std::array<double, kVoiceSourceCount>{0, 0, 0, 0, 0}[i]);
    voice.SetWaveform(0, OscilatorWaveform::Square);
    voice.NoteOn(60, 127);
    const auto start = Render(voice, 2000);
    EXPECT_GT(*std::max_element(start.begin() + 500, start.end()), 0.9); // no attack ramp
    Release(voice);
    std::vector<double> tail;
    while (voice.IsActive())
        tail.push_back(voice.NextSample());
    ASSERT_EQ(tail.size(), 70561u);
    // Still full level at the last sample, which is rendered from the sources, then silence.
    EXPECT_GT(std::abs(tail.back()), 0.5);
    const auto after = Render(voice, 100);
    for (double y : after)
        EXPECT_EQ(y, 0.0);
}

TEST_F(VoiceTest, VelocityScalesTheMix)
{
    Voice loud, soft;
    ConfigureDefaults(loud);
    ConfigureDefaults(soft);
    loud.NoteOn(64, 127);
    soft.NoteOn(64, 64);
    for (int i = 0; i < 20000; ++i)
    {
        const double a = loud.NextSample(), b = soft.NextSample();
        ASSERT_NEAR(b, a * 64.0 / 127.0, 1e-12) << i;
    }
}

TEST_F(VoiceTest, SilentSourcesAreNotStepped)
{
    Voice voice;
    ConfigureDefaults(voice);
    voice.SetWaveform(0, OscilatorWaveform::Off);
    voice.SetWaveform(1, OscilatorWaveform::Sin);
    voice.SetWaveform(2, OscilatorWaveform::Saw);
    for (int i = 0; i < kVoiceSourceCount; ++i)
        voice.SetStartPhase(i, std::array<double, kVoiceSourceCount>{0.1, 0.2, 0.3, 0, 0}[i]);
    voice.NoteOn(60, 127);
    EXPECT_EQ(voice.Oscillator(0).Phase(), 0.1);
    EXPECT_EQ(voice.Oscillator(0).OvertonePhase(), 0.1);
    RandomSeed(7);
    for (double y : Render(voice, 1000))
        ASSERT_EQ(y, 0.0);
    EXPECT_EQ(voice.Oscillator(1).Phase(), 0.2);
    EXPECT_EQ(voice.Oscillator(2).Phase(), 0.3);
    RandomSeed(7);
    const int first = RandomInt();
    RandomSeed(7);
    Render(voice, 10);
    EXPECT_EQ(RandomInt(), first); // no noise drawn at level 0

    // Oscillator 1 at level 0 is still stepped.
    voice.SetWaveform(0, OscilatorWaveform::Triangle);
    voice.SetSourceLevel(0, 0.0);
    const double before = voice.Oscillator(0).Phase();
    EXPECT_EQ(voice.NextSample(), 0.0);
    EXPECT_GT(voice.Oscillator(0).Phase(), before);
}

TEST_F(VoiceTest, NoiseSourcesDrawOneAndThreeValuesPerSample)
{
    Voice voice;
    ConfigureDefaults(voice);
    for (int i = 0; i < kVoiceSourceCount; ++i)
        voice.SetSourceLevel(i, std::array<double, kVoiceSourceCount>{1, 0, 0, 0.5, 0}[i]);
    voice.NoteOn(60, 127);
    RandomSeed(3);
    Render(voice, 10);
    const int afterWhite = RandomInt();
    RandomSeed(3);
    for (int i = 0; i < 10; ++i)
        RandomInt();
    EXPECT_EQ(afterWhite, RandomInt());

    for (int i = 0; i < kVoiceSourceCount; ++i)
        voice.SetSourceLevel(i, std::array<double, kVoiceSourceCount>{1, 0, 0, 0, 0.5}[i]);
    RandomSeed(3);
    Render(voice, 10);
    const int afterPink = RandomInt();
    RandomSeed(3);
    for (int i = 0; i < 30; ++i)
        RandomInt();
    EXPECT_EQ(afterPink, RandomInt());
}

TEST_F(VoiceTest, PitchSettingsReachTheOscillators)
{
    Voice voice;
    ConfigureDefaults(voice);
    voice.NoteOn(69, 127);
    const auto base = Render(voice, kEngineRate / 4);
    EXPECT_NEAR(RisingCrossingFrequency(base, 5000, base.size(), kEngineRate), 414.857, 0.01);
    // An octave change applies from the next sample: FastPow(2, 1) is exact, so 854.5 Hz.
    voice.SetOctave(0, 1);
    const auto up = Render(voice, kEngineRate / 4);
    EXPECT_NEAR(RisingCrossingFrequency(up, 100, up.size(), kEngineRate), 880.0 * FastPow(2.0, 0.0), 0.02);

    // A glide from the low note: the first sample already sounds at the low frequency.
    Voice glide;
    ConfigureDefaults(glide);
    glide.SetPitchStart(-1.0);
    glide.SetPitchEnd(-1.0);
    glide.NoteOn(69, 127);
    glide.NextSample();
    EXPECT_EQ(glide.Frequency(0), glide.Pitch().LowFrequency());
    const auto low = Render(glide, kEngineRate);
    EXPECT_NEAR(RisingCrossingFrequency(low, 0, low.size(), kEngineRate), NoteFrequency(12), 0.01);
}

TEST_F(VoiceTest, FilterEnvelopeMovesTheCutoffs)
{
    Voice voice;
    ConfigureDefaults(voice);
    voice.SetLowPassCutoff(1000.0);
    voice.SetLowPassEnvDepth(1.0);
    voice.SetHighPassCutoff(500.0);
    voice.SetHighPassEnvDepth(1.0);
    voice.NoteOn(60, 127);
    voice.NextSample();
    // Envelope near 0 at the start: the knob values.
    EXPECT_NEAR(voice.LowPassFilter().Cutoff(), 1000.0, 0.01);
    EXPECT_NEAR(voice.HighPassFilter().Cutoff(), 500.0, 0.01);
    Render(voice, 5000); // sustain at 1: fully open low-pass, high-pass at 0 Hz
    EXPECT_EQ(voice.LowPassFilter().Cutoff(), 22050.0);
    EXPECT_EQ(voice.HighPassFilter().Cutoff(), 0.0);
    EXPECT_DOUBLE_EQ(voice.LowPassFilter().G(), std::tan(M_PI / 16));
}
