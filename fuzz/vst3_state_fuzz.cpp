// Feeds arbitrary bytes to the VST3 instance's state calls, as a host restoring a damaged project
// would: the controller's setState (named setEditorState by the SDK's single-component class; it
// carries the whole state, as the component's own state calls are not implemented) and the
// controller's setComponentState. The instance must stay usable: parameters in
// range, a complete state read back byte for byte, and a note rendered finite.
#include "FuzzChecks.h"

#include "instrument/Brisbleep.h"
#include "vst3/VST3Factory.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/eventlist.h"
#include "public.sdk/source/vst/hosting/processdata.h"

#include <cstring>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

IBindingVST3* CreateVST3Instance()
{
    return new Brisbleep(IBindingVST3::HostContext{});
}

namespace
{
std::vector<char> StateOf(IEditController* controller)
{
    MemoryStream stream;
    if (controller->getEditorState(&stream) != kResultOk) FuzzFail("state not saved");
    return {stream.getData(), stream.getData() + stream.getSize()};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Brisbleep* plugin = []
    {
        auto* p = static_cast<Brisbleep*>(CreateVST3Instance());
        if (static_cast<IComponent*>(p)->initialize(nullptr) != kResultOk) FuzzFail("not initialised");
        ProcessSetup setup{kRealtime, kSample32, 32, 44100.0};
        p->setupProcessing(setup);
        p->activateBus(kAudio, kOutput, 0, true);
        p->setActive(true);
        return p;
    }();
    IComponent* component = plugin;
    IEditController* controller = plugin;
    static const std::vector<char> pristine = StateOf(controller);

    {
        MemoryStream reset(const_cast<char*>(pristine.data()), static_cast<TSize>(pristine.size()));
        if (controller->setEditorState(&reset) != kResultOk) FuzzFail("pristine state not loaded");
    }
    char* bytes = reinterpret_cast<char*>(const_cast<uint8_t*>(data));
    MemoryStream stream(bytes, static_cast<TSize>(size));
    const tresult result = controller->setEditorState(&stream);
    RequireParamsInRange(*plugin);
    const std::vector<char> now = StateOf(controller);
    if (now.size() != pristine.size()) FuzzFail("state size changed");
    // Only a state of the full size can be taken in full.
    if (result == kResultOk && size < now.size()) FuzzFail("a short state reported as complete");
    // The controller's copy of the component state changes nothing here: the one object holds both.
    MemoryStream forController(bytes, static_cast<TSize>(size));
    controller->setComponentState(&forController);
    if (StateOf(controller) != now) FuzzFail("the component state moved the controller's parameters");
    MemoryStream again(const_cast<char*>(now.data()), static_cast<TSize>(now.size()));
    if (controller->setEditorState(&again) != kResultOk) FuzzFail("own state not taken back");
    if (StateOf(controller) != now) FuzzFail("own state does not round-trip");

    // A note still sounds, finite and within bounds; it is released within the block, so that
    // notes of earlier inputs do not pile up.
    constexpr int32 kFrames = 32;
    static HostProcessData process;
    static EventList events;
    if (process.numOutputs == 0)
    {
        process.prepare(*component, kFrames, kSample32);
        process.numSamples = kFrames;
        process.inputEvents = &events;
    }
    events.clear();
    Event note{};
    note.type = Event::kNoteOnEvent;
    note.noteOn.pitch = 60;
    note.noteOn.velocity = 1.0f;
    note.noteOn.noteId = -1;
    events.addEvent(note);
    note.type = Event::kNoteOffEvent;
    note.sampleOffset = kFrames / 2;
    note.noteOff.pitch = 60;
    note.noteOff.velocity = 0.0f;
    note.noteOff.noteId = -1;
    events.addEvent(note);
    plugin->process(process);
    for (int32 c = 0; c < process.outputs[0].numChannels; ++c)
        RequireSaneAudio(process.outputs[0].channelBuffers32[c], kFrames);
    return 0;
}
