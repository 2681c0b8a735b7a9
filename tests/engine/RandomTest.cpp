#include "engine/Random.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{
std::vector<int> Draw(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(RandomInt());
    return values;
}
} // namespace

TEST(RandomTest, FollowsTheLinearCongruentialSequence)
{
    // First values of the 214013 / 2531011 generator from state 1.
    RandomSeed(1);
    EXPECT_EQ(Draw(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    RandomSeed(0);
    EXPECT_EQ(RandomInt(), 38);
}

TEST(RandomTest, SeedReproducesAndStaysInRange)
{
    RandomSeed(12345);
    const auto first = Draw(1000);
    RandomSeed(12345);
    EXPECT_EQ(Draw(1000), first);
    for (int value : first)
    {
        EXPECT_GE(value, 0);
        EXPECT_LE(value, kRandomMax);
    }
}

TEST(RandomTest, EachThreadStartsAtStateOneAndKeepsItsOwnState)
{
    RandomSeed(999);
    RandomInt();
    std::vector<int> other;
    std::thread thread([&] { other = Draw(3); });
    thread.join();
    EXPECT_EQ(other, (std::vector<int>{41, 18467, 6334}));
    // The other thread's draws did not advance this thread's state.
    RandomSeed(999);
    const int firstHere = RandomInt();
    RandomSeed(999);
    std::thread([] { Draw(10); }).join();
    EXPECT_EQ(RandomInt(), firstHere);
}

TEST(RandomTest, StatesDrawnAheadFollowTheSequence)
{
    // Whole strides, parts of one and none: every state and the one left behind match NextRandom.
    for (const int count : {0, 1, 5, kRandomStride - 1, kRandomStride, kRandomStride + 3, 8 * kRandomStride})
    {
        SCOPED_TRACE(count);
        std::uint32_t stepped = 0xdeadbeefu;
        std::uint32_t ahead = stepped;
        std::vector<std::uint32_t> states(8 * kRandomStride);
        NextRandomStates(ahead, states.data(), count);
        for (int i = 0; i < count; ++i)
        {
            const int value = NextRandom(stepped);
            ASSERT_EQ(states[i], stepped);
            EXPECT_EQ(RandomValue(states[i]), value);
        }
        EXPECT_EQ(ahead, stepped);
    }
}
