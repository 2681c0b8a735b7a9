// Hosts with 32-bit buffers, and hosts whose blocks exceed the announced size, hear the same note.

#include "InstrumentHarness.h"

#include <gtest/gtest.h>

namespace
{

constexpr int kFrames = 1024;
constexpr int kBlocks = 8;

// Renders a note-on at offset 700 of the first block and its note-off at offset 100 of the fourth.
template <typename Sample> std::vector<Sample> Play(int announcedBlock)
{
    Brisbleep instrument(OfflineHostContext{});
    instrument.SetHostSampleRate(44100.0);
    instrument.SetHostBlockSize(announcedBlock);
    instrument.ConnectOutputs(2);
    instrument.SetProcessing(true);
    std::vector<Sample> left(kFrames), right(kFrames), all;
    Sample* outputs[2] = {left.data(), right.data()};
    for (int b = 0; b < kBlocks; ++b)
    {
        if (b == 0) instrument.DeliverMidi(IMidiMessage::Make(0x90, 69, 127, 700));
        if (b == 3) instrument.DeliverMidi(IMidiMessage::Make(0x80, 69, 0, 100));
        instrument.ProcessBlock(outputs, kFrames);
        EXPECT_EQ(left, right) << "block " << b;
        all.insert(all.end(), left.begin(), left.end());
    }
    return all;
}

} // namespace

TEST(HostBuffers, ThirtyTwoBitAndOversizedBlocksGiveTheSameSamples)
{
    const std::vector<double> reference = Play<double>(kFrames);
    ASSERT_EQ(reference.size(), static_cast<std::size_t>(kFrames * kBlocks));
    EXPECT_EQ(PeakMagnitude(reference, 0, 700), 0.0);
    EXPECT_NE(reference[701], 0.0);
    EXPECT_GT(PeakMagnitude(reference, 2048, 3172), 0.45); // held until frame 3172

    // A 64-bit host that sends twice the announced block.
    EXPECT_EQ(Play<double>(kFrames / 2), reference);

    // A 32-bit host, in announced and oversized blocks: the same samples rounded to float.
    for (int announced : {kFrames, kFrames / 2, 100})
    {
        const std::vector<float> single = Play<float>(announced);
        ASSERT_EQ(single.size(), reference.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < reference.size(); ++i)
            differing += single[i] != static_cast<float>(reference[i]);
        EXPECT_EQ(differing, 0u) << "announced block " << announced;
    }
}
