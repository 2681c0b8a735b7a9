// The voices rendered in lanes must give exactly the numbers, and leave exactly the state, that
// rendering them one by one gives, with SSE2 and with AVX2.

#include "engine/BitCast.h"
#include "engine/DenormalFilter.h"
#include "engine/EngineMath.h"
#include "engine/Random.h"
#include "engine/VoiceManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace
{

constexpr double kEngineRate = 44100.0 * 8;

struct Scene
{
    const char* name;
    std::function<void(VoiceManager&)> setup;
};

void ShortEnvelopes(VoiceManager& v)
{
    v.SetStageValue(EnvelopeTarget::Amplitude, StageRelease, 0.01);
    v.SetStageValue(EnvelopeTarget::Filter, StageDecay, 0.02);
    v.SetStageValue(EnvelopeTarget::Filter, StageSustain, 0.3);
    v.SetPitchDuration(0.005); // so that held notes reach the steady part of the run too
}

Scene WaveformScene(const char* name, OscilatorWaveform waveform)
{
    return {name, [waveform](VoiceManager& v)
            {
                ShortEnvelopes(v);
                v.SetWaveform(0, waveform);
                v.SetStartPhase(0, 0.3);
            }};
}

const std::vector<Scene> kScenes = {
    {"default", [](VoiceManager& v) { ShortEnvelopes(v); }},
    WaveformScene("triangle", OscilatorWaveform::Triangle),
    WaveformScene("square", OscilatorWaveform::Square),
    WaveformScene("saw", OscilatorWaveform::Saw),
    WaveformScene("breaker", OscilatorWaveform::Breaker),
    WaveformScene("tan", OscilatorWaveform::Tan),
    WaveformScene("whistle", OscilatorWaveform::Whistle),
    {"first oscillator off, pink noise",
     [](VoiceManager& v)
     {
         ShortEnvelopes(v);
         v.SetWaveform(0, OscilatorWaveform::Off);
         v.SetSourceLevel(kPinkNoiseSlot, 0.7);
     }},
    {"all sources, swept filters, curved glide",
     [](VoiceManager& v)
     {
         ShortEnvelopes(v);
         v.SetWaveform(0, OscilatorWaveform::Saw);
         v.SetWaveform(1, OscilatorWaveform::Whistle);
         v.SetWaveform(2, OscilatorWaveform::Square);
         v.SetSquareDuty(2, 1.3); // clamped to 1
         for (int slot = 1; slot < kVoiceSourceCount; ++slot)
             v.SetSourceLevel(slot, 0.25 * slot);
         v.SetEnvDepth(1, 0.5);
         v.SetEnvDepth(3, -0.5);
         v.SetOctave(1, 1);
         v.SetTranspose(2, -7);
         v.SetCents(2, 13);
         v.SetLowPassCutoff(2500);
         v.SetLowPassResonance(2.5);
         v.SetLowPassEnvDepth(0.6);
         v.SetHighPassCutoff(300);
         v.SetHighPassResonance(1.2);
         v.SetHighPassEnvDepth(-0.4);
         v.SetPitchStart(-1);
         v.SetPitchEnd(0.5);
         v.SetPitchCurve(2.5);
         v.SetPitchDuration(0.02);
     }},
    {"sources silent in some voices only",
     [](VoiceManager& v)
     {
         ShortEnvelopes(v);
         v.SetWaveform(1, OscilatorWaveform::Sin);
         v.SetSourceLevel(1, 0.5);
         v.SetSourceLevel(kWhiteNoiseSlot, 0.5);
         v.VoiceAt(1).SetSourceLevel(1, 0.0);
         v.VoiceAt(2).SetSourceLevel(kWhiteNoiseSlot, 0.0);
     }},
    {"whistle and both noises silent in some voices only",
     [](VoiceManager& v)
     {
         ShortEnvelopes(v);
         v.SetWaveform(1, OscilatorWaveform::Whistle);
         v.SetSourceLevel(1, 0.5);
         v.SetSourceLevel(kWhiteNoiseSlot, 0.5);
         v.SetSourceLevel(kPinkNoiseSlot, 0.5);
         v.VoiceAt(0).SetSourceLevel(1, 0.0);
         v.VoiceAt(1).SetSourceLevel(kPinkNoiseSlot, 0.0);
         v.VoiceAt(3).SetSourceLevel(kWhiteNoiseSlot, 0.0);
     }},
    {"cutoff beyond Nyquist, noise only",
     [](VoiceManager& v)
     {
         ShortEnvelopes(v);
         v.SetSourceLevel(0, 0.0);
         v.SetSourceLevel(3, 1.0);
         v.SetSourceLevel(4, 0.5);
         v.SetLowPassCutoff(1e6);
         v.SetLowPassEnvDepth(-1.0);
         v.SetHighPassCutoff(-5.0);
         v.SetHighPassEnvDepth(1.0);
     }},
};

// Notes start, overlap, end and free their voices between and during the stretches rendered.
std::vector<double> Play(VoiceManager& voices, int stretch)
{
    RandomSeed(12345);
    std::vector<double> out;
    const auto render = [&](int count)
    {
        for (int done = 0; done < count; done += stretch)
        {
            const int n = std::min(stretch, count - done);
            out.resize(out.size() + n);
            voices.Render(out.data() + out.size() - n, n);
        }
    };
    voices.NoteOn(60, 100);
    render(3000);
    voices.NoteOn(64, 127);
    voices.NoteOn(67, 30);
    render(5000);
    voices.NoteOff(60, 0);
    render(9000);
    voices.NoteOn(72, 90);
    voices.NoteOn(48, 1);
    render(3000);
    voices.ReleaseAll();
    render(9000);
    return out;
}

bool SameBits(double a, double b)
{
    return BitCast<std::uint64_t>(a) == BitCast<std::uint64_t>(b);
}

void ExpectSameVoices(const VoiceManager& expected, const VoiceManager& actual, const std::string& where)
{
    for (int i = 0; i < VoiceManager::kVoiceCount; ++i)
    {
        const Voice& e = expected.Voices()[i];
        const Voice& a = actual.Voices()[i];
        SCOPED_TRACE(where + ", voice " + std::to_string(i));
        EXPECT_EQ(e.IsActive(), a.IsActive());
        EXPECT_EQ(e.Pitch().SampleCounter(), a.Pitch().SampleCounter());
        for (const auto& [ee, ea] : {std::pair<const EG&, const EG&>{e.AmpEnvelope(), a.AmpEnvelope()},
                                     {e.FilterEnvelope(), a.FilterEnvelope()}})
        {
            EXPECT_EQ(ee.Stage(), ea.Stage());
            EXPECT_EQ(ee.SampleIndex(), ea.SampleIndex());
            EXPECT_TRUE(SameBits(ee.Level(), ea.Level()));
        }
        for (const auto& [fe, fa] : {std::pair<const StateVariableFilter&, const StateVariableFilter&>{
                                         e.LowPassFilter(), a.LowPassFilter()},
                                     {e.HighPassFilter(), a.HighPassFilter()}})
        {
            for (auto field :
                 {&StateVariableFilter::State1, &StateVariableFilter::State2, &StateVariableFilter::G,
                  &StateVariableFilter::A1, &StateVariableFilter::Cutoff})
                EXPECT_TRUE(SameBits((fe.*field)(), (fa.*field)()));
        }
        for (int slot = 0; slot < kVoiceOscillatorCount; ++slot)
        {
            EXPECT_TRUE(SameBits(e.Frequency(slot), a.Frequency(slot))) << "slot " << slot;
            const Oscilator& oe = e.Oscillator(slot);
            const Oscilator& oa = a.Oscillator(slot);
            EXPECT_TRUE(SameBits(oe.Phase(), oa.Phase())) << "slot " << slot;
            EXPECT_TRUE(SameBits(oe.Output(), oa.Output())) << "slot " << slot;
            EXPECT_TRUE(SameBits(oe.OvertonePhase(), oa.OvertonePhase())) << "slot " << slot;
        }
    }
}

TEST(VoiceLanes, EveryInstructionSetRendersTheScalarVoicesBitForBit)
{
    std::vector<VoiceLanes::InstructionSet> sets = {VoiceLanes::InstructionSet::Sse2};
    if (VoiceLanes::Supports(VoiceLanes::InstructionSet::Avx2))
        sets.push_back(VoiceLanes::InstructionSet::Avx2);
    else
        std::printf("this processor has no AVX2: only the SSE2 lanes are checked\n");

    for (const Scene& scene : kScenes)
    {
        VoiceManager reference;
        reference.UseInstructionSet(VoiceLanes::InstructionSet::Scalar);
        reference.SetSampleRate(kEngineRate);
        scene.setup(reference);
        const std::vector<double> expected = Play(reference, 1);
        double peak = 0.0;
        for (double x : expected)
            peak = std::max(peak, std::abs(x));
        ASSERT_GT(peak, 0.01) << scene.name << " must make a sound for the comparison to mean something";

        for (VoiceLanes::InstructionSet set : sets)
            for (int stretch : {7, 512, 100000})
            {
                const std::string where = std::string(scene.name) + ", " +
                                          (set == VoiceLanes::InstructionSet::Avx2 ? "AVX2" : "SSE2") +
                                          ", stretch " + std::to_string(stretch);
                VoiceManager lanes;
                lanes.UseInstructionSet(set);
                lanes.SetSampleRate(kEngineRate);
                scene.setup(lanes);
                const std::vector<double> actual = Play(lanes, stretch);
                ASSERT_EQ(expected.size(), actual.size());
                std::size_t firstDifference = expected.size();
                for (std::size_t i = 0; i < expected.size() && firstDifference == expected.size(); ++i)
                    if (!SameBits(expected[i], actual[i])) firstDifference = i;
                EXPECT_EQ(firstDifference, expected.size())
                    << where << ": " << expected[firstDifference] << " vs " << actual[firstDifference];
                ExpectSameVoices(reference, lanes, where);
            }
    }
}

TEST(VoiceLanes, VoicesPlayingDifferentWaveformsOrNoiseOscillatorsFallBackToOneByOne)
{
    for (const auto& [name, vary] :
         std::vector<std::pair<const char*, std::function<void(VoiceManager&)>>>{
             {"different waveforms",
              [](VoiceManager& v) { v.VoiceAt(1).SetWaveform(0, OscilatorWaveform::Saw); }},
             {"noise oscillator", [](VoiceManager& v) { v.SetWaveform(0, OscilatorWaveform::WhiteNoise); }},
         })
    {
        VoiceManager voices;
        voices.SetSampleRate(kEngineRate);
        vary(voices);
        voices.NoteOn(60, 100);
        voices.NoteOn(64, 100);
        double out[16];
        EXPECT_EQ(VoiceLanes::Render(const_cast<std::array<Voice, 4>&>(voices.Voices()), out, 16,
                                     VoiceLanes::InstructionSet::Sse2),
                  -1)
            << name;
        EXPECT_EQ(voices.Render(out, 16), 16) << name << ": still rendered, one voice after another";
    }
}

template <typename L> void ExpectLaneFunctionsMatchScalar(const char* lanes)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double inputs[] = {0.0,   -0.0, 0x1p-54, -0x1p-54,     0x1p-55,         0x1.fffffffffffffp-55,
                             0.25,  0.5,  -0.75,   1.0,          0.4999999999999, 3.0e15,
                             1e300, inf,  -inf,    std::nan(""), 123.456,         -1e-300};
    for (std::size_t i = 0; i + kLaneCount <= std::size(inputs); ++i)
    {
        const L x = L::Load(inputs + i);
        const L results[] = {DenormalFilter(x), engine_math::SinTwoPi(x), engine_math::CosTwoPi(x),
                             engine_math::TanPi(x)};
        double (*const scalar[])(double) = {[](double v) { return DenormalFilter(v); },
                                            [](double v) { return engine_math::SinTwoPi(v); },
                                            [](double v) { return engine_math::CosTwoPi(v); },
                                            [](double v) { return engine_math::TanPi(v); }};
        for (int f = 0; f < 4; ++f)
            for (int lane = 0; lane < kLaneCount; ++lane)
                EXPECT_TRUE(SameBits(results[f][lane], scalar[f](inputs[i + lane])))
                    << lanes << ": function " << f << " at " << inputs[i + lane];
    }
}

TEST(VoiceLanes, LaneFunctionsGiveTheScalarResultInEveryLane)
{
    ExpectLaneFunctionsMatchScalar<Lanes>("one register");
    ExpectLaneFunctionsMatchScalar<SplitLanes>("two registers");
}

} // namespace
