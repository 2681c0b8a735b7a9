#pragma once

// A minimal VST2 host for the tests: it loads a plug-in library as the platform's hosts do, creates an
// instance through an exported entry point, answers the audio-master callback and records every call made to
// it. The plug-in is driven only through its effect record, as a real host would.

#include "vst2/Vst2Interface.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct HostCall
{
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

// A copy of one event the plug-in sent through the process-events callback.
struct SentEvent
{
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    uint8_t midi[3];
    std::vector<uint8_t> sysex;
};

class Vst2Host
{
public:
    explicit Vst2Host(const std::string& libraryPath);
    ~Vst2Host();

    Vst2Host(const Vst2Host&) = delete;
    Vst2Host& operator=(const Vst2Host&) = delete;

    // Creates an instance through the named export ("VSTPluginMain" or "main"); nullptr when missing.
    // Without a callback the plug-in is created as by a host that passes none.
    vst2::EffectRecord* Create(const char* entryName = "VSTPluginMain", bool withCallback = true);
    // Closes the instance (dispatcher opcode 1).
    void Close();

    vst2::EffectRecord* effect = nullptr;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    std::string DispatchText(int32_t opcode, int32_t index = 0);

    // Sends MIDI events (status, data1, data2 at an offset) through opcode 25.
    intptr_t SendMidi(const std::vector<vst2::VstMidiEvent>& events);
    static vst2::VstMidiEvent Midi(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2);

    // Renders `frames` samples through each processing callback; every input sample is inputLevel.
    std::vector<std::vector<float>> ProcessFloat(int frames, bool accumulate,
                                                 std::vector<std::vector<float>> outputs = {});
    std::vector<std::vector<double>> ProcessDouble(int frames);

    std::vector<HostCall> CallsWith(int32_t opcode) const;
    // How many calls with this opcode named this index (a parameter, for the edit callbacks).
    int CountCalls(int32_t opcode, int32_t index) const;

    // The parameters as a host reads them: one normalised value, its display text, all values.
    float Param(int index) const;
    std::string ParamDisplay(int index);
    std::vector<float> Params() const;

    // What the host answers.
    std::string productString = "Test Host";
    intptr_t vendorVersion = 20304;
    intptr_t processLevel = 0;
    vst2::VstTimeInfo timeInfo{};
    bool answerTime = true;
    intptr_t processEventsAnswer = 1;
    float inputLevel = 0.0f;

    // What the plug-in did. The plug-in may call back from its audio and editor threads at once;
    // the records are taken under recordLock.
    mutable std::mutex recordLock;
    std::vector<HostCall> calls;
    std::vector<SentEvent> sentEvents;

    intptr_t Answer(vst2::EffectRecord* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt);

private:
    void* library_ = nullptr;
};
