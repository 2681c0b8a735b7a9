#pragma once

#include "frame/IFrameBase.h"

#include <string>
#include <vector>

// A frame with the binding's host-facing operations recorded instead of sent to a host.
class TestFrame : public IFrameBase
{
public:
    static IFrameConfig Config(int params = 4, const char* channels = "0-1 0-2", int presets = 1)
    {
        IFrameConfig c;
        c.parameterCount = params;
        c.channelIOs = channels;
        c.presetCount = presets;
        c.effectName = "Brisbleep";
        c.manufacturerName = "Quorvane";
        c.version = MakeVersion(1, 0, 1);
        c.uniqueId = FourCC("spgp");
        c.manufacturerId = FourCC("Qorv");
        c.doesMidi = true;
        c.isInstrument = true;
        return c;
    }

    explicit TestFrame(const IFrameConfig& config = Config()) : IFrameBase(config) {}

    void BeginHostParameterEdit(int idx) override { log.push_back("begin " + std::to_string(idx)); }
    void SendHostParameterValue(int idx, double value) override
    {
        log.push_back("host " + std::to_string(idx));
        hostValues.push_back(value);
        if (const IParameter* p = GetParam(idx)) valuesWhenHostTold.push_back(p->Value());
    }
    void EndHostParameterEdit(int idx) override { log.push_back("end " + std::to_string(idx)); }
    void NotifyHostPresetChange() override { log.push_back("preset"); }
    double HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120; }
    void HostTimeSignature(int& n, int& d) override { n = d = 4; }
    void HostTimeInfo(ITimeInfo&) override {}
    void ResizeEditor(int, int) override {}
    bool SendMidiToHost(const IMidiMessage& m) override
    {
        sentMidi.push_back(m);
        return true;
    }

    void OnParameterChange(int idx) override
    {
        IFrameBase::OnParameterChange(idx);
        log.push_back("change " + std::to_string(idx));
    }
    void OnPresetChange() override { log.push_back("presetchange"); }
    void RenderDouble(double** in, double** out, int frames) override
    {
        renderSizes.push_back(frames);
        IFrameBase::RenderDouble(in, out, frames);
    }

    using IFrameBase::SetHost;

    std::vector<std::string> log;
    std::vector<double> hostValues;
    std::vector<double> valuesWhenHostTold; // the parameter's value at each SendHostParameterValue
    std::vector<IMidiMessage> sentMidi;
    std::vector<int> renderSizes;
};
