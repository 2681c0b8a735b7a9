// The whole instrument at the design load: four sustained voices at 44100 Hz in 512-frame blocks
// (and, as "Idle", the same instance after its notes have ended),
// rendered through the frame as a host drives it (64-bit buffers, both outputs). The "rtf" counter
// is the real-time factor: audio seconds rendered per CPU second. Compare with BM_Floor of
// engine_bench for the cost relative to one bare oscillator and filter.

#include "instrument/Brisbleep.h"
#include "instrument/ParamLayout.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

namespace
{

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kKeys[] = {60, 64, 67, 71};

using Settings = std::vector<std::pair<int, double>>;

// The engine benchmark's heavy sound in parameter units: all five sources, both filters swept by
// the filter envelope, a curved glide.
const Settings kHeavy = {
    {1, 4},
    {2, 7},
    {3, 3},
    {20, 0.3},
    {10, -1},
    {17, 7},
    {4, 0.0},
    {5, -6.0206},
    {6, -6.0206},
    {7, -12.0412},
    {8, -12.0412},
    {27, 0.5},
    {51, 0.05},
    {52, 0.01},
    {53, 0.3},
    {54, 0.2},
    {55, 0.4},
    {kFilterLpCutoff, 2500},
    {kFilterLpResonance, 2.5},
    {kFilterLpEnvDepth, 0.6},
    {kFilterHpCutoff, 300},
    {kFilterHpResonance, 1.2},
    {kFilterHpEnvDepth, -0.4},
    {kPitchStart, -1},
    {kPitchEnd, 0.5},
    {kPitchCurve, 2.5},
    {kPitchDuration, 0.8},
};

// With held set, the four keys are held for the whole run; otherwise they are played and
// released first, and the run measures the idle instance left behind.
void RenderInstrument(benchmark::State& state, const Settings& settings, int crushPosition, bool held = true)
{
    auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    // The benchmark's argument picks the voices' instruction set: 0 one voice after another,
    // 1 SSE2 lanes, 2 AVX2 lanes (where the processor has it).
    const auto set = static_cast<VoiceLanes::InstructionSet>(state.range(0));
    if (!VoiceLanes::Supports(set))
    {
        state.SkipWithError("the processor lacks this instruction set");
        return;
    }
    instrument->renderer.Voices().UseInstructionSet(set);
    for (const auto& [index, value] : settings)
        instrument->SetParameterValue(index, value);
    instrument->SetParameterValue(kBitCrushPosition, crushPosition);
    instrument->SetHostSampleRate(kRate);
    instrument->SetHostBlockSize(kBlock);
    instrument->ConnectOutputs(2);
    instrument->SetProcessing(true);
    for (int key : kKeys)
    {
        IMidiMessage on;
        on.status = 0x90;
        on.data1 = static_cast<std::uint8_t>(key);
        on.data2 = 127;
        instrument->DeliverMidi(on);
    }
    std::vector<double> left(kBlock), right(kBlock);
    double* outputs[2] = {left.data(), right.data()};
    if (!held)
    {
        for (int key : kKeys)
        {
            IMidiMessage off;
            off.status = 0x80;
            off.data1 = static_cast<std::uint8_t>(key);
            instrument->DeliverMidi(off);
        }
        for (int done = 0; done < kRate; done += kBlock) // the release (0.2 s) and its tail
            instrument->ProcessBlock(outputs, kBlock);
    }

    for (auto _ : state)
    {
        // One second of audio per iteration.
        for (int done = 0; done < kRate; done += kBlock)
        {
            instrument->ProcessBlock(outputs, std::min(kBlock, kRate - done));
            benchmark::DoNotOptimize(left[0]);
        }
    }
    state.counters["rtf"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_InstrumentDefault(benchmark::State& state)
{
    RenderInstrument(state, {}, 0);
}
void BM_InstrumentHeavy(benchmark::State& state)
{
    RenderInstrument(state, kHeavy, 0);
}
void BM_InstrumentHeavyCrushInside(benchmark::State& state)
{
    RenderInstrument(state, kHeavy, 1);
}

// What a headless render pays before its first sample: a new instance (parameters, editor
// description, presets), the host's set-up and one block.
void BM_InstrumentStartUp(benchmark::State& state)
{
    std::vector<double> left(kBlock), right(kBlock);
    double* outputs[2] = {left.data(), right.data()};
    for (auto _ : state)
    {
        auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
        instrument->SetHostSampleRate(kRate);
        instrument->SetHostBlockSize(kBlock);
        instrument->ConnectOutputs(2);
        instrument->SetProcessing(true);
        instrument->ProcessBlock(outputs, kBlock);
        benchmark::DoNotOptimize(left[0]);
    }
}

void BM_InstrumentIdle(benchmark::State& state)
{
    RenderInstrument(state, {}, 0, false);
}

} // namespace

BENCHMARK(BM_InstrumentStartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstrumentIdle)->Unit(benchmark::kMillisecond)->Arg(2);
BENCHMARK(BM_InstrumentDefault)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);
BENCHMARK(BM_InstrumentHeavy)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);
BENCHMARK(BM_InstrumentHeavyCrushInside)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);
