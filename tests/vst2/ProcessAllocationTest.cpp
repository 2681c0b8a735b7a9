// The delivered VST2 plug-in's processing callbacks, counted for heap allocations: the audio path
// must not allocate, whichever callback the host uses.
#include "Vst2Host.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vst2;

TEST(Vst2ProcessAllocation, ProcessingCallbacksAllocateNothing)
{
    // Under a sanitizer its runtime owns the allocator, and the plug-in's allocations no longer
    // reach the counter across the module boundary.
    if (!allocation_counter::CountsMalloc())
        GTEST_SKIP() << "allocations in the plug-in are not countable here";
    Vst2Host host{BRISBLEEP_VST2_PLUGIN_PATH};
    ASSERT_NE(host.Create(), nullptr);
    host.Dispatch(EffectOp::kOpen);
    host.Dispatch(EffectOp::kSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.Dispatch(EffectOp::kSetBlockSize, 0, 512);
    host.Dispatch(EffectOp::kMainsChanged, 0, 1);
    // The host's own records of the plug-in's calls must not count as the plug-in's allocations.
    host.calls.reserve(1 << 16);
    host.sentEvents.reserve(1 << 12);

    // The counter sees what the plug-in allocates: a chunk request builds the state in memory.
    allocation_counter::Start();
    void* chunk = nullptr;
    ASSERT_GT(host.Dispatch(EffectOp::kGetChunk, 0, 0, &chunk), 0);
    ASSERT_GE(allocation_counter::Stop(), 1u);

    std::vector<float> left32(512), right32(512), input32(512);
    std::vector<double> left64(512), right64(512), input64(512);
    float* out32[2] = {left32.data(), right32.data()};
    float* in32[2] = {input32.data(), input32.data()};
    double* out64[2] = {left64.data(), right64.data()};
    double* in64[2] = {input64.data(), input64.data()};
    // Every source and the crusher, so that every part of the engine runs.
    for (int index = 5; index <= 8; ++index) // the other sources' levels
        host.effect->setParameter(host.effect, index, 0.9f);
    host.effect->setParameter(host.effect, 56, 0.5f); // crusher inside
    host.SendMidi({Vst2Host::Midi(0, 0x90, 60, 100), Vst2Host::Midi(7, 0x90, 64, 90)});
    host.effect->processReplacing(host.effect, in32, out32, 512); // first block outside the count

    float loudest = 0.0f;
    allocation_counter::Start();
    for (int block = 0; block < 200; ++block)
    {
        if (block == 100) host.effect->setParameter(host.effect, 40, 0.3f); // automation mid-note
        if (block % 3 == 0)
            host.effect->processDoubleReplacing(host.effect, in64, out64, 512);
        else if (block % 3 == 1)
            host.effect->processReplacing(host.effect, in32, out32, 512);
        else
            host.effect->process(host.effect, in32, out32, 512);
        for (float x : left32)
            loudest = x > loudest ? x : loudest;
    }
    EXPECT_EQ(allocation_counter::Stop(), 0u);
    EXPECT_GT(loudest, 0.01f); // the notes really sounded
}
