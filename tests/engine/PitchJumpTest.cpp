#include "engine/PitchJump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
IMidiMessage Message(int offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    IMidiMessage m;
    m.offset = offset;
    m.status = status;
    m.data1 = data1;
    m.data2 = data2;
    return m;
}

std::vector<IMidiMessage> Pending(const IMidiEventQueue& queue)
{
    std::vector<IMidiMessage> out;
    for (int i = 0; i < queue.Pending(); ++i)
        out.push_back(queue[i]);
    return out;
}

void ExpectMessage(const IMidiMessage& m, int offset, int status, int data1, int data2)
{
    EXPECT_EQ(m.offset, offset);
    EXPECT_EQ(m.status, status);
    EXPECT_EQ(m.data1, data1);
    EXPECT_EQ(m.data2, data2);
}

PitchJump Jump(std::int32_t trigger)
{
    PitchJump jump;
    jump.SetDelay(0.1);
    jump.SetTime(0.5);
    jump.SetTranspose(12);
    jump.SetTrigger(trigger);
    return jump;
}
} // namespace

TEST(PitchJumpTest, NoteOnSchedulesTheTransposedPair)
{
    IMidiEventQueue queue;
    const IMidiMessage played = Message(10, 0x93, 60, 100);
    queue.Push(played);
    Jump(JumpOnNoteOn).ScheduleJump(played, queue, 44100.0);
    const auto pending = Pending(queue);
    ASSERT_EQ(pending.size(), 3u);
    ExpectMessage(pending[1], 4420, 0x93, 72, 100);
    ExpectMessage(pending[2], 26470, 0x83, 72, 0);

    // A note-off does not trigger this mode.
    IMidiEventQueue other;
    Jump(JumpOnNoteOn).ScheduleJump(Message(0, 0x80, 60, 0), other, 44100.0);
    EXPECT_EQ(other.Pending(), 0);
}

TEST(PitchJumpTest, NoteOffAndBothTriggers)
{
    IMidiEventQueue queue;
    const PitchJump onOff = Jump(JumpOnNoteOff);
    onOff.ScheduleJump(Message(0, 0x90, 60, 90), queue, 44100.0);
    EXPECT_EQ(queue.Pending(), 0);
    onOff.ScheduleJump(Message(5, 0x81, 60, 33), queue, 44100.0);
    auto pending = Pending(queue);
    ASSERT_EQ(pending.size(), 2u);
    ExpectMessage(pending[0], 4415, 0x91, 72, 127);
    ExpectMessage(pending[1], 26465, 0x81, 72, 0);

    IMidiEventQueue both;
    const PitchJump onBoth = Jump(JumpOnBoth);
    onBoth.ScheduleJump(Message(0, 0x90, 60, 90), both, 44100.0);
    onBoth.ScheduleJump(Message(100, 0x80, 60, 0), both, 44100.0);
    pending = Pending(both);
    ASSERT_EQ(pending.size(), 4u);
    ExpectMessage(pending[0], 4410, 0x90, 72, 90);
    ExpectMessage(pending[1], 4510, 0x90, 72, 127);
    ExpectMessage(pending[2], 26460, 0x80, 72, 0);
    ExpectMessage(pending[3], 26560, 0x80, 72, 0);
}

TEST(PitchJumpTest, NoteOnStatusCountsWhateverItsVelocity)
{
    // Velocity 0 on a note-on status still schedules the on-note-on pair, carrying velocity 0.
    IMidiEventQueue onNoteOn;
    Jump(JumpOnNoteOn).ScheduleJump(Message(7, 0x92, 60, 0), onNoteOn, 44100.0);
    auto pending = Pending(onNoteOn);
    ASSERT_EQ(pending.size(), 2u);
    ExpectMessage(pending[0], 4417, 0x92, 72, 0);
    ExpectMessage(pending[1], 26467, 0x82, 72, 0);

    // ... and it is not a note-off status, so the on-note-off jump ignores it.
    IMidiEventQueue onNoteOff;
    Jump(JumpOnNoteOff).ScheduleJump(Message(0, 0x90, 60, 0), onNoteOff, 44100.0);
    EXPECT_EQ(onNoteOff.Pending(), 0);

    // With both triggers it is the note-on pair, not the velocity-127 one.
    IMidiEventQueue both;
    Jump(JumpOnBoth).ScheduleJump(Message(0, 0x90, 60, 0), both, 44100.0);
    pending = Pending(both);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].data2, 0);
}

TEST(PitchJumpTest, NothingWithoutDelayOrForOtherMessages)
{
    IMidiEventQueue queue;
    PitchJump jump = Jump(JumpOnBoth);
    jump.SetDelay(0.0);
    jump.SetTranspose(7);
    jump.ScheduleJump(Message(0, 0x90, 60, 100), queue, 44100.0);
    jump.ScheduleJump(Message(0, 0x80, 60, 0), queue, 44100.0);
    EXPECT_EQ(queue.Pending(), 0);

    jump = Jump(JumpOnBoth);
    for (std::uint8_t status : {0xA0, 0xB0, 0xC0, 0xD0, 0xE0})
        jump.ScheduleJump(Message(0, status, 60, 100), queue, 44100.0);
    EXPECT_EQ(queue.Pending(), 0);

    // Transpose 0 repeats the played key.
    jump.SetTranspose(0);
    jump.ScheduleJump(Message(0, 0x90, 60, 100), queue, 44100.0);
    ASSERT_EQ(queue.Pending(), 2);
    EXPECT_EQ(queue[0].data1, 60);
}

TEST(PitchJumpTest, KeysOutsideTheMidiRangeDropThePair)
{
    IMidiEventQueue queue;
    PitchJump jump = Jump(JumpOnNoteOn);
    jump.SetTranspose(48);
    jump.ScheduleJump(Message(0, 0x90, 80, 100), queue, 44100.0); // 128
    jump.SetTranspose(-48);
    jump.ScheduleJump(Message(0, 0x90, 47, 100), queue, 44100.0); // -1
    EXPECT_EQ(queue.Pending(), 0);
    jump.ScheduleJump(Message(0, 0x90, 48, 100), queue, 44100.0); // 0 is a key
    jump.SetTranspose(48);
    jump.ScheduleJump(Message(0, 0x90, 79, 100), queue, 44100.0); // 127 is a key
    const auto pending = Pending(queue);
    ASSERT_EQ(pending.size(), 4u);
    EXPECT_EQ(pending[0].data1, 0);
    EXPECT_EQ(pending[1].data1, 127);
}

TEST(PitchJumpTest, AbsurdHostRatesSaturateTheOffsets)
{
    IMidiEventQueue queue;
    const PitchJump jump = Jump(JumpOnNoteOn); // delay 0.1 s, time 0.5 s
    jump.ScheduleJump(Message(100, 0x90, 60, 100), queue, 1e12);
    auto pending = Pending(queue);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].offset, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(pending[1].offset, std::numeric_limits<std::int32_t>::max());

    IMidiEventQueue undefinedRate;
    jump.ScheduleJump(Message(100, 0x90, 60, 100), undefinedRate, std::nan(""));
    pending = Pending(undefinedRate);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].offset, 100); // no rate: no delay and no length
    EXPECT_EQ(pending[1].offset, 100);
}
