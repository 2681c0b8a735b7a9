// Speed of the instrument's editor drawn headless: a full repaint of all controls, and one timer
// tick while a note sounds (the meters and the keyboard redraw at every frame, 25 per second).
#include <benchmark/benchmark.h>

#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "instrument/Brisbleep.h"

#include <memory>
#include <vector>

namespace
{

std::unique_ptr<Brisbleep> InstrumentWithEditor()
{
    auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    instrument->SetHostSampleRate(44100);
    instrument->SetHostBlockSize(512);
    instrument->ConnectOutputs(2);
    instrument->SetProcessing(true);
    instrument->CreateEditor();
    return instrument;
}

void BM_FullRepaint(benchmark::State& state)
{
    auto instrument = InstrumentWithEditor();
    for (auto _ : state)
        DrawWholeEditor(*instrument->editorGraphics);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// One editor frame's worth of audio (1764 samples at 44100 Hz) then the tick's dirty pass, with a
// note held so that a key is lit and the meters move.
void BM_TimerTickWhilePlaying(benchmark::State& state)
{
    auto instrument = InstrumentWithEditor();
    IGraphics& g = *instrument->editorGraphics;
    DrawWholeEditor(g);
    IMidiMessage on;
    on.status = 0x90;
    on.data1 = 60;
    on.data2 = 127;
    instrument->DeliverMidi(on);
    std::vector<double> left(512), right(512);
    double* outs[2] = {left.data(), right.data()};
    for (auto _ : state)
    {
        state.PauseTiming();
        for (int i = 0; i < 4; ++i)
            instrument->ProcessBlock(outs, 441);
        state.ResumeTiming();
        IArea dirty;
        if (g.IsDirty(dirty)) g.Draw(dirty);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimerTickWhilePlaying)->Unit(benchmark::kMicrosecond);

} // namespace
