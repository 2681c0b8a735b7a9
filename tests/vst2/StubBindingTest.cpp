// The binding's behaviour through a small instrument of its own (tests/vst2/StubPlugin.cpp): four
// inputs and outputs ("1-1 2-2 4-4"), three parameters, two presets, no MIDI, an editor of 320 x 200.

#include "Vst2Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using namespace vst2;

namespace
{
class StubBinding : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(host.Create(), nullptr); }

    std::string KeyName(int key)
    {
        MidiKeyName name{};
        name.thisKeyNumber = key;
        std::strcpy(name.keyName, "stale");
        lastKeyNameResult = host.Dispatch(EffectOp::kGetMidiKeyName, 0, 0, &name);
        return name.keyName;
    }

    Vst2Host host{STUB_PLUGIN_PATH};
    intptr_t lastKeyNameResult = -1;
};

TEST_F(StubBinding, RecordReflectsConfigurationAndAttachedEditor)
{
    const EffectRecord& e = *host.effect;
    // replacing + double replacing + mono-capable (a 1-in configuration exists) + editor, not a synth
    EXPECT_EQ(e.flags, 0x1010 | 0x008 | 0x001);
    EXPECT_EQ(e.numInputs, 4);
    EXPECT_EQ(e.numOutputs, 4);
    EXPECT_EQ(e.numParams, 3);
    EXPECT_EQ(e.numPrograms, 2);
    EXPECT_EQ(e.uniqueID, FourCC('s', 't', 'u', 'b'));
    EXPECT_EQ(e.version, 20304);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetVendorVersion), 20304);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetPlugCategory), kPlugCategoryEffect);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetProductString), "Stub Product");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetVendorString), "Stub Vendor");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetEffectName), "Stub");
}

TEST_F(StubBinding, EditorOpcodes)
{
    EditorRect* rect = nullptr;
    EXPECT_EQ(host.Dispatch(EffectOp::kEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 320);
    EXPECT_EQ(host.Dispatch(EffectOp::kEditGetRect), 0);

    int parent = 0;
    EXPECT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, nullptr), 0); // no parent window, no editor window
    EXPECT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(host.Dispatch(EffectOp::kEditClose), 1);
    EXPECT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, &parent), 1); // reopens after a close
    EXPECT_EQ(host.Dispatch(EffectOp::kEditClose), 1);
}

TEST_F(StubBinding, ResizedEditorAndLatencyReachTheRecordWithoutCallingTheHost)
{
    EditorRect* rect = nullptr;
    host.Dispatch(EffectOp::kEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    KeyName(64);
    host.calls.clear();
    KeyName(66);
    EXPECT_EQ(rect->bottom, 250);
    EXPECT_EQ(rect->right, 400);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(host.effect->initialDelay, 96);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(KeyName(64), "resized;");
}

TEST_F(StubBinding, PinPropertiesPairChannelsAndStopAtTheLast)
{
    struct Expected
    {
        int index;
        intptr_t result;
        int32_t flags;
        const char* label;
    };
    for (const Expected& x : {Expected{0, 1, 3, "Output 1"}, Expected{1, 1, 1, "Output 2"},
                              Expected{2, 1, 3, "Output 3"}, Expected{3, 1, 1, "Output 4"}})
    {
        VstPinProperties pin{};
        EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, x.index, 0, &pin), x.result);
        EXPECT_EQ(pin.flags, x.flags) << x.index;
        EXPECT_STREQ(pin.label, x.label);
    }
    VstPinProperties pin{};
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, 4, 0, &pin), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, 0, 0, nullptr), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetInputProperties, 3, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Input 4");
    EXPECT_EQ(pin.flags, 1);
}

TEST_F(StubBinding, SpeakerArrangementsDescribeTheChannels)
{
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(host.Dispatch(EffectOp::kGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->numChannels, 4);
    EXPECT_EQ(in->type, SpeakerArrangementType::kUserDefined);
    EXPECT_EQ(out->numChannels, 4);
}

TEST_F(StubBinding, RenderingReplacesOrAccumulatesOnConnectedOutputs)
{
    auto replaced =
        host.ProcessFloat(64, false, std::vector<std::vector<float>>(4, std::vector<float>(64, 9.0f)));
    for (int c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(replaced[c][63], 0.5f + 0.125f * c);
    auto added = host.ProcessFloat(64, true, replaced);
    for (int c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(added[c][0], 2 * (0.5f + 0.125f * c));
    auto doubled = host.ProcessDouble(64);
    EXPECT_DOUBLE_EQ(doubled[3][10], 0.875);
    // Without MIDI the plug-in never asks for it.
    EXPECT_TRUE(host.CallsWith(HostOp::kWantMidi).empty());
}

TEST_F(StubBinding, BlocksLongerThanTheAnnouncedSizeAreRenderedWhole)
{
    host.Dispatch(EffectOp::kSetBlockSize, 0, 16);
    auto out = host.ProcessFloat(100, false);
    EXPECT_FLOAT_EQ(out[0][99], 0.5f);
    EXPECT_EQ(host.Dispatch(EffectOp::kSetBlockSize, 0, -5), 0); // ignored safely
    // No usable maximum announced: blocks are still rendered, whatever their size.
    for (int frames : {8, 1, 5000})
    {
        out = host.ProcessFloat(frames, false,
                                std::vector<std::vector<float>>(4, std::vector<float>(frames, 7.0f)));
        EXPECT_FLOAT_EQ(out[0][0], 0.5f) << frames;
        EXPECT_FLOAT_EQ(out[0][frames - 1], 0.5f) << frames;
        EXPECT_FLOAT_EQ(out[3][frames - 1], 0.875f) << frames;
    }
}

TEST_F(StubBinding, SpeakerArrangementDisconnectsOutputsAndStereoHostsReconnectThem)
{
    VstSpeakerArrangement stereo{};
    stereo.numChannels = 2;
    EXPECT_EQ(
        host.Dispatch(EffectOp::kSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&stereo), &stereo), 1);
    // Two connected outputs consume the first two host buffers; the others stay as the host left them.
    auto out = host.ProcessFloat(8, false, std::vector<std::vector<float>>(4, std::vector<float>(8, 7.0f)));
    EXPECT_FLOAT_EQ(out[0][0], 0.5f);
    EXPECT_FLOAT_EQ(out[1][0], 0.625f);
    EXPECT_FLOAT_EQ(out[2][0], 7.0f);

    host.Dispatch(EffectOp::kOpen); // an ordinary host: nothing changes
    out = host.ProcessFloat(8, false, std::vector<std::vector<float>>(4, std::vector<float>(8, 7.0f)));
    EXPECT_FLOAT_EQ(out[2][0], 7.0f);
}

TEST_F(StubBinding, InputArrangementSelectsWhichInputsTakeTheHostsSamples)
{
    host.inputLevel = 1.0f;
    EXPECT_FLOAT_EQ(host.ProcessDouble(8)[3][0], 1.875); // every input connected from the start
    VstSpeakerArrangement mono{};
    mono.numChannels = 1;
    EXPECT_EQ(host.Dispatch(EffectOp::kSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono)), 1);
    for (const auto& out : {host.ProcessFloat(8, false), host.ProcessFloat(8, true)})
    {
        EXPECT_FLOAT_EQ(out[0][7], 1.5f);
        EXPECT_FLOAT_EQ(out[1][7], 0.625f); // silence from its scratch, not the host's input
        EXPECT_FLOAT_EQ(out[3][7], 0.875f);
    }
    const auto doubled = host.ProcessDouble(8);
    EXPECT_DOUBLE_EQ(doubled[0][0], 1.5);
    EXPECT_DOUBLE_EQ(doubled[1][0], 0.625);
}

TEST(StubBindingHosts, StereoLimitedHostsGetOutputsFromTheThirdOnConnected)
{
    struct Case
    {
        const char* product;
        bool limited;
    };
    for (const Case& c :
         {Case{"Adobe Audition CS6", true}, Case{"Forte 4", true}, Case{"Orion Platinum", true},
          Case{"SAWStudio64", true}, Case{"Chainer", false}, Case{"Logic", false}})
    {
        Vst2Host host{STUB_PLUGIN_PATH};
        host.productString = c.product;
        ASSERT_NE(host.Create(), nullptr);
        VstSpeakerArrangement stereo{};
        stereo.numChannels = 2;
        host.Dispatch(EffectOp::kSetSpeakerArrangement, 0, 0, &stereo);
        host.Dispatch(EffectOp::kOpen);
        host.inputLevel = 1.0f;
        auto out =
            host.ProcessFloat(8, false, std::vector<std::vector<float>>(4, std::vector<float>(8, 7.0f)));
        // Outputs from the third on are connected again; inputs from the third on no longer take the
        // host's samples. Other hosts keep what the arrangement said.
        EXPECT_FLOAT_EQ(out[0][0], 1.5f) << c.product;
        EXPECT_FLOAT_EQ(out[1][0], 1.625f) << c.product;
        EXPECT_FLOAT_EQ(out[2][0], c.limited ? 0.75f : 7.0f) << c.product;
        EXPECT_FLOAT_EQ(out[3][0], c.limited ? 0.875f : 7.0f) << c.product;
        EXPECT_EQ(host.effect->numInputs, 4);
        EXPECT_EQ(host.effect->numOutputs, 4);
        ASSERT_EQ(host.CallsWith(HostOp::kGetProductString).size(), 1u);
        host.Dispatch(EffectOp::kOpen); // prepared once only
        EXPECT_EQ(host.CallsWith(HostOp::kGetProductString).size(), 1u);
    }
}

TEST_F(StubBinding, HostIdentityIsAskedOnceWithVersion)
{
    // The host's 2.3.4, announced as 20304, is kept in the frame's packed layout.
    const std::string packed = std::to_string((2 << 16) | (3 << 8) | 4);
    host.productString = "REAPER x64";
    EXPECT_EQ(KeyName(63), "0 1 " + packed);
    EXPECT_EQ(host.CallsWith(HostOp::kGetVendorVersion).size(), 1u);
    host.processLevel = kProcessLevelOffline;
    host.productString = "Cubase";
    EXPECT_EQ(KeyName(63), "1 1 " + packed);
    EXPECT_EQ(host.CallsWith(HostOp::kGetProductString).size(), 1u);
}

TEST(StubBindingHosts, HostWithoutProductTextIsUnknownWithoutVersion)
{
    Vst2Host host{STUB_PLUGIN_PATH};
    host.productString = "";
    ASSERT_NE(host.Create(), nullptr);
    host.Dispatch(EffectOp::kOpen);
    MidiKeyName name{};
    name.thisKeyNumber = 63;
    host.Dispatch(EffectOp::kGetMidiKeyName, 0, 0, &name);
    EXPECT_STREQ(name.keyName, "0 0 0");
    EXPECT_EQ(host.CallsWith(HostOp::kGetProductString).size(), 1u);
    EXPECT_TRUE(host.CallsWith(HostOp::kGetVendorVersion).empty());
}

TEST_F(StubBinding, RateBlockSizeAndActivationReachTheInstrumentInOrder)
{
    EXPECT_EQ(KeyName(64), "reset 44100 1024;"); // once created, with the rate every instance starts with
    EXPECT_EQ(KeyName(64), "");
    host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(KeyName(64), "reset 48000 1024;");
    host.Dispatch(EffectOp::kSetBlockSize, 0, 256);
    EXPECT_EQ(KeyName(64), "reset 48000 256;");
    host.Dispatch(EffectOp::kMainsChanged, 0, 1);
    EXPECT_EQ(KeyName(64), "active 1;");
    host.Dispatch(EffectOp::kMainsChanged, 0, 0);
    EXPECT_EQ(KeyName(64), "active 0;reset 48000 256;");

    // Rates that are no rates are ignored.
    for (float rate : {0.0f, -44100.0f, std::nanf(""), HUGE_VALF})
        host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(KeyName(64), "");
    host.Dispatch(EffectOp::kMainsChanged, 0, 0);
    EXPECT_EQ(KeyName(64), "active 0;reset 48000 256;");
}

TEST_F(StubBinding, ProgramSelectionStoresTheLiveStateAndReadsTheIndexAs32Bits)
{
    auto level = [&] { return host.effect->getParameter(host.effect, 0); };
    auto select = [&](intptr_t value) { return host.Dispatch(EffectOp::kSetProgram, 0, value); };
    char name[64] = {};
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgramNameIndexed, 1, 0, name), 1);
    EXPECT_STREQ(name, "Empty"); // filled by the entry point with the initial state
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgramNameIndexed, 2, 0, name), 0);

    host.effect->setParameter(host.effect, 0, 0.25f);
    EXPECT_EQ(select(1), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 1);
    EXPECT_FLOAT_EQ(level(), 0.5f);

    host.effect->setParameter(host.effect, 0, 0.75f);
    select(0xFFFFFFFF); // -1 in 32 bits: nothing applied
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 1);
    EXPECT_FLOAT_EQ(level(), 0.75f);
    select(intptr_t(1) << 32); // 0 in 32 bits
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 0);
    EXPECT_FLOAT_EQ(level(), 0.25f);
    select(1); // program 1 holds what was live when it was left
    EXPECT_FLOAT_EQ(level(), 0.75f);
    select(2); // no such program
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 1);
    EXPECT_FLOAT_EQ(level(), 0.75f);
}

TEST_F(StubBinding, TimeQueriesHonourValidityFlags)
{
    host.timeInfo.samplePos = 1000.5;
    host.timeInfo.tempo = 133.0;
    host.timeInfo.timeSigNumerator = 7;
    host.timeInfo.timeSigDenominator = 8;
    host.timeInfo.ppqPos = 4.5;
    host.timeInfo.barStartPos = 4.0;
    host.timeInfo.cycleStartPos = 1.0;
    host.timeInfo.cycleEndPos = 9.0;

    host.timeInfo.flags = 0;
    EXPECT_EQ(KeyName(61), "0 1001 0/0");                 // position rounded; tempo and signature not valid
    EXPECT_EQ(KeyName(62), "-1 -1 -1 -1 -1 -1 -1/-1 00"); // nothing requested is valid: untouched

    host.timeInfo.flags = TimeFlags::kTempoValid | TimeFlags::kTimeSigValid | TimeFlags::kTransportPlaying;
    EXPECT_EQ(KeyName(61), "133 1001 7/8");
    EXPECT_EQ(KeyName(62), "133 1000.5 -1 -1 -1 -1 7/8 10");

    host.timeInfo.flags = 0x3E00 | TimeFlags::kTransportCycleActive;
    EXPECT_EQ(KeyName(62), "133 1000.5 4.5 4 1 9 7/8 01");

    host.timeInfo.samplePos = -3;
    host.timeInfo.tempo = 0; // a zero tempo is not reported through the time record
    EXPECT_EQ(KeyName(61), "0 0 7/8");
    EXPECT_EQ(KeyName(62), "-1 -3 4.5 4 1 9 7/8 01");

    host.answerTime = false;
    host.calls.clear();
    EXPECT_EQ(KeyName(61), "0 0 0/0");
    std::vector<intptr_t> requested;
    for (const HostCall& call : host.CallsWith(HostOp::kGetTime))
        requested.push_back(call.value);
    std::sort(requested.begin(), requested.end());
    EXPECT_EQ(requested, std::vector<intptr_t>({0, 0x400, 0x2000}));
    host.calls.clear();
    KeyName(62);
    ASSERT_EQ(host.CallsWith(HostOp::kGetTime).size(), 1u);
    EXPECT_EQ(host.CallsWith(HostOp::kGetTime)[0].value, 0x3E00);
}

TEST_F(StubBinding, EditsReachTheHostAsBeginValueEndAndDisplayUpdate)
{
    host.calls.clear();
    host.Dispatch(EffectOp::kSetProgramName, 0, 0, const_cast<char*>("Edited"));
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].opcode, HostOp::kBeginEdit);
    EXPECT_EQ(host.calls[0].index, 2);
    EXPECT_EQ(host.calls[1].opcode, HostOp::kAutomate);
    EXPECT_EQ(host.calls[1].index, 2);
    EXPECT_FLOAT_EQ(host.calls[1].opt, 0.5f);
    EXPECT_EQ(host.calls[2].opcode, HostOp::kEndEdit);
    EXPECT_EQ(host.calls[3].opcode, HostOp::kUpdateDisplay);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 2), "B");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetProgramName), "Edited");
}

TEST_F(StubBinding, KeyNamesComeFromTheInstrument)
{
    EXPECT_EQ(KeyName(60), "Middle C");
    EXPECT_EQ(lastKeyNameResult, 1);
    EXPECT_EQ(KeyName(10), "");
    EXPECT_EQ(lastKeyNameResult, 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetMidiKeyName), 0);
}

TEST_F(StubBinding, SystemExclusiveEventsReachTheInstrument)
{
    char dump[] = {char(0xF0), 0x7D, 0x01, 0x02, char(0xF7)};
    VstMidiSysexEvent sysex{};
    sysex.type = kSysExEventType;
    sysex.byteSize = sizeof(sysex);
    sysex.deltaFrames = 17;
    sysex.dumpBytes = sizeof(dump);
    sysex.sysexDump = dump;
    VstMidiSysexEvent broken = sysex;
    broken.sysexDump = nullptr; // claims bytes it does not carry: skipped
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = reinterpret_cast<VstEvent*>(&broken);
    list.events[1] = reinterpret_cast<VstEvent*>(&sysex);
    EXPECT_EQ(host.Dispatch(EffectOp::kProcessEvents, 0, 0, &list), 1);

    ASSERT_EQ(host.sentEvents.size(), 1u);
    const SentEvent& back = host.sentEvents[0];
    EXPECT_EQ(back.type, kSysExEventType);
    EXPECT_EQ(back.byteSize, 48);
    EXPECT_EQ(back.deltaFrames, 17);
    EXPECT_EQ(back.sysex, std::vector<uint8_t>({0xF0, 0x7D, 0x01, 0x02, 0xF7}));
}

TEST_F(StubBinding, CapabilitiesWithoutMidi)
{
    EXPECT_EQ(host.Dispatch(EffectOp::kCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
    EXPECT_EQ(host.Dispatch(EffectOp::kCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kCanDo), 0);
}

TEST_F(StubBinding, TextToValueForNumbersAndNegatedDisplays)
{
    auto set = [&](int index, const char* text)
    { return host.Dispatch(EffectOp::kString2Parameter, index, 0, const_cast<char*>(text)); };
    EXPECT_EQ(set(1, " 3.5 semitones"), 1); // shown negated, so stored as -3.5
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 1), "3.5");
    EXPECT_EQ(set(1, "none"), 1); // no number reads as 0
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 1), "0.0");
    EXPECT_EQ(set(1, "-25"), 1); // 25 is clamped to the maximum of 10, shown as -10
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 1), "-10.0");
    EXPECT_EQ(set(1, "nan"), 1);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 1), "0.0");
    EXPECT_EQ(set(2, "C"), 1);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, 2), "C");
    EXPECT_EQ(set(3, "1"), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kString2Parameter, 0), 1); // valid index without text
}

TEST_F(StubBinding, HostExtensionFormatsNormalisedValuesAndReportsSteppedParameters)
{
    char text[64] = "unchanged";
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 7, 0, text, 0.25f), 0xBEEF);
    EXPECT_STREQ(text, "0.25");
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 7, 2, text, 0.5f), 0xBEEF);
    EXPECT_STREQ(text, "B"); // 0.5 of 0..2 is 1, shown with its text
    std::strcpy(text, "unchanged");
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 7, 9, text, 0.5f), 0xBEEF);
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 7, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 8, 2), 0xBEEF);
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 8, 0), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 8, 3), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kVendorSpecific, 9, 2), 0);
}

TEST_F(StubBinding, ParameterSetCallbackKeepsValuesInRange)
{
    host.effect->setParameter(host.effect, 0, 1.5f);
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 1.0f);
    host.effect->setParameter(host.effect, 0, std::nanf(""));
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 1.0f);
    host.effect->setParameter(host.effect, 0, -1.0f);
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 0.0f);
    host.effect->setParameter(host.effect, 7, 0.5f); // ignored
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 7), 0.0f);
}

TEST_F(StubBinding, HostChangesReachTheEditor)
{
    KeyName(65); // what attaching showed
    host.effect->setParameter(host.effect, 0, 0.25f);
    host.effect->setParameter(host.effect, 3, 0.25f);
    EXPECT_EQ(KeyName(65), "0 0.25 n;");
    auto set = [&](int index, const char* text)
    { return host.Dispatch(EffectOp::kString2Parameter, index, 0, const_cast<char*>(text)); };
    set(1, "3.5");
    set(0, "5"); // the editor hears the value asked for; the parameter keeps its range
    set(2, "D"); // no such text: nothing changes
    EXPECT_EQ(KeyName(65), "1 -3.5 r;0 5 r;");
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 1.0f);

    void* data = nullptr;
    const intptr_t size = host.Dispatch(EffectOp::kGetChunk, 1, 0, &data);
    const std::vector<uint8_t> saved(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, size, const_cast<uint8_t*>(saved.data())), 1);
    EXPECT_EQ(KeyName(65), "0 1 r;1 -3.5 r;2 0 r;"); // every parameter, as real values
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, 12, const_cast<uint8_t*>(saved.data())), 0);
    EXPECT_EQ(KeyName(65), ""); // a failed load refreshes nothing
}

TEST_F(StubBinding, ProgramChunkRoundTripAndRejectedSizes)
{
    host.effect->setParameter(host.effect, 0, 0.25f);
    void* data = nullptr;
    const intptr_t size = host.Dispatch(EffectOp::kGetChunk, 1, 0, &data);
    ASSERT_EQ(size, 8 + 3 * 8); // header and three doubles
    const std::vector<uint8_t> saved(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

    host.effect->setParameter(host.effect, 0, 0.75f);
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, size, const_cast<uint8_t*>(saved.data())), 1);
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 0.25f);

    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, -8, const_cast<uint8_t*>(saved.data())), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, intptr_t(1) << 40, const_cast<uint8_t*>(saved.data())),
              0);
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, size), 0);
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 0), 0.25f);
}

TEST(StubBindingEntry, MainEntryKeepsTheWholeCallbackPointer)
{
    Vst2Host host{STUB_PLUGIN_PATH};
    ASSERT_NE(host.Create("main"), nullptr);
    EXPECT_EQ(host.effect->magic, kEffectMagic);
    host.Dispatch(EffectOp::kOpen);
    EXPECT_EQ(host.CallsWith(HostOp::kGetProductString).size(), 1u);
}

TEST(StubBindingEntry, WithoutHostCallbackEverythingStillAnswers)
{
    Vst2Host host{STUB_PLUGIN_PATH};
    ASSERT_NE(host.Create("VSTPluginMain", false), nullptr);
    host.Dispatch(EffectOp::kOpen);
    host.effect->setParameter(host.effect, 0, 0.5f);
    auto out = host.ProcessFloat(16, false);
    EXPECT_FLOAT_EQ(out[0][0], 0.5f);
    MidiKeyName name{};
    name.thisKeyNumber = 61;
    host.Dispatch(EffectOp::kGetMidiKeyName, 0, 0, &name);
    EXPECT_STREQ(name.keyName, "0 0 0/0");
    EXPECT_TRUE(host.calls.empty());
}
} // namespace
