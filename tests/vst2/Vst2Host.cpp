#include "Vst2Host.h"

#include "PluginLibrary.h"

#include <cstring>
#include <map>
#include <stdexcept>

namespace
{
// The callback has no user argument: each instance's host is found by its effect record, and calls made
// while an instance is still being created (before its record is known) go to the creating host.
Vst2Host* gCreatingHost = nullptr;
std::map<vst2::EffectRecord*, Vst2Host*> gHosts;

intptr_t HostCallbackThunk(vst2::EffectRecord* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt)
{
    const auto found = gHosts.find(effect);
    Vst2Host* host = found != gHosts.end() ? found->second : gCreatingHost;
    return host ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
}
} // namespace

Vst2Host::Vst2Host(const std::string& libraryPath)
{
    std::string error;
    library_ = OpenPluginLibrary(libraryPath, error);
    if (!library_) throw std::runtime_error("cannot load plug-in: " + error);
}

Vst2Host::~Vst2Host()
{
    Close();
    if (library_) ClosePluginLibrary(library_);
}

vst2::EffectRecord* Vst2Host::Create(const char* entryName, bool withCallback)
{
    using Entry = vst2::EffectRecord* (*)(vst2::HostCallback);
    auto entry = reinterpret_cast<Entry>(FindPluginExport(library_, entryName));
    if (!entry) return nullptr;
    gCreatingHost = this;
    effect = entry(withCallback ? &HostCallbackThunk : nullptr);
    gCreatingHost = nullptr;
    if (effect) gHosts[effect] = this;
    return effect;
}

void Vst2Host::Close()
{
    if (!effect) return;
    effect->dispatcher(effect, vst2::EffectOp::kClose, 0, 0, nullptr, 0.0f);
    gHosts.erase(effect);
    effect = nullptr;
}

intptr_t Vst2Host::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string Vst2Host::DispatchText(int32_t opcode, int32_t index)
{
    char text[256];
    std::memset(text, 'x', sizeof(text));
    text[255] = '\0';
    Dispatch(opcode, index, 0, text);
    return text;
}

vst2::VstMidiEvent Vst2Host::Midi(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2)
{
    vst2::VstMidiEvent event{};
    event.type = vst2::kMidiEventType;
    event.byteSize = sizeof(event);
    event.deltaFrames = offset;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

intptr_t Vst2Host::SendMidi(const std::vector<vst2::VstMidiEvent>& events)
{
    // The list's pointer array runs past its declared two entries, as hosts allocate it.
    std::vector<uint8_t> storage(sizeof(vst2::VstEvents) + events.size() * sizeof(void*));
    auto* list = reinterpret_cast<vst2::VstEvents*>(storage.data());
    list->numEvents = static_cast<int32_t>(events.size());
    vst2::VstEvent** pointers = list->events;
    for (size_t i = 0; i < events.size(); ++i)
        pointers[i] = reinterpret_cast<vst2::VstEvent*>(const_cast<vst2::VstMidiEvent*>(&events[i]));
    return Dispatch(vst2::EffectOp::kProcessEvents, 0, 0, list);
}

std::vector<std::vector<float>> Vst2Host::ProcessFloat(int frames, bool accumulate,
                                                       std::vector<std::vector<float>> outputs)
{
    if (outputs.empty()) outputs.assign(effect->numOutputs, std::vector<float>(frames, 0.0f));
    std::vector<float*> pointers;
    for (auto& channel : outputs)
        pointers.push_back(channel.data());
    std::vector<std::vector<float>> inputs(effect->numInputs, std::vector<float>(frames, inputLevel));
    std::vector<float*> inputPointers;
    for (auto& channel : inputs)
        inputPointers.push_back(channel.data());
    auto callback = accumulate ? effect->process : effect->processReplacing;
    callback(effect, inputPointers.data(), pointers.data(), frames);
    return outputs;
}

std::vector<std::vector<double>> Vst2Host::ProcessDouble(int frames)
{
    std::vector<std::vector<double>> outputs(effect->numOutputs, std::vector<double>(frames, 0.0));
    std::vector<double*> pointers;
    for (auto& channel : outputs)
        pointers.push_back(channel.data());
    std::vector<std::vector<double>> inputs(effect->numInputs, std::vector<double>(frames, inputLevel));
    std::vector<double*> inputPointers;
    for (auto& channel : inputs)
        inputPointers.push_back(channel.data());
    effect->processDoubleReplacing(effect, inputPointers.data(), pointers.data(), frames);
    return outputs;
}

std::vector<HostCall> Vst2Host::CallsWith(int32_t opcode) const
{
    std::lock_guard<std::mutex> lock(recordLock);
    std::vector<HostCall> found;
    for (const HostCall& call : calls)
        if (call.opcode == opcode) found.push_back(call);
    return found;
}

int Vst2Host::CountCalls(int32_t opcode, int32_t index) const
{
    int n = 0;
    for (const HostCall& call : CallsWith(opcode))
        n += call.index == index;
    return n;
}

float Vst2Host::Param(int index) const
{
    return effect->getParameter(effect, index);
}

std::string Vst2Host::ParamDisplay(int index)
{
    return DispatchText(vst2::EffectOp::kGetParamDisplay, index);
}

std::vector<float> Vst2Host::Params() const
{
    std::vector<float> values;
    for (int i = 0; i < effect->numParams; ++i)
        values.push_back(Param(i));
    return values;
}

intptr_t Vst2Host::Answer(vst2::EffectRecord*, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                          float opt)
{
    std::unique_lock<std::mutex> lock(recordLock);
    calls.push_back({opcode, index, value, opt});
    lock.unlock();
    switch (opcode)
    {
    case 1: // host interface version
        return vst2::kInterfaceVersion;
    case vst2::HostOp::kGetTime:
        return answerTime ? reinterpret_cast<intptr_t>(&timeInfo) : 0;
    case vst2::HostOp::kProcessEvents:
    {
        const auto* list = static_cast<const vst2::VstEvents*>(ptr);
        for (int32_t i = 0; i < list->numEvents; ++i)
        {
            const vst2::VstEvent* event = list->events[i];
            SentEvent copy{event->type, event->byteSize, event->deltaFrames, {}, {}};
            if (event->type == vst2::kMidiEventType)
            {
                const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
                for (int b = 0; b < 3; ++b)
                    copy.midi[b] = static_cast<uint8_t>(midi->midiData[b]);
            }
            else if (event->type == vst2::kSysExEventType)
            {
                const auto* sysex = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
                copy.sysex.assign(sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
            }
            std::lock_guard<std::mutex> record(recordLock);
            sentEvents.push_back(copy);
        }
        return processEventsAnswer;
    }
    case vst2::HostOp::kGetCurrentProcessLevel:
        return processLevel;
    case vst2::HostOp::kGetProductString:
        std::strncpy(static_cast<char*>(ptr), productString.c_str(), 255);
        return 1;
    case vst2::HostOp::kGetVendorVersion:
        return vendorVersion;
    default:
        return 0;
    }
}
