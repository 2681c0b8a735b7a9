// The instrument on its VST3 binding, driven in-process through the SDK's hosting classes.

#include "VST3TestHost.h"

#include "vst3/IBindingVST3View.h"
#include "vst3/VST3Factory.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
ParameterInfo InfoAt(IEditController* controller, int32 index)
{
    ParameterInfo info{};
    EXPECT_EQ(controller->getParameterInfo(index, info), kResultOk) << index;
    return info;
}

std::string ValueText(IEditController* controller, ParamID id, double normalized)
{
    String128 text{};
    EXPECT_EQ(controller->getParamStringByValue(id, normalized, text), kResultOk);
    return Narrow(text);
}

constexpr int kGainParam = 0;
constexpr int kWaveParam = 1;
constexpr int kAttackParam = 29;
} // namespace

extern "C" IPluginFactory* PLUGIN_API GetPluginFactory();

TEST(BindingVST3Factory, OneFactoryWithTheClassRecordAsRegistered)
{
    IPluginFactory* factory = GetPluginFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(GetPluginFactory(), factory); // the same factory, one more reference
    factory->release();

    FUnknownPtr<IPluginFactory2> factory2(factory);
    ASSERT_TRUE(factory2);
    ASSERT_EQ(factory->countClasses(), 1);
    PClassInfo2 info;
    ASSERT_EQ(factory2->getClassInfo2(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, VST3FactoryInfo::kClassId, sizeof(TUID)), 0);
    EXPECT_EQ(std::memcmp(info.cid + 8, "Qorvspgp", 8), 0);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "Brisbleep");
    EXPECT_STREQ(info.subCategories, "Instrument");
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.0.1");
    EXPECT_STREQ(info.sdkVersion, "VST 3.6.0");
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(info.classFlags, 2u);
    PFactoryInfo factoryInfo;
    ASSERT_EQ(factory->getFactoryInfo(&factoryInfo), kResultOk);
    EXPECT_STREQ(factoryInfo.vendor, "Quorvane");
    EXPECT_EQ(factoryInfo.flags, 16);

    FUnknown* instance = nullptr;
    ASSERT_EQ(factory->createInstance(info.cid, IComponent::iid, reinterpret_cast<void**>(&instance)),
              kResultOk);
    ASSERT_NE(instance, nullptr);
    instance->release();
    factory->release();
}

TEST(BindingVST3Parameters, HostSeesPresetAndTheSixtyFrameParametersButNoBypass)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    ASSERT_EQ(controller->getParameterCount(), 61);

    const ParameterInfo preset = InfoAt(controller, 0);
    EXPECT_EQ(preset.id, 0x70727374u);
    EXPECT_EQ(Narrow(preset.title), "Preset");
    EXPECT_EQ(Narrow(preset.units), "");
    EXPECT_EQ(preset.stepCount, 1); // the preset count
    EXPECT_EQ(preset.flags, ParameterInfo::kIsProgramChange);
    EXPECT_EQ(preset.defaultNormalizedValue, 0.0);
    EXPECT_EQ(preset.unitId, kRootUnitId);

    for (int32 i = 1; i < 61; ++i)
    {
        const ParameterInfo info = InfoAt(controller, i);
        const int index = i - 1;
        EXPECT_EQ(info.id, static_cast<ParamID>(index));
        EXPECT_EQ(Narrow(info.title), host.Plugin().GetParam(index)->Name());
        EXPECT_EQ(info.unitId, kRootUnitId);
        EXPECT_EQ(info.flags & ParameterInfo::kIsBypass, 0);
        EXPECT_NE(info.id, 0x62706173u);
    }
    EXPECT_EQ(Narrow(InfoAt(controller, 1 + 27).title), "Whiite EnvDepth");
}

TEST(BindingVST3Parameters, EnumerationsAreListsAndNumbersAreRanges)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    for (int index : {1, 2, 3, 50, 56})
    {
        const ParameterInfo info = InfoAt(controller, 1 + index);
        EXPECT_EQ(info.flags, ParameterInfo::kIsList | ParameterInfo::kCanAutomate) << index;
    }
    EXPECT_EQ(InfoAt(controller, 1 + kWaveParam).stepCount, 7);
    EXPECT_EQ(InfoAt(controller, 1 + 50).stepCount, 2);

    const ParameterInfo gain = InfoAt(controller, 1 + kGainParam);
    EXPECT_EQ(gain.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(gain.stepCount, 0);
    EXPECT_EQ(Narrow(gain.units), "dB");
    EXPECT_EQ(Narrow(InfoAt(controller, 1 + 9).units), "oct");
    EXPECT_EQ(InfoAt(controller, 1 + 9).stepCount, 12); // octaves -6 to 6 in whole steps
    // A display text already names the value, so the unit label is left out.
    EXPECT_EQ(Narrow(InfoAt(controller, 1 + kWaveParam).units), "");
}

TEST(BindingVST3Parameters, TextsAndConversionsFollowTheFrameParameter)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();

    EXPECT_EQ(ValueText(controller, kWaveParam, 1.0 / 7.0), "Triangle");
    EXPECT_EQ(ValueText(controller, kWaveParam, 1.0), "Whistle");
    EXPECT_EQ(ValueText(controller, kGainParam, 0.7), "-6.0");
    EXPECT_EQ(ValueText(controller, 50, 0.5), "On NoteOff");

    // The attack time's curve (shape 3) applies in both directions and to the default.
    const IParameter& attack = *host.Plugin().GetParam(kAttackParam);
    const double n = controller->plainParamToNormalized(kAttackParam, 1.0);
    EXPECT_DOUBLE_EQ(n, attack.ToNormalized(1.0));
    EXPECT_NEAR(controller->normalizedParamToPlain(kAttackParam, n), 1.0, 1e-9);
    const ParameterInfo info = InfoAt(controller, 1 + kAttackParam);
    EXPECT_NEAR(controller->normalizedParamToPlain(kAttackParam, info.defaultNormalizedValue), 0.01, 1e-9);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kAttackParam), info.defaultNormalizedValue);

    // Identifiers that name no parameter.
    EXPECT_EQ(controller->plainParamToNormalized(4711, 3.5), 3.5);
    EXPECT_NE(controller->setParamNormalized(4711, 0.5), kResultOk);
    String128 text{};
    EXPECT_NE(controller->getParamStringByValue(4711, 0.5, text), kResultOk);
}

TEST(BindingVST3Parameters, EveryConversionAgreesWithTheValueTheParameterTakes)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    for (int index = 0; index < 60; ++index)
    {
        const IParameter& param = *host.Plugin().GetParam(index);
        const double tolerance = 1e-9 * std::max(1.0, std::abs(param.Max()));
        // The host's reset-to-default lands on the default.
        const ParameterInfo info = InfoAt(controller, 1 + index);
        EXPECT_NEAR(controller->normalizedParamToPlain(index, info.defaultNormalizedValue), param.Default(),
                    tolerance)
            << index;
        // Any normalised value, on a step or between steps, converts to what the parameter then holds,
        // and that value converts back to the normalised value the parameter reports.
        for (double n : {0.0, 0.1, 0.37, 0.5, 0.54, 0.93, 1.0})
        {
            ASSERT_EQ(controller->setParamNormalized(index, n), kResultOk);
            const double plain = controller->normalizedParamToPlain(index, n);
            EXPECT_NEAR(plain, param.Value(), tolerance) << index << " at " << n;
            EXPECT_NEAR(controller->plainParamToNormalized(index, plain),
                        controller->getParamNormalized(index), 1e-9)
                << index << " at " << n;
        }
    }
}

TEST(BindingVST3Parameters, TypedTextsSetTheValueTheyName)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    auto setFromText = [&](int index, const char* text)
    {
        String128 wide{};
        UString(wide, 128).fromAscii(text);
        ParamValue n = -1.0;
        EXPECT_EQ(controller->getParamValueByString(index, wide, n), kResultOk) << text;
        controller->setParamNormalized(index, n);
        return host.Plugin().GetParam(index)->Value();
    };
    EXPECT_NEAR(setFromText(33, "0.2"), 0.2, 1e-9);       // release time, shape 3
    EXPECT_NEAR(setFromText(40, "1000.0"), 1000.0, 1e-6); // low-pass cutoff, shape 3
    EXPECT_NEAR(setFromText(kGainParam, "-6.0"), -6.0, 1e-9);
    EXPECT_EQ(setFromText(9, "3"), 3.0); // octave
    EXPECT_EQ(setFromText(kWaveParam, "Sin"), 2.0);
    EXPECT_EQ(ValueText(controller, 33, controller->getParamNormalized(33)), "0.200");
}

TEST(BindingVST3Parameters, TypedTextThatIsNoNumberIsRefusedAndEveryValueIsNormalised)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    struct Case
    {
        int index;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {kGainParam, "nan", false},
        {kGainParam, "inf", true}, // infinities clamp to the range ends
        {kGainParam, "-inf", true},
        {33, "nan", false},
        {40, "-nan", false},
        {kGainParam, "1e300", true},
        {kGainParam, "-1e300", true},
        {33, "1e308", true},
        {9, "99999", true},
        {9, "-99999", true},
        {kAttackParam, "0.5", true},
        // The preset parameter's own conversion would hand "3" on as a normalised 3.
        {int(IBindingVST3::kPresetParamId), "3", true},
        {int(IBindingVST3::kPresetParamId), "nan", false},
    };
    // Text that is not valid UTF-16 (a lone surrogate before the digits) is refused, not thrown at the host.
    for (int index : {kGainParam, 33, 9})
    {
        String128 broken{0xDC3D, u'6', 0};
        ParamValue n = -1.0;
        EXPECT_EQ(controller->getParamValueByString(index, broken, n), kResultFalse) << index;
    }
    for (const Case& c : cases)
    {
        String128 wide{};
        UString(wide, 128).fromAscii(c.text);
        ParamValue n = -1.0;
        const tresult result = controller->getParamValueByString(c.index, wide, n);
        EXPECT_EQ(result == kResultOk, c.accepted) << c.index << " " << c.text;
        if (result == kResultOk)
        {
            EXPECT_GE(n, 0.0) << c.index << " " << c.text;
            EXPECT_LE(n, 1.0) << c.index << " " << c.text;
        }
    }
}

TEST(BindingVST3Parameters, SettingANormalisedValueRoundsNonRealTypes)
{
    VST3TestHost host;
    IEditController* controller = host.Controller();
    ASSERT_EQ(controller->setParamNormalized(kWaveParam, 0.5), kResultOk);
    EXPECT_EQ(host.Plugin().GetParam(kWaveParam)->Value(), 4.0); // 3.5 rounds up
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kWaveParam), 4.0 / 7.0);
}

TEST(BindingVST3Units, OneRootUnitWithThePresetList)
{
    VST3TestHost host;
    FUnknownPtr<IUnitInfo> units(host.Controller());
    ASSERT_TRUE(units);
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultTrue);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.programListId, 0x70727374);
    EXPECT_NE(units->getUnitInfo(1, unit), kResultTrue);
    EXPECT_NE(units->getUnitInfo(-1, unit), kResultTrue);

    ASSERT_EQ(units->getProgramListCount(), 1);
    String128 name{};
    ASSERT_EQ(units->getProgramName(0x70727374, 0, name), kResultTrue);
    EXPECT_EQ(Narrow(name), "-");
    EXPECT_NE(units->getProgramName(0x70727374, 1, name), kResultTrue);
    EXPECT_NE(units->getProgramName(1234, 0, name), kResultTrue);
}

TEST(BindingVST3Buses, OneStereoOutputAndOneMidiInput)
{
    VST3TestHost host;
    IComponent* component = host.Component();
    ASSERT_EQ(component->getBusCount(kAudio, kInput), 0);
    ASSERT_EQ(component->getBusCount(kAudio, kOutput), 1);
    ASSERT_EQ(component->getBusCount(kEvent, kInput), 1);
    BusInfo bus{};
    ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, bus), kResultTrue);
    EXPECT_EQ(Narrow(bus.name), "Output 1");
    EXPECT_EQ(bus.channelCount, 2);
    EXPECT_EQ(bus.busType, kMain);
    ASSERT_EQ(component->getBusInfo(kEvent, kInput, 0, bus), kResultTrue);
    EXPECT_EQ(Narrow(bus.name), "MIDI Input");
    EXPECT_EQ(bus.channelCount, 1);
    // Out-of-range indices are refused rather than read.
    EXPECT_NE(component->getBusInfo(kAudio, kOutput, -1, bus), kResultTrue);
    EXPECT_NE(component->getBusInfo(kAudio, kOutput, 1, bus), kResultTrue);
    EXPECT_NE(component->activateBus(kAudio, kOutput, -1, true), kResultTrue);

    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(host.Processor()->getBusArrangement(kOutput, 0, arrangement), kResultTrue);
    EXPECT_EQ(arrangement, SpeakerArrangement{3});
    EXPECT_EQ(IBindingVST3::ArrangementForChannels(1), SpeakerArrangement{0x80000});
    EXPECT_EQ(IBindingVST3::ArrangementForChannels(6), SpeakerArrangement{63});
    EXPECT_EQ(IBindingVST3::ArrangementForChannels(7), SpeakerArrangement{0});
}

TEST(BindingVST3Buses, MonoIsAcceptedAndWiderLayoutsAreRefused)
{
    VST3TestHost host;
    SpeakerArrangement mono = IBindingVST3::ArrangementForChannels(1);
    EXPECT_EQ(host.Processor()->setBusArrangements(nullptr, 0, &mono, 1), kResultTrue);
    SpeakerArrangement surround = IBindingVST3::ArrangementForChannels(6);
    EXPECT_NE(host.Processor()->setBusArrangements(nullptr, 0, &surround, 1), kResultTrue);
    SpeakerArrangement arrangement = 0;
    host.Processor()->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, mono);
}

TEST(BindingVST3Processing, OnlyTheLastAutomationPointOfABlockApplies)
{
    VST3TestHost host;
    host.Automate(kGainParam, 0, 0.1);
    host.Automate(kGainParam, 100, 0.5);
    host.Automate(kGainParam, 400, 0.9);
    ASSERT_EQ(host.ProcessBlock(), kResultOk);
    EXPECT_NEAR(host.Plugin().GetParam(kGainParam)->Value(), -48.0 + 0.9 * 60.0, 1e-9);
    EXPECT_NEAR(host.Controller()->getParamNormalized(kGainParam), 0.9, 1e-9);
    // Unknown identifiers in the queue are ignored.
    host.Automate(4711, 0, 1.0);
    EXPECT_EQ(host.ProcessBlock(), kResultOk);
}

TEST(BindingVST3Processing, NoteEventsBecomeMidiMessages)
{
    VST3TestHost host;
    host.NoteOn(60, 0.5f, 7, 3);
    host.NoteOff(60, 300, 3);
    host.NoteOn(61, 1.0f, 10);
    host.NoteOn(200, 1.0f, 10); // not a MIDI key: dropped
    host.NoteOn(62, 3.0f, 10);  // velocity beyond 1: the strongest note, not a wrapped byte
    host.NoteOn(63, -0.5f, 10); // below 0: velocity 0
    ASSERT_EQ(host.ProcessBlock(), kResultOk);
    const auto& received = host.Plugin().received;
    ASSERT_GE(received.size(), 5u);
    EXPECT_EQ(received[0].status, 0x93);
    EXPECT_EQ(received[0].data1, 60);
    EXPECT_EQ(received[0].data2, 63); // 0.5 x 127 truncated
    EXPECT_EQ(received[0].offset, 7);
    EXPECT_EQ(received[1].status, 0x83);
    EXPECT_EQ(received[1].data2, 0);
    EXPECT_EQ(received[1].offset, 300);
    EXPECT_EQ(received[2].data2, 127);
    EXPECT_EQ(received[3].data1, 62);
    EXPECT_EQ(received[3].data2, 127);
    EXPECT_EQ(received[4].data1, 63);
    EXPECT_EQ(received[4].data2, 0);
}

TEST(BindingVST3Processing, EveryMidiVelocityComesBackAndSoftNotesStillPlay)
{
    VST3TestHost host;
    // Hosts turn MIDI velocity v into v / 127 in single precision. The event list holds 50 events,
    // so the velocities come in blocks of 32.
    for (int v = 0; v < 128; ++v)
    {
        host.NoteOn(60, static_cast<float>(v) / 127.0f, v % 32);
        if (v % 32 == 31)
        {
            ASSERT_EQ(host.ProcessBlock(), kResultOk);
        }
    }
    host.NoteOn(61, 0.004f, 200); // softer than one MIDI step: a note-on all the same
    ASSERT_EQ(host.ProcessBlock(), kResultOk);
    const auto& received = host.Plugin().received;
    ASSERT_GE(received.size(), 129u);
    for (int v = 0; v < 128; ++v)
    {
        EXPECT_EQ(received[v].status, 0x90) << v;
        EXPECT_EQ(received[v].data2, v) << v;
    }
    EXPECT_EQ(received[128].data1, 61);
    EXPECT_EQ(received[128].data2, 1);
}

class BindingVST3Rendering : public ::testing::TestWithParam<int32>
{
};

TEST_P(BindingVST3Rendering, NoteOnSoundsAtItsPitch)
{
    VST3TestHost host(GetParam());
    const std::vector<double> silence = host.Render(2);
    EXPECT_EQ(PeakMagnitude(silence), 0.0);

    // Note 81 is 880 Hz, and the engine's oscillators add their cents factor FastPow (2, 0) on top.
    const double expected = 880.0 * 0.9710078239440918;
    host.NoteOn(81, 1.0f);
    const std::vector<double> note = host.Render(40);
    EXPECT_GT(PeakMagnitude(note), 0.05);
    EXPECT_NEAR(RisingCrossingFrequency(note, 2048, note.size(), VST3TestHost::kSampleRate), expected,
                expected * 0.003);
    // Both outputs carry the same signal.
    for (int i = 0; i < VST3TestHost::kBlockSize; ++i)
    {
        if (GetParam() == kSample64)
            ASSERT_EQ(host.Out64(0)[i], host.Out64(1)[i]);
        else
            ASSERT_EQ(host.Out32(0)[i], host.Out32(1)[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, BindingVST3Rendering, ::testing::Values(kSample32, kSample64),
                         [](const auto& info) { return info.param == kSample64 ? "Double" : "Float"; });

TEST(BindingVST3Processing, AnInactiveOutputBusLeavesTheHostBufferAlone)
{
    VST3TestHost host;
    ASSERT_EQ(host.Component()->activateBus(kAudio, kOutput, 0, false), kResultTrue);
    host.NoteOn(81, 1.0f);
    float* left = const_cast<float*>(host.Out32(0));
    std::fill_n(left, VST3TestHost::kBlockSize, 0.25f);
    ASSERT_EQ(host.ProcessBlock(), kResultOk);
    EXPECT_EQ(left[0], 0.25f);
    EXPECT_EQ(left[VST3TestHost::kBlockSize - 1], 0.25f);
}

TEST(BindingVST3Processing, BlocksWithoutSamplesOrBuffersAreAccepted)
{
    VST3TestHost host;
    ProcessData empty{};
    empty.symbolicSampleSize = kSample32;
    EXPECT_EQ(host.Processor()->process(empty), kResultOk);
    empty.numSamples = 64; // samples but no buffers: rendered into scratch
    EXPECT_EQ(host.Processor()->process(empty), kResultOk);
}

TEST(BindingVST3Presets, PresetBeyondTheListChangesNothingAndPresetZeroRestoresDefaults)
{
    VST3TestHost host;
    host.Automate(kGainParam, 0, 1.0);
    host.ProcessBlock();
    ASSERT_EQ(host.Plugin().GetParam(kGainParam)->Value(), 12.0);

    host.Automate(0x70727374, 0, 1.0); // k = 1 with one preset
    host.ProcessBlock();
    EXPECT_EQ(host.Plugin().GetParam(kGainParam)->Value(), 12.0);
    EXPECT_EQ(host.Plugin().GetCurrentPresetIdx(), 0);

    host.Automate(0x70727374, 0, 0.0);
    host.ProcessBlock();
    EXPECT_EQ(host.Plugin().GetParam(kGainParam)->Value(), -6.0);
}

TEST(BindingVST3State, SavedStateIs488BytesAndLoadsIntoAFreshInstance)
{
    VST3TestHost first;
    first.Automate(kGainParam, 0, 0.25);
    first.Automate(kWaveParam, 0, 1.0);
    first.Automate(kAttackParam, 0, 0.3);
    first.ProcessBlock();
    const std::vector<char> state = first.SaveState();
    ASSERT_EQ(state.size(), 488u);
    EXPECT_EQ(std::memcmp(state.data(), "\x01\x00\x01\x00", 4), 0); // version word 0x00010001
    EXPECT_EQ(std::memcmp(state.data() + 484, "\0\0\0\0", 4), 0);   // not bypassed

    VST3TestHost second;
    ASSERT_EQ(second.LoadState(state), kResultOk);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(second.Plugin().GetParam(i)->Value(), first.Plugin().GetParam(i)->Value()) << i;
    EXPECT_EQ(second.SaveState(), state);
    EXPECT_FALSE(second.Plugin().IsBypassed());
}

TEST(BindingVST3State, ABypassWordThatIsSetComesBack)
{
    VST3TestHost host;
    std::vector<char> state = host.SaveState();
    ASSERT_EQ(state.size(), 488u);
    state[486] = 1;
    ASSERT_EQ(host.LoadState(state), kResultOk);
    EXPECT_TRUE(host.Plugin().IsBypassed());
    EXPECT_EQ(host.SaveState()[484], 1);
}

TEST(BindingVST3State, ShortOrGarbageStreamsFailAndTheInstanceKeepsWorking)
{
    VST3TestHost host;
    const std::vector<char> good = host.SaveState();

    EXPECT_NE(host.LoadState({}), kResultOk);
    const std::vector<char> garbage(13, '\x5A');
    EXPECT_NE(host.LoadState(garbage), kResultOk);
    // The state without its bypass word: the parameters load, the call still reports failure.
    EXPECT_NE(host.LoadState(std::vector<char>(good.begin(), good.begin() + 484)), kResultOk);
    // Ten parameters' worth of bytes: parameter 10 falls back into its range, later ones stay.
    std::vector<char> shortState(good.begin(), good.begin() + 4 + 8 * 10);
    EXPECT_NE(host.LoadState(shortState), kResultOk);
    EXPECT_EQ(host.Plugin().GetParam(11)->Value(), 0.0);

    host.NoteOn(81, 1.0f);
    EXPECT_GT(PeakMagnitude(host.Render(8)), 0.05);
    EXPECT_EQ(host.LoadState(good), kResultOk);

    // A full-length stream of damaged values (all bytes 0xFF: NaN parameters) lands inside every
    // parameter's range, and the instrument still renders finite samples.
    std::vector<char> damaged(good.size(), '\xFF');
    host.LoadState(damaged);
    for (int i = 0; i < 60; ++i)
    {
        const IParameter& param = *host.Plugin().GetParam(i);
        EXPECT_GE(param.Value(), param.Min()) << i;
        EXPECT_LE(param.Value(), param.Max()) << i;
    }
    host.NoteOn(81, 1.0f);
    for (double v : host.Render(8))
        ASSERT_TRUE(std::isfinite(v));
}

TEST(BindingVST3State, ComponentStateCallsAreNotImplemented)
{
    VST3TestHost host;
    MemoryStream stream;
    EXPECT_EQ(host.Component()->getState(&stream), kNotImplemented);
    EXPECT_EQ(host.Component()->setState(&stream), kNotImplemented);
    EXPECT_EQ(host.Controller()->setComponentState(&stream), kNotImplemented);
    EXPECT_EQ(stream.getSize(), 0);
}

TEST(BindingVST3Host, HostIsIdentifiedByItsApplicationName)
{
    EXPECT_EQ(VST3TestHost(kSample32, "REAPER x64").Plugin().HostKind(), 1);
    EXPECT_EQ(VST3TestHost(kSample32, "VST3PluginTestHost").Plugin().HostKind(), 27);
    EXPECT_EQ(VST3TestHost(kSample32, "My Host").Plugin().HostKind(), 0);
}

TEST(BindingVST3Host, TimeQueriesReadTheLastProcessContext)
{
    VST3TestHost host;
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid;
    context.sampleRate = VST3TestHost::kSampleRate;
    context.projectTimeSamples = 96000;
    context.tempo = 133.0;
    context.timeSigNumerator = 7;
    context.timeSigDenominator = 8;
    context.projectTimeMusic = 12.5;
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.processContext = &context;
    ASSERT_EQ(host.Processor()->process(data), kResultOk);

    IBindingVST3& plugin = host.Plugin();
    EXPECT_EQ(plugin.HostSamplePosition(), 96000.0);
    EXPECT_EQ(plugin.HostTempo(), 133.0);
    ITimeInfo info;
    plugin.HostTimeInfo(info);
    EXPECT_EQ(info.numerator, 7);
    EXPECT_EQ(info.denominator, 8);
    EXPECT_EQ(info.ppqPosition, 12.5);
    EXPECT_TRUE(info.transportRunning);
    EXPECT_FALSE(info.loopActive);
    EXPECT_FALSE(plugin.IsOfflineRender());

    FUnknownPtr<IProcessContextRequirements> requirements(host.Processor());
    ASSERT_TRUE(requirements);
    const uint32 flags = requirements->getProcessContextRequirements();
    EXPECT_NE(flags & IProcessContextRequirements::kNeedTempo, 0u);
    EXPECT_NE(flags & IProcessContextRequirements::kNeedTransportState, 0u);
}

//------------------------------------------------------------------------------------------------
// The view

namespace
{
// An editor that only reports its size and whether its window could be opened.
class FakeEditor : public IFrameEditor
{
public:
    explicit FakeEditor(bool opens) : opens(opens) { std::fill_n(shown, 60, std::nan("")); }
    void PushValueToControls(int index, double value, bool isNormalized) override
    {
        if (index >= 0 && index < 60 && !isNormalized) shown[index] = value;
    }
    void PrepareDraw() override {}
    int Width() const override { return 856; }
    int Height() const override { return 640; }
    void* OpenWindow(void*) override { return opens ? this : nullptr; }
    void CloseWindow() override { ++closed; }
    bool opens;
    int closed = 0;
    double shown[60]; // the last real value shown per parameter; NaN before any
};

IPlugView* CreateEditorView(VST3TestHost& host)
{
    return host.Controller()->createView(ViewType::kEditor);
}
} // namespace

TEST(BindingVST3View, OnlyTheExactNameEditorCreatesAView)
{
    VST3TestHost host;
    EXPECT_EQ(host.Controller()->createView("Editor"), nullptr);
    EXPECT_EQ(host.Controller()->createView(nullptr), nullptr);
    IPlugView* view = CreateEditorView(host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(host.Plugin().ViewCount(), 1);
    view->release();
    EXPECT_EQ(host.Plugin().ViewCount(), 0);
}

TEST(BindingVST3View, SizePlatformTypeAndAttachWithAnEditor)
{
    VST3TestHost host;
    auto* editor = new FakeEditor(false);
    host.Plugin().AttachEditor(editor);
    IPlugView* view = CreateEditorView(host);
    ASSERT_NE(view, nullptr);

    ViewRect rect;
    ASSERT_EQ(view->getSize(&rect), kResultTrue);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 856);
    EXPECT_EQ(rect.bottom, 640);
    EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultTrue);
    EXPECT_NE(view->isPlatformTypeSupported("HWND"), kResultTrue);

    // A window that cannot be opened is reported as a failed attach, not as success.
    EXPECT_NE(view->attached(reinterpret_cast<void*>(0x1234), "X11EmbedWindowID"), kResultTrue);
    editor->opens = true;
    EXPECT_NE(view->attached(reinterpret_cast<void*>(0x1234), "HWND"), kResultTrue);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x1234), "X11EmbedWindowID"), kResultTrue);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(editor->closed, 1);
    view->release();
}

TEST(BindingVST3View, AResizeTheHostStartedOnlyStoresTheRect)
{
    VST3TestHost host;
    host.Plugin().AttachEditor(new FakeEditor(true));
    auto* view = static_cast<IBindingVST3View*>(CreateEditorView(host));
    ASSERT_NE(view, nullptr);
    ViewRect rect(0, 0, 400, 300);
    EXPECT_EQ(view->onSize(&rect), kResultTrue);
    EXPECT_EQ(view->getRect().right, 400);
    EXPECT_FALSE(view->ExpectingResize());

    // A resize the plug-in asked for is marked, and the host's answer clears the mark.
    host.Plugin().ResizeEditor(500, 200);
    EXPECT_TRUE(view->ExpectingResize());
    EXPECT_EQ(view->onSize(nullptr), kResultTrue);
    EXPECT_TRUE(view->ExpectingResize());
    ViewRect requested(0, 0, 500, 200);
    EXPECT_EQ(view->onSize(&requested), kResultTrue);
    EXPECT_FALSE(view->ExpectingResize());
    EXPECT_EQ(view->getRect().bottom, 200);
    view->release();
}

TEST(BindingVST3State, TheEditorShowsWhatAShortStateLeftInPlace)
{
    VST3TestHost source;
    source.Automate(kGainParam, 0, 0.25);
    source.ProcessBlock();
    const std::vector<char> state = source.SaveState();
    ASSERT_EQ(state.size(), 488u);

    VST3TestHost host;
    host.Automate(10, 0, 1.0); // second oscillator six octaves up
    host.ProcessBlock();
    auto* editor = new FakeEditor(true);
    host.Plugin().AttachEditor(editor);
    // Ten parameters' worth: 0 to 9 load, 10 falls back to 0, 11 on stay; the call fails.
    ASSERT_NE(host.LoadState(std::vector<char>(state.begin(), state.begin() + 4 + 8 * 10)), kResultOk);
    EXPECT_NEAR(editor->shown[kGainParam], -48.0 + 0.25 * 60.0, 1e-9);
    EXPECT_EQ(host.Plugin().GetParam(10)->Value(), 0.0);
    EXPECT_EQ(editor->shown[10], 0.0);
}
