// What a host announces and sends that the instrument must survive: sample rates out of any sane
// range, block-size maxima of 0, below 0 or absurdly large, and the MIDI panic messages.

#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace
{
constexpr double kNote69 = 414.857; // the default note's pitch at any rate

// The default note 69, held for `seconds` at `rate`, as the harness renders it.
std::vector<double> DefaultNote(double rate, double seconds)
{
    InstrumentHarness h(rate, 512);
    h.NoteOn(69);
    h.Render(static_cast<long>(seconds * rate));
    return h.left;
}

// Renders the same held note through host blocks of `hostBlock` frames after announcing `announced`
// as the maximum block size.
std::vector<double> NoteThroughBlocks(int announced, int hostBlock, long frames)
{
    auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    instrument->SetHostSampleRate(44100.0);
    instrument->SetHostBlockSize(announced);
    instrument->ConnectOutputs(2);
    instrument->SetProcessing(true);
    instrument->DeliverMidi(IMidiMessage::Make(0x90, 69, 127));
    std::vector<double> left(static_cast<std::size_t>(hostBlock)), right(left.size()), all;
    double* outs[2] = {left.data(), right.data()};
    for (long done = 0; done < frames; done += hostBlock)
    {
        instrument->ProcessBlock(outs, hostBlock);
        all.insert(all.end(), left.begin(), left.end());
    }
    all.resize(static_cast<std::size_t>(frames));
    return all;
}
} // namespace

TEST(HostAnnouncements, RatesOutsideTheSaneRangeAreIgnored)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {0.0, 0.1, -48000.0, 999.0, 1536000.5, 2.7e8, 1e300, nan, inf, -inf})
    {
        InstrumentHarness h(48000.0);
        h->SetHostSampleRate(bad);
        EXPECT_EQ(h->GetSampleRate(), 48000.0) << bad;
        EXPECT_EQ(h->renderer.HostSampleRate(), 48000.0) << bad;
        h.NoteOn(69);
        h.Render(24000);
        EXPECT_NEAR(RisingCrossingFrequency(h.left, 4800, 24000, 48000.0), kNote69, 0.05) << bad;
    }
    // The bounds themselves are rates.
    for (double edge : {kMinHostSampleRate, kMaxHostSampleRate})
    {
        InstrumentHarness h(48000.0);
        h->SetHostSampleRate(edge);
        EXPECT_EQ(h->renderer.HostSampleRate(), edge);
    }
}

TEST(HostAnnouncements, DefaultNoteKeepsItsPitchAndLevelFrom8kTo384k)
{
    const std::vector<double> reference = DefaultNote(44100.0, 0.3);
    const double level = PeakMagnitude(reference, 4410, reference.size());
    ASSERT_GT(level, 0.3);
    for (double rate : {8000.0, 11025.0, 384000.0})
    {
        const std::vector<double> note = DefaultNote(rate, 0.3);
        const auto from = static_cast<std::size_t>(0.1 * rate);
        EXPECT_NEAR(RisingCrossingFrequency(note, from, note.size(), rate), kNote69, 0.1) << rate;
        EXPECT_NEAR(PeakMagnitude(note, from, note.size()), level, 0.05 * level) << rate;
    }
}

TEST(HostAnnouncements, EveryBlockIsRenderedWhateverMaximumWasAnnounced)
{
    constexpr long kFrames = 22050;
    const std::vector<double> reference = NoteThroughBlocks(512, 512, kFrames);
    ASSERT_NEAR(RisingCrossingFrequency(reference, 4410, kFrames, 44100.0), kNote69, 0.05);
    for (int announced : {0, -1, -4096, 1, 64, 8192, 1 << 20, INT_MAX})
        for (int hostBlock : {1, 100, 512, 8192, 10000})
        {
            if (hostBlock == 1 && announced > 8192) continue; // same path as announced 8192, and slow
            // Each host sample is rendered on its own, so the samples match exactly.
            const std::vector<double> samples = NoteThroughBlocks(announced, hostBlock, kFrames);
            ASSERT_EQ(samples, reference) << "announced " << announced << ", host block " << hostBlock;
        }
}

TEST(HostAnnouncements, AnnouncedMaximumDoesNotBoundThePreparedBuffers)
{
    InstrumentHarness h;
    for (const auto& [announced, prepared] :
         std::vector<std::pair<int, int>>{{0, IFrameBase::kDefaultScratchFrames},
                                          {-5, IFrameBase::kDefaultScratchFrames},
                                          {300, 300},
                                          {IFrameBase::kMaxScratchFrames + 1, IFrameBase::kMaxScratchFrames},
                                          {INT_MAX, IFrameBase::kMaxScratchFrames}})
    {
        h->SetHostBlockSize(announced);
        EXPECT_EQ(h->PreparedBlockSize(), prepared) << announced;
        // The MIDI queue is sized for the prepared block, never for nothing or for the absurd.
        EXPECT_GE(h->midiReceiver.queue.Capacity(), prepared) << announced;
        EXPECT_LE(h->midiReceiver.queue.Capacity(), 2 * IFrameBase::kMaxScratchFrames) << announced;
    }
}

// A host stopping its transport sends all notes off (CC 123) or all sound off (CC 120). Two notes
// are held, each with a pitch jump an octave up still waiting in the queue.
TEST(MidiPanic, AllNotesOffReleasesAndAllSoundOffSilencesBothDroppingWaitingJumps)
{
    struct Case
    {
        int controller;
        bool silencedAtOnce;
    };
    for (const Case c : {Case{123, false}, Case{120, true}})
    {
        SCOPED_TRACE(c.controller);
        InstrumentHarness h;
        h.Set(kPitchJumpDelay, 0.1);
        h.Set(kPitchJumpTime, 0.5);
        h.Set(kPitchJumpTranspose, 12);
        h.NoteOn(60);
        h.NoteOn(64);
        h.Render(2000);
        const auto& voices = h->renderer.Voices().Voices();
        ASSERT_TRUE(voices[0].IsActive());
        ASSERT_TRUE(voices[1].IsActive());
        ASSERT_EQ(h->midiReceiver.queue.Pending(), 4); // two jump pairs

        h->DeliverMidi(IMidiMessage::Make(0xB5, c.controller, 0, 10)); // any channel
        h.Render(11);
        EXPECT_EQ(h->midiReceiver.queue.Pending(), 0);
        EXPECT_EQ(h->midiReceiver.heldKeyCount, 0);
        for (int v = 0; v < 2; ++v)
        {
            EXPECT_EQ(voices[v].IsActive(), !c.silencedAtOnce) << v;
            if (!c.silencedAtOnce)
            {
                EXPECT_EQ(voices[v].AmpEnvelope().Stage(), StageRelease) << v;
            }
        }
        const std::size_t panicAt = h.left.size();
        if (c.silencedAtOnce)
        {
            h.Render(64); // only the anti-alias filter's memory is left
            EXPECT_LT(PeakMagnitude(h.left, panicAt + 32, h.left.size()), 1e-4);
        }

        // Past the release and past where the jump notes were due: nothing plays.
        h.Render(static_cast<long>(0.7 * 44100));
        for (const Voice& voice : voices)
            EXPECT_FALSE(voice.IsActive());
        EXPECT_LT(PeakMagnitude(h.left, h.left.size() - 4410, h.left.size()), 1e-6);

        // The keys are up again: the same note starts anew.
        h.NoteOn(60);
        h.Render(4410);
        EXPECT_TRUE(voices[0].IsActive());
        EXPECT_EQ(voices[0].Note(), 60);
        EXPECT_GT(PeakMagnitude(h.left, h.left.size() - 2205, h.left.size()), 0.1);
    }
}

// A host restarting a loop sends the panic and the loop's first note in one block: that note and
// its pitch jump play; the jump of the note before the panic does not.
TEST(MidiPanic, NotesAfterThePanicPlayWithTheirJumps)
{
    InstrumentHarness h;
    h.Set(kPitchJumpDelay, 0.1);
    h.Set(kPitchJumpTranspose, 12);
    h.NoteOn(60);
    h->DeliverMidi(IMidiMessage::Make(0xB0, 123, 0, 5));
    h.NoteOn(67, 100, 20);
    h.Render(30);
    const auto& voices = h->renderer.Voices().Voices();
    EXPECT_EQ(voices[0].AmpEnvelope().Stage(), StageRelease);
    ASSERT_TRUE(voices[1].IsActive());
    EXPECT_EQ(voices[1].Note(), 67);
    EXPECT_EQ(voices[1].AmpEnvelope().Stage(), StageAttack);
    // Note 67's own jump pair came after the panic and still waits.
    ASSERT_EQ(h->midiReceiver.queue.Pending(), 2);
    EXPECT_EQ(h->midiReceiver.queue[0].data1, 79);
    EXPECT_EQ(h->midiReceiver.queue[1].data1, 79);
}
