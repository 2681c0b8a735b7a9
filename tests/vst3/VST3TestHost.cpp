#include "VST3TestHost.h"

#include "vst3/VST3Factory.h"

#include "pluginterfaces/base/ustring.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

// The creation function of this test program's "module": the recording instrument.
IBindingVST3* CreateVST3Instance()
{
    return new RecordingBrisbleep();
}

std::string Narrow(const TChar* text)
{
    std::string out;
    for (; *text; ++text)
        out.push_back(static_cast<char>(*text));
    return out;
}

tresult PLUGIN_API NamedHostApplication::getName(String128 out)
{
    UString(out, 128).fromAscii(name.c_str());
    return kResultTrue;
}

VST3TestHost::VST3TestHost(int32 sampleSize, const char* hostName) : hostApp(hostName), sampleSize(sampleSize)
{
    FUnknown* created = CreateVST3InstanceLocked(nullptr);
    plugin =
        static_cast<RecordingBrisbleep*>(static_cast<IBindingVST3*>(static_cast<IAudioProcessor*>(created)));
    Component()->initialize(&hostApp);
    ProcessSetup setup{kRealtime, sampleSize, kBlockSize, kSampleRate};
    Processor()->setupProcessing(setup);
    // Hosts activate the buses the plug-in marks as active by default.
    Component()->activateBus(kAudio, kOutput, 0, true);
    Component()->activateBus(kEvent, kInput, 0, true);
    Component()->setActive(true);
    Processor()->setProcessing(true);
    data.prepare(*Component(), kBlockSize, sampleSize);
    data.numSamples = kBlockSize;
    data.inputParameterChanges = &changes;
    data.inputEvents = &events;
}

VST3TestHost::~VST3TestHost()
{
    Processor()->setProcessing(false);
    Component()->setActive(false);
    data.unprepare();
    Component()->terminate();
    plugin->release();
}

IEditController* VST3TestHost::Controller()
{
    return plugin;
}

IComponent* VST3TestHost::Component()
{
    return plugin;
}

IAudioProcessor* VST3TestHost::Processor()
{
    return plugin;
}

void VST3TestHost::Automate(ParamID id, int32 offset, double normalized)
{
    int32 index = 0;
    if (IParamValueQueue* queue = changes.addParameterData(id, index))
        queue->addPoint(offset, normalized, index);
}

void VST3TestHost::NoteOn(int pitch, float velocity, int offset, int channel)
{
    Event event{};
    event.type = Event::kNoteOnEvent;
    event.sampleOffset = offset;
    event.noteOn.channel = static_cast<int16>(channel);
    event.noteOn.pitch = static_cast<int16>(pitch);
    event.noteOn.velocity = velocity;
    event.noteOn.noteId = -1;
    events.addEvent(event);
}

void VST3TestHost::NoteOff(int pitch, int offset, int channel)
{
    Event event{};
    event.type = Event::kNoteOffEvent;
    event.sampleOffset = offset;
    event.noteOff.channel = static_cast<int16>(channel);
    event.noteOff.pitch = static_cast<int16>(pitch);
    event.noteOff.noteId = -1;
    events.addEvent(event);
}

tresult VST3TestHost::ProcessBlock()
{
    const tresult result = Processor()->process(data);
    changes.clearQueue();
    events.clear();
    return result;
}

std::vector<double> VST3TestHost::Render(int blocks)
{
    std::vector<double> left;
    left.reserve(static_cast<size_t>(blocks) * kBlockSize);
    for (int b = 0; b < blocks; ++b)
    {
        ProcessBlock();
        for (int i = 0; i < kBlockSize; ++i)
            left.push_back(sampleSize == kSample64 ? Out64(0)[i] : Out32(0)[i]);
    }
    return left;
}

const float* VST3TestHost::Out32(int channel) const
{
    return data.outputs[0].channelBuffers32[channel];
}

const double* VST3TestHost::Out64(int channel) const
{
    return data.outputs[0].channelBuffers64[channel];
}

std::vector<char> VST3TestHost::SaveState()
{
    MemoryStream stream;
    if (Controller()->getEditorState(&stream) != kResultOk) return {};
    return std::vector<char>(stream.getData(), stream.getData() + stream.getSize());
}

tresult VST3TestHost::LoadState(const std::vector<char>& bytes)
{
    MemoryStream stream(const_cast<char*>(bytes.data()), static_cast<TSize>(bytes.size()));
    return Controller()->setEditorState(&stream);
}
