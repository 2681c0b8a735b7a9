// The VST3 processor's process call, counted for heap allocations: notes, automation and both
// sample sizes must not make the audio path allocate.
#include "VST3TestHost.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST(Vst3ProcessAllocation, ProcessCallsAllocateNothing)
{
    for (int32 sampleSize : {kSample32, kSample64})
    {
        auto host = std::make_unique<VST3TestHost>(sampleSize);
        host->Automate(56, 0, 0.5); // the crusher inside the oversampling
        for (ParamID level = 5; level <= 8; ++level)
            host->Automate(level, 0, 0.9);
        host->NoteOn(60, 0.8f);
        host->NoteOn(64, 0.7f, 100);
        ASSERT_EQ(host->ProcessBlock(), kResultOk); // first block outside the count

        // The counter sees what the plug-in allocates: saving its state builds a stream.
        allocation_counter::Start();
        ASSERT_FALSE(host->SaveState().empty());
        ASSERT_GE(allocation_counter::Stop(), 1u);

        double loudest = 0.0;
        for (int block = 0; block < 100; ++block)
        {
            // The host fills its queues before the call, as hosts do; only the call is counted.
            if (block == 30) host->Automate(40, 17, 0.3);
            if (block == 60) host->NoteOff(60, 5);
            allocation_counter::Start();
            const tresult result = host->ProcessBlock();
            EXPECT_EQ(allocation_counter::Stop(), 0u) << "block " << block << ", sample size " << sampleSize;
            ASSERT_EQ(result, kResultOk);
            const double first = sampleSize == kSample64 ? host->Out64(0)[0] : host->Out32(0)[0];
            loudest = std::fmax(loudest, std::fabs(first));
        }
        EXPECT_GT(loudest, 0.01) << sampleSize; // the notes really sounded
    }
}
