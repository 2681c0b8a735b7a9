// Cost of rendering the engine: one and four voices for one second of host output (eight times
// as many oversampled engine samples, decimated, compressed and gain-scaled) with the default and a
// heavy sound, against a floor of one bare sine oscillator and one filter at the engine rate.
// The "rtf" counter is the real-time factor: audio seconds rendered per CPU second.

#include "bench/VoiceScenes.h"
#include "engine/EngineRenderer.h"
#include "engine/Oscilator.h"
#include "engine/StateVariableFilter.h"
#include "engine/VoiceManager.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
using namespace voice_scenes;

constexpr int kEngineSamplesPerSecond = static_cast<int>(kEngineRate);
constexpr int kHostSamplesPerSecond = static_cast<int>(kHostRate);
constexpr int kKeys[] = {60, 64, 67, 71};

void SetRealTimeFactor(benchmark::State& state)
{
    state.counters["rtf"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void RenderVoices(benchmark::State& state, int voiceCount, bool heavy)
{
    auto renderer = std::make_unique<EngineRenderer>();
    PrepareRenderer(*renderer);
    VoiceManager& manager = renderer->Voices();
    if (heavy)
        ApplyHeavySound(manager);
    else
        ApplyDefaultSound(manager);

    for (auto _ : state)
    {
        // Every second starts the notes afresh: attack, glide and filter sweep included.
        for (int v = 0; v < voiceCount; ++v)
            manager.VoiceAt(v).NoteOn(kKeys[v], 127);
        double sum = 0.0;
        for (int i = 0; i < kHostSamplesPerSecond; ++i)
            sum += renderer->NextSample();
        benchmark::DoNotOptimize(sum);
    }
    SetRealTimeFactor(state);
}

void BM_OneVoiceDefault(benchmark::State& state)
{
    RenderVoices(state, 1, false);
}
void BM_FourVoicesDefault(benchmark::State& state)
{
    RenderVoices(state, 4, false);
}
void BM_OneVoiceHeavy(benchmark::State& state)
{
    RenderVoices(state, 1, true);
}
void BM_FourVoicesHeavy(benchmark::State& state)
{
    RenderVoices(state, 4, true);
}

// The least a voice could cost: one sine oscillator into one fixed state-variable filter.
void BM_Floor(benchmark::State& state)
{
    Oscilator oscillator;
    oscillator.SetSampleRate(kEngineSamplesPerSecond);
    oscillator.SetWaveform(OscilatorWaveform::Sin);
    StateVariableFilter filter;
    filter.SetSampleRate(kEngineRate);
    filter.SetCutoff(22050.0);
    for (auto _ : state)
    {
        double sum = 0.0;
        for (int i = 0; i < kEngineSamplesPerSecond; ++i)
            sum += filter.Process(oscillator.NextSample(414.857));
        benchmark::DoNotOptimize(sum);
    }
    SetRealTimeFactor(state);
}
} // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneVoiceDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourVoicesDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneVoiceHeavy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourVoicesHeavy)->Unit(benchmark::kMillisecond);
