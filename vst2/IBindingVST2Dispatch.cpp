#include "editor/IGraphicsPlatform.h"
#include "frame/FrameText.h"
#include "vst2/IBindingVST2.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

namespace
{
// Parameter names, labels and display texts are at most 31 characters, and hosts give at least a
// field of that size for them; anything longer is cut rather than written past the host's buffer.
constexpr int kParamTextSize = kParameterTextSize;

constexpr intptr_t kHostExtensionAnswer = 0xBEEF;

char* Text(void* ptr)
{
    return static_cast<char*>(ptr);
}

// The leading decimal number of a text (after blanks and an optional plus sign), 0 when there is none.
double LeadingNumber(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    if (*text == '+') ++text;
    double value = 0.0;
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc() || std::isnan(value)) return 0.0;
    return value;
}
} // namespace

void IBindingVST2::EditorIdle()
{
#ifndef _WIN32
    // The host's idle drives the open editor's timer; without it the editor's own timer does. On
    // Windows the editor window's own timer messages drive it.
    if (auto* window = dynamic_cast<IGraphicsLinux*>(GetEditor())) window->OnHostTimer();
#endif
}

intptr_t IBindingVST2::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    using namespace vst2::EffectOp;
    switch (opcode)
    {
    case kOpen:
        PrepareForHost();
        NotifyAllParameters();
        return 0;

    case kSetProgram:
        if (!DoesStateChunks()) ModifyCurrentPreset(nullptr);
        if (static_cast<int32_t>(value) >= 0) ApplyPreset(static_cast<int32_t>(value));
        return 0;

    case kGetProgram:
        return GetCurrentPresetIdx();

    case kSetProgramName:
        if (ptr)
        {
            ModifyCurrentPreset(Text(ptr));
            OnPresetChange();
        }
        return 0;

    case kGetProgramName:
        if (ptr) CopyText(Text(ptr), vst2::kProgramNameSize, PresetName(GetCurrentPresetIdx()));
        return 0;

    case kGetParamLabel:
        if (const IParameter* param = GetParam(index); param && ptr)
            CopyText(Text(ptr), kParamTextSize, param->HostLabel());
        return 0;

    case kGetParamDisplay:
        if (const IParameter* param = GetParam(index); param && ptr)
            param->FormatCurrentValue(std::span<char>(Text(ptr), kParamTextSize));
        return 0;

    case kGetParamName:
        if (const IParameter* param = GetParam(index); param && ptr)
            CopyText(Text(ptr), kParamTextSize, param->Name());
        return 0;

    case kSetSampleRate:
        // A rate outside the sane range (or no number) is ignored; the instance keeps the one it has.
        if (!IsSaneHostSampleRate(opt)) return 0;
        sampleRate_ = opt;
        OnReset();
        return 0;

    case kSetBlockSize:
        // Block sizes beyond 32 bits are not blocks a host can deliver.
        SetMaxBlockSize(value < 0 || value > INT_MAX ? 0 : static_cast<int>(value));
        OnReset();
        return 0;

    case kMainsChanged:
        if (value != 0)
            OnActiveChange(true);
        else
        {
            OnActiveChange(false);
            OnReset();
        }
        return 0;

    case kEditGetRect:
        if (!ptr || !GetEditor()) return 0;
        *static_cast<vst2::EditorRect**>(ptr) = &editorRect_;
        return 1;

    case kEditOpen:
        if (!GetEditor() || !GetEditor()->OpenWindow(ptr)) return 0;
        OnEditorOpen();
        return 1;

    case kEditClose:
        if (!GetEditor()) return 0;
        OnEditorClose();
        GetEditor()->CloseWindow();
        return 1;

    case kIdentify:
        return vst2::kIdentifyAnswer;

    case kGetChunk:
        return ptr ? GetChunk(index != 0, ptr) : 0;

    case kSetChunk:
        return ptr ? SetChunk(index != 0, value, ptr) : 0;

    case kProcessEvents:
        return ptr ? ProcessEvents(static_cast<const vst2::VstEvents*>(ptr)) : 0;

    case kCanBeAutomated:
        return 1;

    case kString2Parameter:
        return TextToParameter(index, Text(ptr));

    case kGetProgramNameIndexed:
        if (!ptr) return 0;
        CopyText(Text(ptr), vst2::kProgramNameSize, PresetName(index));
        return Text(ptr)[0] != '\0';

    case kGetInputProperties:
        return PinProperties(true, index, static_cast<vst2::VstPinProperties*>(ptr));

    case kGetOutputProperties:
        return PinProperties(false, index, static_cast<vst2::VstPinProperties*>(ptr));

    case kGetPlugCategory:
        return IsInstrument() ? vst2::kPlugCategorySynth : vst2::kPlugCategoryEffect;

    case kSetSpeakerArrangement:
        return SetSpeakerArrangement(reinterpret_cast<const vst2::VstSpeakerArrangement*>(value),
                                     static_cast<const vst2::VstSpeakerArrangement*>(ptr));

    case kGetEffectName:
        if (!ptr) return 0;
        CopyText(Text(ptr), vst2::kEffectNameSize, GetEffectName());
        return 1;

    case kGetVendorString:
        if (!ptr) return 0;
        CopyText(Text(ptr), vst2::kVendorStringSize, GetManufacturerName());
        return 1;

    case kGetProductString:
        if (!ptr) return 0;
        CopyText(Text(ptr), vst2::kProductStringSize, GetProductName());
        return 1;

    case kGetVendorVersion:
        return DecimalVersion(GetVersion());

    case kVendorSpecific:
        return HostExtension(index, value, ptr, opt);

    case kCanDo:
        return ptr ? CanDo(Text(ptr)) : 0;

    case kGetTailSize:
        return GetTailSize();

    case kGetVstVersion:
        return vst2::kInterfaceVersion;

    case kGetMidiKeyName:
    {
        if (!ptr) return 0;
        auto* key = static_cast<vst2::MidiKeyName*>(ptr);
        key->keyName[0] = '\0';
        return GetMidiNoteName(key->thisKeyNumber, std::span<char>(key->keyName, vst2::kKeyNameLength)) ? 1
                                                                                                        : 0;
    }

    case kGetSpeakerArrangement:
        if (value) *reinterpret_cast<vst2::VstSpeakerArrangement**>(value) = &inputArrangement_;
        if (ptr) *static_cast<vst2::VstSpeakerArrangement**>(ptr) = &outputArrangement_;
        return 1;

    default:
        return 0;
    }
}

intptr_t IBindingVST2::GetChunk(bool isProgram, void* ptr)
{
    IStateChunk& chunk = isProgram ? programChunk_ : bankChunk_;
    WriteChunkHeader(chunk);
    bool ok;
    if (isProgram)
        ok = SaveState(chunk);
    else
    {
        ModifyCurrentPreset(nullptr);
        ok = SerializePresets(chunk);
    }
    if (!ok || chunk.Size() == 0) return 0;
    *static_cast<void**>(ptr) = chunk.Data();
    return chunk.Size();
}

intptr_t IBindingVST2::SetChunk(bool isProgram, intptr_t size, const void* ptr)
{
    // A negative size or one beyond what a chunk can address cannot describe host memory we may read.
    if (size < 0 || size > INT32_MAX) return 0;
    IStateChunk& chunk = isProgram ? programChunk_ : bankChunk_;
    // A host may hand back the very buffer an earlier get-chunk call gave it; those bytes are copied
    // aside first, since resizing the chunk may move them and copying onto themselves is undefined.
    const auto from = reinterpret_cast<uintptr_t>(ptr);
    const auto own = reinterpret_cast<uintptr_t>(chunk.Data());
    IStateChunk aside;
    if (size > 0 && own != 0 && from < own + static_cast<uintptr_t>(chunk.Allocated()) &&
        own < from + static_cast<uintptr_t>(size))
    {
        if (!aside.Resize(static_cast<int32_t>(size))) return 0;
        std::memcpy(aside.Data(), ptr, static_cast<size_t>(size));
        ptr = aside.Data();
    }
    if (!chunk.Resize(static_cast<int32_t>(size))) return 0;
    if (size > 0) std::memcpy(chunk.Data(), ptr, static_cast<size_t>(size));

    int32_t position = 0;
    const int32_t version = ReadChunkHeader(chunk, position);
    int32_t result;
    if (isProgram || version < kChunkFormatVersion)
    {
        result = LoadState(chunk, position);
        ModifyCurrentPreset(nullptr);
    }
    else
        result = UnserializePresets(chunk, position);
    if (result < 0) return 0;
    RefreshEditorFromParameters();
    return 1;
}

intptr_t IBindingVST2::ProcessEvents(const vst2::VstEvents* events)
{
    // Hosts allocate the pointer array with as many entries as numEvents, beyond the two the
    // record declares; indexing the declared array past its bound would be undefined.
    vst2::VstEvent* const* list = events->events;
    for (int32_t i = 0; i < events->numEvents; ++i)
    {
        const vst2::VstEvent* event = list[i];
        if (!event) continue;
        if (event->type == vst2::kMidiEventType)
        {
            const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
            IMidiMessage message;
            message.offset = midi->deltaFrames;
            message.status = static_cast<uint8_t>(midi->midiData[0]);
            message.data1 = static_cast<uint8_t>(midi->midiData[1]);
            message.data2 = static_cast<uint8_t>(midi->midiData[2]);
            OnMidiMessage(message);
        }
        else if (event->type == vst2::kSysExEventType)
        {
            const auto* sysex = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
            // A dump that claims bytes it does not point at is not passed on.
            if (sysex->dumpBytes < 0 || (sysex->dumpBytes > 0 && !sysex->sysexDump)) continue;
            ISysExMessage message;
            message.offset = sysex->deltaFrames;
            message.size = sysex->dumpBytes;
            message.data = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            OnSysEx(message);
        }
    }
    return 1;
}

intptr_t IBindingVST2::TextToParameter(int index, const char* text)
{
    IParameter* param = GetParam(index);
    if (!param) return 0;
    if (!text) return 1;

    double value;
    if (param->DisplayTextCount() > 0)
    {
        int match = -1;
        for (int i = 0; i < param->DisplayTextCount() && match < 0; ++i)
            if (std::strcmp(param->DisplayTextAt(i).text, text) == 0) match = i;
        if (match < 0) return 0;
        value = param->DisplayTextAt(match).value;
    }
    else
    {
        value = LeadingNumber(text);
        if (param->NegateDisplay()) value = -value;
    }

    return SetParameterFromHost(index, value, false) ? 1 : 0;
}

intptr_t IBindingVST2::PinProperties(bool isInput, int index, vst2::VstPinProperties* pin)
{
    const int channels = isInput ? NInChannels() : NOutChannels();
    if (!pin || index < 0 || index >= channels) return 0;
    pin->flags = vst2::PinFlags::kIsActive;
    if (index % 2 == 0 && index < channels - 1) pin->flags |= vst2::PinFlags::kIsStereo;
    std::snprintf(pin->label, sizeof(pin->label), isInput ? "Input %d" : "Output %d", index + 1);
    return 1;
}

intptr_t IBindingVST2::SetSpeakerArrangement(const vst2::VstSpeakerArrangement* in,
                                             const vst2::VstSpeakerArrangement* out)
{
    if (in)
        for (int i = 0; i < NInChannels(); ++i)
            SetInputChannelConnected(i, i < in->numChannels);
    if (out)
        for (int i = 0; i < NOutChannels(); ++i)
            SetOutputChannelConnected(i, i < out->numChannels);
    return 1;
}

intptr_t IBindingVST2::HostExtension(int32_t index, intptr_t value, void* ptr, float opt)
{
    constexpr int32_t kFormatNormalized = 7;
    constexpr int32_t kIsSteppedParameter = 8;
    const bool validParam = value >= 0 && value < NParams();
    switch (index)
    {
    case kFormatNormalized:
        if (!ptr) return 0;
        if (validParam)
            GetParam(static_cast<int>(value))
                ->FormatValue(opt, true, std::span<char>(Text(ptr), kParamTextSize), true);
        return kHostExtensionAnswer;
    case kIsSteppedParameter:
        return validParam && GetParam(static_cast<int>(value))->Type() != IParameterType::Double
                   ? kHostExtensionAnswer
                   : 0;
    default:
        return 0;
    }
}

intptr_t IBindingVST2::CanDo(const char* capability) const
{
    static constexpr const char* kMidiCapabilities[] = {"sendVstEvents", "sendVstMidiEvent",
                                                        "receiveVstEvents", "receiveVstMidiEvent"};
    if (std::strcmp(capability, "receiveVstTimeInfo") == 0) return 1;
    if (DoesMidi())
        for (const char* text : kMidiCapabilities)
            if (std::strcmp(capability, text) == 0) return 1;
    return 0;
}
