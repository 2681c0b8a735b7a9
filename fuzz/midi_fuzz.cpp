// Plays arbitrary event lists into one instrument: MIDI messages of every kind (offsets inside the
// block, beyond it and negative), system exclusive dumps, parameter changes (real, normalised and
// not numbers at all), rate and block-size announcements, and blocks of every size up to beyond
// the prepared one. Every rendered sample must be finite and at most +36 dBFS.
#include "FuzzChecks.h"

#include "instrument/Brisbleep.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <limits>
#include <memory>
#include <vector>

namespace
{
// Frames rendered per input at most, so that a run stays fast. Blocks longer than the prepared
// scratch buffers still occur: announced maxima go down to 1.
constexpr int kFrameBudget = 128;
constexpr int kLongestBlock = IFrameBase::kMaxScratchFrames + 100;

int32_t Offset(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3))
    {
    case 0:
        return in.ConsumeIntegralInRange<int32_t>(0, 63);
    case 1:
        return in.ConsumeIntegralInRange<int32_t>(0, 100000);
    case 2:
        return in.ConsumeIntegralInRange<int32_t>(-100, -1);
    default:
        return in.ConsumeIntegral<int32_t>();
    }
}

double Number(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3))
    {
    case 0:
        return in.ConsumeProbability<double>();
    case 1:
        return in.ConsumeFloatingPointInRange<double>(-1000.0, 25000.0);
    case 2:
        return std::numeric_limits<double>::quiet_NaN();
    default:
        return in.ConsumeFloatingPoint<double>(); // includes infinities and extremes
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    static std::vector<double> left(kLongestBlock), right(kLongestBlock);
    static const std::vector<uint8_t> pristine = []
    {
        IStateChunk chunk;
        instrument->SaveState(chunk);
        return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
    }();
    double* outs[2] = {left.data(), right.data()};
    auto render = [&](int frames)
    {
        instrument->ProcessBlock(outs, frames);
        RequireSaneAudio(left.data(), frames);
        RequireSaneAudio(right.data(), frames);
    };

    // Back to a silent instance in its first state at 44.1 kHz.
    IStateChunk reset;
    reset.PutBytes(pristine.data(), static_cast<int32_t>(pristine.size()));
    instrument->LoadState(reset, 0);
    instrument->SetHostSampleRate(44100.0);
    // Re-announced only when an input changed it: buffers are not reallocated for every input.
    if (instrument->GetBlockSize() != 512) instrument->SetHostBlockSize(512);
    instrument->ConnectOutputs(2);
    instrument->SetProcessing(true);
    instrument->DeliverMidi(IMidiMessage::Make(0xB0, 120, 0));
    render(1);
    instrument->midiReceiver.queue.Clear();
    instrument->ClearHostRecords();

    FuzzedDataProvider in(data, size);
    int budget = kFrameBudget;
    while (in.remaining_bytes() > 0)
    {
        switch (in.ConsumeIntegralInRange(0, 15))
        {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        {
            IMidiMessage m;
            m.status = in.ConsumeIntegral<uint8_t>();
            m.data1 = in.ConsumeIntegral<uint8_t>();
            m.data2 = in.ConsumeIntegral<uint8_t>();
            m.offset = Offset(in);
            instrument->DeliverMidi(m);
            break;
        }
        case 6:
        {
            const std::vector<uint8_t> dump = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 64));
            ISysExMessage sysex;
            sysex.offset = Offset(in);
            sysex.size = static_cast<int32_t>(dump.size());
            sysex.data = dump.data();
            IFrameBase::Lock lock(instrument->Mutex());
            instrument->OnSysEx(sysex);
            break;
        }
        case 7:
        case 8:
        case 9:
        {
            const int index = in.ConsumeIntegralInRange(-1, instrument->NParams());
            const double value = Number(in);
            if (in.ConsumeBool())
                instrument->AutomateParameter(index, value);
            else
                instrument->SetParameterValue(index, value);
            break;
        }
        case 10: // rarer: a new block size reallocates, as it does under a host
            if (in.ConsumeBool())
                instrument->SetHostSampleRate(Number(in) * (in.ConsumeBool() ? 1.0 : 100.0));
            else
                instrument->SetHostBlockSize(in.ConsumeBool() ? in.ConsumeIntegralInRange(-10, 64)
                                                              : in.ConsumeIntegralInRange(-10, 1 << 20));
            break;
        default:
        {
            const int frames = std::min(in.ConsumeIntegralInRange(0, kLongestBlock), budget);
            budget -= frames;
            render(frames);
            break;
        }
        }
    }
    render(std::min(64, budget + 64));
    RequireParamsInRange(*instrument);
    return 0;
}
