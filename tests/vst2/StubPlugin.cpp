// A small instrument on the VST2 binding, loaded by the tests as a plug-in of its own. It exercises the
// parts of the binding the real instrument does not reach yet: an attached editor, note names, system
// exclusive messages sent back, and a renderer whose output is known exactly.

#include "vst2/IBindingVST2.h"

#include "frame/FrameText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>

IFrameConfig BrisbleepFrameConfig()
{
    IFrameConfig config;
    config.parameterCount = 3;
    config.channelIOs = "1-1 2-2 4-4";
    config.presetCount = 2;
    config.effectName = "Stub";
    config.productName = "Stub Product";
    config.manufacturerName = "Stub Vendor";
    config.version = MakeVersion(2, 3, 4);
    config.uniqueId = FourCC("stub");
    config.manufacturerId = FourCC("Stbv");
    config.doesMidi = false;
    config.isInstrument = false;
    return config;
}

namespace
{
// A short text of what happened, read back (and emptied) through a MIDI key name.
class EventLog
{
public:
    template <typename... Args> void Append(const char* format, Args... args)
    {
        const size_t used = std::strlen(text_);
        std::snprintf(text_ + used, sizeof(text_) - used, format, args...);
    }
    void Take(std::span<char> out)
    {
        CopyText(out.data(), out.size(), text_);
        text_[0] = '\0';
    }

private:
    char text_[64] = {}; // within a key name's 64 characters
};

class StubEditor : public IFrameEditor
{
public:
    // What the frame showed on the controls: index, value, and n(ormalised) or r(eal).
    void PushValueToControls(int index, double value, bool isNormalized) override
    {
        log.Append("%d %g %c;", index, value, isNormalized ? 'n' : 'r');
    }
    void PrepareDraw() override {}
    int Width() const override { return width; }
    int Height() const override { return height; }
    // Opens when the host gives a parent window.
    void* OpenWindow(void* parent) override { return parent; }
    void CloseWindow() override {}

    EventLog log;
    int width = 320;
    int height = 200;
};

class StubInstrument : public IBindingVST2
{
public:
    explicit StubInstrument(HostContext host) : IBindingVST2(host)
    {
        GetParam(0)->DefineDouble("Level", 0.5, 0.0, 1.0, 0.01, "dB");
        GetParam(1)->DefineDouble("Offset", 0.0, -10.0, 10.0, 0.1, "st");
        GetParam(1)->SetNegateDisplay(true);
        GetParam(2)->DefineEnum("Mode", 0, 3);
        GetParam(2)->AddDisplayText(0, "A");
        GetParam(2)->AddDisplayText(1, "B");
        GetParam(2)->AddDisplayText(2, "C");
        editor_ = new StubEditor;
        AttachEditor(editor_);
    }

    // Every output sample is the Level parameter plus the output's index times 0.125, plus the input
    // of the same index, so that the tests can see which inputs carry the host's samples.
    void RenderDouble(double** inputs, double** outputs, int frames) override
    {
        for (int c = 0; c < NOutChannels(); ++c)
            for (int s = 0; s < frames; ++s)
                outputs[c][s] = GetParam(0)->Value() + 0.125 * c + (c < NInChannels() ? inputs[c][s] : 0.0);
    }

    // The lifecycle calls the dispatcher makes, in order, with the rate and block size each one saw.
    void OnReset() override
    {
        IBindingVST2::OnReset();
        events_.Append("reset %g %d;", GetSampleRate(), GetBlockSize());
    }
    void OnEditorResized() override { events_.Append("%s;", "resized"); }
    void OnActiveChange(bool active) override
    {
        IBindingVST2::OnActiveChange(active);
        events_.Append("active %d;", active);
    }

    // Note 60 has a name; notes 61 to 63 report what the host's time queries answered, so that the
    // tests can read them through the key-name opcode.
    bool GetMidiNoteName(int note, std::span<char> out) override
    {
        switch (note)
        {
        case 60:
            CopyText(out.data(), out.size(), "Middle C");
            return true;
        case 61:
        {
            int numerator = -1, denominator = -1;
            HostTimeSignature(numerator, denominator);
            std::snprintf(out.data(), out.size(), "%g %g %d/%d", HostTempo(), HostSamplePosition(), numerator,
                          denominator);
            return true;
        }
        case 62:
        {
            ITimeInfo info;
            info.tempo = -1;
            info.samplePosition = info.ppqPosition = info.lastBarPosition = -1;
            info.cycleStart = info.cycleEnd = -1;
            info.numerator = info.denominator = -1;
            HostTimeInfo(info);
            std::snprintf(out.data(), out.size(), "%g %g %g %g %g %g %d/%d %d%d", info.tempo,
                          info.samplePosition, info.ppqPosition, info.lastBarPosition, info.cycleStart,
                          info.cycleEnd, info.numerator, info.denominator, info.transportRunning,
                          info.loopActive);
            return true;
        }
        case 63:
        {
            const int kind = HostKind();
            std::snprintf(out.data(), out.size(), "%d %d %d", IsOfflineRender(), kind, GetHostVersion());
            return true;
        }
        case 64: // the lifecycle calls so far, then forgotten
            events_.Take(out);
            return true;
        case 65: // the values shown on the editor so far, then forgotten
            editor_->log.Take(out);
            return true;
        case 66: // the editor grows and the instrument gains latency
            editor_->width = 400;
            editor_->height = 250;
            ResizeEditor(400, 250);
            SetLatencySamples(96);
            return true;
        default:
            return IBindingVST2::GetMidiNoteName(note, out);
        }
    }

    void OnSysEx(const ISysExMessage& message) override { SendSysExToHost(message); }

    // Renaming the program plays a user's edit of the Mode control, so the tests can watch the host calls.
    void OnPresetChange() override
    {
        BeginHostParameterEdit(2);
        SetParameterFromEditor(2, 0.5);
        EndHostParameterEdit(2);
        NotifyHostPresetChange();
    }

private:
    StubEditor* editor_ = nullptr; // owned by the frame
    EventLog events_;
};
} // namespace

IBindingVST2* CreateVST2Instance(vst2::HostCallback host)
{
    return new (std::nothrow) StubInstrument(host);
}
