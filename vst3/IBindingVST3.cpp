#include "vst3/IBindingVST3.h"

#include "vst3/IBindingVST3View.h"
#include "vst3/VST3Parameters.h"
#include "vst3/VST3Text.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstplugview.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr int kChannelsPerOutputBus = 2;
constexpr int kInitialViewCapacity = 10;
constexpr int kStateBypassBytes = 4;

IFrameConfig VST3Config()
{
    IFrameConfig config = BrisbleepFrameConfig();
    config.apiKind = kApiVST3;
    return config;
}

int ChannelsOf(SpeakerArrangement arrangement)
{
    int count = 0;
    for (; arrangement; arrangement &= arrangement - 1)
        ++count;
    return count;
}

// Reads exactly n bytes; a stream that ends early or fails counts as a failed read.
bool ReadExactly(IBStream* stream, void* buffer, int32 n)
{
    int32 got = 0;
    return stream->read(buffer, n, &got) == kResultOk && got == n;
}

template <typename Sample> void PassThroughChannel(const Sample* input, Sample* output, int frames)
{
    if (!output) return;
    if (input)
        std::copy_n(input, frames, output);
    else
        std::fill_n(output, frames, Sample(0));
}

// Channel c of a host bus in both sample sizes; none where the host passed no buffer for it.
void TakeHostChannel(const AudioBusBuffers* buffers, int c, double*& out64, float*& out32)
{
    const bool present = buffers && c < buffers->numChannels;
    out64 = present && buffers->channelBuffers64 ? buffers->channelBuffers64[c] : nullptr;
    out32 = present && buffers->channelBuffers32 ? buffers->channelBuffers32[c] : nullptr;
}

// Hosts make the event velocity from a MIDI velocity as v / 127 in single precision, so the way back
// is single precision too: it returns every MIDI velocity exactly, where double precision would turn
// 67 of them (100 among them) one step softer. A note-on too soft for one MIDI step still plays at
// the softest velocity instead of turning into a note-off; out-of-range values are held to [0, 1].
uint8_t MidiVelocity(float velocity)
{
    if (!(velocity > 0.0f)) return 0;
    const int steps = static_cast<int>(std::min(velocity, 1.0f) * 127.0f);
    return static_cast<uint8_t>(std::max(steps, 1));
}

bool WriteExactly(IBStream* stream, const void* buffer, int32 n)
{
    int32 written = 0;
    return stream->write(const_cast<void*>(buffer), n, &written) == kResultOk && written == n;
}
} // namespace

IBindingVST3::IBindingVST3(HostContext host) : IBindingVST3(host, VST3Config()) {}

IBindingVST3::IBindingVST3(HostContext, const IFrameConfig& config) : IFrameBase(config)
{
    views.reserve(kInitialViewCapacity);

    inputBusNames_.clear();
    outputBusNames_.clear();
    if (NInChannels() > 0) inputBusNames_.push_back("Main Input");
    if (IsInstrument())
    {
        const int busCount = (NOutChannels() + kChannelsPerOutputBus - 1) / kChannelsPerOutputBus;
        for (int bus = 0; bus < busCount; ++bus)
        {
            char name[32];
            std::snprintf(name, sizeof name, "Output %i", bus + 1);
            outputBusNames_.push_back(name);
        }
    }
    else
    {
        outputBusNames_.push_back("Output");
    }

    for (int i = 0; i < NInChannels(); ++i)
        SetInputChannelConnected(i, true);
    for (int i = 0; i < NOutChannels(); ++i)
        SetOutputChannelConnected(i, true);

    // The time queries read these fields of the host's context; asking for them is what makes a
    // host fill them in.
    processContextRequirements.needTempo()
        .needTimeSignature()
        .needProjectTimeMusic()
        .needBarPositionMusic()
        .needCycleMusic()
        .needTransportState();
}

IBindingVST3::~IBindingVST3() = default;

IParameter* IBindingVST3::FrameParam(ParamID id)
{
    // Identifiers above the int range are four-character codes, never indices.
    return id < 0x80000000u ? GetParam(static_cast<int>(id)) : nullptr;
}

SpeakerArrangement IBindingVST3::ArrangementForChannels(int channels)
{
    switch (channels)
    {
    case 1:
        return 0x80000;
    case 2:
        return 3;
    case 3:
        return 259;
    case 4:
        return 0xF00000;
    case 5:
        return 55;
    case 6:
        return 63;
    default:
        return 0;
    }
}

// Channels of the frame that output bus `bus` carries: [first, first + count).
static void OutputBusChannels(int bus, int busCount, int channelCount, int& first, int& count)
{
    if (busCount == 1)
    {
        first = 0;
        count = channelCount;
        return;
    }
    first = bus * kChannelsPerOutputBus;
    count = std::clamp(channelCount - first, 0, kChannelsPerOutputBus);
}

//------------------------------------------------------------------------------------------------
// Initialisation

tresult PLUGIN_API IBindingVST3::initialize(FUnknown* context)
{
    Lock lock(Mutex());
    try
    {
        const tresult result = SingleComponentEffect::initialize(context);
        if (result != kResultOk) return result;

        if (FUnknownPtr<IHostApplication> app(context); app)
        {
            String128 name{};
            if (app->getName(name) == kResultOk)
            {
                // Host names are matched against plain ASCII texts: the low byte of each unit will do.
                char product[128] = {};
                for (int i = 0; i < 127 && name[i]; ++i)
                    product[i] = static_cast<char>(name[i] & 0xFF);
                SetHost(product, 0);
            }
        }

        AddBuses();
        AddParameters();
        ApplyPreset(0);
        OnHostPrepared();
        return kResultOk;
    }
    catch (...)
    {
        return kOutOfMemory;
    }
}

void IBindingVST3::AddBuses()
{
    for (std::size_t i = 0; i < inputBusNames_.size(); ++i)
    {
        String128 name;
        ToString128(name, inputBusNames_[i].c_str());
        addAudioInput(name, ArrangementForChannels(NInChannels()), i == 0 ? kMain : kAux);
    }
    const int busCount = static_cast<int>(outputBusNames_.size());
    for (int bus = 0; bus < busCount; ++bus)
    {
        int first = 0, count = 0;
        OutputBusChannels(bus, busCount, NOutChannels(), first, count);
        String128 name;
        ToString128(name, outputBusNames_[bus].c_str());
        addAudioOutput(name, ArrangementForChannels(count), kMain);
    }
    if (DoesMidi()) addEventInput(STR16("MIDI Input"), 1);
}

void IBindingVST3::AddParameters()
{
    parameters.init(NParams() + 2);
    if (NPresets() > 0)
        parameters.addParameter(STR16("Preset"), STR16(""), NPresets(), 0.0, ParameterInfo::kIsProgramChange,
                                static_cast<int32>(kPresetParamId), kRootUnitId);
    if (!IsInstrument())
    {
        auto* bypass = new StringListParameter(
            STR16("Bypass"), kBypassParamId, nullptr,
            ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass, kRootUnitId);
        bypass->appendString(STR16("off"));
        bypass->appendString(STR16("on"));
        parameters.addParameter(bypass);
    }
    for (int i = 0; i < NParams(); ++i)
        AddFrameParameter(i);
}

void IBindingVST3::AddFrameParameter(int index)
{
    const IParameter& param = *GetParam(index);
    const UnitID unit = UnitOfGroup(param.Group());
    parameters.addParameter(MakeVST3Parameter(param, static_cast<ParamID>(index), unit));
}

int IBindingVST3::UnitOfGroup(const char* group)
{
    if (!group || !group[0]) return kRootUnitId;
    for (std::size_t i = 0; i < parameterGroups_.size(); ++i)
        if (parameterGroups_[i] == group) return static_cast<int>(i) + 1;
    parameterGroups_.push_back(group);
    return static_cast<int>(parameterGroups_.size());
}

tresult PLUGIN_API IBindingVST3::terminate()
{
    Lock lock(Mutex());
    return SingleComponentEffect::terminate();
}

//------------------------------------------------------------------------------------------------
// Buses. The SDK's versions index their lists without checking for negative indices.

tresult PLUGIN_API IBindingVST3::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& info)
{
    Lock lock(Mutex());
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    return SingleComponentEffect::getBusInfo(type, dir, index, info);
}

tresult PLUGIN_API IBindingVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
    Lock lock(Mutex());
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API IBindingVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                    SpeakerArrangement* outputs, int32 numOuts)
{
    Lock lock(Mutex());
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
        return kInvalidArgument;
    if (numIns != static_cast<int32>(audioInputs.size()) ||
        numOuts != static_cast<int32>(audioOutputs.size()))
        return kResultFalse;
    // Every bus keeps at most the channels it was built with, and the whole must be a legal layout.
    int totalIn = 0, totalOut = 0;
    for (int32 i = 0; i < numIns; ++i)
    {
        const int channels = ChannelsOf(inputs[i]);
        if (channels == 0 || inputs[i] != ArrangementForChannels(channels) ||
            channels > ChannelsOf(FCast<AudioBus>(audioInputs[i].get())->getArrangement()))
            return kResultFalse;
        totalIn += channels;
    }
    for (int32 i = 0; i < numOuts; ++i)
    {
        int first = 0, count = 0;
        OutputBusChannels(i, numOuts, NOutChannels(), first, count);
        const int channels = ChannelsOf(outputs[i]);
        if (channels == 0 || outputs[i] != ArrangementForChannels(channels) || channels > count)
            return kResultFalse;
        totalOut += channels;
    }
    if (!LegalIO(totalIn, totalOut)) return kResultFalse;
    return SingleComponentEffect::setBusArrangements(inputs, numIns, outputs, numOuts);
}

tresult PLUGIN_API IBindingVST3::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
    Lock lock(Mutex());
    BusList* list = getBusList(kAudio, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    return SingleComponentEffect::getBusArrangement(dir, index, arr);
}

//------------------------------------------------------------------------------------------------
// Processing

tresult PLUGIN_API IBindingVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IBindingVST3::setupProcessing(ProcessSetup& setup)
{
    Lock lock(Mutex());
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue || setup.maxSamplesPerBlock < 0 ||
        !IsSaneHostSampleRate(setup.sampleRate))
        return kResultFalse;
    processSetup = setup;
    processMode = setup.processMode;
    sampleSize = setup.symbolicSampleSize;
    const bool rateChanged = sampleRate_ != setup.sampleRate;
    const bool blockChanged = GetBlockSize() != setup.maxSamplesPerBlock;
    sampleRate_ = setup.sampleRate;
    if (rateChanged) OnReset();
    if (blockChanged)
    {
        SetMaxBlockSize(setup.maxSamplesPerBlock);
        OnReset();
    }
    return kResultOk;
}

tresult PLUGIN_API IBindingVST3::setActive(TBool state)
{
    Lock lock(Mutex());
    OnActiveChange(state != 0);
    if (!state) OnReset();
    return kResultOk;
}

tresult PLUGIN_API IBindingVST3::setProcessing(TBool)
{
    return kResultOk;
}

uint32 PLUGIN_API IBindingVST3::getLatencySamples()
{
    return static_cast<uint32>(std::max(GetLatency(), 0));
}

uint32 PLUGIN_API IBindingVST3::getTailSamples()
{
    return static_cast<uint32>(std::max(GetTailSize(), 0));
}

tresult PLUGIN_API IBindingVST3::process(ProcessData& data)
{
    Lock lock(Mutex());
    if (data.processContext)
    {
        processContext = *data.processContext;
        haveProcessContext = true;
    }
    ApplyParameterChanges(data.inputParameterChanges);
    if (DoesMidi()) ForwardEvents(data.inputEvents);
    if (data.numSamples <= 0) return kResultOk;
    if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64) return kResultFalse;

    // Host buffers of the connected channels, in channel order; a missing buffer leaves its slot empty
    // and the frame renders that channel into its scratch.
    double* hostOut64[kMaxHostChannels] = {};
    float* hostOut32[kMaxHostChannels] = {};
    double* hostIn64[kMaxHostChannels] = {};
    float* hostIn32[kMaxHostChannels] = {};
    int nOut = 0, nIn = 0;

    const int outBusCount = static_cast<int>(audioOutputs.size());
    for (int bus = 0; bus < outBusCount; ++bus)
    {
        int first = 0, count = 0;
        OutputBusChannels(bus, outBusCount, NOutChannels(), first, count);
        const auto* audioBus = FCast<AudioBus>(audioOutputs[bus].get());
        const int arranged = ChannelsOf(audioBus->getArrangement());
        const AudioBusBuffers* buffers = bus < data.numOutputs && data.outputs ? &data.outputs[bus] : nullptr;
        for (int c = 0; c < count; ++c)
        {
            const bool connected = audioBus->isActive() && c < arranged;
            SetOutputChannelConnected(first + c, connected);
            if (!connected || nOut >= kMaxHostChannels) continue;
            TakeHostChannel(buffers, c, hostOut64[nOut], hostOut32[nOut]);
            ++nOut;
        }
    }
    const int inBusCount = static_cast<int>(audioInputs.size());
    for (int bus = 0, channel = 0; bus < inBusCount && channel < NInChannels(); ++bus)
    {
        const auto* audioBus = FCast<AudioBus>(audioInputs[bus].get());
        const int arranged = ChannelsOf(audioBus->getArrangement());
        const AudioBusBuffers* buffers = bus < data.numInputs && data.inputs ? &data.inputs[bus] : nullptr;
        for (int c = 0; c < arranged && channel < NInChannels(); ++c, ++channel)
        {
            const bool connected = audioBus->isActive();
            SetInputChannelConnected(channel, connected);
            if (!connected || nIn >= kMaxHostChannels) continue;
            TakeHostChannel(buffers, c, hostIn64[nIn], hostIn32[nIn]);
            ++nIn;
        }
    }

    const int frames = data.numSamples;
    if (IsBypassed())
    {
        // Pass-through: input i to output i, silence where there is no input.
        for (int i = 0; i < nOut; ++i)
        {
            if (data.symbolicSampleSize == kSample64)
                PassThroughChannel(i < nIn ? hostIn64[i] : nullptr, hostOut64[i], frames);
            else
                PassThroughChannel(i < nIn ? hostIn32[i] : nullptr, hostOut32[i], frames);
        }
        return kResultOk;
    }
    if (data.symbolicSampleSize == kSample64)
        ProcessDoubleReplacing(hostIn64, hostOut64, frames);
    else
        ProcessReplacing(hostIn32, hostOut32, frames);
    // Outputs are written in every block, so none is silent by flag.
    for (int32 bus = 0; bus < data.numOutputs && data.outputs; ++bus)
        data.outputs[bus].silenceFlags = 0;
    return kResultOk;
}

void IBindingVST3::ApplyParameterChanges(IParameterChanges* changes)
{
    if (!changes) return;
    const int32 count = changes->getParameterCount();
    for (int32 i = 0; i < count; ++i)
    {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue) continue;
        const int32 points = queue->getPointCount();
        ParamValue value = 0.0;
        int32 offset = 0;
        // Only the last point counts, and it takes effect at the start of the block.
        if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
        const ParamID id = queue->getParameterId();
        if (id == kBypassParamId)
        {
            isBypassed_ = value > 0.5;
        }
        else if (id == kPresetParamId)
        {
            const int k = static_cast<int>(value * NPresets());
            if (k >= 0) ApplyPreset(k);
        }
        else if (FrameParam(id))
        {
            SetParameterFromHost(static_cast<int>(id), value, true);
        }
    }
}

void IBindingVST3::ForwardEvents(IEventList* events)
{
    if (!events) return;
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i)
    {
        Event event{};
        if (events->getEvent(i, event) != kResultOk) continue;
        IMidiMessage message;
        message.offset = std::max(event.sampleOffset, 0);
        if (event.type == Event::kNoteOnEvent)
        {
            if (event.noteOn.pitch < 0 || event.noteOn.pitch > 127) continue;
            message.status = static_cast<uint8_t>(0x90 | (event.noteOn.channel & 0x0F));
            message.data1 = static_cast<uint8_t>(event.noteOn.pitch);
            message.data2 = MidiVelocity(event.noteOn.velocity);
        }
        else if (event.type == Event::kNoteOffEvent)
        {
            if (event.noteOff.pitch < 0 || event.noteOff.pitch > 127) continue;
            message.status = static_cast<uint8_t>(0x80 | (event.noteOff.channel & 0x0F));
            message.data1 = static_cast<uint8_t>(event.noteOff.pitch);
            message.data2 = 0;
        }
        else
        {
            continue;
        }
        OnMidiMessage(message);
    }
}

//------------------------------------------------------------------------------------------------
// State: the controller's state calls carry the frame's state plus the bypass word.

tresult PLUGIN_API IBindingVST3::getEditorState(IBStream* state)
{
    if (!state) return kInvalidArgument;
    Lock lock(Mutex());
    try
    {
        IStateChunk chunk;
        if (!SaveState(chunk)) return kResultFalse;
        const int32 bypass = IsBypassed() ? 1 : 0;
        const uint8 bypassBytes[kStateBypassBytes] = {static_cast<uint8>(bypass), 0, 0, 0};
        if (!WriteExactly(state, chunk.Data(), chunk.Size()) ||
            !WriteExactly(state, bypassBytes, kStateBypassBytes))
            return kResultFalse;
        return kResultOk;
    }
    catch (...)
    {
        return kOutOfMemory;
    }
}

tresult PLUGIN_API IBindingVST3::setEditorState(IBStream* state)
{
    if (!state) return kInvalidArgument;
    Lock lock(Mutex());
    try
    {
        // The current state's size says how many bytes a saved one takes.
        IStateChunk scratch;
        SaveState(scratch);
        const int32 size = scratch.Size();
        if (size <= 0) return kResultFalse;

        IStateChunk incoming;
        if (!incoming.Resize(size)) return kOutOfMemory;
        int32 got = 0;
        if (state->read(incoming.Data(), size, &got) != kResultOk) got = 0;
        // A short stream still hands over what it had; the parameters read stay in place.
        incoming.Resize(std::clamp(got, 0, size));
        const int32 end = LoadState(incoming, 0);

        uint8 bypassBytes[kStateBypassBytes] = {};
        const bool complete = got == size && end >= 0 && ReadExactly(state, bypassBytes, kStateBypassBytes);
        if (complete) isBypassed_ = (bypassBytes[0] | bypassBytes[1] | bypassBytes[2] | bypassBytes[3]) != 0;
        // A short state still moved the parameters it held, so the editor shows what is now in place
        // either way; only a complete one reports success.
        RefreshEditorFromParameters();
        return complete ? kResultOk : kResultFalse;
    }
    catch (...)
    {
        return kOutOfMemory;
    }
}

tresult PLUGIN_API IBindingVST3::setComponentState(IBStream*)
{
    return kNotImplemented;
}

//------------------------------------------------------------------------------------------------
// Edit controller queries

tresult PLUGIN_API IBindingVST3::getParamStringByValue(ParamID id, ParamValue normalized, String128 text)
{
    if (!text) return kInvalidArgument;
    Lock lock(Mutex());
    const IParameter* param = FrameParam(id);
    if (!param) return EditControllerEx1::getParamStringByValue(id, normalized, text);
    char buffer[32] = {};
    param->FormatValue(normalized, true, buffer, true);
    ToString128(text, buffer);
    return kResultOk;
}

tresult PLUGIN_API IBindingVST3::getParamValueByString(ParamID id, TChar* text, ParamValue& normalized)
{
    if (!text) return kInvalidArgument;
    Lock lock(Mutex());
    try
    {
        // A text that reads as no number ("nan", "inf") is no value; whatever is read is a
        // normalised value within [0, 1], as the host expects (the SDK's plain parameters, such as
        // the preset one, would pass "3" on as 3).
        ParamValue read = 0.0;
        const tresult result = EditControllerEx1::getParamValueByString(id, text, read);
        if (result != kResultOk) return result;
        if (!std::isfinite(read)) return kResultFalse;
        normalized = std::clamp(read, 0.0, 1.0);
        return kResultOk;
    }
    catch (...)
    {
        // The SDK's number scanner throws on text that is not valid UTF-16 (a lone surrogate).
        return kResultFalse;
    }
}

ParamValue PLUGIN_API IBindingVST3::normalizedParamToPlain(ParamID id, ParamValue normalized)
{
    Lock lock(Mutex());
    return EditControllerEx1::normalizedParamToPlain(id, normalized);
}

ParamValue PLUGIN_API IBindingVST3::plainParamToNormalized(ParamID id, ParamValue plain)
{
    Lock lock(Mutex());
    const IParameter* param = FrameParam(id);
    return param ? param->ToNormalized(plain) : plain;
}

ParamValue PLUGIN_API IBindingVST3::getParamNormalized(ParamID id)
{
    Lock lock(Mutex());
    if (id == kBypassParamId) return IsBypassed() ? 1.0 : 0.0;
    if (const IParameter* param = FrameParam(id)) return param->ToNormalized();
    return EditControllerEx1::getParamNormalized(id);
}

tresult PLUGIN_API IBindingVST3::setParamNormalized(ParamID id, ParamValue normalized)
{
    Lock lock(Mutex());
    if (id == kBypassParamId && !IsInstrument())
    {
        isBypassed_ = normalized > 0.5;
        return EditControllerEx1::setParamNormalized(id, normalized);
    }
    if (IParameter* param = FrameParam(id))
    {
        param->SetFromNormalized(normalized);
        return kResultOk;
    }
    // "Preset" keeps the host's value in its own parameter object; unknown identifiers are refused.
    return EditControllerEx1::setParamNormalized(id, normalized);
}

IPlugView* PLUGIN_API IBindingVST3::createView(FIDString name)
{
    if (!name || std::strcmp(name, ViewType::kEditor) != 0) return nullptr;
    Lock lock(Mutex());
    try
    {
        auto* view = new IBindingVST3View(this);
        views.push_back(view);
        return view;
    }
    catch (...)
    {
        return nullptr;
    }
}

void IBindingVST3::RemoveView(IBindingVST3View* view)
{
    Lock lock(Mutex());
    views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

//------------------------------------------------------------------------------------------------
// Units and the preset list

int32 PLUGIN_API IBindingVST3::getUnitCount()
{
    Lock lock(Mutex());
    return static_cast<int32>(parameterGroups_.size()) + 1;
}

tresult PLUGIN_API IBindingVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    Lock lock(Mutex());
    if (unitIndex < 0 || unitIndex > static_cast<int32>(parameterGroups_.size())) return kResultFalse;
    info = UnitInfo{};
    if (unitIndex == 0)
    {
        info.id = kRootUnitId;
        info.parentUnitId = kNoParentUnitId;
        info.programListId = NPresets() > 0 ? static_cast<ProgramListID>(kPresetListId) : kNoProgramListId;
        ToString128(info.name, "Root");
    }
    else
    {
        info.id = unitIndex;
        info.parentUnitId = kRootUnitId;
        info.programListId = kNoProgramListId;
        ToString128(info.name, parameterGroups_[unitIndex - 1].c_str());
    }
    return kResultTrue;
}

int32 PLUGIN_API IBindingVST3::getProgramListCount()
{
    Lock lock(Mutex());
    return NPresets() > 0 ? 1 : 0;
}

tresult PLUGIN_API IBindingVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    Lock lock(Mutex());
    if (listIndex != 0 || NPresets() <= 0) return kResultFalse;
    info = ProgramListInfo{};
    info.id = static_cast<ProgramListID>(kPresetListId);
    info.programCount = NPresets();
    ToString128(info.name, "Presets");
    return kResultTrue;
}

tresult PLUGIN_API IBindingVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    Lock lock(Mutex());
    if (listId != static_cast<ProgramListID>(kPresetListId) || !name || programIndex < 0 ||
        programIndex >= NPresets())
        return kResultFalse;
    ToString128(name, PresetName(programIndex));
    return kResultTrue;
}

//------------------------------------------------------------------------------------------------
// Host-facing operations of the frame

void IBindingVST3::BeginHostParameterEdit(int index)
{
    beginEdit(static_cast<ParamID>(index));
}

void IBindingVST3::SendHostParameterValue(int index, double normalized)
{
    performEdit(static_cast<ParamID>(index), normalized);
}

void IBindingVST3::EndHostParameterEdit(int index)
{
    endEdit(static_cast<ParamID>(index));
}

void IBindingVST3::NotifyHostPresetChange() {}

bool IBindingVST3::IsOfflineRender()
{
    return processMode == kOffline;
}

double IBindingVST3::HostSamplePosition()
{
    return haveProcessContext ? static_cast<double>(processContext.projectTimeSamples) : 0.0;
}

double IBindingVST3::HostTempo()
{
    return haveProcessContext && (processContext.state & ProcessContext::kTempoValid) ? processContext.tempo
                                                                                      : 120.0;
}

void IBindingVST3::HostTimeSignature(int& numerator, int& denominator)
{
    if (haveProcessContext && (processContext.state & ProcessContext::kTimeSigValid))
    {
        numerator = processContext.timeSigNumerator;
        denominator = processContext.timeSigDenominator;
    }
}

void IBindingVST3::HostTimeInfo(ITimeInfo& info)
{
    if (!haveProcessContext) return;
    const ProcessContext& c = processContext;
    info.samplePosition = static_cast<double>(c.projectTimeSamples);
    if (c.state & ProcessContext::kTempoValid) info.tempo = c.tempo;
    if (c.state & ProcessContext::kTimeSigValid)
    {
        info.numerator = c.timeSigNumerator;
        info.denominator = c.timeSigDenominator;
    }
    if (c.state & ProcessContext::kProjectTimeMusicValid) info.ppqPosition = c.projectTimeMusic;
    if (c.state & ProcessContext::kBarPositionValid) info.lastBarPosition = c.barPositionMusic;
    if (c.state & ProcessContext::kCycleValid)
    {
        info.cycleStart = c.cycleStartMusic;
        info.cycleEnd = c.cycleEndMusic;
    }
    info.transportRunning = (c.state & ProcessContext::kPlaying) != 0;
    info.loopActive = (c.state & ProcessContext::kCycleActive) != 0;
}

void IBindingVST3::ResizeEditor(int width, int height)
{
    Lock lock(Mutex());
    if (!GetEditor() || views.empty()) return;
    IBindingVST3View* view = views.front();
    view->ExpectResize();
    if (IPlugFrame* frame = view->Frame())
    {
        ViewRect rect(0, 0, width, height);
        frame->resizeView(view, &rect);
    }
}

void IBindingVST3::OnParameterContextMenu(int index, int x, int y)
{
    Lock lock(Mutex());
    FUnknownPtr<IComponentHandler3> handler(getComponentHandler());
    if (!handler || views.empty()) return;
    const ParamID id = static_cast<ParamID>(index);
    if (IContextMenu* menu = handler->createContextMenu(views.front(), &id))
    {
        menu->popup(x, y);
        menu->release();
    }
}

void IBindingVST3::SetLatencySamples(int samples)
{
    Lock lock(Mutex());
    IFrameBase::SetLatencySamples(samples);
    if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kRestartLatencyChanged);
}

bool IBindingVST3::SendMidiToHost(const IMidiMessage&)
{
    return false;
}

bool IBindingVST3::SendSysExToHost(const ISysExMessage&)
{
    return false;
}
