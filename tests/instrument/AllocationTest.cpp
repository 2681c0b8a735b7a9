// Counts heap allocations while blocks are rendered: the audio path must not allocate.

#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

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
    counting = true;
    ::operator delete(::operator new(16)); // a direct call, which may not be elided
    counting = false;
    ASSERT_EQ(allocations.load(), 1);

    allocations = 0;
    counting = true;
    for (int block = 0; block < 200; ++block)
    {
        if (block == 50)
            for (int note : {60, 64, 67})
                h.NoteOff(note);
        if (block == 120) h.NoteOn(72, 90, 300);
        h->ProcessBlock(outputs, 512);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(h->MidiSentToHostCount(), 0u);
}
