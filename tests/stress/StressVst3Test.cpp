// The stress host's VST3 half: the built bundle loaded from disk by the SDK's module loader and
// driven through its interfaces only, with blocks of every size, rates valid and invalid, damaged
// state streams, parameter floods from another thread and many instances. Every output sample is
// checked (finite, at most +36 dBFS) and afterwards the default note must keep its pitch and level.

#include "tests/support/SignalMeasure.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/eventlist.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/module.h"
#include "public.sdk/source/vst/hosting/processdata.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr double kNote69 = 414.857;
constexpr double kAbsurd = 63.0957344480193; // +36 dBFS
constexpr int32 kLongestBlock = 20000;

VST3::Hosting::Module::Ptr& Bundle()
{
    static VST3::Hosting::Module::Ptr module = []
    {
        std::string error;
        return VST3::Hosting::Module::create(BRISBLEEP_VST3_BUNDLE_PATH, error);
    }();
    return module;
}

// One instance from the bundle's factory, initialised, its output bus and event input active.
class Vst3Instance
{
public:
    Vst3Instance()
    {
        if (!Bundle()) return;
        const auto& factory = Bundle()->getFactory();
        component = factory.createInstance<IComponent>(factory.classInfos()[0].ID());
        if (!component) return;
        processor = FUnknownPtr<IAudioProcessor>(component);
        controller = FUnknownPtr<IEditController>(component);
        component->initialize(&host);
        component->activateBus(kAudio, kOutput, 0, true);
        component->activateBus(kEvent, kInput, 0, true);
        data.prepare(*component, kLongestBlock, kSample32);
        data.inputEvents = &events;
    }
    ~Vst3Instance()
    {
        if (!component) return;
        processor->setProcessing(false);
        component->setActive(false);
        data.unprepare();
        component->terminate();
    }
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    bool Ready() const { return component && processor && controller; }

    tresult Setup(double rate, int32 maxBlock = 512)
    {
        component->setActive(false);
        ProcessSetup setup{kRealtime, kSample32, maxBlock, rate};
        const tresult result = processor->setupProcessing(setup);
        component->setActive(true);
        processor->setProcessing(true);
        return result;
    }
    void Note(bool on, int pitch, int32 offset = 0)
    {
        Event e{};
        e.sampleOffset = offset;
        e.type = on ? Event::kNoteOnEvent : Event::kNoteOffEvent;
        if (on)
        {
            e.noteOn.pitch = static_cast<int16>(pitch);
            e.noteOn.velocity = 1.0f;
            e.noteOn.noteId = -1;
        }
        else
        {
            e.noteOff.pitch = static_cast<int16>(pitch);
            e.noteOff.noteId = -1;
        }
        events.addEvent(e);
    }
    std::vector<float> Render(int32 frames)
    {
        data.numSamples = frames;
        processor->process(data);
        events.clear();
        std::vector<float> left;
        const auto& bus = data.outputs[0];
        for (int32 s = 0; s < frames; ++s)
        {
            for (int32 c = 0; c < bus.numChannels; ++c)
                if (!(std::fabs(bus.channelBuffers32[c][s]) <= kAbsurd)) ++insane;
            left.push_back(bus.channelBuffers32[0][s]);
        }
        return left;
    }
    std::vector<char> State()
    {
        MemoryStream stream;
        if (controller->getState(&stream) != kResultOk) return {};
        return {stream.getData(), stream.getData() + stream.getSize()};
    }
    tresult LoadState(std::vector<char> bytes)
    {
        MemoryStream stream(bytes.data(), static_cast<TSize>(bytes.size()));
        return controller->setState(&stream);
    }

    HostApplication host;
    IPtr<IComponent> component;
    FUnknownPtr<IAudioProcessor> processor;
    FUnknownPtr<IEditController> controller;
    HostProcessData data;
    EventList events{512}; // room for a note-off of every key in one block
    long insane = 0;
};

struct Measured
{
    double frequency;
    float level;
};

// Releases whatever sounds, waits out the release, then holds note 69 for 0.4 s in 512-frame blocks.
Measured DefaultNote(Vst3Instance& plugin, double rate)
{
    for (int pitch = 0; pitch < 128; ++pitch)
        plugin.Note(false, pitch);
    for (long done = 0; done < static_cast<long>(rate); done += 512)
        plugin.Render(512);
    plugin.Note(true, 69);
    std::vector<float> samples;
    while (samples.size() < static_cast<size_t>(0.4 * rate))
    {
        const auto block = plugin.Render(512);
        samples.insert(samples.end(), block.begin(), block.end());
    }
    plugin.Note(false, 69);
    const auto from = static_cast<size_t>(0.1 * rate);
    return {RisingCrossingFrequency(samples, from, samples.size(), rate),
            PeakMagnitude(samples, from, samples.size())};
}

float ReferenceLevel()
{
    static const float level = []
    {
        Vst3Instance plugin;
        if (!plugin.Ready()) return 0.0f;
        plugin.Setup(44100.0);
        return DefaultNote(plugin, 44100.0).level;
    }();
    return level;
}

void ExpectDefaultNote(Vst3Instance& plugin, double rate)
{
    const Measured m = DefaultNote(plugin, rate);
    EXPECT_NEAR(m.frequency, kNote69, 0.1) << rate;
    EXPECT_NEAR(m.level, ReferenceLevel(), 0.05f * ReferenceLevel()) << rate;
    EXPECT_EQ(plugin.insane, 0) << rate;
}
} // namespace

TEST(StressVst3, BlocksOfEverySizeAndRatesValidAndNot)
{
    Vst3Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    ASSERT_GT(ReferenceLevel(), 0.3f);
    for (int32 announced : {0, 1, 512, 8192})
    {
        ASSERT_EQ(plugin.Setup(44100.0, announced), kResultOk) << announced;
        plugin.Note(true, 60);
        float peak = 0.0f;
        for (int32 frames : {0, 1, 3, 64, 511, 512, 513, 4096, 8192, 8193, kLongestBlock})
            peak = std::max(peak, PeakMagnitude(plugin.Render(frames)));
        EXPECT_GT(peak, 0.1f) << announced;
    }
    for (double rate : {8000.0, 22050.0, 48000.0, 96000.0, 192000.0, 384000.0})
    {
        ASSERT_EQ(plugin.Setup(rate), kResultOk) << rate;
        ExpectDefaultNote(plugin, rate);
    }
    ASSERT_EQ(plugin.Setup(48000.0), kResultOk);
    for (double rate : {0.0, -1.0, 0.5, 999.0, 2e6, 3e8, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()})
        EXPECT_EQ(plugin.Setup(rate), kResultFalse) << rate;
    ExpectDefaultNote(plugin, 48000.0);
}

TEST(StressVst3, DamagedStateStreamsLeaveTheInstanceUsable)
{
    Vst3Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.Setup(44100.0);
    const std::vector<char> state = plugin.State();
    ASSERT_FALSE(state.empty());
    for (size_t cut = 0; cut < state.size(); cut += 1 + cut / 16)
        EXPECT_NE(plugin.LoadState(std::vector<char>(state.begin(), state.begin() + cut)), kResultOk) << cut;
    std::mt19937 random(6);
    for (int trial = 0; trial < 500; ++trial)
    {
        std::vector<char> bytes = state;
        for (int flips = 0; flips < 1 + trial % 8; ++flips)
            bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
        if (trial % 3 == 0) bytes.resize(random() % (bytes.size() * 2));
        plugin.LoadState(bytes);
        plugin.Note(true, 60);
        plugin.Render(64);
        plugin.Note(false, 60);
    }
    for (int32 i = 0; i < plugin.controller->getParameterCount(); ++i)
    {
        ParameterInfo info{};
        plugin.controller->getParameterInfo(i, info);
        const ParamValue n = plugin.controller->getParamNormalized(info.id);
        EXPECT_TRUE(n >= 0.0 && n <= 1.0) << info.id;
    }
    EXPECT_EQ(plugin.insane, 0);
    EXPECT_EQ(plugin.LoadState(state), kResultOk);
    EXPECT_EQ(plugin.State(), state);
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst3, ParameterFloodFromOneThreadWhileAnotherProcesses)
{
    Vst3Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.Setup(44100.0, 256);
    const std::vector<char> state = plugin.State();
    std::atomic<bool> done{false};
    std::thread audio(
        [&]
        {
            std::mt19937 random(7);
            while (!done)
            {
                if (random() % 8 == 0) plugin.Note(true, static_cast<int>(40 + random() % 60));
                plugin.Render(static_cast<int32>(random() % 300));
            }
        });
    std::mt19937 random(8);
    std::uniform_real_distribution<double> anywhere(-0.5, 1.5);
    const int32 count = plugin.controller->getParameterCount();
    for (int change = 0; change < 100000; ++change)
    {
        ParameterInfo info{};
        plugin.controller->getParameterInfo(static_cast<int32>(random() % count), info);
        plugin.controller->setParamNormalized(info.id, anywhere(random));
    }
    done = true;
    audio.join();
    EXPECT_EQ(plugin.insane, 0);
    EXPECT_EQ(plugin.LoadState(state), kResultOk);
    // Pitch jumps the flood scheduled (up to 5 s later, held up to 2 s) play out first.
    for (int pitch = 0; pitch < 128; ++pitch)
        plugin.Note(false, pitch);
    for (int block = 0; block < 8 * 44100 / 512; ++block)
        plugin.Render(512);
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst3, HundredInstancesCreatedAndDestroyedInRandomOrder)
{
    Vst3Instance running;
    ASSERT_TRUE(running.Ready());
    running.Setup(48000.0);
    std::mt19937 random(9);
    std::vector<std::unique_ptr<Vst3Instance>> alive;
    for (int created = 0; created < 100; ++created)
    {
        alive.push_back(std::make_unique<Vst3Instance>());
        ASSERT_TRUE(alive.back()->Ready());
        if (random() % 2 == 0) alive.back()->Setup(static_cast<double>(8000 + random() % 376000));
        while (alive.size() > 20 || (random() % 2 == 0 && !alive.empty()))
            alive.erase(alive.begin() + static_cast<long>(random() % alive.size()));
    }
    alive.clear();
    ExpectDefaultNote(running, 48000.0);
}
