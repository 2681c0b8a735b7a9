// Counts heap allocations while blocks are rendered: the audio path must not allocate.

#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <new>

TEST(Allocation, RenderingBlocksAllocatesNothing)
{
    InstrumentHarness h(44100.0, 512);
    // A busy patch: every source, the crusher inside the oversampling and pitch jumps.
    for (int level = 4; level <= 8; ++level)
        h.Set(level, -6.0);
    h.Set(2, 4);
    h.Set(3, 7);
    h.Set(kBitCrushPosition, 1);
    h.Set(kPitchJumpDelay, 0.01);
    h.Set(kPitchJumpTrigger, 2);
    double left[512], right[512];
    double* outputs[2] = {left, right};
    for (int note : {60, 64, 67})
        h.NoteOn(note);
    h->ProcessBlock(outputs, 512);

    // The counter itself works.
    allocation_counter::Start();
    ::operator delete(::operator new(16)); // a direct call, which may not be elided
    ASSERT_EQ(allocation_counter::Stop(), 1u);

    allocation_counter::Start();
    for (int block = 0; block < 200; ++block)
    {
        if (block == 50)
            for (int note : {60, 64, 67})
                h.NoteOff(note);
        if (block == 120) h.NoteOn(72, 90, 300);
        h->ProcessBlock(outputs, 512);
    }
    EXPECT_EQ(allocation_counter::Stop(), 0u);
    EXPECT_GT(h->MidiSentToHostCount(), 0u);
}
