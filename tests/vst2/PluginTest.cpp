// The delivered plug-in (Brisbleep.so, or Brisbleep.dll in the Windows build), loaded and driven as a host
// would: only through the effect record, its dispatcher and its callbacks.

#include "Vst2Host.h"
#include "tests/support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

using namespace vst2;

namespace
{
constexpr int kOsc1Type = 1; // eight waveforms: Off Triangle Sin Square Saw Breaker Tan Whistle
constexpr int kStateSize = 4 + 60 * 8;
// The engine's tuning: its fast power approximation gives note 69 427.2434425354004 Hz and note 81 880 Hz,
// each times the cents factor, which is 0.9710078239440918 even for 0 cents.
constexpr double kCentsFactor = 0.9710078239440918;
constexpr double kNote69 = 427.2434425354004 * kCentsFactor; // 414.857 Hz
constexpr double kNote81 = 880.0 * kCentsFactor;

class Plugin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(host.Create(), nullptr);
        host.Dispatch(EffectOp::kOpen);
    }

    intptr_t SetText(int index, const char* text)
    {
        return host.Dispatch(EffectOp::kString2Parameter, index, 0, const_cast<char*>(text));
    }
    std::string Display(int index) { return host.DispatchText(EffectOp::kGetParamDisplay, index); }

    std::vector<uint8_t> Chunk(bool program)
    {
        void* data = nullptr;
        const intptr_t size = host.Dispatch(EffectOp::kGetChunk, program ? 1 : 0, 0, &data);
        if (size <= 0 || !data) return {};
        return {static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size};
    }
    intptr_t LoadChunk(bool program, std::vector<uint8_t> bytes)
    {
        return host.Dispatch(EffectOp::kSetChunk, program ? 1 : 0, static_cast<intptr_t>(bytes.size()),
                             bytes.data());
    }

    void Start(double rate, int block)
    {
        host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        host.Dispatch(EffectOp::kSetBlockSize, 0, block);
        host.Dispatch(EffectOp::kMainsChanged, 0, 1);
    }

    Vst2Host host{BRISBLEEP_VST2_PLUGIN_PATH};
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

double LeDouble(const std::vector<uint8_t>& b, size_t at)
{
    double v;
    std::memcpy(&v, &b[at], 8);
    return v;
}

TEST_F(Plugin, EffectRecordAsFilled)
{
    const EffectRecord& e = *host.effect;
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.flags, 0x1111); // editor, replacing, double replacing, synth
    EXPECT_EQ(e.numParams, 60);
    EXPECT_EQ(e.numInputs, 0);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.numPrograms, 1);
    EXPECT_EQ(e.uniqueID, 0x73706770);
    EXPECT_EQ(e.version, 10001);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_FLOAT_EQ(e.ioRatio, 1.0f);
    EXPECT_TRUE(e.process && e.processReplacing && e.processDoubleReplacing && e.setParameter &&
                e.getParameter);
}

TEST(PluginEntry, BothEntryPointsCreateIndependentInstances)
{
    Vst2Host first{BRISBLEEP_VST2_PLUGIN_PATH};
    ASSERT_NE(first.Create("main"), nullptr);
    Vst2Host second{BRISBLEEP_VST2_PLUGIN_PATH};
    ASSERT_NE(second.Create("VSTPluginMain"), nullptr);
    EXPECT_NE(first.effect, second.effect);
    first.effect->setParameter(first.effect, 0, 1.0f);
    EXPECT_NE(second.effect->getParameter(second.effect, 0), 1.0f);
}

TEST_F(Plugin, IdentityOpcodes)
{
    EXPECT_EQ(host.Dispatch(EffectOp::kIdentify), 0x4E764566);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetPlugCategory), 2);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetVendorVersion), 10001);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetVstVersion), 2400);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetTailSize), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kCanBeAutomated, 5), 1);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetEffectName), "Brisbleep");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetVendorString), "Quorvane");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetProductString), "");
    EXPECT_EQ(host.Dispatch(EffectOp::kGetEffectName), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kEditGetRect), 0); // no place to write the rectangle
    // The editor exists from construction on, but a bogus parent window opens nothing.
    int parent = 0;
    EXPECT_EQ(host.Dispatch(EffectOp::kEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kEditClose), 1);
    EXPECT_EQ(host.Dispatch(9999), 0);
}

TEST_F(Plugin, CapabilitiesAnswerTheirListOnly)
{
    for (const char* text : {"receiveVstTimeInfo", "sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                             "receiveVstMidiEvent"})
        EXPECT_EQ(host.Dispatch(EffectOp::kCanDo, 0, 0, const_cast<char*>(text)), 1) << text;
    for (const char* text : {"receiveVstMidiEvents", "ReceiveVstTimeInfo", "bypass", "offline", ""})
        EXPECT_EQ(host.Dispatch(EffectOp::kCanDo, 0, 0, const_cast<char*>(text)), 0) << text;
}

TEST_F(Plugin, PinPropertiesOfTheTwoOutputs)
{
    VstPinProperties pin{};
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 1");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 2");
    EXPECT_EQ(pin.flags, 1);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(host.Dispatch(EffectOp::kGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(Plugin, ParameterTexts)
{
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamName, 0), "Output Gain");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamLabel, 0), "dB");
    EXPECT_EQ(Display(0), "-6.0");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamName, kOsc1Type), "Osc1 Type");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamLabel, kOsc1Type), ""); // the display text says it
    EXPECT_EQ(Display(kOsc1Type), "Triangle");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamName, 27), "Whiite EnvDepth");
    EXPECT_EQ(Display(35), "12");
    EXPECT_EQ(Display(29), "0.010");
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamName, 59), "Mutation %");
    // Invalid indexes leave the host's buffer alone.
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamName, 60), std::string(255, 'x'));
    EXPECT_EQ(host.DispatchText(EffectOp::kGetParamDisplay, -1), std::string(255, 'x'));
}

TEST_F(Plugin, TextToValueMatchesDisplayTextsExactly)
{
    EXPECT_EQ(SetText(kOsc1Type, "Sin"), 1);
    EXPECT_EQ(Display(kOsc1Type), "Sin");
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, kOsc1Type), 2.0f / 7.0f);
    EXPECT_EQ(SetText(kOsc1Type, "sin"), 0);
    EXPECT_EQ(Display(kOsc1Type), "Sin");
    EXPECT_EQ(SetText(kOsc1Type, "2"), 0); // enumerations take their texts only

    EXPECT_EQ(SetText(0, "-12.5 dB"), 1);
    EXPECT_EQ(Display(0), "-12.5");
    EXPECT_EQ(SetText(0, "100"), 1); // clamped to the maximum
    EXPECT_EQ(Display(0), "12.0");
    EXPECT_EQ(SetText(60, "1"), 0);
}

TEST_F(Plugin, ParameterSetCallbackRoundsEnumerations)
{
    host.effect->setParameter(host.effect, kOsc1Type, 0.5f); // 3.5 rounds up to 4
    EXPECT_EQ(Display(kOsc1Type), "Saw");
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, kOsc1Type), 4.0f / 7.0f);
    host.effect->setParameter(host.effect, 0, 0.5f); // -48 .. 12, linear
    EXPECT_EQ(Display(0), "-18.0");
    EXPECT_FLOAT_EQ(host.effect->getParameter(host.effect, 60), 0.0f);
}

TEST_F(Plugin, PresetNamesAndProgramSelection)
{
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 0);
    EXPECT_EQ(host.DispatchText(EffectOp::kGetProgramName), "-");
    char name[64] = {};
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "-");
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgramNameIndexed, 1, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgramNameIndexed, 0), 0);

    host.Dispatch(EffectOp::kSetProgramName, 0, 0, const_cast<char*>("Laser"));
    EXPECT_EQ(host.DispatchText(EffectOp::kGetProgramName), "Laser");

    // -1 stores the live state into the current preset and applies nothing; 0 then restores it.
    SetText(0, "3");
    EXPECT_EQ(host.Dispatch(EffectOp::kSetProgram, 0, -1), 0);
    EXPECT_EQ(Display(0), "3.0");
    SetText(0, "-30");
    host.Dispatch(EffectOp::kSetProgram, 0, 0);
    EXPECT_EQ(Display(0), "-30.0"); // selecting also stores the live state first
    SetText(0, "7");
    host.Dispatch(EffectOp::kSetProgram, 0, -1);
    SetText(0, "-1");
    host.Dispatch(EffectOp::kSetProgram, 0, 5); // no such program: nothing applied
    EXPECT_EQ(host.Dispatch(EffectOp::kGetProgram), 0);
}

TEST_F(Plugin, ProgramChunkIsHeaderAndState)
{
    const std::vector<uint8_t> chunk = Chunk(true);
    ASSERT_EQ(chunk.size(), 8u + kStateSize);
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + 8),
              std::vector<uint8_t>({0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(Le32(chunk, 8), 0x00010001u);
    EXPECT_DOUBLE_EQ(LeDouble(chunk, 12), -6.0);             // Output Gain
    EXPECT_DOUBLE_EQ(LeDouble(chunk, 12 + 8 * 1), 1.0);      // Osc1 Type: Triangle
    EXPECT_DOUBLE_EQ(LeDouble(chunk, 12 + 8 * 40), 22050.0); // Filter LP Cutoff

    SetText(0, "-20");
    EXPECT_EQ(LoadChunk(true, chunk), 1);
    EXPECT_EQ(Display(0), "-6.0");
}

TEST_F(Plugin, BankChunkHoldsEveryPreset)
{
    SetText(0, "-9");
    const std::vector<uint8_t> bank = Chunk(false);
    ASSERT_EQ(bank.size(), 8u + 4 + 1 + 1 + kStateSize);
    EXPECT_EQ(Le32(bank, 0), 0x70666674u);
    EXPECT_EQ(Le32(bank, 4), 0x00010000u);
    EXPECT_EQ(Le32(bank, 8), 1u); // name length
    EXPECT_EQ(bank[12], '-');
    EXPECT_EQ(bank[13], 1); // initialised
    EXPECT_EQ(Le32(bank, 14), 0x00010001u);
    EXPECT_DOUBLE_EQ(LeDouble(bank, 18), -9.0); // the live state was stored first

    SetText(0, "4");
    EXPECT_EQ(LoadChunk(false, bank), 1);
    EXPECT_EQ(Display(0), "-9.0");
}

TEST_F(Plugin, ChunkHandedBackThroughThePluginsOwnPointerLoads)
{
    for (int program : {1, 0})
    {
        SetText(0, "-21");
        void* data = nullptr;
        const intptr_t size = host.Dispatch(EffectOp::kGetChunk, program, 0, &data);
        ASSERT_GT(size, 0);
        SetText(0, "2");
        EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, program, size, data), 1) << program;
        EXPECT_EQ(Display(0), "-21.0") << program;
        // A prefix of the same buffer: cut short, so it fails.
        EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, program, 12, data), 0) << program;
    }
    // The state inside the plug-in's own program chunk, without its header: the bytes overlap the
    // place they are copied to (a sanitizer build reports the overlap if they are not moved aside).
    SetText(0, "-33");
    void* data = nullptr;
    const intptr_t size = host.Dispatch(EffectOp::kGetChunk, 1, 0, &data);
    ASSERT_EQ(size, 8 + kStateSize);
    SetText(0, "1");
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, kStateSize, static_cast<uint8_t*>(data) + 8), 1);
    EXPECT_EQ(Display(0), "-33.0");
}

TEST_F(Plugin, ChunkWithoutHeaderLoadsAsOneState)
{
    const std::vector<uint8_t> chunk = Chunk(true);
    ASSERT_EQ(chunk.size(), 8u + kStateSize);
    std::vector<uint8_t> state(chunk.begin() + 8, chunk.end());
    const double gain = -15.5;
    std::memcpy(&state[4], &gain, 8);
    EXPECT_EQ(LoadChunk(false, state), 1); // even offered as a bank
    EXPECT_EQ(Display(0), "-15.5");
}

TEST_F(Plugin, TruncatedChunksFailAndTheInstanceKeepsWorking)
{
    std::vector<uint8_t> chunk = Chunk(true);
    SetText(kOsc1Type, "Sin");
    chunk.resize(8 + 4 + 8 * 10); // parameters 0 to 9 only
    EXPECT_EQ(LoadChunk(true, chunk), 0);
    EXPECT_EQ(Display(kOsc1Type), "Triangle");               // read before the fault: kept
    EXPECT_EQ(LoadChunk(true, {0x74, 0x66, 0x66, 0x70}), 0); // magic without version
    EXPECT_EQ(LoadChunk(false, {0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0, 200, 0, 0, 0}), 0); // bank cut short
    EXPECT_EQ(host.Dispatch(EffectOp::kSetChunk, 1, 10), 0);                            // no data pointer

    EXPECT_EQ(Chunk(true).size(), 8u + kStateSize);
    Start(44100, 512);
    host.SendMidi({Vst2Host::Midi(0, 0x90, 69, 100)});
    EXPECT_GT(PeakMagnitude(host.ProcessFloat(4096, false)[0]), 0.05f);
}

TEST_F(Plugin, ProcessEventsAcceptsMidiAndSystemExclusive)
{
    char dump[] = {char(0xF0), 0x01, char(0xF7)};
    VstMidiSysexEvent sysex{};
    sysex.type = kSysExEventType;
    sysex.byteSize = sizeof(sysex);
    sysex.dumpBytes = 3;
    sysex.sysexDump = dump;
    vst2::VstMidiEvent note = Vst2Host::Midi(3, 0x90, 60, 90);
    VstEvent other{};
    other.type = 2; // neither MIDI nor system exclusive: skipped
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = reinterpret_cast<VstEvent*>(&sysex);
    list.events[1] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(host.Dispatch(EffectOp::kProcessEvents, 0, 0, &list), 1);
    list.events[0] = &other;
    EXPECT_EQ(host.Dispatch(EffectOp::kProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(host.Dispatch(EffectOp::kProcessEvents), 0);
    ASSERT_EQ(host.sentEvents.size(), 2u); // the note, twice; system exclusive is not echoed
    EXPECT_EQ(host.sentEvents[0].deltaFrames, 3);
}

TEST_F(Plugin, EveryEventOfALongListIsTaken)
{
    // The record declares two event pointers; hosts hand over as many as numEvents says.
    std::vector<vst2::VstMidiEvent> events;
    for (int i = 0; i < 6; ++i)
        events.push_back(Vst2Host::Midi(i * 10, 0x90, 60 + i, 100));
    EXPECT_EQ(host.SendMidi(events), 1);
    ASSERT_EQ(host.sentEvents.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i)
    {
        EXPECT_EQ(host.sentEvents[i].deltaFrames, events[i].deltaFrames) << i;
        EXPECT_EQ(host.sentEvents[i].midi[1], 60 + int(i)) << i;
    }
}

TEST_F(Plugin, NoteKeepsItsPitchWhateverBlockSizeOrInsaneRateIsAnnounced)
{
    SetText(kOsc1Type, "Sin");
    // Block-size maxima of none, below none and absurdly many; rates no host runs at.
    const std::vector<std::pair<intptr_t, float>> announcements = {
        {0, 0.05f}, {-1, 999.0f}, {0x7FFFFFFF, 3e8f}, {intptr_t(1) << 40, 1.6e6f}};
    for (const auto& [block, rate] : announcements)
    {
        Start(44100, 512);
        host.Dispatch(EffectOp::kSetBlockSize, 0, block);
        host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, rate);
        host.SendMidi({Vst2Host::Midi(0, 0x90, 69, 127)});
        std::vector<float> samples;
        for (int frames : {1, 700, 4096, 9000, 3000})
        {
            const auto out = host.ProcessFloat(frames, false);
            samples.insert(samples.end(), out[0].begin(), out[0].end());
        }
        EXPECT_NEAR(RisingCrossingFrequency(samples, 2048, samples.size(), 44100), kNote69, 0.05) << block;
        EXPECT_GT(PeakMagnitude(samples), 0.1f) << block;
        host.SendMidi({Vst2Host::Midi(0, 0x80, 69, 0)});
        host.ProcessFloat(44100, false); // let the release finish
        host.Dispatch(EffectOp::kMainsChanged, 0, 0);
    }
}

TEST_F(Plugin, NoteRendersItsPitchThroughBothReplacingCallbacks)
{
    SetText(kOsc1Type, "Sin");
    for (double rate : {44100.0, 48000.0})
    {
        Start(rate, 512);
        host.SendMidi({Vst2Host::Midi(0, 0x90, 69, 127)});
        std::vector<float> single, both;
        for (int block = 0; block < 16; ++block)
        {
            auto out = host.ProcessFloat(512, false);
            single.insert(single.end(), out[0].begin(), out[0].end());
            EXPECT_EQ(out[0], out[1]);
        }
        EXPECT_NEAR(RisingCrossingFrequency(single, 2048, single.size(), rate), kNote69, 0.05) << rate;
        EXPECT_GT(PeakMagnitude(single), 0.1f);
        host.SendMidi({Vst2Host::Midi(0, 0x80, 69, 0)});
        host.ProcessFloat(static_cast<int>(rate), false); // let the release finish
        host.Dispatch(EffectOp::kMainsChanged, 0, 0);
    }

    Start(44100, 512);
    host.SendMidi({Vst2Host::Midi(0, 0x90, 81, 127)}); // an octave up
    std::vector<float> samples;
    for (int block = 0; block < 16; ++block)
    {
        auto out = host.ProcessDouble(512);
        EXPECT_EQ(out[0], out[1]);
        samples.insert(samples.end(), out[0].begin(), out[0].end());
    }
    EXPECT_NEAR(RisingCrossingFrequency(samples, 2048, samples.size(), 44100), kNote81, 0.1);
}

// The level a user hears: the default patch, a full-scale triangle, peaks at the output gain of -6 dB
// to within a tenth of a decibel (the anti-alias filter rounds the triangle's corners), and 6 dB less
// gain is 6 dB less level. The first tenth of a second (attack, gain smoothing) is left out.
TEST_F(Plugin, NoteLevelIsTheOutputGain)
{
    const auto peakDb = [this](const char* gain)
    {
        EXPECT_EQ(SetText(0, gain), 1);
        Start(44100, 512);
        host.SendMidi({Vst2Host::Midi(0, 0x90, 69, 127)});
        std::vector<float> samples;
        for (int block = 0; block < 40; ++block)
        {
            const auto out = host.ProcessFloat(512, false);
            samples.insert(samples.end(), out[0].begin(), out[0].end());
        }
        host.SendMidi({Vst2Host::Midi(0, 0x80, 69, 0)});
        host.ProcessFloat(44100, false); // let the release finish
        host.Dispatch(EffectOp::kMainsChanged, 0, 0);
        samples.erase(samples.begin(), samples.begin() + 4410);
        return 20.0 * std::log10(PeakMagnitude(samples));
    };
    const double level = peakDb("-6 dB");
    EXPECT_NEAR(level, -6.0, 0.1);
    EXPECT_NEAR(peakDb("-12 dB") - level, -6.0, 0.01);
}

TEST(PluginRate, NoteHasItsPitchWhenTheHostNeverAnnouncesARate)
{
    Vst2Host host{BRISBLEEP_VST2_PLUGIN_PATH};
    ASSERT_NE(host.Create(), nullptr);
    host.Dispatch(EffectOp::kOpen);
    host.Dispatch(EffectOp::kString2Parameter, kOsc1Type, 0, const_cast<char*>("Sin"));
    host.SendMidi({Vst2Host::Midi(0, 0x90, 69, 127)});
    std::vector<float> samples;
    for (int block = 0; block < 16; ++block)
    {
        const auto out = host.ProcessFloat(512, false);
        samples.insert(samples.end(), out[0].begin(), out[0].end());
    }
    EXPECT_NEAR(RisingCrossingFrequency(samples, 2048, samples.size(), 44100), kNote69, 0.05);
}

TEST_F(Plugin, AccumulatingCallbackAddsToTheHostBuffer)
{
    // A second instance plays the same note with the replacing callback, block by block.
    Vst2Host reference{BRISBLEEP_VST2_PLUGIN_PATH};
    ASSERT_NE(reference.Create(), nullptr);
    for (Vst2Host* h : {&host, &reference})
    {
        h->Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, 44100.0f);
        h->Dispatch(EffectOp::kSetBlockSize, 0, 256);
        h->Dispatch(EffectOp::kMainsChanged, 0, 1);
        h->SendMidi({Vst2Host::Midi(0, 0x90, 64, 127)});
    }
    const auto first = reference.ProcessFloat(256, false);
    const auto second = reference.ProcessFloat(256, false);

    std::vector<std::vector<float>> buffer(2, std::vector<float>(256, 0.25f));
    buffer = host.ProcessFloat(256, true, buffer);
    buffer = host.ProcessFloat(256, true, buffer);
    ASSERT_GT(PeakMagnitude(second[0]), 0.05f);
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < 256; ++s)
            ASSERT_NEAR(buffer[c][s], 0.25f + first[c][s] + second[c][s], 1e-4f) << c << " " << s;
}

TEST_F(Plugin, MidiPassesBackToTheHostButJumpNotesDoNot)
{
    SetText(47, "12");   // jump a octave up
    SetText(48, "0.01"); // after 10 ms
    Start(44100, 512);
    host.SendMidi({Vst2Host::Midi(5, 0x90, 60, 100), Vst2Host::Midi(7, 0xB0, 1, 64)});
    for (int block = 0; block < 8; ++block)
        host.ProcessFloat(512, false);
    host.SendMidi({Vst2Host::Midi(0, 0x80, 60, 0)});
    for (int block = 0; block < 8; ++block)
        host.ProcessFloat(512, false);

    ASSERT_EQ(host.sentEvents.size(), 3u);
    EXPECT_EQ(host.sentEvents[0].type, kMidiEventType);
    EXPECT_EQ(host.sentEvents[0].byteSize, 32);
    EXPECT_EQ(host.sentEvents[0].deltaFrames, 5);
    EXPECT_EQ(host.sentEvents[0].midi[0], 0x90);
    EXPECT_EQ(host.sentEvents[0].midi[1], 60);
    EXPECT_EQ(host.sentEvents[0].midi[2], 100);
    EXPECT_EQ(host.sentEvents[1].midi[0], 0xB0);
    EXPECT_EQ(host.sentEvents[2].midi[0], 0x80);
    // The plug-in asks for MIDI on every processing call.
    EXPECT_EQ(host.CallsWith(HostOp::kWantMidi).size(), 16u);
}

TEST_F(Plugin, AudioAndMainThreadCallsAreSerialised)
{
    Start(44100, 256);
    host.SendMidi({Vst2Host::Midi(0, 0x90, 64, 127)});
    const std::vector<uint8_t> bank = Chunk(false);
    std::atomic<bool> finite{true};
    std::thread audio(
        [&]
        {
            for (int block = 0; block < 300; ++block)
            {
                const auto out = host.ProcessFloat(256, false);
                for (float v : out[0])
                    if (!std::isfinite(v)) finite = false;
            }
        });
    int loaded = 0;
    for (int i = 0; i < 300; ++i)
    {
        host.effect->setParameter(host.effect, i % 60, (i % 7) / 6.0f);
        loaded += static_cast<int>(LoadChunk(i % 2 == 0, i % 2 == 0 ? Chunk(true) : bank));
    }
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_EQ(loaded, 300);
}
} // namespace
