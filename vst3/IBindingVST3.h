#pragma once

#include "frame/IFrameBase.h"
#include "frame/ITimeInfo.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/vst/vstsinglecomponenteffect.h"

#include <vector>

class IBindingVST3View;

// The construction inputs of the instrument's frame; defined by the instrument.
IFrameConfig BrisbleepFrameConfig();

// Nothing of the host is known when the factory builds an instance; the host context arrives later
// with initialize().
struct VST3HostContext
{
};

// Joins the frame to the VST 3 interfaces: one object that is processor, edit controller and unit
// information at once. Parameters are published with their frame index as identifier, plus a
// program-change parameter "Preset" (and "Bypass" for effects). Every entry point holds the frame
// mutex for its whole call; nothing below throws into the host.
class IBindingVST3 : public IFrameBase, public Steinberg::Vst::SingleComponentEffect
{
public:
    using HostContext = VST3HostContext;

    static constexpr Steinberg::Vst::ParamID kPresetParamId = 0x70727374; // "prst"
    static constexpr Steinberg::Vst::ParamID kBypassParamId = 0x62706173; // "bpas"
    static constexpr Steinberg::Vst::ProgramListID kPresetListId = 0x70727374;
    static constexpr Steinberg::int32 kRestartLatencyChanged = 8;

    explicit IBindingVST3(HostContext host);
    ~IBindingVST3() override;

    IBindingVST3(const IBindingVST3&) = delete;
    IBindingVST3& operator=(const IBindingVST3&) = delete;

    // Speaker arrangement used for an audio bus of the given channel count (0 when there is none).
    static Steinberg::Vst::SpeakerArrangement ArrangementForChannels(int channels);

    //--- plug-in base, component
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;
    Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 index, Steinberg::Vst::BusInfo& bus) override;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                              Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                              Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;

    //--- audio processor
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arr) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    Steinberg::uint32 PLUGIN_API getTailSamples() override;

    //--- edit controller (its state calls carry the plug-in's state)
    Steinberg::tresult PLUGIN_API setEditorState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API getEditorState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::ParamValue normalized,
                                                        Steinberg::Vst::String128 text) override;
    Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::TChar* text,
                                                        Steinberg::Vst::ParamValue& normalized) override;
    Steinberg::Vst::ParamValue PLUGIN_API
    normalizedParamToPlain(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized) override;
    Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                                 Steinberg::Vst::ParamValue plain) override;
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue normalized) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

    //--- unit information
    Steinberg::int32 PLUGIN_API getUnitCount() override;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                              Steinberg::Vst::UnitInfo& info) override;
    Steinberg::int32 PLUGIN_API getProgramListCount() override;
    Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                     Steinberg::Vst::ProgramListInfo& info) override;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) override;

    //--- host-facing operations of the frame
    void BeginHostParameterEdit(int index) override;
    void SendHostParameterValue(int index, double normalized) override;
    void EndHostParameterEdit(int index) override;
    void NotifyHostPresetChange() override;
    bool IsOfflineRender() override;
    double HostSamplePosition() override;
    double HostTempo() override;
    void HostTimeSignature(int& numerator, int& denominator) override;
    void HostTimeInfo(ITimeInfo& info) override;
    void ResizeEditor(int width, int height) override;
    void OnParameterContextMenu(int index, int x, int y) override;
    void SetLatencySamples(int samples) override;
    bool SendMidiToHost(const IMidiMessage& message) override;
    bool SendSysExToHost(const ISysExMessage& message) override;

    // View bookkeeping, used by IBindingVST3View.
    void RemoveView(IBindingVST3View* view);
    int ViewCount() const { return static_cast<int>(views.size()); }

    OBJ_METHODS(IBindingVST3, SingleComponentEffect)
    REFCOUNT_METHODS(SingleComponentEffect)

protected:
    // For plug-ins other than the instrument (and tests): a frame built from the given inputs.
    IBindingVST3(HostContext host, const IFrameConfig& config);

private:
    // Host buffers one processing call can hand over; far more than any layout this frame accepts.
    static constexpr int kMaxHostChannels = 32;

    IParameter* FrameParam(Steinberg::Vst::ParamID id);
    void AddBuses();
    void AddParameters();
    void AddFrameParameter(int index);
    int UnitOfGroup(const char* group);
    void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    void ForwardEvents(Steinberg::Vst::IEventList* events);

    std::vector<IBindingVST3View*> views;
    Steinberg::Vst::ProcessContext processContext{};
    bool haveProcessContext = false;
    Steinberg::int32 processMode = Steinberg::Vst::kRealtime;
    Steinberg::int32 sampleSize = Steinberg::Vst::kSample32;
};
