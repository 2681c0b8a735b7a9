#pragma once

#include "frame/IFrameBase.h"
#include "midi/IMidiMessage.h"

#include <cstddef>
#include <vector>

// The construction inputs of the instrument's frame (parameter count, channel string, identity,
// flags). Defined by the instrument; every binding passes them to the frame and sets its API kind.
IFrameConfig BrisbleepFrameConfig();

// Nothing is needed from outside to run the instrument headless.
struct OfflineHostContext
{
};

// A binding without a host: the tests and the command-line renderer play the host's part through
// it. It announces rates and block sizes, connects outputs, delivers MIDI and runs blocks exactly as
// a plug-in host's calls would arrive, and records what the instrument sends back to the "host"
// (parameter edits, preset notifications, MIDI) so that it can be inspected. The transport is stopped.
class IBindingOffline : public IFrameBase
{
public:
    using HostContext = OfflineHostContext;

    // One call of a host-facing parameter operation.
    struct HostEdit
    {
        enum Kind
        {
            Begin,
            Value,
            End
        } kind;
        int paramIdx;
        double normalizedValue; // for Value
    };

    // MIDI sent to the host is recorded into storage reserved up front, so that sending from the
    // audio thread never allocates; messages beyond this many are counted but not kept.
    static constexpr std::size_t kMidiRecordCapacity = 4096;

    explicit IBindingOffline(HostContext host);
    ~IBindingOffline() override;

    // The host's side of the conversation, each under the frame mutex like a binding entry point.
    // A rate or block-size change ends in OnReset, as with a plug-in host. A rate outside
    // kMinHostSampleRate..kMaxHostSampleRate is ignored.
    void SetHostSampleRate(double rate);
    void SetHostBlockSize(int frames);
    // Connects the first `count` outputs and disconnects the others.
    void ConnectOutputs(int count);
    // Switching processing off also resets the instrument.
    void SetProcessing(bool active);
    void DeliverMidi(const IMidiMessage& message);
    // One block from a host with 64-bit or 32-bit buffers, one buffer per connected output.
    void ProcessBlock(double** outputs, int frames);
    void ProcessBlock(float** outputs, int frames);
    // A host applying an automation value (normalised) to a parameter.
    void AutomateParameter(int paramIdx, double normalizedValue);
    // A real value given in the parameter's own unit, clamped into its range like a loaded state.
    void SetParameterValue(int paramIdx, double value);

    // What reached the "host".
    const std::vector<HostEdit>& HostEdits() const { return hostEdits_; }
    const std::vector<IMidiMessage>& MidiSentToHost() const { return midiToHost_; }
    std::size_t MidiSentToHostCount() const { return midiToHostCount_; }
    int PresetChangeNotifications() const { return presetChangeNotifications_; }
    void ClearHostRecords();

    void BeginHostParameterEdit(int paramIdx) override;
    void SendHostParameterValue(int paramIdx, double normalizedValue) override;
    void EndHostParameterEdit(int paramIdx) override;
    void NotifyHostPresetChange() override;
    bool IsOfflineRender() override { return true; }
    double HostSamplePosition() override { return 0.0; }
    double HostTempo() override { return 120.0; }
    void HostTimeSignature(int& numerator, int& denominator) override;
    void HostTimeInfo(ITimeInfo& info) override;
    void ResizeEditor(int width, int height) override;
    bool SendMidiToHost(const IMidiMessage& message) override;

private:
    std::vector<HostEdit> hostEdits_;
    std::vector<IMidiMessage> midiToHost_;
    std::size_t midiToHostCount_ = 0;
    int presetChangeNotifications_ = 0;
};
