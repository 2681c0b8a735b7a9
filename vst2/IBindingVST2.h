#pragma once

#include "frame/IFrameBase.h"
#include "frame/IStateChunk.h"
#include "vst2/Vst2Interface.h"

#include <cstdint>

// The frame's packed version (major, minor, patch in bytes) as VST2 hosts read it: major * 10000 +
// minor * 100 + patch.
constexpr int32_t DecimalVersion(int32_t version)
{
    return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

// Adapts the frame to the VST 2.4 plug-in interface: fills the effect record the host sees, answers the
// dispatcher opcodes, runs the audio and parameter callbacks, and reaches the host through its
// audio-master callback for everything the frame asks of it.
//
// Every entry point from the host holds the frame mutex for its whole call; the close opcode releases
// it before the instance deletes itself.
class IBindingVST2 : public IFrameBase
{
public:
    using HostContext = vst2::HostCallback;

    // The frame is built from the instrument's configuration with this interface's kind.
    explicit IBindingVST2(HostContext host);
    ~IBindingVST2() override;

    IBindingVST2(const IBindingVST2&) = delete;
    IBindingVST2& operator=(const IBindingVST2&) = delete;

    vst2::EffectRecord* Effect() { return &effect_; }

    // Host-facing operations of the frame, implemented with the host callback.
    void BeginHostParameterEdit(int index) override;
    void SendHostParameterValue(int index, double normalized) override;
    void EndHostParameterEdit(int index) override;
    void NotifyHostPresetChange() override;
    bool IsOfflineRender() override;
    double HostSamplePosition() override;
    double HostTempo() override;
    void HostTimeSignature(int& numerator, int& denominator) override;
    void HostTimeInfo(ITimeInfo& info) override;
    int HostKind() override;
    void ResizeEditor(int width, int height) override;
    void PrepareForHost() override;
    void AttachEditor(IFrameEditor* editor) override;
    void SetLatencySamples(int samples) override;
    bool SendMidiToHost(const IMidiMessage& message) override;
    bool SendSysExToHost(const ISysExMessage& message) override;

    // The C callbacks stored in the effect record; each finds the instance through the record.
    static intptr_t DispatcherCallback(vst2::EffectRecord* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);
    static void ProcessCallback(vst2::EffectRecord* effect, float** inputs, float** outputs, int32_t frames);
    static void ProcessReplacingCallback(vst2::EffectRecord* effect, float** inputs, float** outputs,
                                         int32_t frames);
    static void ProcessDoubleReplacingCallback(vst2::EffectRecord* effect, double** inputs, double** outputs,
                                               int32_t frames);
    static void SetParameterCallback(vst2::EffectRecord* effect, int32_t index, float value);
    static float GetParameterCallback(vst2::EffectRecord* effect, int32_t index);

private:
    // One audio callback: the frame mutex held throughout, MIDI asked for, then the frame's block processing.
    template <typename Sample>
    static void RunProcess(vst2::EffectRecord* effect, Sample** inputs, Sample** outputs, int32_t frames,
                           void (IFrameBase::*process)(Sample**, Sample**, int));

    // One dispatcher call with the frame mutex already held (the close opcode is handled before).
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    // The editor-idle opcode, which runs outside the instance lock.
    void EditorIdle();

    intptr_t GetChunk(bool isProgram, void* ptr);
    intptr_t SetChunk(bool isProgram, intptr_t size, const void* ptr);
    intptr_t ProcessEvents(const vst2::VstEvents* events);
    intptr_t TextToParameter(int index, const char* text);
    intptr_t PinProperties(bool isInput, int index, vst2::VstPinProperties* pin);
    intptr_t SetSpeakerArrangement(const vst2::VstSpeakerArrangement* in,
                                   const vst2::VstSpeakerArrangement* out);
    intptr_t HostExtension(int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t CanDo(const char* capability) const;

    // Calls the host, answering 0 when there is no host callback.
    intptr_t CallHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // The host's time information with the given validity flags requested, or nullptr.
    const vst2::VstTimeInfo* HostTime(int32_t requestFlags);

    void UpdateArrangements();
    void SetEditorRectFromEditor();

    vst2::EditorRect editorRect_{};
    HostContext hostCallback_;
    vst2::VstSpeakerArrangement inputArrangement_{};
    vst2::VstSpeakerArrangement outputArrangement_{};
    bool hostPrepared_ = false;
    int32_t hostExtensions_ = 0;
    IStateChunk programChunk_;
    IStateChunk bankChunk_;
    vst2::EffectRecord effect_{};
};

// The construction inputs of the instrument's frame; defined by the instrument.
IFrameConfig BrisbleepFrameConfig();

// Builds the plug-in instance for a host; defined once by the deliverable that links this binding.
// Returns nullptr when construction fails.
IBindingVST2* CreateVST2Instance(vst2::HostCallback host);

// The library's entry point: creates an instance for the host and returns its effect record, or nullptr.
extern "C" vst2::EffectRecord* VSTPluginMain(vst2::HostCallback host);
