#include "InstrumentHarness.h"

#include "instrument/ParamLayout.h"

#include <gtest/gtest.h>

namespace
{

constexpr double kRate = 44100.0;
constexpr double kMinus6dB = 0.50118723362727224; // 10^(-6/20)

} // namespace

TEST(Audio, DefaultNoteIsACompressedTriangleAtMinus6dBOnBothOutputs)
{
    InstrumentHarness h;
    h.NoteOn(69);
    h.Render(44100);
    ASSERT_EQ(h.left.size(), 44100u);
    EXPECT_EQ(h.left, h.right);

    EXPECT_NEAR(RisingCrossingFrequency(h.left, 4410, 44100, kRate), 414.857, 0.05);
    // After the fade-in and the attack the peak is the gain itself: the curve keeps +-1 at +-1.
    EXPECT_NEAR(PeakMagnitude(h.left, 4410, 44100), kMinus6dB, kMinus6dB * 0.01);
    // A triangle compressed by x^(1/2.2) has mean |y| = 1 / (1 + 1/2.2) of its peak (0.5 uncompressed).
    EXPECT_NEAR(MeanAbs(h.left, 4410, 44100) / kMinus6dB, 1.0 / (1.0 + 1.0 / 2.2), 0.01);
    // The gain starts at 0 and reaches 63 % of its target after about 100 samples.
    EXPECT_LT(PeakMagnitude(h.left, 0, 20), 0.2 * kMinus6dB);
}

TEST(Audio, GainAndCompressionSettings)
{
    {
        InstrumentHarness h;
        h.Set(kCompressionFactor, 0.0);
        EXPECT_EQ(h->renderer.Compression().Exponent(), 1.0);
        h.NoteOn(69);
        h.Render(22050);
        EXPECT_NEAR(MeanAbs(h.left, 4410, 22050) / PeakMagnitude(h.left, 4410, 22050), 0.5,
                    0.01); // plain triangle
    }
    {
        // Three triangles in phase sum to 3; the curve limits that to 2 before the gain.
        InstrumentHarness h;
        h.Set(kCompressionFactor, 0.0);
        h.Set(kOutputGain, 0.0);
        h.Set(2, 1);
        h.Set(3, 1);
        h.Set(5, 0.0);
        h.Set(6, 0.0);
        h.NoteOn(69);
        h.Render(22050);
        EXPECT_NEAR(PeakMagnitude(h.left, 4410, 22050), 2.0, 1e-3);
    }
    {
        InstrumentHarness h;
        h.Set(kOutputGain, 12.0);
        EXPECT_NEAR(h->renderer.OutputGainTarget(), 3.981, 1e-3);
        h.NoteOn(69);
        h.Render(22050);
        EXPECT_NEAR(PeakMagnitude(h.left, 4410, 22050), 3.981,
                    0.04); // beyond full scale: the limit comes first
    }
}

TEST(Audio, ParameterRoutingReachesEveryVoice)
{
    InstrumentHarness h;
    h.Set(4, -95.0);
    h.Set(5, -95.5);
    h.Set(7, -20.0);
    h.Set(10, -2);
    h.Set(14, 7);
    h.Set(17, -33);
    h.Set(19, 0.25);
    h.Set(23, 0.75);
    h.Set(27, 0.4);
    h.Set(31, 0.5);
    h.Set(kPitchHighNote, 100);
    h.Set(kPitchLowNote, 20);
    h.Set(kPitchDuration, 2.0);
    h.Set(kPitchCurve, 4.0);
    h.Set(kFilterLpCutoff, 5000.0);
    h.Set(kFilterLpResonance, 3.0);
    h.Set(kFilterHpEnvDepth, -0.5);
    h.Set(53, 0.25);
    for (const Voice& v : h->renderer.Voices().Voices())
    {
        EXPECT_NEAR(v.SourceLevel(0), std::pow(10.0, -95.0 / 20.0), 1e-12);
        EXPECT_EQ(v.SourceLevel(1), 0.0); // below -95 dB a source is off
        EXPECT_NEAR(v.SourceLevel(3), 0.1, 1e-9);
        EXPECT_EQ(v.Octave(1), -2);
        EXPECT_EQ(v.Transpose(2), 7);
        EXPECT_EQ(v.Cents(2), -33);
        EXPECT_EQ(v.Oscillator(1).SquareDuty(), 0.25);
        EXPECT_EQ(v.StartPhase(2), 0.75);
        EXPECT_EQ(v.EnvDepth(3), 0.4);
        EXPECT_EQ(v.AmpEnvelope().StageSetting(StageDecay), 0.5);
        EXPECT_EQ(v.FilterEnvelope().StageSetting(StageDecay), 0.25);
        EXPECT_EQ(v.Pitch().HighNote(), 100);
        EXPECT_EQ(v.Pitch().LowNote(), 20);
        EXPECT_EQ(v.Pitch().Duration(), 2.0);
        EXPECT_EQ(v.Pitch().Curve(), 4.0);
        EXPECT_EQ(v.LowPassCutoff(), 5000.0);
        EXPECT_EQ(v.LowPassFilter().Resonance(), 3.0);
        EXPECT_EQ(v.HighPassEnvDepth(), -0.5);
    }
    h.Set(kPitchJumpTranspose, -7);
    h.Set(kPitchJumpDelay, 0.25);
    h.Set(kPitchJumpTrigger, 2);
    h.Set(kBitCrushPosition, 2);
    h.Set(kBitCrushSampleRate, 8000.0);
    h.Set(kBitCrushBitDepth, 4.5);
    h.Set(kMutationPercent, 7.5);
    EXPECT_EQ(h->pitchJump.Transpose(), -7);
    EXPECT_EQ(h->pitchJump.Delay(), 0.25);
    EXPECT_EQ(h->pitchJump.Trigger(), 2);
    EXPECT_EQ(h->renderer.GetCrushPosition(), 2);
    EXPECT_EQ(h->renderer.Crusher().TargetRate(), 8000.0);
    EXPECT_EQ(h->renderer.Crusher().BitDepth(), 4.5);
    EXPECT_DOUBLE_EQ(h->mutationAmount, 0.075);

    // Out-of-range indices are ignored.
    h->OnParameterChange(-1);
    h->OnParameterChange(60);
}

TEST(Audio, RightOutputUnconnectedLeavesOnlyTheLeftWritten)
{
    InstrumentHarness h(kRate, 512, 1);
    h.NoteOn(69);
    h.Render(4096);
    EXPECT_GT(PeakMagnitude(h.left, 0, 4096), 0.4);
    EXPECT_GT(h->renderer.Meter().levelLeft, 0.4);
    EXPECT_EQ(h->renderer.Meter().levelRight, 0.0); // the right channel's scratch holds zeros
}

TEST(Audio, NoteOnBeyondTheBlockIsCarriedIntoTheNext)
{
    InstrumentHarness h(kRate, 64);
    h.NoteOn(69, 127, 100);
    h.Block(64);
    EXPECT_EQ(PeakMagnitude(h.left, 0, 64), 0.0);
    ASSERT_EQ(h->midiReceiver.queue.Pending(), 1);
    EXPECT_EQ(h->midiReceiver.queue[0].offset, 36);
    h.Block(64);
    EXPECT_EQ(PeakMagnitude(h.left, 64, 64 + 36), 0.0);
    EXPECT_NE(h.left[64 + 36], 0.0);
    EXPECT_TRUE(h->renderer.Voices().Voices()[0].IsActive());
}

TEST(Audio, CrusherOffKeepsItsStateAndAfterQuantises)
{
    InstrumentHarness h;
    h.Set(kBitCrushSampleRate, 200.0);
    h.Set(kBitCrushBitDepth, 2.0);
    // Run the crusher for a while so it holds a value mid-way, then switch it off.
    h.Set(kBitCrushPosition, 2);
    h.NoteOn(69);
    h.Render(4410 + 17);
    const ZKBitCrusher2& crusher = h->renderer.Crusher();
    const std::int64_t heldFor = crusher.HoldCounter();
    const double held = crusher.HeldSample();
    ASSERT_GT(heldFor, 0);
    ASSERT_NE(held, 0.0);
    h.Set(kBitCrushPosition, 0);
    h.Render(2048);
    EXPECT_EQ(crusher.HoldCounter(), heldFor);
    EXPECT_EQ(crusher.HeldSample(), held);

    h.Set(kBitCrushPosition, 2);
    h.left.clear();
    h.Render(4096);
    EXPECT_NE(crusher.HoldCounter(), heldFor);
    // Held values on a grid of 1/4 before the compressor: 221 equal samples per new value.
    int longestRun = 0, run = 1;
    for (std::size_t i = 1; i < h.left.size(); ++i)
    {
        run = std::abs(h.left[i] - h.left[i - 1]) < 1e-3 * std::abs(h.left[i]) + 1e-12 ? run + 1 : 1;
        longestRun = std::max(longestRun, run);
    }
    EXPECT_GE(longestRun, 200);
}

TEST(Audio, SystemMessagesReachTheHostButNotTheQueue)
{
    InstrumentHarness h;
    h->DeliverMidi(IMidiMessage::Make(0xF8, 0, 0));
    h->DeliverMidi(IMidiMessage::Make(0xF0, 0x7E, 0x01));
    EXPECT_EQ(h->midiReceiver.queue.Pending(), 0);
    h.NoteOn(60);
    EXPECT_EQ(h->midiReceiver.queue.Pending(), 1);
    ASSERT_EQ(h->MidiSentToHost().size(), 3u);
    EXPECT_EQ(h->MidiSentToHost()[0].status, 0xF8);
    EXPECT_EQ(h->MidiSentToHost()[1].status, 0xF0);
    EXPECT_EQ(h->MidiSentToHost()[2].status, 0x90);
}

TEST(Audio, ResetDuringSustainedNotesKeepsThemSounding)
{
    InstrumentHarness h;
    h.NoteOn(60);
    h.NoteOn(67);
    h.Render(8192);
    ASSERT_NE(h->renderer.Voices().Voices()[0].LowPassFilter().State1(), 0.0); // the filter has memory
    h->SetHostSampleRate(48000.0);
    EXPECT_EQ(h->renderer.HostSampleRate(), 48000.0);
    EXPECT_EQ(h->renderer.Voices().Voices()[0].Oscillator(0).SampleRate(), 384000);
    EXPECT_EQ(h->renderer.Crusher().SourceRate(), 48000.0);
    EXPECT_EQ(h->renderer.Voices().Voices()[0].AmpEnvelope().SampleRate(), 384000.0);
    for (int j = 0; j <= DecimationFilter::kOrder; ++j)
        EXPECT_EQ(h->renderer.AntiAliasFilter().History(j), 0.0);
    EXPECT_EQ(h->renderer.Voices().Voices()[0].LowPassFilter().State1(), 0.0);
    EXPECT_TRUE(h->renderer.Voices().Voices()[0].IsActive());
    EXPECT_TRUE(h->renderer.Voices().Voices()[1].IsActive());
    h.left.clear();
    h.Render(4800);
    EXPECT_GT(PeakMagnitude(h.left, 480, 4800), 0.4);
    EXPECT_NEAR(h->renderer.OutputGain(), kMinus6dB, 1e-6); // the gain is not reset
}

TEST(Audio, PitchJumpThroughTheMidiPath)
{
    InstrumentHarness h;
    h.Set(kPitchJumpDelay, 0.1);
    h.Set(kPitchJumpTime, 0.5);
    h.Set(kPitchJumpTranspose, 12);
    h.NoteOn(60, 100, 10);
    IMidiEventQueue& queue = h->midiReceiver.queue;
    ASSERT_EQ(queue.Pending(), 3);
    EXPECT_EQ(queue[0].offset, 10);
    EXPECT_EQ(queue[1].offset, 4420);
    EXPECT_EQ(queue[1].data1, 72);
    EXPECT_EQ(queue[1].status, 0x90);
    EXPECT_EQ(queue[2].offset, 26470);
    EXPECT_EQ(queue[2].data1, 72);
    EXPECT_EQ(queue[2].status, 0x80);
    EXPECT_EQ(h->MidiSentToHost().size(), 1u); // only the played note goes back to the host

    h.Render(4420);
    EXPECT_FALSE(h->renderer.Voices().Voices()[1].IsActive());
    h.Block(1);
    EXPECT_TRUE(h->renderer.Voices().Voices()[1].IsActive());
    EXPECT_EQ(h->renderer.Voices().Voices()[1].Note(), 72);
    EXPECT_EQ(h->renderer.Voices().Voices()[1].Velocity(), 100);
    h.Render(26470 - 4421);
    EXPECT_EQ(h->renderer.Voices().Voices()[1].AmpEnvelope().Stage(), StageSustain);
    h.Block(1);
    EXPECT_EQ(h->renderer.Voices().Voices()[1].AmpEnvelope().Stage(), StageRelease);
    h.Render(static_cast<long>(0.25 * kRate));
    EXPECT_FALSE(h->renderer.Voices().Voices()[1].IsActive());
    EXPECT_TRUE(h->renderer.Voices().Voices()[0].IsActive()); // the played note is still held
}

TEST(Audio, StateRoundTripAndComparison)
{
    InstrumentHarness h;
    h.Set(kOutputGain, -12.5);
    h.Set(1, 3);
    IStateChunk saved;
    ASSERT_TRUE(h->SaveState(saved));
    ASSERT_EQ(saved.Size(), Brisbleep::kStateSize);
    EXPECT_TRUE(h->StateMatches(saved, 0));

    h.Set(kOutputGain, 0.0);
    EXPECT_FALSE(h->StateMatches(saved, 0));
    EXPECT_EQ(h->LoadState(saved, 0), 484);
    EXPECT_EQ(h->GetParam(kOutputGain)->Value(), -12.5);
    EXPECT_NEAR(h->renderer.OutputGainTarget(), std::pow(10.0, -12.5 / 20.0), 1e-12); // the engine follows
    EXPECT_EQ(h->renderer.Voices().Voices()[3].Oscillator(0).Waveform(), OscilatorWaveform::Square);

    IStateChunk wrongVersion = saved;
    wrongVersion.Data()[0] ^= 1;
    EXPECT_FALSE(h->StateMatches(wrongVersion, 0));

    IStateChunk shortChunk;
    shortChunk.PutBytes(saved.Data(), 3);
    EXPECT_EQ(h->LoadState(shortChunk, 0), -1);
    EXPECT_EQ(h->GetParam(kOutputGain)->Value(), -12.5); // nothing touched
}

TEST(Audio, KeyboardPollPlaysThroughTheMidiPath)
{
    struct FakeKeyboard : KeyboardState
    {
        int key = -1;
        double depth = 0.0;
        int dirty = 0;
        int PressedKey() const override { return key; }
        double TouchDepth() const override { return depth; }
        void MarkDirty() override { ++dirty; }
    } keyboard;

    InstrumentHarness h;
    h.Block(64); // no keyboard: nothing happens
    EXPECT_EQ(h->MidiSentToHostCount(), 0u);
    h->keyboardControl = &keyboard;
    keyboard.key = 48; // note 60
    keyboard.depth = 0.5;
    h.Block(64);
    ASSERT_EQ(h->MidiSentToHost().size(), 1u);
    EXPECT_EQ(h->MidiSentToHost()[0].status, 0x90);
    EXPECT_EQ(h->MidiSentToHost()[0].data1, 60);
    EXPECT_EQ(h->MidiSentToHost()[0].data2, 64); // trunc(0.5 * 126 + 0.5) + 1
    EXPECT_TRUE(h->renderer.Voices().Voices()[0].IsActive());
    h.Block(64);
    EXPECT_EQ(h->MidiSentToHost().size(), 1u); // held: no repeat

    keyboard.key = 50;
    keyboard.depth = 1.0;
    h.Block(64);
    ASSERT_EQ(h->MidiSentToHost().size(), 3u);
    EXPECT_EQ(h->MidiSentToHost()[1].status, 0x80);
    EXPECT_EQ(h->MidiSentToHost()[1].data1, 60);
    EXPECT_EQ(h->MidiSentToHost()[2].data1, 62);
    EXPECT_EQ(h->MidiSentToHost()[2].data2, 127);

    keyboard.key = -1;
    h.Block(64);
    ASSERT_EQ(h->MidiSentToHost().size(), 4u);
    EXPECT_EQ(h->MidiSentToHost()[3].status, 0x80);
    EXPECT_EQ(h->lastKeyboardNote, 11);
    EXPECT_EQ(keyboard.dirty, 4);
    h->keyboardControl = nullptr;
}

TEST(HeadlessBinding, RecordsWhatReachesTheHostAndAnswersAsAStoppedTransport)
{
    InstrumentHarness h;
    h->BeginHostParameterEdit(kOutputGain);
    h->SetParameterFromEditor(kOutputGain, 0.5); // -48 + 0.5 * 60
    h->EndHostParameterEdit(kOutputGain);
    ASSERT_EQ(h->HostEdits().size(), 3u);
    EXPECT_EQ(h->HostEdits()[0].kind, IBindingOffline::HostEdit::Begin);
    EXPECT_EQ(h->HostEdits()[1].kind, IBindingOffline::HostEdit::Value);
    EXPECT_EQ(h->HostEdits()[1].paramIdx, kOutputGain);
    EXPECT_EQ(h->HostEdits()[1].normalizedValue, 0.5);
    EXPECT_EQ(h->HostEdits()[2].kind, IBindingOffline::HostEdit::End);
    EXPECT_NEAR(h->renderer.OutputGainTarget(), std::pow(10.0, -18.0 / 20.0), 1e-12);

    h->AutomateParameter(1, 1.0);
    EXPECT_EQ(h->GetParam(1)->Value(), 7.0);
    EXPECT_EQ(h->renderer.Voices().Voices()[2].Oscillator(0).Waveform(), OscilatorWaveform::Whistle);
    EXPECT_EQ(h->HostEdits().size(), 3u); // automation comes from the host, nothing goes back

    ITimeInfo info;
    info.samplePosition = 99.0;
    info.transportRunning = true;
    h->HostTimeInfo(info);
    EXPECT_FALSE(info.transportRunning);
    EXPECT_EQ(info.samplePosition, 0.0);
    EXPECT_EQ(h->HostTempo(), 120.0);
    EXPECT_TRUE(h->IsOfflineRender());
    h->ClearHostRecords();
    EXPECT_TRUE(h->HostEdits().empty());
}

TEST(Audio, InstancesAtDifferentRatesKeepTheirOwnPitch)
{
    // The second instance is reset to 48 kHz after the first: neither may take the other's rate.
    InstrumentHarness first(kRate);
    InstrumentHarness second(48000.0);
    first.NoteOn(69);
    second.NoteOn(69);
    first.Render(44100);
    second.Render(48000);
    const double firstPitch = RisingCrossingFrequency(first.left, 4410, 44100, kRate);
    const double secondPitch = RisingCrossingFrequency(second.left, 4800, 48000, 48000.0);
    EXPECT_NEAR(firstPitch, 414.857, 0.05);
    EXPECT_NEAR(secondPitch, firstPitch, firstPitch * 0.002);
}
