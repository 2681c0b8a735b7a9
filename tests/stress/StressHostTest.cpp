// A host of our own that loads the delivered VST2 plug-in with dlopen and treats it the way busy,
// careless or hostile hosts do: blocks of every size, rates valid and invalid, instances at different
// rates on different threads, parameter changes and MIDI floods concurrent with processing, garbage
// and truncated chunks, hundreds of instances created and destroyed, processing before activation
// and after suspension. Every output sample is checked (finite, at most +36 dBFS) and afterwards
// the default note must still have its pitch and level: nothing may have been lost.

#include "tests/support/SignalMeasure.h"
#include "vst2/Vst2Interface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

using namespace vst2;

namespace
{
constexpr double kNote69 = 414.857;          // the default note's pitch at every rate
constexpr double kAbsurd = 63.0957344480193; // +36 dBFS
constexpr int kOsc1Type = 1;

// Answers what the plug-in asks without keeping state, so any thread may call it.
intptr_t Answer(EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == HostOp::kProcessEvents ? 1 : 0;
}

EffectRecord* (*Entry())(HostCallback)
{
    static void* library = dlopen(BRISBLEEP_VST2_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    return reinterpret_cast<EffectRecord* (*)(HostCallback)>(dlsym(library, "VSTPluginMain"));
}

// One instance, opened on creation and closed on destruction.
class Instance
{
public:
    Instance()
    {
        auto entry = Entry();
        effect = entry ? entry(&Answer) : nullptr;
        if (effect) Dispatch(EffectOp::kOpen);
    }
    ~Instance()
    {
        if (effect) Dispatch(EffectOp::kClose);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void Start(float rate, intptr_t block = 512)
    {
        Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, rate);
        Dispatch(EffectOp::kSetBlockSize, 0, block);
        Dispatch(EffectOp::kMainsChanged, 0, 1);
    }
    void Send(std::vector<VstMidiEvent> events)
    {
        std::vector<uint8_t> storage(sizeof(VstEvents) + events.size() * sizeof(void*));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<int32_t>(events.size());
        VstEvent** pointers = list->events;
        for (size_t i = 0; i < events.size(); ++i)
            pointers[i] = reinterpret_cast<VstEvent*>(&events[i]);
        Dispatch(EffectOp::kProcessEvents, 0, 0, list);
    }
    static VstMidiEvent Midi(int32_t offset, int status, int data1, int data2)
    {
        VstMidiEvent e{};
        e.type = kMidiEventType;
        e.byteSize = sizeof(e);
        e.deltaFrames = offset;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(data1);
        e.midiData[2] = static_cast<char>(data2);
        return e;
    }
    // One block through the 32-bit callback (or the 64-bit one); returns the left channel and
    // counts every insane sample of both.
    std::vector<float> Render(int frames, bool doubles = false)
    {
        std::vector<float> left(std::max(frames, 0)), right(left.size());
        if (doubles)
        {
            std::vector<double> l(left.size()), r(left.size());
            double* outs[] = {l.data(), r.data()};
            effect->processDoubleReplacing(effect, nullptr, outs, frames);
            for (size_t i = 0; i < l.size(); ++i)
            {
                left[i] = static_cast<float>(l[i]);
                right[i] = static_cast<float>(r[i]);
            }
        }
        else
        {
            float* outs[] = {left.data(), right.data()};
            effect->processReplacing(effect, nullptr, outs, frames);
        }
        for (size_t i = 0; i < left.size(); ++i)
            if (!(std::fabs(left[i]) <= kAbsurd && std::fabs(right[i]) <= kAbsurd)) ++insane;
        return left;
    }
    std::vector<uint8_t> Chunk()
    {
        void* data = nullptr;
        const intptr_t size = Dispatch(EffectOp::kGetChunk, 0, 0, &data);
        if (size <= 0 || !data) return {};
        return {static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size};
    }
    intptr_t LoadChunk(std::vector<uint8_t> bytes, bool program = false)
    {
        return Dispatch(EffectOp::kSetChunk, program, static_cast<intptr_t>(bytes.size()), bytes.data());
    }

    EffectRecord* effect = nullptr;
    long insane = 0;
};

struct NoteMeasure
{
    double frequency;
    float level;
};

// Silences the instance, then holds the default note 69 for 0.4 s at `rate` in 512-frame blocks.
NoteMeasure DefaultNote(Instance& plugin, double rate)
{
    plugin.Send({Instance::Midi(0, 0xB0, 120, 0)});
    plugin.Render(64);
    plugin.Send({Instance::Midi(0, 0x90, 69, 127)});
    std::vector<float> samples;
    while (samples.size() < static_cast<size_t>(0.4 * rate))
    {
        const auto block = plugin.Render(512);
        samples.insert(samples.end(), block.begin(), block.end());
    }
    plugin.Send({Instance::Midi(0, 0x80, 69, 0)});
    const auto from = static_cast<size_t>(0.1 * rate);
    return {RisingCrossingFrequency(samples, from, samples.size(), rate),
            PeakMagnitude(samples, from, samples.size())};
}

// The default note's level at 44.1 kHz on a fresh instance.
float ReferenceLevel()
{
    static const float level = []
    {
        Instance plugin;
        plugin.Start(44100.0f);
        return DefaultNote(plugin, 44100.0).level;
    }();
    return level;
}

void ExpectDefaultNote(Instance& plugin, double rate)
{
    const NoteMeasure m = DefaultNote(plugin, rate);
    EXPECT_NEAR(m.frequency, kNote69, 0.1) << rate;
    EXPECT_NEAR(m.level, ReferenceLevel(), 0.05f * ReferenceLevel()) << rate;
    EXPECT_EQ(plugin.insane, 0);
}
} // namespace

TEST(StressVst2, LoadsAndPlaysTheDefaultNote)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    plugin.Start(44100.0f);
    ExpectDefaultNote(plugin, 44100.0);
    EXPECT_GT(ReferenceLevel(), 0.3f);
}

TEST(StressVst2, BlocksOfEverySizeWhateverMaximumWasAnnounced)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    const int hostBlocks[] = {0, 1, 2, 3, 7, 64, 100, 511, 512, 513, 1024, 4096, 8192, 8193, 16384, 20000};
    for (intptr_t announced : {intptr_t(0), intptr_t(1), intptr_t(64), intptr_t(512), intptr_t(8192),
                               intptr_t(-1), intptr_t(1) << 31, intptr_t(0x7FFFFFFF)})
    {
        plugin.Start(44100.0f, announced);
        plugin.Send({Instance::Midi(0, 0x90, 60, 100), Instance::Midi(3, 0x90, 67, 100)});
        float peak = 0.0f;
        for (int frames : hostBlocks)
            peak = std::max(peak, PeakMagnitude(plugin.Render(frames, frames % 2 == 1)));
        EXPECT_GT(peak, 0.1f) << announced; // nothing rendered silent
        plugin.Send({Instance::Midi(0, 0xB0, 123, 0)});
        plugin.Render(44100);
        plugin.Dispatch(EffectOp::kMainsChanged, 0, 0);
    }
    plugin.Start(44100.0f);
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst2, RatesFrom8kTo384kKeepThePitchAndInvalidOnesAreIgnored)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    for (float rate : {8000.0f, 11025.0f, 22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f,
                       176400.0f, 192000.0f, 352800.0f, 384000.0f})
    {
        plugin.Start(rate);
        ExpectDefaultNote(plugin, rate);
        plugin.Dispatch(EffectOp::kMainsChanged, 0, 0);
    }
    plugin.Start(48000.0f);
    for (float rate :
         {0.0f, -48000.0f, 0.01f, 999.0f, 2e6f, 3e8f, 1e30f, std::numeric_limits<float>::quiet_NaN(),
          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
        plugin.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, rate);
    ExpectDefaultNote(plugin, 48000.0);
}

TEST(StressVst2, InstancesAtDifferentRatesOnTheirOwnThreadsKeepTheirPitch)
{
    const double rates[] = {22050.0, 44100.0, 48000.0, 96000.0};
    std::vector<std::unique_ptr<Instance>> plugins;
    for (double rate : rates)
    {
        plugins.push_back(std::make_unique<Instance>());
        ASSERT_NE(plugins.back()->effect, nullptr);
        plugins.back()->Start(static_cast<float>(rate));
    }
    std::vector<NoteMeasure> measured(plugins.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < plugins.size(); ++i)
        threads.emplace_back(
            [&, i]
            {
                // Re-announcing the rate on every pass, as hosts do after scans and resets.
                for (int pass = 0; pass < 3; ++pass)
                {
                    plugins[i]->Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr,
                                         static_cast<float>(rates[i]));
                    measured[i] = DefaultNote(*plugins[i], rates[i]);
                }
            });
    for (std::thread& t : threads)
        t.join();
    for (size_t i = 0; i < plugins.size(); ++i)
    {
        EXPECT_NEAR(measured[i].frequency, kNote69, 0.1) << rates[i];
        EXPECT_NEAR(measured[i].level, ReferenceLevel(), 0.05f * ReferenceLevel()) << rates[i];
        EXPECT_EQ(plugins[i]->insane, 0) << rates[i];
    }
}

TEST(StressVst2, HundredThousandParameterChangesWhileAnotherThreadProcesses)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    plugin.Start(44100.0f, 256);
    const std::vector<uint8_t> original = plugin.Chunk();
    ASSERT_FALSE(original.empty());
    std::atomic<bool> done{false};
    std::thread audio(
        [&]
        {
            std::mt19937 random(1);
            while (!done)
            {
                if (random() % 8 == 0)
                    plugin.Send(
                        {Instance::Midi(static_cast<int32_t>(random() % 300), 0x90, 40 + random() % 60, 100),
                         Instance::Midi(static_cast<int32_t>(random() % 300), 0x80, 40 + random() % 60, 0)});
                plugin.Render(static_cast<int>(random() % 300));
            }
        });
    std::mt19937 random(2);
    std::uniform_real_distribution<float> anywhere(-0.5f, 1.5f);
    const int count = plugin.effect->numParams;
    for (int change = 0; change < 100000; ++change)
    {
        const int index = static_cast<int>(random() % (count + 2)) - 1; // one beyond each end too
        float value = anywhere(random);
        if (change % 1000 == 0) value = std::numeric_limits<float>::quiet_NaN();
        plugin.effect->setParameter(plugin.effect, index, value);
    }
    done = true;
    audio.join();
    plugin.Render(512); // the last notes sent (offsets up to 300) play before the check's panic
    for (int i = 0; i < count; ++i)
    {
        const float n = plugin.effect->getParameter(plugin.effect, i);
        EXPECT_TRUE(n >= 0.0f && n <= 1.0f) << i << " " << n;
    }
    EXPECT_EQ(plugin.insane, 0);
    EXPECT_EQ(plugin.LoadChunk(original), 1);
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst2, MidiFloodsOfEveryKind)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    plugin.Start(44100.0f, 512);
    std::mt19937 random(3);
    char dump[] = {char(0xF0), 0x7E, 0x00, 0x09, 0x01, char(0xF7)};
    for (int block = 0; block < 100; ++block)
    {
        std::vector<VstMidiEvent> events;
        for (int i = 0; i < 2000; ++i)
        {
            int32_t offset = static_cast<int32_t>(random() % 1024) - 16; // before, inside and after the block
            if (i % 500 == 0) offset = static_cast<int32_t>(10000000 + random() % 1000000000); // hours away
            events.push_back(Instance::Midi(offset, static_cast<int>(random() % 256),
                                            static_cast<int>(random() % 256),
                                            static_cast<int>(random() % 256)));
        }
        plugin.Send(events);
        VstMidiSysexEvent sysex{};
        sysex.type = kSysExEventType;
        sysex.byteSize = sizeof(sysex);
        sysex.dumpBytes = sizeof(dump);
        sysex.sysexDump = dump;
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&sysex);
        plugin.Dispatch(EffectOp::kProcessEvents, 0, 0, &list);
        plugin.Render(512);
    }
    EXPECT_EQ(plugin.insane, 0);
    plugin.Render(1024); // the flood's last messages (offsets up to two blocks ahead) play
    // Whatever the flood left sounding, a panic ends it and the default note plays.
    plugin.Send({Instance::Midi(0, 0xB0, 120, 0), Instance::Midi(0, 0xB0, 123, 0)});
    plugin.Render(44100 * 3);
    const std::vector<float> after = plugin.Render(44100);
    EXPECT_LT(PeakMagnitude(after), 1e-4f);
    plugin.Dispatch(EffectOp::kMainsChanged, 0, 0);
    plugin.Start(44100.0f);
    // The flood moved no parameters, so the default sound is still in place.
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst2, GarbageAndTruncatedChunksLeaveTheInstanceUsable)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    plugin.Start(44100.0f);
    const std::vector<uint8_t> bank = plugin.Chunk();
    plugin.Dispatch(EffectOp::kSetProgram, 0, 0);
    void* programData = nullptr;
    const intptr_t programSize = plugin.Dispatch(EffectOp::kGetChunk, 1, 0, &programData);
    ASSERT_GT(programSize, 0);
    const std::vector<uint8_t> program(static_cast<uint8_t*>(programData),
                                       static_cast<uint8_t*>(programData) + programSize);
    std::mt19937 random(4);
    for (bool asProgram : {false, true})
    {
        const std::vector<uint8_t>& whole = asProgram ? program : bank;
        for (size_t cut = 0; cut < whole.size(); cut += 1 + cut / 16)
            plugin.LoadChunk(std::vector<uint8_t>(whole.begin(), whole.begin() + cut), asProgram);
        for (int trial = 0; trial < 300; ++trial)
        {
            std::vector<uint8_t> bytes = whole;
            for (int flips = 0; flips < 1 + trial % 8; ++flips)
                bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1 + random() % 255);
            if (trial % 3 == 0) bytes.resize(random() % (bytes.size() * 2));
            plugin.LoadChunk(bytes, asProgram);
            plugin.Render(64);
        }
    }
    for (int i = 0; i < plugin.effect->numParams; ++i)
    {
        const float n = plugin.effect->getParameter(plugin.effect, i);
        EXPECT_TRUE(n >= 0.0f && n <= 1.0f) << i;
    }
    EXPECT_EQ(plugin.insane, 0);
    EXPECT_EQ(plugin.LoadChunk(bank), 1);
    EXPECT_EQ(plugin.Chunk(), bank);
    ExpectDefaultNote(plugin, 44100.0);
}

TEST(StressVst2, FourHundredInstancesCreatedAndDestroyedInRandomOrder)
{
    // A running instance must not notice the others coming and going (as in a plug-in scan).
    Instance running;
    ASSERT_NE(running.effect, nullptr);
    running.Start(48000.0f);
    std::mt19937 random(5);
    std::vector<std::unique_ptr<Instance>> alive;
    for (int created = 0; created < 400; ++created)
    {
        alive.push_back(std::make_unique<Instance>());
        ASSERT_NE(alive.back()->effect, nullptr);
        if (random() % 3 == 0) alive.back()->Start(static_cast<float>(8000 + random() % 376000));
        if (random() % 4 == 0) alive.back()->Render(static_cast<int>(random() % 256));
        while (alive.size() > 40 || (random() % 2 == 0 && !alive.empty()))
            alive.erase(alive.begin() + static_cast<long>(random() % alive.size()));
    }
    alive.clear();
    ExpectDefaultNote(running, 48000.0);
}

TEST(StressVst2, ProcessingBeforeActivationAndAfterSuspension)
{
    Instance plugin;
    ASSERT_NE(plugin.effect, nullptr);
    // Never activated, rate never announced: 44.1 kHz.
    plugin.Send({Instance::Midi(0, 0x90, 69, 127)});
    EXPECT_GT(PeakMagnitude(plugin.Render(4096)), 0.1f);
    plugin.Dispatch(EffectOp::kMainsChanged, 0, 0);
    plugin.Render(512, true); // suspended
    plugin.Dispatch(EffectOp::kMainsChanged, 0, 0);
    plugin.Render(0);
    EXPECT_EQ(plugin.insane, 0);
    ExpectDefaultNote(plugin, 44100.0);
}
