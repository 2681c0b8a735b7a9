#include "instrument/SoundHistory.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
SoundHistory::Entry Sound(double v)
{
    return SoundHistory::Entry(60, v);
}
} // namespace

TEST(SoundHistory, SaveOverwritesTheEntryOnShowAndEveryDuplicate)
{
    SoundHistory h;
    h.Record(Sound(0.5)); // 0: same sound as entry 2
    h.Record(Sound(0.1)); // 1
    h.Record(Sound(0.5)); // 2: on show
    h.Record(Sound(0.5)); // 3
    h.Previous();
    ASSERT_EQ(h.CurrentIndex(), 2);
    h.Save(Sound(0.9));
    EXPECT_EQ(h.Count(), 4);
    EXPECT_EQ(h.CurrentIndex(), 2);
    EXPECT_EQ(h.At(0), Sound(0.9)); // earlier duplicate
    EXPECT_EQ(h.At(1), Sound(0.1));
    EXPECT_EQ(h.At(2), Sound(0.9));
    // Entry 3 is compared after the entry on show was overwritten, so it no longer matches.
    EXPECT_EQ(h.At(3), Sound(0.5));
}

TEST(SoundHistory, DifferentLengthOrNotANumberNeverMatchesAnotherEntry)
{
    SoundHistory h;
    h.Record(SoundHistory::Entry(59, 0.5));
    SoundHistory::Entry withNan = Sound(0.5);
    withNan[3] = std::nan("");
    h.Record(withNan);
    h.Record(Sound(0.5));
    h.Save(Sound(0.7));
    EXPECT_EQ(h.At(0).size(), 59u);
    EXPECT_TRUE(std::isnan(h.At(1)[3]));
    EXPECT_EQ(h.At(2), Sound(0.7));
}
