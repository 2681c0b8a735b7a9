#include "engine/NoteFrequency.h"

#include <gtest/gtest.h>

TEST(NoteFrequencyTest, FastPowOfTwo)
{
    EXPECT_EQ(FastPow(2.0, 1.0), 2.0);
    EXPECT_EQ(FastPow(2.0, 0.0), 0.9710078239440918);
}

TEST(NoteFrequencyTest, NoteFrequenciesHaveTheEngineTuning)
{
    EXPECT_EQ(NoteFrequency(12), 13.176554441452026);
    EXPECT_EQ(NoteFrequency(69), 427.2434425354004);
    EXPECT_EQ(NoteFrequency(81), 880.0);
    EXPECT_EQ(NoteFrequency(96), 2327.565155029297);
    // Higher notes are higher.
    for (int note = 0; note < 127; ++note)
        EXPECT_LT(NoteFrequency(note), NoteFrequency(note + 1)) << note;
}
