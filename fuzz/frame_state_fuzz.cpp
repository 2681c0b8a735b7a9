// Feeds arbitrary bytes to the frame's state and bank readers, as a damaged project file would, and
// checks that the instance stays usable: a bank saved afterwards must read back completely.
#include "frame/IFrameBase.h"

#include <cstdlib>
#include <cstring>

namespace
{
class FuzzFrame : public IFrameBase
{
public:
    FuzzFrame() : IFrameBase(MakeConfig())
    {
        for (int i = 0; i < NParams(); ++i)
            GetParam(i)->DefineDouble("p", 0.0, -1.0 - i, 1.0 + i, 0.01, "", 1.0 + i % 3);
        FillPresetsFromState("-", 1);
    }
    void BeginHostParameterEdit(int) override {}
    void SendHostParameterValue(int, double) override {}
    void EndHostParameterEdit(int) override {}
    void NotifyHostPresetChange() override {}
    double HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120; }
    void HostTimeSignature(int& n, int& d) override { n = d = 4; }
    void HostTimeInfo(ITimeInfo&) override {}
    void ResizeEditor(int, int) override {}
    bool SendMidiToHost(const IMidiMessage&) override { return true; }

private:
    static IFrameConfig MakeConfig()
    {
        IFrameConfig c;
        c.parameterCount = 60;
        c.channelIOs = "0-1 0-2";
        c.presetCount = 3;
        return c;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IStateChunk chunk;
    chunk.PutBytes(data, static_cast<int32_t>(size > 1 << 20 ? 1 << 20 : size));

    FuzzFrame frame;
    int32_t position = 0;
    const int32_t version = ReadChunkHeader(chunk, position);
    if (position >= 0 && version >= kChunkFormatVersion)
        frame.UnserializePresets(chunk, position);
    else
        frame.LoadState(chunk, position);

    for (int i = 0; i < frame.NParams(); ++i)
    {
        const IParameter* p = frame.GetParam(i);
        if (!(p->Value() >= p->Min() && p->Value() <= p->Max())) std::abort();
    }

    IStateChunk bank;
    if (!frame.SerializePresets(bank) || frame.UnserializePresets(bank, 0) != bank.Size()) std::abort();
    return 0;
}
