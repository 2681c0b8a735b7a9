// Every parameter index lands in its own engine setting, converted, and in no other.

#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{

constexpr double kDb = 0.1151292546497; // ln(10) / 20

// One engine setting as a number; voice-independent settings ignore the voice.
using Reader = std::function<double(const Brisbleep&, int voice)>;

struct Route
{
    int index;
    double value;    // set in the parameter's own unit
    double expected; // what the engine then holds
    Reader read;
};

const Voice& V(const Brisbleep& b, int voice)
{
    return b.renderer.Voices().Voices()[static_cast<std::size_t>(voice)];
}

std::vector<Route> Routes()
{
    std::vector<Route> routes;
    routes.push_back({0, -12.0, std::exp(-12.0 * kDb),
                      [](const Brisbleep& b, int) { return b.renderer.OutputGainTarget(); }});
    for (int s = 0; s < 3; ++s)
    {
        routes.push_back({1 + s, 3.0 + s, 3.0 + s, [s](const Brisbleep& b, int v) {
                              return static_cast<double>(V(b, v).Oscillator(s).Waveform());
                          }});
        routes.push_back(
            {9 + s, 1.0 + s, 1.0 + s, [s](const Brisbleep& b, int v) { return 1.0 * V(b, v).Octave(s); }});
        routes.push_back({12 + s, 4.0 + s, 4.0 + s,
                          [s](const Brisbleep& b, int v) { return 1.0 * V(b, v).Transpose(s); }});
        routes.push_back(
            {15 + s, -7.0 - s, -7.0 - s, [s](const Brisbleep& b, int v) { return 1.0 * V(b, v).Cents(s); }});
        routes.push_back({18 + s, 0.1 * (s + 1), 0.1 * (s + 1),
                          [s](const Brisbleep& b, int v) { return V(b, v).Oscillator(s).SquareDuty(); }});
        routes.push_back({21 + s, 0.11 * (s + 1), 0.11 * (s + 1),
                          [s](const Brisbleep& b, int v) { return V(b, v).StartPhase(s); }});
    }
    for (int s = 0; s < 5; ++s)
    {
        const double db = -10.0 * (s + 1);
        routes.push_back({4 + s, db, std::exp(db * kDb),
                          [s](const Brisbleep& b, int v) { return V(b, v).SourceLevel(s); }});
        routes.push_back({24 + s, 0.1 * (s + 1), 0.1 * (s + 1),
                          [s](const Brisbleep& b, int v) { return V(b, v).EnvDepth(s); }});
        const auto stage = static_cast<EnvelopeStage>(StageAttack + s);
        routes.push_back({29 + s, 0.15 + 0.1 * s, 0.15 + 0.1 * s, [stage](const Brisbleep& b, int v) {
                              return V(b, v).AmpEnvelope().StageSetting(stage);
                          }});
        routes.push_back({51 + s, 0.2 + 0.1 * s, 0.2 + 0.1 * s, [stage](const Brisbleep& b, int v) {
                              return V(b, v).FilterEnvelope().StageSetting(stage);
                          }});
    }
    routes.push_back(
        {34, 100, 100, [](const Brisbleep& b, int v) { return 1.0 * V(b, v).Pitch().HighNote(); }});
    routes.push_back({35, 20, 20, [](const Brisbleep& b, int v) { return 1.0 * V(b, v).Pitch().LowNote(); }});
    routes.push_back({36, 2.0, 2.0, [](const Brisbleep& b, int v) { return V(b, v).Pitch().Duration(); }});
    routes.push_back(
        {37, 0.25, 0.25, [](const Brisbleep& b, int v) { return V(b, v).Pitch().StartPosition(); }});
    routes.push_back(
        {38, -0.5, -0.5, [](const Brisbleep& b, int v) { return V(b, v).Pitch().EndPosition(); }});
    routes.push_back({39, 4.0, 4.0, [](const Brisbleep& b, int v) { return V(b, v).Pitch().Curve(); }});
    routes.push_back({40, 5000.0, 5000.0, [](const Brisbleep& b, int v) { return V(b, v).LowPassCutoff(); }});
    routes.push_back(
        {41, 3.0, 3.0, [](const Brisbleep& b, int v) { return V(b, v).LowPassFilter().Resonance(); }});
    routes.push_back({42, 0.3, 0.3, [](const Brisbleep& b, int v) { return V(b, v).LowPassEnvDepth(); }});
    routes.push_back({43, 300.0, 300.0, [](const Brisbleep& b, int v) { return V(b, v).HighPassCutoff(); }});
    routes.push_back(
        {44, 2.0, 2.0, [](const Brisbleep& b, int v) { return V(b, v).HighPassFilter().Resonance(); }});
    routes.push_back({45, -0.3, -0.3, [](const Brisbleep& b, int v) { return V(b, v).HighPassEnvDepth(); }});
    routes.push_back(
        {46, 0.5, 1.0 / 3.0, [](const Brisbleep& b, int) { return b.renderer.Compression().Exponent(); }});
    routes.push_back({47, -7, -7, [](const Brisbleep& b, int) { return 1.0 * b.pitchJump.Transpose(); }});
    routes.push_back({48, 0.25, 0.25, [](const Brisbleep& b, int) { return b.pitchJump.Delay(); }});
    routes.push_back({49, 1.5, 1.5, [](const Brisbleep& b, int) { return b.pitchJump.Time(); }});
    routes.push_back({50, 1, 1, [](const Brisbleep& b, int) { return 1.0 * b.pitchJump.Trigger(); }});
    routes.push_back({56, 1, 1, [](const Brisbleep& b, int) { return 1.0 * b.renderer.GetCrushPosition(); }});
    routes.push_back(
        {57, 8000.0, 8000.0, [](const Brisbleep& b, int) { return b.renderer.Crusher().TargetRate(); }});
    routes.push_back({58, 4.5, 4.5, [](const Brisbleep& b, int) { return b.renderer.Crusher().BitDepth(); }});
    routes.push_back({59, 7.5, 0.075, [](const Brisbleep& b, int) { return b.mutationAmount; }});
    return routes;
}

} // namespace

TEST(Routing, EveryIndexReachesItsOwnSettingInEveryVoiceAndNoOther)
{
    InstrumentHarness h;
    const std::vector<Route> routes = Routes();
    std::vector<bool> covered(kParamCount, false);
    for (const Route& r : routes)
        covered[static_cast<std::size_t>(r.index)] = true;
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_TRUE(covered[static_cast<std::size_t>(i)]) << "index " << i << " has no route under test";

    const auto snapshot = [&]
    {
        std::vector<double> all;
        for (const Route& r : routes)
            for (int v = 0; v < VoiceManager::kVoiceCount; ++v)
                all.push_back(r.read(*h, v));
        return all;
    };
    for (std::size_t k = 0; k < routes.size(); ++k)
    {
        const Route& r = routes[k];
        const std::vector<double> before = snapshot();
        h.Set(r.index, r.value);
        const std::vector<double> after = snapshot();
        for (std::size_t other = 0; other < routes.size(); ++other)
            for (int v = 0; v < VoiceManager::kVoiceCount; ++v)
            {
                const std::size_t at = other * VoiceManager::kVoiceCount + static_cast<std::size_t>(v);
                if (other == k)
                    EXPECT_NEAR(after[at], r.expected, 1e-12 * std::abs(r.expected))
                        << "index " << r.index << ", voice " << v;
                else
                    EXPECT_EQ(after[at], before[at])
                        << "setting index " << r.index << " changed the setting of index "
                        << routes[other].index;
            }
    }
}

TEST(Routing, DecibelThresholdsOfGainAndSources)
{
    InstrumentHarness h;
    h.Set(kOutputGain, -48.0); // the range never reaches the -96 dB silence of the output gain
    EXPECT_NEAR(h->renderer.OutputGainTarget() / std::pow(10.0, -48.0 / 20.0), 1.0, 1e-12);
    h.Set(kOsc1Level, -95.0);
    EXPECT_NEAR(h->renderer.Voices().Voices()[3].SourceLevel(0) / std::pow(10.0, -95.0 / 20.0), 1.0, 1e-12);
    h.Set(kOsc1Level, -95.1);
    EXPECT_EQ(h->renderer.Voices().Voices()[3].SourceLevel(0), 0.0);
    h.Set(kPinkLevel, -94.9);
    EXPECT_GT(h->renderer.Voices().Voices()[0].SourceLevel(4), 0.0);
}

TEST(Routing, HostAutomationAtTheMiddleOfTheJumpDelayDelaysTheJumpByOneSecond)
{
    InstrumentHarness h;
    h->AutomateParameter(kPitchJumpDelay, 0.5);
    h->AutomateParameter(kPitchCurve, 0.5);
    EXPECT_NEAR(h->pitchJump.Delay(), 1.0, 1e-12);
    EXPECT_NEAR(h->renderer.Voices().Voices()[2].Pitch().Curve(), 1.0, 1e-12);
    h.Set(kPitchJumpTranspose, 7);
    h.NoteOn(60);
    h.Render(44000);
    EXPECT_FALSE(h->renderer.Voices().Voices()[1].IsActive());
    h.Render(200);
    ASSERT_TRUE(h->renderer.Voices().Voices()[1].IsActive());
    EXPECT_EQ(h->renderer.Voices().Voices()[1].Note(), 67);
}
