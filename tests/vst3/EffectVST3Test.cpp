// The binding as it publishes a plug-in that is not an instrument: an audio input, a single output
// bus named "Output", a "Bypass" list parameter, and the pass-through render while bypassed.

#include "VST3TestHost.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"
#include "public.sdk/source/vst/hosting/processdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr int kFrames = 64;

// A stereo effect with one parameter that writes a constant 0.5 on both outputs.
class ConstantEffect : public IBindingVST3
{
public:
    ConstantEffect() : IBindingVST3(HostContext{}, Config()) {}

    void RenderDouble(double**, double** outputs, int frames) override
    {
        for (int c = 0; c < NOutChannels(); ++c)
            std::fill_n(outputs[c], frames, 0.5);
    }

private:
    static IFrameConfig Config()
    {
        IFrameConfig config;
        config.parameterCount = 1;
        config.channelIOs = "2-2";
        config.presetCount = 1;
        config.effectName = "Constant";
        config.isInstrument = false;
        config.doesMidi = false;
        config.apiKind = kApiVST3;
        return config;
    }
};

class EffectHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(effect->initialize(&hostApp), kResultOk);
        ProcessSetup setup{kRealtime, kSample32, kFrames, 48000.0};
        ASSERT_EQ(effect->setupProcessing(setup), kResultOk);
        // Hosts activate the buses the plug-in marks as active by default.
        ASSERT_EQ(effect->activateBus(kAudio, kInput, 0, true), kResultTrue);
        ASSERT_EQ(effect->activateBus(kAudio, kOutput, 0, true), kResultTrue);
        ASSERT_EQ(effect->setActive(true), kResultOk);
        ASSERT_TRUE(data.prepare(*effect, kFrames, kSample32));
        data.numSamples = kFrames;
        data.inputParameterChanges = &changes;
        for (int c = 0; c < 2; ++c)
            std::fill_n(data.inputs[0].channelBuffers32[c], kFrames, 0.25f);
    }

    void TearDown() override
    {
        effect->setActive(false);
        data.unprepare();
        effect->terminate();
        effect->release();
    }

    void ProcessWithBypass(double normalized)
    {
        int32 index = 0;
        if (IParamValueQueue* queue = changes.addParameterData(IBindingVST3::kBypassParamId, index))
            queue->addPoint(0, normalized, index);
        ASSERT_EQ(effect->process(data), kResultOk);
        changes.clearQueue();
    }

    float Out(int channel, int i) const { return data.outputs[0].channelBuffers32[channel][i]; }

    HostApplication hostApp; // not reference counted
    ConstantEffect* effect = new ConstantEffect();
    HostProcessData data;
    ParameterChanges changes;
};
} // namespace

TEST_F(EffectHost, MainInputOutputAndNoMidiBus)
{
    ASSERT_EQ(effect->getBusCount(kAudio, kInput), 1);
    ASSERT_EQ(effect->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(effect->getBusCount(kEvent, kInput), 0);
    BusInfo bus{};
    ASSERT_EQ(effect->getBusInfo(kAudio, kInput, 0, bus), kResultTrue);
    EXPECT_EQ(Narrow(bus.name), "Main Input");
    EXPECT_EQ(bus.channelCount, 2);
    EXPECT_EQ(bus.busType, kMain);
    ASSERT_EQ(effect->getBusInfo(kAudio, kOutput, 0, bus), kResultTrue);
    EXPECT_EQ(Narrow(bus.name), "Output");
    EXPECT_EQ(bus.channelCount, 2);
}

TEST_F(EffectHost, BypassIsAnAutomatableOffOnListAfterPreset)
{
    ASSERT_EQ(effect->getParameterCount(), 3);
    ParameterInfo info{};
    ASSERT_EQ(effect->getParameterInfo(1, info), kResultOk);
    EXPECT_EQ(info.id, 0x62706173u);
    EXPECT_EQ(Narrow(info.title), "Bypass");
    EXPECT_EQ(info.flags, 0x10009);
    EXPECT_EQ(info.stepCount, 1);
    String128 text{};
    ASSERT_EQ(effect->getParamStringByValue(info.id, 0.0, text), kResultOk);
    EXPECT_EQ(Narrow(text), "off");
    ASSERT_EQ(effect->getParamStringByValue(info.id, 1.0, text), kResultOk);
    EXPECT_EQ(Narrow(text), "on");
    ASSERT_EQ(effect->getParameterInfo(2, info), kResultOk);
    EXPECT_EQ(info.id, 0u);
}

TEST_F(EffectHost, BypassPassesTheInputThroughAndTravelsWithTheState)
{
    ProcessWithBypass(0.5); // not above one half: still processing
    EXPECT_EQ(Out(0, 0), 0.5f);
    EXPECT_EQ(Out(1, kFrames - 1), 0.5f);
    EXPECT_EQ(effect->getParamNormalized(IBindingVST3::kBypassParamId), 0.0);

    ProcessWithBypass(0.75);
    EXPECT_EQ(Out(0, 0), 0.25f);
    EXPECT_EQ(Out(1, kFrames - 1), 0.25f);
    EXPECT_EQ(effect->getParamNormalized(IBindingVST3::kBypassParamId), 1.0);

    // The frame's own state (one parameter value) and the bypass word.
    MemoryStream stream;
    ASSERT_EQ(effect->getEditorState(&stream), kResultOk);
    ASSERT_EQ(stream.getSize(), 8 + 4);
    EXPECT_EQ(std::string(stream.getData() + 8, 4), std::string("\x01\0\0\0", 4));

    ProcessWithBypass(0.0);
    EXPECT_EQ(Out(0, 0), 0.5f);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(effect->setEditorState(&stream), kResultOk);
    EXPECT_TRUE(effect->IsBypassed());
}
