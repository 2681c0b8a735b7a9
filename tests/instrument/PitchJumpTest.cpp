#include "instrument/PitchJump.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

IMidiMessage Message(int offset, int status, int data1, int data2)
{
    IMidiMessage m;
    m.offset = offset;
    m.status = static_cast<std::uint8_t>(status);
    m.data1 = static_cast<std::uint8_t>(data1);
    m.data2 = static_cast<std::uint8_t>(data2);
    return m;
}

std::vector<IMidiMessage> Drain(IMidiEventQueue& queue)
{
    std::vector<IMidiMessage> out;
    for (int i = 0; i < queue.Pending(); ++i)
        out.push_back(queue[i]);
    return out;
}

PitchJump Jump(double delay, double time, int transpose, int trigger)
{
    PitchJump jump;
    jump.jumpDelay = delay;
    jump.jumpTime = time;
    jump.jumpTranspose = transpose;
    jump.jumpTrigger = trigger;
    return jump;
}

} // namespace

TEST(PitchJump, OctaveUpAfterATenthOfASecond)
{
    IMidiEventQueue queue;
    Jump(0.1, 0.5, 12, PitchJump::OnNoteOn).ScheduleJump(Message(10, 0x93, 60, 100), 44100.0, queue);
    const auto added = Drain(queue);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].offset, 4420);
    EXPECT_EQ(added[0].status, 0x93);
    EXPECT_EQ(added[0].data1, 72);
    EXPECT_EQ(added[0].data2, 100);
    EXPECT_EQ(added[1].offset, 26470);
    EXPECT_EQ(added[1].status, 0x83);
    EXPECT_EQ(added[1].data1, 72);
    EXPECT_EQ(added[1].data2, 0);
}

TEST(PitchJump, TriggerSelectsNoteOnNoteOffOrBoth)
{
    const IMidiMessage on = Message(0, 0x90, 60, 90);
    const IMidiMessage off = Message(0, 0x80, 60, 0);
    struct Case
    {
        int trigger;
        std::size_t fromOn, fromOff;
    } cases[] = {{PitchJump::OnNoteOn, 2, 0}, {PitchJump::OnNoteOff, 0, 2}, {PitchJump::Both, 2, 2}};
    for (const Case& c : cases)
    {
        IMidiEventQueue a, b;
        const PitchJump jump = Jump(0.01, 0.1, 5, c.trigger);
        jump.ScheduleJump(on, 1000.0, a);
        jump.ScheduleJump(off, 1000.0, b);
        EXPECT_EQ(static_cast<std::size_t>(a.Pending()), c.fromOn) << "trigger " << c.trigger;
        ASSERT_EQ(static_cast<std::size_t>(b.Pending()), c.fromOff) << "trigger " << c.trigger;
        if (c.fromOff > 0)
        {
            EXPECT_EQ(b[0].data2, 127); // released notes jump at full velocity
            EXPECT_EQ(b[0].data1, 65);
        }
    }
}

TEST(PitchJump, NoJumpWithoutDelayOrForOtherMessages)
{
    IMidiEventQueue queue;
    Jump(0.0, 0.5, 12, PitchJump::Both).ScheduleJump(Message(0, 0x90, 60, 100), 44100.0, queue);
    EXPECT_EQ(queue.Pending(), 0);
    const PitchJump jump = Jump(0.1, 0.5, 0, PitchJump::Both);
    for (int status : {0xB0, 0xE0, 0xC0, 0xA0, 0xF8})
        jump.ScheduleJump(Message(0, status, 60, 100), 44100.0, queue);
    EXPECT_EQ(queue.Pending(), 0);

    // A velocity-0 note-on still counts as a note-on here.
    jump.ScheduleJump(Message(0, 0x90, 60, 0), 44100.0, queue);
    EXPECT_EQ(queue.Pending(), 2);
}

TEST(PitchJump, JumpOutsideTheKeyRangeIsDropped)
{
    IMidiEventQueue queue;
    Jump(0.1, 0.5, 48, PitchJump::OnNoteOn).ScheduleJump(Message(0, 0x90, 100, 100), 44100.0, queue);
    Jump(0.1, 0.5, -48, PitchJump::OnNoteOn).ScheduleJump(Message(0, 0x90, 20, 100), 44100.0, queue);
    EXPECT_EQ(queue.Pending(), 0);
    Jump(0.1, 0.5, 48, PitchJump::OnNoteOn).ScheduleJump(Message(0, 0x90, 79, 100), 44100.0, queue);
    ASSERT_EQ(queue.Pending(), 2);
    EXPECT_EQ(queue[0].data1, 127);
}
