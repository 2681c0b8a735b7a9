// The VST 2.4 plug-in interface as seen across the binary boundary: the records a host and a plug-in
// exchange, the function types of the callbacks, and the opcode and flag numbers this plug-in uses.
// Only the x86-64 layout matters here (natural alignment, 8-byte pointers); the static_asserts below
// pin every size and offset so that a layout mistake fails to compile instead of corrupting a host.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vst2
{

struct EffectRecord;

// Host's audio-master callback and the plug-in's dispatcher share one signature.
using HostCallback = intptr_t (*)(EffectRecord* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);
using DispatcherProc = intptr_t (*)(EffectRecord* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt);
using ProcessProc = void (*)(EffectRecord* effect, float** inputs, float** outputs, int32_t frames);
using ProcessDoubleProc = void (*)(EffectRecord* effect, double** inputs, double** outputs, int32_t frames);
using SetParameterProc = void (*)(EffectRecord* effect, int32_t index, float value);
using GetParameterProc = float (*)(EffectRecord* effect, int32_t index);

// Four-character code with the first character in the most significant byte.
constexpr int32_t FourCC(char a, char b, char c, char d)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr int32_t kEffectMagic = FourCC('V', 's', 't', 'P');
constexpr int32_t kIdentifyAnswer = FourCC('N', 'v', 'E', 'f');
constexpr int32_t kInterfaceVersion = 2400;

// The effect record the plug-in owns and hands to the host (192 bytes).
struct EffectRecord
{
    int32_t magic;
    DispatcherProc dispatcher;
    ProcessProc process; // accumulating 32-bit processing (superseded by the replacing ones)
    SetParameterProc setParameter;
    GetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t reserved1;
    intptr_t reserved2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object; // the plug-in instance
    void* user;   // free for the host
    int32_t uniqueID;
    int32_t version;
    ProcessProc processReplacing;
    ProcessDoubleProc processDoubleReplacing;
    char future[56];
};

namespace EffectFlags
{
constexpr int32_t kHasEditor = 0x001;
constexpr int32_t kCanMono = 0x008;
constexpr int32_t kCanReplacing = 0x010;
constexpr int32_t kProgramChunks = 0x020;
constexpr int32_t kIsSynth = 0x100;
constexpr int32_t kCanDoubleReplacing = 0x1000;
} // namespace EffectFlags

// Dispatcher opcodes (host to plug-in).
namespace EffectOp
{
constexpr int32_t kOpen = 0;
constexpr int32_t kClose = 1;
constexpr int32_t kSetProgram = 2;
constexpr int32_t kGetProgram = 3;
constexpr int32_t kSetProgramName = 4;
constexpr int32_t kGetProgramName = 5;
constexpr int32_t kGetParamLabel = 6;
constexpr int32_t kGetParamDisplay = 7;
constexpr int32_t kGetParamName = 8;
constexpr int32_t kSetSampleRate = 10;
constexpr int32_t kSetBlockSize = 11;
constexpr int32_t kMainsChanged = 12;
constexpr int32_t kEditGetRect = 13;
constexpr int32_t kEditOpen = 14;
constexpr int32_t kEditClose = 15;
constexpr int32_t kEditIdle = 19;
constexpr int32_t kIdentify = 22;
constexpr int32_t kGetChunk = 23;
constexpr int32_t kSetChunk = 24;
constexpr int32_t kProcessEvents = 25;
constexpr int32_t kCanBeAutomated = 26;
constexpr int32_t kString2Parameter = 27;
constexpr int32_t kGetProgramNameIndexed = 29;
constexpr int32_t kGetInputProperties = 33;
constexpr int32_t kGetOutputProperties = 34;
constexpr int32_t kGetPlugCategory = 35;
constexpr int32_t kSetSpeakerArrangement = 42;
constexpr int32_t kGetEffectName = 45;
constexpr int32_t kGetVendorString = 47;
constexpr int32_t kGetProductString = 48;
constexpr int32_t kGetVendorVersion = 49;
constexpr int32_t kVendorSpecific = 50;
constexpr int32_t kCanDo = 51;
constexpr int32_t kGetTailSize = 52;
constexpr int32_t kGetVstVersion = 58;
constexpr int32_t kGetMidiKeyName = 66;
constexpr int32_t kGetSpeakerArrangement = 69;
} // namespace EffectOp

// Audio-master opcodes (plug-in to host).
namespace HostOp
{
constexpr int32_t kAutomate = 0;
constexpr int32_t kWantMidi = 6;
constexpr int32_t kGetTime = 7;
constexpr int32_t kProcessEvents = 8;
constexpr int32_t kGetCurrentProcessLevel = 23;
constexpr int32_t kGetProductString = 33;
constexpr int32_t kGetVendorVersion = 34;
constexpr int32_t kUpdateDisplay = 42;
constexpr int32_t kBeginEdit = 43;
constexpr int32_t kEndEdit = 44;
} // namespace HostOp

constexpr intptr_t kProcessLevelOffline = 4;

// Text buffers the host provides, in bytes including the terminating NUL.
constexpr int kProgramNameSize = 24;
constexpr int kEffectNameSize = 32;
constexpr int kVendorStringSize = 64;
constexpr int kProductStringSize = 64;

constexpr int32_t kPlugCategoryEffect = 1;
constexpr int32_t kPlugCategorySynth = 2;

// Generic event header; the concrete kinds below share its first four fields.
struct VstEvent
{
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
};

constexpr int32_t kMidiEventType = 1;
constexpr int32_t kSysExEventType = 6;

struct VstMidiEvent
{
    int32_t type; // kMidiEventType
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4]; // status, data1, data2, unused
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent
{
    int32_t type; // kSysExEventType
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t dumpBytes;
    intptr_t reserved1;
    char* sysexDump;
    intptr_t reserved2;
};

// Event list; the host allocates as many trailing pointers as numEvents says.
struct VstEvents
{
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[2];
};

struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

namespace TimeFlags
{
constexpr int32_t kTransportChanged = 0x1;
constexpr int32_t kTransportPlaying = 0x2;
constexpr int32_t kTransportCycleActive = 0x4;
constexpr int32_t kTransportRecording = 0x8;
constexpr int32_t kNanosValid = 0x100;
constexpr int32_t kPpqPosValid = 0x200;
constexpr int32_t kTempoValid = 0x400;
constexpr int32_t kBarsValid = 0x800;
constexpr int32_t kCyclePosValid = 0x1000;
constexpr int32_t kTimeSigValid = 0x2000;
constexpr int32_t kSmpteValid = 0x4000;
constexpr int32_t kClockValid = 0x8000;
} // namespace TimeFlags

struct VstSpeakerProperties
{
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
};

constexpr int32_t kMaxArrangementSpeakers = 8;

struct VstSpeakerArrangement
{
    int32_t type;
    int32_t numChannels;
    VstSpeakerProperties speakers[kMaxArrangementSpeakers];
};

namespace SpeakerArrangementType
{
constexpr int32_t kUserDefined = -2;
constexpr int32_t kEmpty = -1;
constexpr int32_t kMono = 0;
constexpr int32_t kStereo = 1;
} // namespace SpeakerArrangementType

constexpr int kPinLabelLength = 64;

struct VstPinProperties
{
    char label[kPinLabelLength];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
};

namespace PinFlags
{
constexpr int32_t kIsActive = 0x1;
constexpr int32_t kIsStereo = 0x2;
constexpr int32_t kUseSpeaker = 0x4;
} // namespace PinFlags

constexpr int kKeyNameLength = 64;

struct MidiKeyName
{
    int32_t thisProgramIndex;
    int32_t thisKeyNumber;
    char keyName[kKeyNameLength];
    int32_t reserved;
    int32_t flags;
};

// Editor rectangle as the host reads it through the get-rect opcode.
struct EditorRect
{
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

// ---- layout checks (x86-64) ----
static_assert(sizeof(void*) == 8, "this interface layout is the 64-bit one");

static_assert(sizeof(EffectRecord) == 192);
static_assert(offsetof(EffectRecord, magic) == 0);
static_assert(offsetof(EffectRecord, dispatcher) == 8);
static_assert(offsetof(EffectRecord, process) == 16);
static_assert(offsetof(EffectRecord, setParameter) == 24);
static_assert(offsetof(EffectRecord, getParameter) == 32);
static_assert(offsetof(EffectRecord, numPrograms) == 40);
static_assert(offsetof(EffectRecord, numParams) == 44);
static_assert(offsetof(EffectRecord, numInputs) == 48);
static_assert(offsetof(EffectRecord, numOutputs) == 52);
static_assert(offsetof(EffectRecord, flags) == 56);
static_assert(offsetof(EffectRecord, reserved1) == 64);
static_assert(offsetof(EffectRecord, reserved2) == 72);
static_assert(offsetof(EffectRecord, initialDelay) == 80);
static_assert(offsetof(EffectRecord, realQualities) == 84);
static_assert(offsetof(EffectRecord, offQualities) == 88);
static_assert(offsetof(EffectRecord, ioRatio) == 92);
static_assert(offsetof(EffectRecord, object) == 96);
static_assert(offsetof(EffectRecord, user) == 104);
static_assert(offsetof(EffectRecord, uniqueID) == 112);
static_assert(offsetof(EffectRecord, version) == 116);
static_assert(offsetof(EffectRecord, processReplacing) == 120);
static_assert(offsetof(EffectRecord, processDoubleReplacing) == 128);
static_assert(offsetof(EffectRecord, future) == 136);

static_assert(sizeof(VstEvent) == 32);
static_assert(offsetof(VstEvent, type) == 0);
static_assert(offsetof(VstEvent, byteSize) == 4);
static_assert(offsetof(VstEvent, deltaFrames) == 8);
static_assert(offsetof(VstEvent, flags) == 12);
static_assert(offsetof(VstEvent, data) == 16);

static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, type) == 0);
static_assert(offsetof(VstMidiEvent, byteSize) == 4);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, flags) == 12);
static_assert(offsetof(VstMidiEvent, noteLength) == 16);
static_assert(offsetof(VstMidiEvent, noteOffset) == 20);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29);
static_assert(offsetof(VstMidiEvent, reserved1) == 30);
static_assert(offsetof(VstMidiEvent, reserved2) == 31);

static_assert(sizeof(VstMidiSysexEvent) == 48);
static_assert(offsetof(VstMidiSysexEvent, type) == 0);
static_assert(offsetof(VstMidiSysexEvent, byteSize) == 4);
static_assert(offsetof(VstMidiSysexEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiSysexEvent, flags) == 12);
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16);
static_assert(offsetof(VstMidiSysexEvent, reserved1) == 24);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32);
static_assert(offsetof(VstMidiSysexEvent, reserved2) == 40);

static_assert(sizeof(VstEvents) == 32);
static_assert(offsetof(VstEvents, numEvents) == 0);
static_assert(offsetof(VstEvents, reserved) == 8);
static_assert(offsetof(VstEvents, events) == 16);

static_assert(sizeof(VstTimeInfo) == 88);
static_assert(offsetof(VstTimeInfo, samplePos) == 0);
static_assert(offsetof(VstTimeInfo, sampleRate) == 8);
static_assert(offsetof(VstTimeInfo, nanoSeconds) == 16);
static_assert(offsetof(VstTimeInfo, ppqPos) == 24);
static_assert(offsetof(VstTimeInfo, tempo) == 32);
static_assert(offsetof(VstTimeInfo, barStartPos) == 40);
static_assert(offsetof(VstTimeInfo, cycleStartPos) == 48);
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, timeSigDenominator) == 68);
static_assert(offsetof(VstTimeInfo, smpteOffset) == 72);
static_assert(offsetof(VstTimeInfo, smpteFrameRate) == 76);
static_assert(offsetof(VstTimeInfo, samplesToNextClock) == 80);
static_assert(offsetof(VstTimeInfo, flags) == 84);

static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerProperties, azimuth) == 0);
static_assert(offsetof(VstSpeakerProperties, elevation) == 4);
static_assert(offsetof(VstSpeakerProperties, radius) == 8);
static_assert(offsetof(VstSpeakerProperties, reserved) == 12);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(offsetof(VstSpeakerProperties, future) == 84);

static_assert(sizeof(VstSpeakerArrangement) == 8 + 8 * 112);
static_assert(offsetof(VstSpeakerArrangement, type) == 0);
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);

static_assert(sizeof(VstPinProperties) == 128);
static_assert(offsetof(VstPinProperties, label) == 0);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);
static_assert(offsetof(VstPinProperties, future) == 80);

static_assert(sizeof(MidiKeyName) == 80);
static_assert(offsetof(MidiKeyName, thisProgramIndex) == 0);
static_assert(offsetof(MidiKeyName, thisKeyNumber) == 4);
static_assert(offsetof(MidiKeyName, keyName) == 8);
static_assert(offsetof(MidiKeyName, reserved) == 72);
static_assert(offsetof(MidiKeyName, flags) == 76);

static_assert(sizeof(EditorRect) == 8);
static_assert(offsetof(EditorRect, top) == 0);
static_assert(offsetof(EditorRect, left) == 2);
static_assert(offsetof(EditorRect, bottom) == 4);
static_assert(offsetof(EditorRect, right) == 6);

} // namespace vst2
