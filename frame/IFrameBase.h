#pragma once

#include "frame/IChannel.h"
#include "frame/IFrameEditor.h"
#include "frame/IMutex.h"
#include "frame/IParameter.h"
#include "frame/IPresetEntry.h"
#include "frame/IStateChunk.h"
#include "frame/ITimeInfo.h"
#include "midi/IMidiMessage.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

// Builds a four-character code with the first character in the most significant byte.
constexpr int32_t FourCC(const char (&code)[5])
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
                                static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
                                static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
                                static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}

// Packs a version as major in the upper 16 bits, minor in bits 8..15 and patch in bits 0..7.
constexpr int32_t MakeVersion(int major, int minor, int patch)
{
    return (major & 0xFFFF) << 16 | (minor & 0xFF) << 8 | (patch & 0xFF);
}

// Which plug-in interface an instance is delivered through.
enum EApiKind : int
{
    kApiVST2 = 0,
    kApiVST3 = 1,
};

// Everything a plug-in instance is constructed with. The instrument fills one and hands it through its
// binding's constructor to IFrameBase; the binding sets apiKind for its interface.
struct IFrameConfig
{
    int parameterCount = 0;      // empty parameters created, defined later by the instrument
    const char* channelIOs = ""; // legal configurations, e.g. "0-1 0-2" (inputs-outputs, space separated)
    int presetCount = 1;         // preset slots, each created empty and named "empty"
    const char* effectName = ""; // at most 127 characters each; longer texts are cut
    const char* productName = "";
    const char* manufacturerName = "";
    int32_t version = 0;  // see MakeVersion
    int32_t uniqueId = 0; // four-character codes, see FourCC
    int32_t manufacturerId = 0;
    int latency = 0; // samples
    bool doesMidi = false;
    bool doesStateChunks = false;
    bool isInstrument = false;
    int apiKind = kApiVST2; // EApiKind
};

inline constexpr int kFrameTextSize = 128;

// Host sample rates an instance accepts: 1 kHz to 1.536 MHz, which covers every rate hosts offer
// (8 kHz telephony to 384 kHz and its multiples) with room on both sides. The engine runs at eight
// times the host rate and counts time in 32-bit samples, so rates far outside this range overflow
// or divide by zero. An announcement outside it, or one that is not a number, is ignored and the
// instance keeps the rate it has.
inline constexpr double kMinHostSampleRate = 1000.0;
inline constexpr double kMaxHostSampleRate = 1536000.0;
inline bool IsSaneHostSampleRate(double hertz)
{
    return hertz >= kMinHostSampleRate && hertz <= kMaxHostSampleRate; // false for NaN
}

// The host-independent core of a plug-in instance: parameters, presets, the channel model, the frame
// mutex, identity and host-facing state. Bindings drive the instrument through its virtual operations
// and implement the ones that reach the host; the instrument overrides the processing and state ones.
//
// Every binding entry point holds the frame mutex for its whole call, and the operations below that
// touch parameters or state take it again, so the mutex is recursive. Rendering therefore never
// overlaps a parameter change.
class IFrameBase
{
public:
    using Lock = std::lock_guard<IRecursiveMutex>;

    explicit IFrameBase(const IFrameConfig& config);
    IFrameBase(const IFrameBase&) = delete;
    IFrameBase& operator=(const IFrameBase&) = delete;

    // The virtual operations are declared in their fixed slot order.

    // Releases everything the frame owns, the attached editor included.
    virtual ~IFrameBase();
    // After a sample-rate or block-size change and when processing is switched off.
    virtual void OnReset();
    // After a parameter's value changed, whoever changed it.
    virtual void OnParameterChange(int paramIdx);
    // Renders one block from the input slots into the output slots. The default passes input i through
    // to output i and silences outputs without an input.
    virtual void RenderDouble(double** inputs, double** outputs, int frames);
    virtual void RenderFloat(float** inputs, float** outputs, int frames);
    virtual void OnEditorOpen() {}
    virtual void OnEditorClose() {}
    virtual void OnIdle() {}
    virtual void OnActiveChange(bool active);
    // Once per incoming event, in the host's order, before the block that contains it. The default
    // passes the event on to the host.
    virtual void OnMidiMessage(const IMidiMessage& message);
    virtual void OnSysEx(const ISysExMessage& message);
    // Writes the name of a MIDI note into out; the default has none (empty text, false).
    virtual bool GetMidiNoteName(int note, std::span<char> out);
    // Appends the instance state to the chunk. The default writes the parameter values.
    virtual bool SaveState(IStateChunk& chunk);
    // Reads the state written by SaveState from position; returns the position after it, -1 on failure.
    virtual int32_t LoadState(const IStateChunk& chunk, int32_t position);
    // True when the state stored at position equals the current one.
    virtual bool StateMatches(const IStateChunk& chunk, int32_t position);
    // After the binding resized the editor's host window.
    virtual void OnEditorResized() {}
    // Asks the editor to show the about box; false when there is none.
    virtual bool ShowAboutBox() { return false; }
    // At the end of the binding's host-specific preparation.
    virtual void OnHostPrepared() {}
    // A right click on a control bound to paramIdx, for hosts that offer a parameter context menu.
    virtual void OnParameterContextMenu(int paramIdx, int x, int y);
    // The editor moved a control: sets the parameter, tells the host, then the instrument.
    virtual void SetParameterFromEditor(int paramIdx, double normalizedValue);
    // The host (or a headless caller) set a parameter, as a normalised or a plain value: sets it,
    // tells the instrument, then shows the value on the editor's controls. False for an index
    // that names no parameter.
    bool SetParameterFromHost(int paramIdx, double value, bool isNormalized);
    // Host-facing operations every binding implements.
    virtual void BeginHostParameterEdit(int paramIdx) = 0;
    virtual void SendHostParameterValue(int paramIdx, double normalizedValue) = 0;
    virtual void EndHostParameterEdit(int paramIdx) = 0;
    virtual void NotifyHostPresetChange() = 0;
    virtual bool IsOfflineRender() { return false; }
    virtual double HostSamplePosition() = 0;
    virtual double HostTempo() = 0;
    virtual void HostTimeSignature(int& numerator, int& denominator) = 0;
    // Fills what the host reports; other fields keep the caller's values.
    virtual void HostTimeInfo(ITimeInfo& info) = 0;
    virtual int HostKind() { return hostKind_; }
    virtual int ApiKind() { return apiKind_; }
    virtual void ResizeEditor(int width, int height) = 0;
    virtual void PrepareForHost() {}
    // Takes ownership of the editor, shows every parameter on it and prepares its drawing. A second
    // editor replaces (and deletes) the first. nullptr does nothing.
    virtual void AttachEditor(IFrameEditor* editor);
    virtual void SetLatencySamples(int samples) { latency_ = samples; }
    virtual bool SendMidiToHost(const IMidiMessage& message) = 0;
    virtual bool SendSysExToHost(const ISysExMessage& message);
    // Shows every parameter's real value on the attached editor, after state or presets were loaded.
    virtual void RefreshEditorFromParameters();
    virtual void OnUserHook() {}
    virtual void OnPresetChange() {}
    // Records the host's announced maximum block size and sizes the channels' scratch buffers
    // (zero-filled) for PreparedBlockSize() frames. Blocks of any size are rendered whatever was
    // announced: a longer one goes through the scratch buffers in pieces.
    virtual void SetMaxBlockSize(int frames);
    // Scratch frames when the host announces no usable maximum (0 or less, or never), and the most
    // the scratch buffers hold whatever the host announces.
    static constexpr int kDefaultScratchFrames = 1024;
    static constexpr int kMaxScratchFrames = 8192;
    // The block size processing is prepared for: the announced maximum, or kDefaultScratchFrames
    // when there is none, at most kMaxScratchFrames.
    int PreparedBlockSize() const
    {
        return blockSize_ <= 0 ? kDefaultScratchFrames : std::min(blockSize_, kMaxScratchFrames);
    }

    // Channel model.
    // True when a configuration has exactly `inputs` inputs and, unless outputs is -1, that many outputs.
    bool LegalIO(int inputs, int outputs) const;
    const std::vector<IChannelIO>& ChannelIOs() const { return channelIOs_; }
    int NInChannels() const { return static_cast<int>(inputChannels_.size()); }
    int NOutChannels() const { return static_cast<int>(outputChannels_.size()); }
    bool IsInChannelConnected(int idx) const;
    bool IsOutChannelConnected(int idx) const;
    void SetInputChannelConnected(int idx, bool connected);
    void SetOutputChannelConnected(int idx, bool connected);

    // Block processing for the bindings. Each takes the mutex, points the channel slots at the host's
    // buffers (one host buffer per connected channel, in channel order), renders and, for 32-bit hosts,
    // converts back, replacing or adding to the host's output. A block longer than the scratch
    // buffers (see PreparedBlockSize) is rendered in pieces that fit them; nothing allocates.
    void ProcessDoubleReplacing(double** inputs, double** outputs, int frames);
    void ProcessReplacing(float** inputs, float** outputs, int frames);
    void ProcessAccumulating(float** inputs, float** outputs, int frames);

    // Parameters: nullptr for an index out of range.
    int NParams() const { return static_cast<int>(parameters_.size()); }
    IParameter* GetParam(int idx);
    const IParameter* GetParam(int idx) const;
    // OnParameterChange for every index in order.
    void NotifyAllParameters();

    // State and presets.
    bool SerializeParams(IStateChunk& chunk);
    int32_t UnserializeParams(const IStateChunk& chunk, int32_t position);
    // The default comparison behind StateMatches: every parameter within 1e-5 of the stored value.
    bool ParamsMatch(const IStateChunk& chunk, int32_t position);
    int NPresets() const { return static_cast<int>(presets_.size()); }
    IPresetEntry* GetPreset(int idx);
    // The preset's name; the empty text for an index out of range.
    const char* PresetName(int idx) const;
    int GetCurrentPresetIdx() const { return currentPreset_; }
    // Loads an initialised preset, or turns an empty one into a user preset holding the current state.
    bool ApplyPreset(int idx);
    // Stores the live state in the current preset, renaming it when a non-empty name is given.
    void ModifyCurrentPreset(const char* name = nullptr);
    // Fills up to `count` presets that hold no state yet with the current state.
    void FillPresetsFromState(const char* name, int count);
    bool SerializePresets(IStateChunk& chunk);
    int32_t UnserializePresets(const IStateChunk& chunk, int32_t position);

    // Identity and host-facing state.
    const char* GetEffectName() const { return effectName_; }
    const char* GetProductName() const { return productName_; }
    const char* GetManufacturerName() const { return manufacturerName_; }
    int32_t GetUniqueId() const { return uniqueId_; }
    int32_t GetManufacturerId() const { return manufacturerId_; }
    int32_t GetVersion() const { return version_; }
    int32_t GetHostVersion() const { return hostVersion_; }
    bool DoesStateChunks() const { return doesStateChunks_; }
    bool IsInstrument() const { return isInstrument_; }
    bool DoesMidi() const { return doesMidi_; }
    bool IsBypassed() const { return isBypassed_; }
    double GetSampleRate() const { return sampleRate_; }
    int GetBlockSize() const { return blockSize_; }
    int GetLatency() const { return latency_; }
    int GetTailSize() const { return tailSize_; }
    IFrameEditor* GetEditor() const { return editor_.get(); }
    IRecursiveMutex& Mutex() { return mutex_; }

protected:
    // Records hostKind (and hostVersion) from the host's product text.
    void SetHost(const char* productText, int32_t hostVersion);

    std::vector<IChannelIO> channelIOs_;
    IRecursiveMutex mutex_;
    char effectName_[kFrameTextSize] = {};
    char productName_[kFrameTextSize] = {};
    char manufacturerName_[kFrameTextSize] = {};
    int32_t uniqueId_ = 0;
    int32_t manufacturerId_ = 0;
    int32_t version_ = 0;
    int apiKind_ = kApiVST2;
    int hostKind_ = -1;
    int32_t hostVersion_ = 0;
    bool doesStateChunks_ = false;
    bool isInstrument_ = false;
    bool doesMidi_ = false;
    bool isBypassed_ = false;
    int currentPreset_ = 0;
    double sampleRate_ = 44100.0;
    int blockSize_ = 0;
    int latency_ = 0;
    int tailSize_ = 0;
    std::vector<std::string> parameterGroups_;
    std::unique_ptr<IFrameEditor> editor_;
    std::vector<std::unique_ptr<IParameter>> parameters_;
    std::vector<std::unique_ptr<IPresetEntry>> presets_;
    std::vector<double*> inputData_;
    std::vector<double*> outputData_;
    std::vector<std::unique_ptr<IInputChannel>> inputChannels_;
    std::vector<std::unique_ptr<IOutputChannel>> outputChannels_;
    std::vector<std::string> inputBusNames_;
    std::vector<std::string> outputBusNames_;

private:
    void SizeScratch(int frames);
    template <typename Sample>
    void ProcessBlock(Sample** inputs, Sample** outputs, int frames, bool accumulate);
};
