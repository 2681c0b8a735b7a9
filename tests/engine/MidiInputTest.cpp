#include "engine/MidiInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Logs every signal with the block position at which it was emitted.
struct Listener
{
    const MidiInput* input = nullptr;
    std::vector<std::string> log;

    void Record(const std::string& what)
    {
        std::string entry = "@";
        entry.append(std::to_string(input->BlockPosition())).append(" ").append(what);
        log.push_back(entry);
    }
    void NoteOn(int note, int velocity)
    {
        Record("on " + std::to_string(note) + " " + std::to_string(velocity));
    }
    void NoteOff(int note, int velocity)
    {
        Record("off " + std::to_string(note) + " " + std::to_string(velocity));
    }
    void PitchWheel(double value) { Record("wheel " + std::to_string(value)); }
    void Aftertouch(int note, int pressure)
    {
        Record("touch " + std::to_string(note) + " " + std::to_string(pressure));
    }
    void ChannelPressure(int pressure) { Record("pressure " + std::to_string(pressure)); }
    void ControlChange(int controller, double value)
    {
        Record("cc " + std::to_string(controller) + " " + std::to_string(value));
    }
    void ProgramChange(int program) { Record("program " + std::to_string(program)); }
};

class MidiInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        listener.input = &input;
        input.NoteOnSignal.Connect<&Listener::NoteOn>(&listener);
        input.NoteOffSignal.Connect<&Listener::NoteOff>(&listener);
        input.PitchWheelSignal.Connect<&Listener::PitchWheel>(&listener);
        input.AftertouchSignal.Connect<&Listener::Aftertouch>(&listener);
        input.ChannelPressureSignal.Connect<&Listener::ChannelPressure>(&listener);
        input.ControlChangeSignal.Connect<&Listener::ControlChange>(&listener);
        input.ProgramChangeSignal.Connect<&Listener::ProgramChange>(&listener);
    }

    void Push(int offset, int status, int data1, int data2)
    {
        input.queue.Push(IMidiMessage{offset, static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                                      static_cast<uint8_t>(data2)});
    }

    // Plays all of the queue at once (every message due at the first sample).
    std::vector<std::string> PlayAll()
    {
        listener.log.clear();
        input.PlayDueMessages();
        return listener.log;
    }

    MidiInput input;
    Listener listener;
};
} // namespace

TEST_F(MidiInputTest, MessagesPlayJustBeforeTheirSampleInQueueOrder)
{
    Push(5, 0x90, 64, 100);
    Push(0, 0x90, 60, 90);
    Push(5, 0xB0, 7, 127);
    Push(5, 0x80, 60, 3);
    for (int sample = 0; sample < 8; ++sample)
        input.PlayDueMessages();
    EXPECT_EQ(listener.log,
              (std::vector<std::string>{"@0 on 60 90", "@5 on 64 100", "@5 cc 7 1.000000", "@5 off 60 3"}));
    EXPECT_EQ(input.BlockPosition(), 8);
    EXPECT_TRUE(input.queue.Empty());
}

TEST_F(MidiInputTest, NothingDueOnlyAdvancesThePosition)
{
    Push(3, 0x90, 60, 1);
    input.PlayDueMessages();
    input.PlayDueMessages();
    input.PlayDueMessages();
    EXPECT_TRUE(listener.log.empty());
    EXPECT_EQ(input.BlockPosition(), 3);
    input.PlayDueMessages();
    EXPECT_EQ(listener.log, (std::vector<std::string>{"@3 on 60 1"}));
}

TEST_F(MidiInputTest, MessagesBeyondTheBlockPlayInTheNextOne)
{
    // Offset 100 in a block of 64 frames: carried over as 36.
    Push(100, 0x90, 69, 127);
    for (int sample = 0; sample < 64; ++sample)
        input.PlayDueMessages();
    EXPECT_TRUE(listener.log.empty());
    input.EndBlock(64);
    for (int sample = 0; sample < 64; ++sample)
        input.PlayDueMessages();
    EXPECT_EQ(listener.log, (std::vector<std::string>{"@36 on 69 127"}));
}

TEST_F(MidiInputTest, KeysAreTrackedAcrossChannels)
{
    Push(0, 0x93, 60, 100);
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@0 on 60 100"}));
    EXPECT_EQ(input.keyDown[60], 1);
    EXPECT_EQ(input.heldKeyCount, 1);

    Push(1, 0x90, 60, 50); // same key again without a note-off: ignored
    Push(1, 0x91, 62, 70);
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@1 on 62 70"}));
    EXPECT_EQ(input.heldKeyCount, 2);

    Push(2, 0x85, 60, 64); // note-off on another channel releases the key
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@2 off 60 64"}));
    EXPECT_EQ(input.keyDown[60], 0);
    EXPECT_EQ(input.heldKeyCount, 1);
}

TEST_F(MidiInputTest, NoteOnWithVelocityZeroIsANoteOff)
{
    Push(0, 0x90, 72, 127);
    Push(0, 0x90, 72, 0);
    Push(0, 0x90, 72, 0); // key already up: nothing
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@0 on 72 127", "@0 off 72 0"}));
    EXPECT_EQ(input.keyDown[72], 0);
    EXPECT_EQ(input.heldKeyCount, 0);
}

TEST_F(MidiInputTest, NoteOffForAKeyThatIsUpHasNoEffect)
{
    Push(0, 0x80, 40, 0);
    EXPECT_TRUE(PlayAll().empty());
    EXPECT_EQ(input.heldKeyCount, 0);
    EXPECT_TRUE(input.queue.Empty()); // consumed all the same
}

TEST_F(MidiInputTest, ControllerMessagesBecomeTheirSignals)
{
    Push(0, 0xE0, 0, 64);
    Push(0, 0xE1, 0, 0);
    Push(0, 0xE2, 127, 127);
    Push(0, 0xB4, 1, 0);
    Push(0, 0xC2, 17, 0);
    Push(0, 0xD0, 99, 0);
    EXPECT_EQ(PlayAll(),
              (std::vector<std::string>{"@0 wheel 0.000000", "@0 wheel -1.000000", "@0 wheel 0.999878",
                                        "@0 cc 1 0.000000", "@0 program 17", "@0 pressure 99"}));
    EXPECT_EQ(input.heldKeyCount, 0);
}

TEST_F(MidiInputTest, AftertouchOnlyForHeldKeys)
{
    Push(0, 0xA0, 60, 30); // key up: dropped
    Push(0, 0x90, 60, 100);
    Push(0, 0xA7, 60, 40);
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@0 on 60 100", "@0 touch 60 40"}));
}

TEST_F(MidiInputTest, KeysAboveTheMidiRangeAreIgnored)
{
    // Scheduled jump notes can carry 8-bit keys up to 255; they must not reach the key table.
    Push(0, 0x90, 200, 100);
    Push(0, 0xA0, 128, 100);
    Push(0, 0x80, 255, 0);
    Push(0, 0x90, 127, 100); // the highest real key still plays
    EXPECT_EQ(PlayAll(), (std::vector<std::string>{"@0 on 127 100"}));
    EXPECT_EQ(input.heldKeyCount, 1);
    EXPECT_TRUE(input.queue.Empty());
}

TEST_F(MidiInputTest, SignalsWithoutListenersAreHarmless)
{
    MidiInput bare;
    for (int status : {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0})
        bare.queue.Push(IMidiMessage{0, static_cast<uint8_t>(status), 60, 100});
    bare.PlayDueMessages();
    EXPECT_TRUE(bare.queue.Empty());
    EXPECT_EQ(bare.keyDown[60], 1); // the note-on after the note-off pressed it
    EXPECT_EQ(bare.heldKeyCount, 1);
}

TEST_F(MidiInputTest, PanicsReleaseEveryHeldKeyThenSignalTheirKind)
{
    struct Case
    {
        int controller;
        const char* signal;
    };
    for (const Case c : {Case{123, "all notes off"}, Case{120, "all sound off"}})
    {
        SCOPED_TRACE(c.controller);
        MidiInput fresh;
        std::vector<std::string> panics;
        struct PanicLog
        {
            std::vector<std::string>* log;
            void NotesOff() { log->push_back("all notes off"); }
            void SoundOff() { log->push_back("all sound off"); }
        } panicLog{&panics};
        fresh.AllNotesOffSignal.Connect<&PanicLog::NotesOff>(&panicLog);
        fresh.AllSoundOffSignal.Connect<&PanicLog::SoundOff>(&panicLog);
        Listener keys;
        keys.input = &fresh;
        fresh.NoteOffSignal.Connect<&Listener::NoteOff>(&keys);
        fresh.ControlChangeSignal.Connect<&Listener::ControlChange>(&keys);

        for (int key : {64, 60, 127})
            fresh.queue.Push(IMidiMessage::Make(0x90, key, 100));
        fresh.queue.Push(IMidiMessage::Make(0xB7, c.controller, 0, 2));
        for (int sample = 0; sample < 3; ++sample)
            fresh.PlayDueMessages();
        EXPECT_EQ(keys.log,
                  (std::vector<std::string>{"@2 off 60 0", "@2 off 64 0", "@2 off 127 0",
                                            "@2 cc " + std::to_string(c.controller) + " 0.000000"}));
        EXPECT_EQ(panics, (std::vector<std::string>{c.signal}));
        EXPECT_EQ(fresh.heldKeyCount, 0);
        for (int key : {60, 64, 127})
            EXPECT_EQ(fresh.keyDown[key], 0) << key;
    }
}

TEST_F(MidiInputTest, OtherControllersAreNoPanic)
{
    for (int controller : {0, 119, 121, 122, 124, 127})
        EXPECT_FALSE(MidiInput::IsPanic(IMidiMessage::Make(0xB0, controller, 0))) << controller;
    EXPECT_TRUE(MidiInput::IsPanic(IMidiMessage::Make(0xBF, 120, 0)));
    EXPECT_TRUE(MidiInput::IsPanic(IMidiMessage::Make(0xB3, 123, 127)));
    EXPECT_FALSE(MidiInput::IsPanic(IMidiMessage::Make(0x90, 123, 120))); // a note, not a controller
    EXPECT_FALSE(MidiInput::IsPanic(IMidiMessage::Make(0xA0, 120, 0)));

    Push(0, 0x90, 60, 100);
    Push(1, 0xB0, 121, 0); // reset all controllers: keys stay down
    PlayAll();
    input.PlayDueMessages();
    EXPECT_EQ(input.heldKeyCount, 1);
}

TEST_F(MidiInputTest, DropScheduledFromKeepsHostMessagesAndEarlierScheduledOnes)
{
    auto scheduled = [](int offset, int status, int key)
    {
        IMidiMessage m = IMidiMessage::Make(status, key, 100, offset);
        m.scheduled = true;
        return m;
    };
    input.queue.Push(scheduled(5, 0x90, 72));
    input.queue.Push(IMidiMessage::Make(0x90, 60, 100, 10));
    input.queue.Push(scheduled(10, 0x80, 72));
    input.queue.Push(scheduled(400, 0x90, 76));
    input.queue.Push(IMidiMessage::Make(0x80, 60, 0, 500));
    input.DropScheduledFrom(10);
    ASSERT_EQ(input.queue.Pending(), 3);
    EXPECT_EQ(input.queue[0].offset, 5);
    EXPECT_TRUE(input.queue[0].scheduled);
    EXPECT_EQ(input.queue[1].offset, 10);
    EXPECT_FALSE(input.queue[1].scheduled);
    EXPECT_EQ(input.queue[2].offset, 500);
}
