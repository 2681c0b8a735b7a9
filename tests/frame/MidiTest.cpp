#include "midi/IMidiEventQueue.h"
#include "midi/IMidiMessage.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <vector>

namespace
{
IMidiMessage At(int32_t offset, uint8_t data1 = 60)
{
    return IMidiMessage{offset, 0x90, data1, 100};
}

std::vector<std::pair<int32_t, int>> Drain(IMidiEventQueue& q)
{
    std::vector<std::pair<int32_t, int>> out;
    while (!q.Empty())
    {
        out.emplace_back(q.Front().offset, q.Front().data1);
        q.PopFront();
    }
    return out;
}
} // namespace

TEST(IMidiMessage, MakeFillsTheRecordAsAHostWould)
{
    const IMidiMessage m = IMidiMessage::Make(0x93, 64, 100, 17);
    EXPECT_EQ(m.offset, 17);
    EXPECT_EQ(m.status, 0x93);
    EXPECT_EQ(m.data1, 64);
    EXPECT_EQ(m.data2, 100);
    EXPECT_EQ(m.Kind(), IMidiKind::NoteOn);
    EXPECT_EQ(IMidiMessage::Make(0xF8, 0, 0).offset, 0);
    // The record keeps its compact layout: offset word, then the three bytes.
    static_assert(sizeof(IMidiMessage) == 8);
    static_assert(offsetof(IMidiMessage, status) == 4 && offsetof(IMidiMessage, data2) == 6);
}

TEST(IMidiMessage, DecodesChannelMessages)
{
    IMidiMessage on{0, 0x93, 64, 100};
    EXPECT_EQ(on.Kind(), IMidiKind::NoteOn);
    EXPECT_EQ(on.Channel(), 3);
    EXPECT_EQ(on.NoteNumber(), 64);
    EXPECT_EQ(on.Velocity(), 100);

    IMidiMessage silentOn{0, 0x90, 64, 0};
    EXPECT_EQ(silentOn.Kind(), IMidiKind::NoteOff);
    EXPECT_EQ(silentOn.Velocity(), 0);

    IMidiMessage cc{0, 0xB1, 7, 127};
    EXPECT_EQ(cc.Kind(), IMidiKind::ControlChange);
    EXPECT_EQ(cc.ControlNumber(), 7);
    EXPECT_DOUBLE_EQ(cc.ControlValue(), 1.0);
    EXPECT_EQ(cc.NoteNumber(), -1);
    EXPECT_EQ(cc.Velocity(), -1);

    EXPECT_EQ((IMidiMessage{0, 0xA0, 10, 5}).NoteNumber(), 10);
    EXPECT_EQ((IMidiMessage{0, 0xA0, 10, 5}).Velocity(), -1);
    EXPECT_EQ((IMidiMessage{0, 0xC2, 9, 0}).ProgramNumber(), 9);
    EXPECT_EQ((IMidiMessage{0, 0xD0, 9, 0}).Kind(), IMidiKind::ChannelAftertouch);
    EXPECT_EQ((IMidiMessage{0, 0xF8, 0, 0}).Kind(), IMidiKind::None);
    EXPECT_EQ((IMidiMessage{0, 0xF8, 0, 0}).Channel(), -1);
}

TEST(IMidiMessage, PitchWheelRange)
{
    EXPECT_DOUBLE_EQ((IMidiMessage{0, 0xE0, 0, 64}).PitchWheel(), 0.0);
    EXPECT_DOUBLE_EQ((IMidiMessage{0, 0xE0, 0, 0}).PitchWheel(), -1.0);
    EXPECT_DOUBLE_EQ((IMidiMessage{0, 0xE0, 127, 127}).PitchWheel(), 8191.0 / 8192.0);
}

TEST(IMidiEventQueue, SortedInsertionKeepsArrivalOrderOfEqualOffsets)
{
    IMidiEventQueue q;
    q.Push(At(5, 1));
    q.Push(At(3, 2));
    q.Push(At(5, 3));
    q.Push(At(0, 4));
    const std::vector<std::pair<int32_t, int>> expected{{0, 4}, {3, 2}, {5, 1}, {5, 3}};
    EXPECT_EQ(Drain(q), expected);
}

TEST(IMidiEventQueue, EndBlockCarriesLateMessagesIntoNextBlock)
{
    IMidiEventQueue q;
    q.Push(At(10, 1));
    q.Push(At(700, 2));
    q.PopFront(); // offset 10 played
    q.EndBlock(512);
    ASSERT_EQ(q.Pending(), 1);
    EXPECT_EQ(q.Size(), 1);
    EXPECT_EQ(q.Front().offset, 188);
    EXPECT_EQ(q.Front().data1, 2);

    IMidiEventQueue extreme;
    extreme.Push(At(std::numeric_limits<int32_t>::min() + 1));
    extreme.EndBlock(512);
    EXPECT_EQ(extreme.Front().offset, std::numeric_limits<int32_t>::min());
}

TEST(IMidiEventQueue, GrowsByStepOnlyWhenNothingConsumed)
{
    IMidiEventQueue q;
    EXPECT_EQ(q.Capacity(), 1024);
    EXPECT_EQ(q.GrowthStep(), 1024);
    for (int i = 0; i < 1024; ++i)
        ASSERT_TRUE(q.Push(At(i)));
    EXPECT_EQ(q.Capacity(), 1024);
    ASSERT_TRUE(q.Push(At(2000)));
    EXPECT_EQ(q.Capacity(), 2048);
    EXPECT_EQ(q.Pending(), 1025);

    // A full queue with consumed messages compacts instead of growing.
    IMidiEventQueue c;
    for (int i = 0; i < 1024; ++i)
        c.Push(At(i));
    c.PopFront();
    c.PopFront();
    ASSERT_TRUE(c.Push(At(5000)));
    EXPECT_EQ(c.Capacity(), 1024);
    EXPECT_EQ(c.Pending(), 1023);
    EXPECT_EQ(c.Front().offset, 2);
    EXPECT_EQ(c[c.Pending() - 1].offset, 5000);
}

TEST(IMidiEventQueue, ReserveRoundsToBlockGranularity)
{
    IMidiEventQueue q;
    q.Reserve(100);
    EXPECT_EQ(q.Capacity(), 512);
    EXPECT_EQ(q.GrowthStep(), 512);
    q.Reserve(512);
    EXPECT_EQ(q.Capacity(), 512);
    q.Reserve(513);
    EXPECT_EQ(q.Capacity(), 1024);
    EXPECT_EQ(q.GrowthStep(), 1024);

    // More messages held than the block needs: capacity follows the content, nothing is lost.
    for (int i = 0; i < 700; ++i)
        q.Push(At(i));
    q.Reserve(64);
    EXPECT_EQ(q.GrowthStep(), 512);
    EXPECT_EQ(q.Capacity(), 1024);
    EXPECT_EQ(q.Pending(), 700);
    EXPECT_EQ(q[699].offset, 699);
}

TEST(IMidiEventQueue, ZeroReserveDropsWhenFull)
{
    IMidiEventQueue q;
    q.Reserve(0);
    EXPECT_EQ(q.Capacity(), 0);
    EXPECT_FALSE(q.Push(At(1)));
    EXPECT_TRUE(q.Empty());
}

TEST(IMidiEventQueue, LateMessageIsNotPlacedBehindConsumedOnes)
{
    IMidiEventQueue q;
    q.Push(At(4, 1));
    q.Push(At(8, 2));
    q.PopFront();     // offset 4 consumed
    q.Push(At(2, 3)); // arrives late: must still be played, next
    const std::vector<std::pair<int32_t, int>> expected{{2, 3}, {8, 2}};
    EXPECT_EQ(Drain(q), expected);
}
