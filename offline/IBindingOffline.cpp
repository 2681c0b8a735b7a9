#include "offline/IBindingOffline.h"

namespace
{

IFrameConfig OfflineConfig()
{
    IFrameConfig config = BrisbleepFrameConfig();
    // Without a host there is no parameter context menu to offer, so editor clicks behave as under VST2.
    config.apiKind = kApiVST2;
    return config;
}

} // namespace

IBindingOffline::IBindingOffline(HostContext /*host*/) : IFrameBase(OfflineConfig())
{
    midiToHost_.reserve(kMidiRecordCapacity);
}

IBindingOffline::~IBindingOffline() = default;

void IBindingOffline::SetHostSampleRate(double rate)
{
    Lock lock(Mutex());
    if (!IsSaneHostSampleRate(rate)) return; // the instance keeps its rate, as under a plug-in host
    sampleRate_ = rate;
    OnReset();
}

void IBindingOffline::SetHostBlockSize(int frames)
{
    Lock lock(Mutex());
    SetMaxBlockSize(frames);
    OnReset();
}

void IBindingOffline::ConnectOutputs(int count)
{
    Lock lock(Mutex());
    for (int i = 0; i < NOutChannels(); ++i)
        SetOutputChannelConnected(i, i < count);
}

void IBindingOffline::SetProcessing(bool active)
{
    Lock lock(Mutex());
    OnActiveChange(active);
    if (!active) OnReset();
}

void IBindingOffline::DeliverMidi(const IMidiMessage& message)
{
    Lock lock(Mutex());
    OnMidiMessage(message);
}

void IBindingOffline::ProcessBlock(double** outputs, int frames)
{
    ProcessDoubleReplacing(nullptr, outputs, frames);
}

void IBindingOffline::ProcessBlock(float** outputs, int frames)
{
    ProcessReplacing(nullptr, outputs, frames);
}

void IBindingOffline::AutomateParameter(int paramIdx, double normalizedValue)
{
    SetParameterFromHost(paramIdx, normalizedValue, true);
}

void IBindingOffline::SetParameterValue(int paramIdx, double value)
{
    SetParameterFromHost(paramIdx, value, false);
}

void IBindingOffline::ClearHostRecords()
{
    Lock lock(Mutex());
    hostEdits_.clear();
    midiToHost_.clear();
    midiToHostCount_ = 0;
    presetChangeNotifications_ = 0;
}

void IBindingOffline::BeginHostParameterEdit(int paramIdx)
{
    hostEdits_.push_back({HostEdit::Begin, paramIdx, 0.0});
}

void IBindingOffline::SendHostParameterValue(int paramIdx, double normalizedValue)
{
    hostEdits_.push_back({HostEdit::Value, paramIdx, normalizedValue});
}

void IBindingOffline::EndHostParameterEdit(int paramIdx)
{
    hostEdits_.push_back({HostEdit::End, paramIdx, 0.0});
}

void IBindingOffline::NotifyHostPresetChange()
{
    ++presetChangeNotifications_;
}

void IBindingOffline::HostTimeSignature(int& numerator, int& denominator)
{
    numerator = 4;
    denominator = 4;
}

void IBindingOffline::HostTimeInfo(ITimeInfo& info)
{
    info.tempo = HostTempo();
    info.samplePosition = HostSamplePosition();
    info.ppqPosition = 0.0;
    info.lastBarPosition = 0.0;
    HostTimeSignature(info.numerator, info.denominator);
    info.transportRunning = false;
    info.loopActive = false;
}

void IBindingOffline::ResizeEditor(int /*width*/, int /*height*/) {}

bool IBindingOffline::SendMidiToHost(const IMidiMessage& message)
{
    ++midiToHostCount_;
    if (midiToHost_.size() < kMidiRecordCapacity) midiToHost_.push_back(message);
    return true;
}
