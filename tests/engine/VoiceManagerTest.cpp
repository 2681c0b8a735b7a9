#include "engine/VoiceManager.h"
#include "engine/MidiInput.h"
#include "engine/NoteFrequency.h"
#include "engine/PitchJump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{
constexpr double kEngineRate = 352800.0;
constexpr int kOversampling = 8;
// Release 0.2 s at the engine rate; the voice frees itself on the sample after its last one.
constexpr int kReleaseSamples = 70560;

// The receiver wired to the voice manager as the instrument wires them.
class VoiceManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        manager = std::make_unique<VoiceManager>();
        input = std::make_unique<MidiInput>();
        manager->SetSampleRate(kEngineRate);
        input->NoteOnSignal.Connect<&VoiceManager::NoteOn>(manager.get());
        input->NoteOffSignal.Connect<&VoiceManager::NoteOff>(manager.get());
    }

    void Send(int status, int key, int velocity, int offset = 0)
    {
        input->queue.Push(IMidiMessage{offset, static_cast<std::uint8_t>(status),
                                       static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity)});
    }
    void NoteOn(int key, int velocity = 100) { Send(0x90, key, velocity); }
    void NoteOff(int key, int velocity = 0) { Send(0x80, key, velocity); }

    // One host sample as the instrument renders it: due messages, then eight engine samples of
    // the four voices. Returns how much sound the eight samples carried (sum of magnitudes).
    double RenderHostSample()
    {
        input->PlayDueMessages();
        double magnitude = 0.0;
        for (int j = 0; j < kOversampling; ++j)
        {
            magnitude += std::fabs(manager->NextSample());
        }
        return magnitude;
    }
    // Renders engine samples directly, bypassing the receiver.
    void RenderEngineSamples(int count)
    {
        for (int i = 0; i < count; ++i)
            manager->NextSample();
    }
    // Plays the queued messages at the current sample without rendering.
    void Play() { input->PlayDueMessages(); }

    std::vector<int> Notes() const
    {
        std::vector<int> notes;
        for (const Voice& voice : manager->Voices())
            notes.push_back(voice.IsActive() ? voice.Note() : -1);
        return notes;
    }

    std::unique_ptr<VoiceManager> manager;
    std::unique_ptr<MidiInput> input;
};
} // namespace

TEST_F(VoiceManagerTest, FifthNoteIsDroppedAndNotRememberedAfterRelease)
{
    for (int key : {60, 62, 64, 65, 67})
        NoteOn(key);
    Play();
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 64, 65}));
    EXPECT_EQ(input->keyDown[67], 1); // the key is down although no voice plays it
    EXPECT_EQ(input->heldKeyCount, 5);

    NoteOff(60);
    Play();
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageRelease);
    EXPECT_EQ(manager->Voices()[0].FilterEnvelope().Stage(), StageRelease);
    // Voice 0 sounds its release for exactly 0.2 s and frees itself on the next sample.
    RenderEngineSamples(kReleaseSamples);
    EXPECT_TRUE(manager->Voices()[0].IsActive());
    RenderEngineSamples(1);
    EXPECT_EQ(Notes(), (std::vector<int>{-1, 62, 64, 65}));
    RenderEngineSamples(kEngineRate); // still nobody picks up the held key 67
    EXPECT_EQ(Notes(), (std::vector<int>{-1, 62, 64, 65}));

    NoteOn(69);
    Play();
    EXPECT_EQ(Notes(), (std::vector<int>{69, 62, 64, 65}));
}

TEST_F(VoiceManagerTest, FreedVoiceIsReusedBeforeHigherFreeVoices)
{
    for (int key : {60, 62, 64})
        NoteOn(key);
    Play();
    NoteOff(62);
    Play();
    RenderEngineSamples(kReleaseSamples + 1);
    EXPECT_EQ(Notes(), (std::vector<int>{60, -1, 64, -1}));
    NoteOn(70);
    Play();
    EXPECT_EQ(Notes(), (std::vector<int>{60, 70, 64, -1}));
}

TEST_F(VoiceManagerTest, RepeatedNoteOnForAHeldKeyIsIgnored)
{
    NoteOn(60, 100);
    NoteOn(60, 20);
    Play();
    EXPECT_EQ(Notes(), (std::vector<int>{60, -1, -1, -1}));
    EXPECT_EQ(manager->Voices()[0].Velocity(), 100);
}

TEST_F(VoiceManagerTest, VelocityZeroNoteOnReleasesLikeANoteOff)
{
    NoteOn(60);
    NoteOn(61);
    Play();
    Send(0x90, 60, 0);
    NoteOff(61);
    Play();
    for (int v : {0, 1})
    {
        EXPECT_EQ(manager->Voices()[v].AmpEnvelope().Stage(), StageRelease);
        EXPECT_EQ(manager->Voices()[v].FilterEnvelope().Stage(), StageRelease);
    }
    EXPECT_EQ(input->heldKeyCount, 0);
}

TEST_F(VoiceManagerTest, NoteOffForAKeyThatIsUpLeavesItsVoiceSounding)
{
    manager->NoteOn(60, 100); // a voice on key 60 without the key being down
    RenderEngineSamples(5000);
    ASSERT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageSustain);
    NoteOff(60);
    Play();
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageSustain);
    EXPECT_TRUE(manager->Voices()[0].IsActive());
}

TEST_F(VoiceManagerTest, NoteOffReleasesEveryVoiceOnThatKeyFromItsCurrentLevel)
{
    manager->NoteOn(60, 100);
    manager->NoteOn(62, 100);
    manager->NoteOn(60, 50);
    RenderEngineSamples(200); // mid-attack: the attack lasts 0.001 s, 352 samples
    ASSERT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageAttack);
    const double level = manager->Voices()[0].AmpEnvelope().Level();
    manager->NoteOff(60, 64);
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageRelease);
    EXPECT_EQ(manager->Voices()[2].AmpEnvelope().Stage(), StageRelease);
    EXPECT_EQ(manager->Voices()[1].AmpEnvelope().Stage(), StageAttack);
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Level(), level);

    // A second note-off does not restart the release.
    RenderEngineSamples(100);
    const std::uint64_t index = manager->Voices()[0].AmpEnvelope().SampleIndex();
    manager->NoteOff(60, 0);
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().SampleIndex(), index);
}

TEST_F(VoiceManagerTest, DueMessagesStartTheVoiceAtTheirHostSample)
{
    Send(0x90, 69, 127, 5);
    Send(0x80, 69, 0, 9);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RenderHostSample(), 0.0) << "host sample " << i;
    EXPECT_NE(RenderHostSample(), 0.0);
    EXPECT_EQ(Notes(), (std::vector<int>{69, -1, -1, -1}));
    for (int i = 6; i < 9; ++i)
        RenderHostSample();
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageAttack);
    RenderHostSample(); // host sample 9: the note-off is played first
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageRelease);
}

TEST_F(VoiceManagerTest, SampleRateReachesEveryVoice)
{
    manager->NoteOn(60, 100);
    RenderEngineSamples(10);
    const Voice& running = manager->Voices()[0];
    const std::uint64_t endIndex = running.AmpEnvelope().StageEndIndex();
    ASSERT_NE(running.LowPassFilter().State1(), 0.0);

    manager->SetSampleRate(20000.0);
    for (const Voice& voice : manager->Voices())
    {
        EXPECT_EQ(voice.AmpEnvelope().SampleRate(), 20000.0);
        EXPECT_EQ(voice.FilterEnvelope().SampleRate(), 20000.0);
        EXPECT_EQ(voice.Pitch().SampleRate(), 20000.0);
        EXPECT_EQ(voice.LowPassFilter().SampleRate(), 20000.0);
        EXPECT_EQ(voice.HighPassFilter().SampleRate(), 20000.0);
        EXPECT_EQ(voice.LowPassFilter().State1(), 0.0);
        EXPECT_EQ(voice.LowPassFilter().State2(), 0.0);
        EXPECT_EQ(voice.HighPassFilter().State1(), 0.0);
        EXPECT_EQ(voice.HighPassFilter().State2(), 0.0);
    }
    // The running cutoff (22050 Hz) no longer fits below the new Nyquist limit.
    EXPECT_EQ(running.LowPassFilter().Cutoff(), 10000.0);
    EXPECT_EQ(running.LowPassFilter().G(), std::tan(10000.0 * M_PI / 20000.0));
    // The running stage keeps its length; only the next stage entry uses the new rate.
    EXPECT_EQ(running.AmpEnvelope().StageEndIndex(), endIndex);
}

TEST_F(VoiceManagerTest, ResonanceIsClampedAndTakesEffectAtOnce)
{
    manager->SetLowPassResonance(150.0);
    manager->SetHighPassResonance(2.0);
    for (const Voice& voice : manager->Voices())
    {
        EXPECT_EQ(voice.LowPassFilter().Resonance(), 100.0);
        EXPECT_EQ(voice.LowPassFilter().Damping(), 0.01);
        EXPECT_EQ(voice.HighPassFilter().Resonance(), 2.0);
        EXPECT_EQ(voice.HighPassFilter().Damping(), 0.5);
    }
    manager->SetLowPassResonance(-1.0);
    EXPECT_EQ(manager->Voices()[3].LowPassFilter().Resonance(), 0.0);
}

TEST_F(VoiceManagerTest, SettingsReachAllFourVoices)
{
    // A sounding voice picks up a new octave at its next sample.
    manager->SetPitchStart(0.0);
    manager->SetPitchEnd(0.0); // no glide: the frequency is the note's own
    manager->SetSourceLevel(2, 1.0);
    manager->NoteOn(60, 100);
    RenderEngineSamples(1);
    const double before = manager->Voices()[0].Frequency(2);
    manager->SetOctave(2, -3);
    RenderEngineSamples(1);
    // The base frequency goes through the engine's own power approximation.
    EXPECT_DOUBLE_EQ(manager->Voices()[0].Frequency(2) / before,
                     FastPow(2.0, (24 - 69) / 12.0) / FastPow(2.0, (60 - 69) / 12.0));
    manager->SetSourceLevel(2, 0.0);
    manager->SetSourceLevel(4, 0.25);
    manager->SetWaveform(1, OscilatorWaveform::Whistle);
    manager->SetStageValue(EnvelopeTarget::Filter, StageRelease, 1.5);
    manager->SetStageValue(EnvelopeTarget::Amplitude, StageAttack, 0.02);
    manager->SetHighNote(100);
    manager->SetSourceLevel(5, 9.0); // no such slot: ignored
    manager->SetCents(-1, 9);
    for (const Voice& voice : manager->Voices())
    {
        EXPECT_EQ(voice.Octave(2), -3);
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
            EXPECT_EQ(voice.SourceLevel(slot), (std::array<double, 5>{1.0, 0.0, 0.0, 0.0, 0.25}[slot]));
        EXPECT_EQ(voice.Oscillator(1).Waveform(), OscilatorWaveform::Whistle);
        EXPECT_EQ(voice.FilterEnvelope().StageSetting(StageRelease), 1.5);
        EXPECT_EQ(voice.AmpEnvelope().StageSetting(StageRelease), 0.2);
        EXPECT_EQ(voice.AmpEnvelope().StageSetting(StageAttack), 0.02);
        EXPECT_EQ(voice.Pitch().HighNote(), 100);
        EXPECT_EQ(voice.Pitch().HighFrequency(), NoteFrequency(100));
        for (int slot = 0; slot < kVoiceSourceCount; ++slot)
            EXPECT_EQ(voice.Cents(slot), 0);
    }
}

TEST_F(VoiceManagerTest, ControllerMessagesAreInaudible)
{
    const auto render = [this](bool withControllers)
    {
        SetUp(); // a fresh receiver and voice manager
        Send(0x90, 69, 127, 2);
        if (withControllers)
        {
            Send(0xE0, 0, 127, 3);
            Send(0xB0, 74, 127, 4);
            Send(0xA0, 69, 90, 5);
            Send(0xD0, 100, 0, 6);
        }
        std::vector<double> out;
        for (int i = 0; i < 200; ++i)
            out.push_back(RenderHostSample());
        return out;
    };
    const std::vector<double> plain = render(false);
    EXPECT_GT(plain.back(), 0.0);
    EXPECT_EQ(render(true), plain);
}

TEST_F(VoiceManagerTest, JumpWithoutTransposeCutsTheHeldNoteShort)
{
    PitchJump jump;
    jump.SetDelay(0.01); // 10 host samples at 1000 Hz
    jump.SetTime(0.02);  // note-off 20 samples after the jump note-on
    jump.SetTranspose(0);
    const IMidiMessage played{0, 0x90, 60, 100};
    input->queue.Push(played);
    jump.ScheduleJump(played, input->queue, 1000.0);
    ASSERT_EQ(input->queue.Pending(), 3);

    for (int i = 0; i <= 10; ++i)
        RenderHostSample();
    // The jump note-on finds its key still held and is ignored: one voice, one key.
    EXPECT_EQ(Notes(), (std::vector<int>{60, -1, -1, -1}));
    EXPECT_EQ(input->heldKeyCount, 1);
    for (int i = 11; i < 30; ++i)
        RenderHostSample();
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageAttack); // still rising, nothing released
    RenderHostSample(); // sample 30: the jump's note-off releases the played key
    EXPECT_EQ(manager->Voices()[0].AmpEnvelope().Stage(), StageRelease);
    EXPECT_EQ(input->keyDown[60], 0);
    EXPECT_TRUE(input->queue.Empty());
}
