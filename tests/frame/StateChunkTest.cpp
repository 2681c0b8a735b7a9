#include "frame/IStateChunk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

TEST(IStateChunk, GrowthFollowsGranularity)
{
    IStateChunk c;
    EXPECT_EQ(c.Allocated(), 0);
    EXPECT_EQ(c.PutInt32(1), 4);
    EXPECT_EQ(c.Allocated(), 4000);
    ASSERT_TRUE(c.Resize(4000));
    EXPECT_EQ(c.Allocated(), 4000);
    EXPECT_EQ(c.PutDouble(1.0), 4008);
    EXPECT_EQ(c.Allocated(), 8096);

    // Large shrinks give memory back; small ones keep it.
    ASSERT_TRUE(c.Resize(100000));
    EXPECT_EQ(c.Allocated(), 147360);
    ASSERT_TRUE(c.Resize(99000));
    EXPECT_EQ(c.Allocated(), 147360);
    ASSERT_TRUE(c.Resize(1000));
    EXPECT_EQ(c.Allocated(), 4000);
    EXPECT_EQ(c.Size(), 1000);
    ASSERT_TRUE(c.Resize(-5));
    EXPECT_EQ(c.Size(), 0);
    EXPECT_EQ(c.Allocated(), 0);
}

TEST(IStateChunk, ResizeKeepsContentAndZeroesNewBytes)
{
    IStateChunk c;
    c.PutInt32(0x11223344);
    c.Resize(12);
    int32_t v = 0;
    EXPECT_EQ(c.GetInt32(v, 0), 4);
    EXPECT_EQ(v, 0x11223344);
    EXPECT_EQ(c.GetInt32(v, 8), 12);
    EXPECT_EQ(v, 0);
    c.Clear();
    EXPECT_EQ(c.Size(), 0);
    EXPECT_EQ(c.Allocated(), 0);
}

TEST(IStateChunk, LittleEndianRoundTrip)
{
    IStateChunk c;
    c.PutInt32(-2);
    c.PutDouble(0.1);
    c.PutString("abc");
    ASSERT_EQ(c.Size(), 4 + 8 + 4 + 3);
    const uint8_t expectedInt[] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(c.Data(), expectedInt, 4), 0);
    const uint8_t expectedLength[] = {3, 0, 0, 0, 'a', 'b', 'c'};
    EXPECT_EQ(std::memcmp(c.Data() + 12, expectedLength, 7), 0);

    int32_t i = 0;
    double d = 0;
    std::string s;
    int32_t pos = c.GetInt32(i, 0);
    pos = c.GetDouble(d, pos);
    pos = c.GetString(s, pos);
    EXPECT_EQ(pos, c.Size());
    EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 0.1);
    EXPECT_EQ(s, "abc");

    IStateChunk copy = c;
    EXPECT_EQ(copy.Size(), c.Size());
    EXPECT_EQ(std::memcmp(copy.Data(), c.Data(), c.Size()), 0);
}

TEST(IStateChunk, ReadsPastTheEndFailAndLeaveValues)
{
    IStateChunk c;
    c.PutInt32(7);
    c.PutBytes("\x01\x02", 2);
    int32_t i = 42;
    double d = 4.2;
    EXPECT_EQ(c.GetInt32(i, 3), -1);
    EXPECT_EQ(c.GetDouble(d, 0), -1);
    EXPECT_EQ(c.GetInt32(i, -1), -1);
    EXPECT_EQ(c.GetInt32(i, std::numeric_limits<int32_t>::max() - 1), -1);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(d, 4.2);
    uint8_t b = 9;
    EXPECT_EQ(c.GetByte(b, 5), 6);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c.GetByte(b, 6), -1);
    EXPECT_EQ(c.PutBytes(nullptr, 0), c.Size());
}

TEST(IStateChunk, StringLengthsAreUntrusted)
{
    auto withLength = [](int32_t length, const char* bytes = "")
    {
        IStateChunk c;
        c.PutInt32(length);
        c.PutBytes(bytes, static_cast<int32_t>(std::strlen(bytes)));
        return c;
    };
    std::string text = "kept";

    IStateChunk beyond = withLength(1000, "abc");
    EXPECT_EQ(beyond.GetString(text, 0), 1004); // beyond the size: the next read fails
    EXPECT_EQ(text, "kept");
    int32_t v;
    EXPECT_EQ(beyond.GetInt32(v, 1004), -1);

    EXPECT_EQ(withLength(std::numeric_limits<int32_t>::max(), "abc").GetString(text, 0), -1);
    EXPECT_EQ(withLength(-5, "abcdefgh").GetString(text, 0), -1);
    EXPECT_EQ(withLength(std::numeric_limits<int32_t>::min()).GetString(text, 0), -1);
    EXPECT_EQ(text, "kept");

    EXPECT_EQ(withLength(0).GetString(text, 0), 4); // empty: the text stays
    EXPECT_EQ(text, "kept");

    IStateChunk nul;
    nul.PutInt32(5);
    nul.PutBytes("ab\0cd", 5);
    EXPECT_EQ(nul.GetString(text, 0), 9);
    EXPECT_EQ(text, "ab");

    IStateChunk tooShort;
    tooShort.PutBytes("\x01\x00", 2);
    EXPECT_EQ(tooShort.GetString(text, 0), -1);
}

TEST(IStateChunk, ChunkHeader)
{
    IStateChunk c;
    c.PutInt32(99);
    WriteChunkHeader(c);
    ASSERT_EQ(c.Size(), 8);
    const uint8_t expected[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(std::memcmp(c.Data(), expected, 8), 0);
    int32_t pos = 0;
    EXPECT_EQ(ReadChunkHeader(c, pos), 0x00010000);
    EXPECT_EQ(pos, 8);

    IStateChunk bare;
    bare.PutInt32(0x00010001);
    pos = 0;
    EXPECT_EQ(ReadChunkHeader(bare, pos), 0);
    EXPECT_EQ(pos, 0);

    IStateChunk magicOnly;
    magicOnly.PutInt32(kChunkMagic);
    pos = 0;
    EXPECT_EQ(ReadChunkHeader(magicOnly, pos), 0);
    EXPECT_EQ(pos, -1);

    IStateChunk empty;
    pos = 0;
    EXPECT_EQ(ReadChunkHeader(empty, pos), 0);
    EXPECT_EQ(pos, 0);
}
