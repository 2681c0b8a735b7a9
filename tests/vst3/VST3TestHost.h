#pragma once

// Drives one in-process instance the way a VST 3 host does, through the SDK's hosting classes: a host
// context, process data with buffers owned by the host side, parameter change queues and event lists.

#include "instrument/Brisbleep.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/eventlist.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"
#include "public.sdk/source/vst/hosting/processdata.h"

#include <string>
#include <vector>

// A host text (UTF-16) as plain characters, for comparisons with ASCII texts.
std::string Narrow(const Steinberg::Vst::TChar* text);

// The instrument with the MIDI messages it receives recorded, so a test can see what the binding made
// of the host's events.
class RecordingBrisbleep : public Brisbleep
{
public:
    RecordingBrisbleep() : Brisbleep(IBindingVST3::HostContext{}) { received.reserve(256); }
    void OnMidiMessage(const IMidiMessage& message) override
    {
        if (received.size() < received.capacity()) received.push_back(message);
        Brisbleep::OnMidiMessage(message);
    }
    std::vector<IMidiMessage> received;
};

// A host application with a product name of the test's choosing.
class NamedHostApplication : public Steinberg::Vst::HostApplication
{
public:
    explicit NamedHostApplication(const char* name) : name(name) {}
    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 out) override;

private:
    std::string name;
};

class VST3TestHost
{
public:
    static constexpr double kSampleRate = 44100.0;
    static constexpr int kBlockSize = 512;

    // A fresh instance from the module's creation function, initialised with the host context.
    explicit VST3TestHost(Steinberg::int32 sampleSize = Steinberg::Vst::kSample32,
                          const char* hostName = "Brisbleep test host");
    ~VST3TestHost();

    RecordingBrisbleep& Plugin() { return *plugin; }
    Steinberg::Vst::IEditController* Controller();
    Steinberg::Vst::IComponent* Component();
    Steinberg::Vst::IAudioProcessor* Processor();

    // Queues for the next block.
    void Automate(Steinberg::Vst::ParamID id, Steinberg::int32 offset, double normalized);
    void NoteOn(int pitch, float velocity, int offset = 0, int channel = 0);
    void NoteOff(int pitch, int offset = 0, int channel = 0);

    // One block of kBlockSize samples; the queued changes and events are delivered with it.
    Steinberg::tresult ProcessBlock();
    // Renders `blocks` blocks and returns the left output, converted to double.
    std::vector<double> Render(int blocks);
    const float* Out32(int channel) const;
    const double* Out64(int channel) const;

    // State through the controller's state calls.
    std::vector<char> SaveState();
    Steinberg::tresult LoadState(const std::vector<char>& bytes);

private:
    // The SDK's host application is not reference counted: it lives as long as the host.
    NamedHostApplication hostApp;
    RecordingBrisbleep* plugin = nullptr;
    Steinberg::Vst::HostProcessData data;
    Steinberg::Vst::ParameterChanges changes;
    Steinberg::Vst::EventList events;
    Steinberg::int32 sampleSize;
};
