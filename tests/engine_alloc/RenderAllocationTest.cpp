#include "bench/VoiceScenes.h"
#include "engine/EngineRenderer.h"
#include "engine/MidiInput.h"
#include "engine/PitchJump.h"
#include "engine/VoiceManager.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace
{
using namespace voice_scenes;

constexpr int kBlockFrames = 256;

// The engine's part of the instrument's block processing: receiver, the renderer with its four
// voices, crusher and meter, queue hand-over between blocks.
struct EngineRig
{
    MidiInput input;
    EngineRenderer renderer;
    PitchJump jump;
    double output[kBlockFrames] = {};
    double loudest = 0.0;

    explicit EngineRig(CrushPosition crush)
    {
        input.NoteOnSignal.Connect<&VoiceManager::NoteOn>(&renderer.Voices());
        input.NoteOffSignal.Connect<&VoiceManager::NoteOff>(&renderer.Voices());
        PrepareRenderer(renderer);
        renderer.SetCrushPosition(crush);
        renderer.SetCrushSampleRate(11025);
        renderer.SetCrushBitDepth(6.5);
        jump.SetDelay(0.05);
        jump.SetTime(0.1);
        jump.SetTranspose(12);
        jump.SetTrigger(JumpOnBoth);
    }

    void Send(int offset, int status, int key, int velocity)
    {
        input.queue.Push(IMidiMessage{offset, static_cast<std::uint8_t>(status),
                                      static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity)});
    }

    void RenderBlock()
    {
        renderer.BeginMeterBlock();
        for (int i = 0; i < kBlockFrames; ++i)
        {
            input.PlayDueMessages();
            output[i] = renderer.NextSample();
            renderer.MeterFrame(output[i], output[i]);
        }
        const PeakLevels levels = renderer.EndMeterBlock();
        if (levels.left > loudest) loudest = levels.left;
        input.EndBlock(kBlockFrames);
    }

    // Notes start, overflow the four voices, release, run out and are replaced; every message
    // arrives during the counted part, as host MIDI does inside block processing.
    void PlayPhrase()
    {
        for (int key : {60, 64, 67, 71, 74})
            Send(10, 0x90, key, 100);
        Send(300, 0x80, 60, 0);
        Send(400, 0x90, 64, 0);
        Send(400, 0xE0, 0, 70);
        Send(401, 0xB0, 1, 64);
        Send(402, 0xA0, 67, 30);
        for (int block = 0; block < 400; ++block) // about 2.3 s of host time
        {
            if (block == 200)
            {
                Send(5, 0x90, 48, 127);
                Send(6, 0x80, 67, 0);
                Send(6, 0x80, 71, 0);
                Send(7, 0x80, 74, 0);
                Send(3000, 0x80, 48, 0); // carried over several blocks
            }
            RenderBlock();
        }
    }
};

std::size_t CountPhraseAllocations(void (*sound)(VoiceManager&), CrushPosition crush = CrushInside)
{
    auto rig = std::make_unique<EngineRig>(crush);
    sound(rig->renderer.Voices());
    allocation_counter::Start();
    rig->PlayPhrase();
    const std::size_t count = allocation_counter::Stop();
    EXPECT_GT(rig->loudest, 0.01); // the phrase really sounded
    return count;
}

void ApplyEveryWaveform(VoiceManager& manager)
{
    ApplyHeavySound(manager);
    manager.SetWaveform(0, OscilatorWaveform::Tan);
    manager.SetWaveform(1, OscilatorWaveform::Breaker);
    manager.SetWaveform(2, OscilatorWaveform::Sin);
}
} // namespace

TEST(RenderAllocation, CounterSeesAllocations)
{
    // Guards the tests below against a counter that sees nothing.
    static void* volatile sink;
    allocation_counter::Start();
    auto boxed = std::make_unique<int>(7);
    sink = boxed.get();
    EXPECT_GE(allocation_counter::Stop(), 1u);
    if (!allocation_counter::CountsMalloc()) return;
    allocation_counter::Start();
    sink = std::malloc(24);
    std::free(sink);
    EXPECT_EQ(allocation_counter::Stop(), 1u);
}

TEST(RenderAllocation, DefaultSoundRendersWithoutAllocating)
{
    EXPECT_EQ(CountPhraseAllocations(ApplyDefaultSound), 0u);
}

TEST(RenderAllocation, HeavySoundRendersWithoutAllocating)
{
    EXPECT_EQ(CountPhraseAllocations(ApplyHeavySound), 0u);
    EXPECT_EQ(CountPhraseAllocations(ApplyEveryWaveform, CrushAfter), 0u);
}
