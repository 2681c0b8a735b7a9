#include "vst2/IBindingVST2.h"

#include "frame/IFrameEditor.h"
#include "frame/IdentifyHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
IBindingVST2* InstanceOf(vst2::EffectRecord* effect)
{
    return effect ? static_cast<IBindingVST2*>(effect->object) : nullptr;
}

int32_t ArrangementType(int channels)
{
    switch (channels)
    {
    case 0:
        return vst2::SpeakerArrangementType::kEmpty;
    case 1:
        return vst2::SpeakerArrangementType::kMono;
    case 2:
        return vst2::SpeakerArrangementType::kStereo;
    default:
        return vst2::SpeakerArrangementType::kUserDefined;
    }
}

// Host codes whose hosts get the stereo limitation of PrepareForHost.
bool NeedsStereoLimit(int hostKind)
{
    return hostKind == kHostForte || hostKind == kHostAudition || hostKind == kHostOrion ||
           hostKind == kHostSawStudio;
}

IFrameConfig VST2FrameConfig()
{
    IFrameConfig config = BrisbleepFrameConfig();
    config.apiKind = kApiVST2;
    return config;
}
} // namespace

IBindingVST2::IBindingVST2(HostContext host) : IFrameBase(VST2FrameConfig()), hostCallback_(host)
{
    effect_.magic = vst2::kEffectMagic;
    effect_.dispatcher = &DispatcherCallback;
    effect_.process = &ProcessCallback;
    effect_.setParameter = &SetParameterCallback;
    effect_.getParameter = &GetParameterCallback;
    effect_.numPrograms = NPresets();
    effect_.numParams = NParams();
    effect_.numInputs = NInChannels();
    effect_.numOutputs = NOutChannels();
    effect_.flags = vst2::EffectFlags::kCanReplacing | vst2::EffectFlags::kCanDoubleReplacing;
    if (LegalIO(1, -1)) effect_.flags |= vst2::EffectFlags::kCanMono;
    if (IsInstrument()) effect_.flags |= vst2::EffectFlags::kIsSynth;
    effect_.initialDelay = GetLatency();
    effect_.ioRatio = 1.0f;
    effect_.object = this;
    effect_.uniqueID = GetUniqueId();
    effect_.version = DecimalVersion(GetVersion());
    effect_.processReplacing = &ProcessReplacingCallback;
    effect_.processDoubleReplacing = &ProcessDoubleReplacingCallback;

    UpdateArrangements();
    // The record announces every channel, so all of them start connected.
    for (int i = 0; i < NInChannels(); ++i)
        SetInputChannelConnected(i, true);
    for (int i = 0; i < NOutChannels(); ++i)
        SetOutputChannelConnected(i, true);
    SetMaxBlockSize(1024);
}

IBindingVST2::~IBindingVST2() = default;

void IBindingVST2::UpdateArrangements()
{
    inputArrangement_.type = ArrangementType(NInChannels());
    inputArrangement_.numChannels = NInChannels();
    outputArrangement_.type = ArrangementType(NOutChannels());
    outputArrangement_.numChannels = NOutChannels();
}

intptr_t IBindingVST2::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return hostCallback_ ? hostCallback_(&effect_, opcode, index, value, ptr, opt) : 0;
}

// ---- host-facing operations ----

void IBindingVST2::BeginHostParameterEdit(int index)
{
    CallHost(vst2::HostOp::kBeginEdit, index);
}

void IBindingVST2::SendHostParameterValue(int index, double normalized)
{
    CallHost(vst2::HostOp::kAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IBindingVST2::EndHostParameterEdit(int index)
{
    CallHost(vst2::HostOp::kEndEdit, index);
}

void IBindingVST2::NotifyHostPresetChange()
{
    CallHost(vst2::HostOp::kUpdateDisplay);
}

bool IBindingVST2::IsOfflineRender()
{
    return CallHost(vst2::HostOp::kGetCurrentProcessLevel) == vst2::kProcessLevelOffline;
}

const vst2::VstTimeInfo* IBindingVST2::HostTime(int32_t requestFlags)
{
    return reinterpret_cast<const vst2::VstTimeInfo*>(CallHost(vst2::HostOp::kGetTime, 0, requestFlags));
}

double IBindingVST2::HostSamplePosition()
{
    const vst2::VstTimeInfo* time = HostTime(0);
    if (!time || !(time->samplePos >= 0.0)) return 0.0;
    return std::trunc(time->samplePos + 0.5);
}

double IBindingVST2::HostTempo()
{
    const vst2::VstTimeInfo* time = HostTime(vst2::TimeFlags::kTempoValid);
    if (time && (time->flags & vst2::TimeFlags::kTempoValid) && time->tempo >= 0.0) return time->tempo;
    return 0.0;
}

void IBindingVST2::HostTimeSignature(int& numerator, int& denominator)
{
    numerator = denominator = 0;
    const vst2::VstTimeInfo* time = HostTime(vst2::TimeFlags::kTimeSigValid);
    if (time && (time->flags & vst2::TimeFlags::kTimeSigValid) && time->timeSigNumerator >= 0 &&
        time->timeSigDenominator >= 0)
    {
        numerator = time->timeSigNumerator;
        denominator = time->timeSigDenominator;
    }
}

void IBindingVST2::HostTimeInfo(ITimeInfo& info)
{
    using namespace vst2::TimeFlags;
    constexpr int32_t kRequested = kPpqPosValid | kTempoValid | kBarsValid | kCyclePosValid | kTimeSigValid;
    const vst2::VstTimeInfo* time = HostTime(kRequested);
    if (!time || !(time->flags & kRequested)) return;
    const int32_t flags = time->flags;
    info.samplePosition = time->samplePos;
    if ((flags & kPpqPosValid) && time->ppqPos >= 0.0) info.ppqPosition = time->ppqPos;
    if ((flags & kTempoValid) && time->tempo > 0.0) info.tempo = time->tempo;
    if ((flags & kBarsValid) && time->barStartPos >= 0.0) info.lastBarPosition = time->barStartPos;
    if ((flags & kCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0)
    {
        info.cycleStart = time->cycleStartPos;
        info.cycleEnd = time->cycleEndPos;
    }
    if ((flags & kTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0)
    {
        info.numerator = time->timeSigNumerator;
        info.denominator = time->timeSigDenominator;
    }
    info.transportRunning = (flags & kTransportPlaying) != 0;
    info.loopActive = (flags & kTransportCycleActive) != 0;
}

int IBindingVST2::HostKind()
{
    if (hostKind_ == -1)
    {
        char product[256] = {};
        CallHost(vst2::HostOp::kGetProductString, 0, 0, product);
        product[sizeof(product) - 1] = '\0'; // a host that filled the whole buffer
        int32_t version = 0;
        if (product[0] != '\0')
        {
            const intptr_t decimal = CallHost(vst2::HostOp::kGetVendorVersion);
            version = MakeVersion(static_cast<int>(decimal / 10000), static_cast<int>(decimal / 100 % 100),
                                  static_cast<int>(decimal % 100));
        }
        SetHost(product, version);
    }
    return hostKind_;
}

bool IBindingVST2::SendMidiToHost(const IMidiMessage& message)
{
    vst2::VstMidiEvent event{};
    event.type = vst2::kMidiEventType;
    event.byteSize = sizeof(event);
    event.deltaFrames = message.offset;
    event.midiData[0] = static_cast<char>(message.status);
    event.midiData[1] = static_cast<char>(message.data1);
    event.midiData[2] = static_cast<char>(message.data2);
    vst2::VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<vst2::VstEvent*>(&event);
    return CallHost(vst2::HostOp::kProcessEvents, 0, 0, &list) == 1;
}

bool IBindingVST2::SendSysExToHost(const ISysExMessage& message)
{
    vst2::VstMidiSysexEvent event{};
    event.type = vst2::kSysExEventType;
    event.byteSize = sizeof(event);
    event.deltaFrames = message.offset;
    event.dumpBytes = message.size;
    event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(message.data));
    vst2::VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<vst2::VstEvent*>(&event);
    return CallHost(vst2::HostOp::kProcessEvents, 0, 0, &list) == 1;
}

void IBindingVST2::SetLatencySamples(int samples)
{
    IFrameBase::SetLatencySamples(samples);
    effect_.initialDelay = samples;
}

void IBindingVST2::SetEditorRectFromEditor()
{
    const IFrameEditor* editor = GetEditor();
    editorRect_ = {0, 0, static_cast<int16_t>(editor->Height()), static_cast<int16_t>(editor->Width())};
}

void IBindingVST2::AttachEditor(IFrameEditor* editor)
{
    IFrameBase::AttachEditor(editor);
    if (!GetEditor()) return;
    effect_.flags |= vst2::EffectFlags::kHasEditor;
    SetEditorRectFromEditor();
}

void IBindingVST2::ResizeEditor(int, int)
{
    if (!GetEditor()) return;
    SetEditorRectFromEditor();
    OnEditorResized();
}

void IBindingVST2::PrepareForHost()
{
    if (hostPrepared_) return;
    hostPrepared_ = true;
    if (NeedsStereoLimit(HostKind()))
    {
        for (int i = 2; i < NInChannels(); ++i)
            SetInputChannelConnected(i, false);
        for (int i = 2; i < NOutChannels(); ++i)
            SetOutputChannelConnected(i, true);
    }
    UpdateArrangements();
    effect_.numInputs = NInChannels();
    effect_.numOutputs = NOutChannels();
    OnHostPrepared();
}

// ---- callbacks stored in the effect record ----
// Nothing may propagate into the host, so every callback swallows exceptions.

intptr_t IBindingVST2::DispatcherCallback(vst2::EffectRecord* effect, int32_t opcode, int32_t index,
                                          intptr_t value, void* ptr, float opt)
{
    IBindingVST2* self = InstanceOf(effect);
    if (!self) return 0;
    try
    {
        if (opcode == vst2::EffectOp::kClose)
        {
            // Wait for any call still inside the instance, then destroy it without holding the mutex.
            // A host that closes the instance with its editor still open gets the window closed
            // first, while the whole instance still exists for the editor's timer.
            self->Mutex().lock();
            if (IFrameEditor* editor = self->GetEditor()) editor->CloseWindow();
            self->Mutex().unlock();
            delete self;
            return 0;
        }
        if (opcode == vst2::EffectOp::kEditIdle)
        {
            // The editor's timer runs as a window's timer would, outside the instance lock: parameter
            // changes from the editor take the lock themselves, and a popup menu the user is reading
            // must not hold up the audio.
            self->EditorIdle();
            return 0;
        }
        Lock lock(self->Mutex());
        return self->Dispatch(opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

template <typename Sample>
void IBindingVST2::RunProcess(vst2::EffectRecord* effect, Sample** inputs, Sample** outputs, int32_t frames,
                              void (IFrameBase::*process)(Sample**, Sample**, int))
{
    IBindingVST2* self = InstanceOf(effect);
    if (!self) return;
    try
    {
        Lock lock(self->Mutex());
        if (self->DoesMidi()) self->CallHost(vst2::HostOp::kWantMidi);
        (self->*process)(inputs, outputs, frames);
    }
    catch (...)
    {
    }
}

void IBindingVST2::ProcessCallback(vst2::EffectRecord* effect, float** inputs, float** outputs,
                                   int32_t frames)
{
    RunProcess(effect, inputs, outputs, frames, &IFrameBase::ProcessAccumulating);
}

void IBindingVST2::ProcessReplacingCallback(vst2::EffectRecord* effect, float** inputs, float** outputs,
                                            int32_t frames)
{
    RunProcess(effect, inputs, outputs, frames, &IFrameBase::ProcessReplacing);
}

void IBindingVST2::ProcessDoubleReplacingCallback(vst2::EffectRecord* effect, double** inputs,
                                                  double** outputs, int32_t frames)
{
    RunProcess(effect, inputs, outputs, frames, &IFrameBase::ProcessDoubleReplacing);
}

void IBindingVST2::SetParameterCallback(vst2::EffectRecord* effect, int32_t index, float value)
{
    IBindingVST2* self = InstanceOf(effect);
    if (!self) return;
    try
    {
        // A value outside [0, 1] (or not a number) would leave the parameter's range; hosts mean the
        // nearest end, and a NaN is not a value at all.
        if (std::isnan(value)) return;
        self->SetParameterFromHost(index, std::clamp(static_cast<double>(value), 0.0, 1.0), true);
    }
    catch (...)
    {
    }
}

float IBindingVST2::GetParameterCallback(vst2::EffectRecord* effect, int32_t index)
{
    IBindingVST2* self = InstanceOf(effect);
    if (!self) return 0.0f;
    try
    {
        Lock lock(self->Mutex());
        const IParameter* param = self->GetParam(index);
        return param ? static_cast<float>(param->ToNormalized()) : 0.0f;
    }
    catch (...)
    {
        return 0.0f;
    }
}
