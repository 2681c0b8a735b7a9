#pragma once

#include "instrument/Brisbleep.h"
#include "tests/support/SignalMeasure.h"

#include <cmath>
#include <memory>
#include <vector>

// Plays the headless instrument as a host would and collects what it rendered.
class InstrumentHarness
{
public:
    explicit InstrumentHarness(double rate = 44100.0, int block = 512, int outputs = 2)
        : instrument(std::make_unique<Brisbleep>(OfflineHostContext{})), block_(block), outputs_(outputs)
    {
        instrument->SetHostSampleRate(rate);
        instrument->SetHostBlockSize(block);
        instrument->ConnectOutputs(outputs);
        instrument->SetProcessing(true);
        for (auto& channel : buffers_)
            channel.assign(static_cast<std::size_t>(block), 0.0);
    }

    Brisbleep& operator*() { return *instrument; }
    Brisbleep* operator->() { return instrument.get(); }

    void NoteOn(int note, int velocity = 127, int offset = 0)
    {
        instrument->DeliverMidi(IMidiMessage::Make(0x90, note, velocity, offset));
    }
    void NoteOff(int note, int offset = 0)
    {
        instrument->DeliverMidi(IMidiMessage::Make(0x80, note, 0, offset));
    }
    void Set(int index, double value) { instrument->SetParameterValue(index, value); }

    // Renders one block of `frames` (at most the block size) and appends it to left/right.
    void Block(int frames)
    {
        double* outs[2] = {buffers_[0].data(), buffers_[1].data()};
        instrument->ProcessBlock(outs, frames);
        left.insert(left.end(), buffers_[0].begin(), buffers_[0].begin() + frames);
        if (outputs_ > 1) right.insert(right.end(), buffers_[1].begin(), buffers_[1].begin() + frames);
    }
    // Renders whole blocks until `frames` more frames have been produced.
    void Render(long frames)
    {
        while (frames > 0)
        {
            const int n = static_cast<int>(std::min<long>(frames, block_));
            Block(n);
            frames -= n;
        }
    }

    std::unique_ptr<Brisbleep> instrument;
    std::vector<double> left, right;

private:
    int block_;
    int outputs_;
    std::vector<double> buffers_[2];
};

inline double MeanAbs(const std::vector<double>& x, std::size_t begin, std::size_t end)
{
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i)
        sum += std::abs(x[i]);
    return sum / static_cast<double>(end - begin);
}
