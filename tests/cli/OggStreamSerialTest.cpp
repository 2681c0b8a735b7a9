#include "cli/OggStreamSerial.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{

// One page: capture pattern, version, flags, granule, serial, sequence, checksum, segments, body.
std::vector<std::uint8_t> Page(std::uint32_t serial, std::uint8_t bodySize)
{
    std::vector<std::uint8_t> page = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
        page.push_back(static_cast<std::uint8_t>(serial >> (8 * i)));
    page.insert(page.end(), {0, 0, 0, 0, 0, 0, 0, 0, 1, bodySize});
    for (std::uint8_t i = 0; i < bodySize; ++i)
        page.push_back(static_cast<std::uint8_t>(i * 7));
    return page;
}

std::uint32_t ReadLe32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

} // namespace

TEST(OggStreamSerial, RewritesEverySerialAndChecksum)
{
    std::vector<std::uint8_t> bytes = Page(0x11111111, 3); // 28 header bytes + 3: 31 in all
    const std::vector<std::uint8_t> second = Page(0x11111111, 0);
    bytes.insert(bytes.end(), second.begin(), second.end());
    ASSERT_TRUE(SetOggStreamSerial(bytes, 0x42727362));
    EXPECT_EQ(ReadLe32(bytes, 14), 0x42727362u);
    EXPECT_EQ(ReadLe32(bytes, 31 + 14), 0x42727362u);
    // Checksum of the empty second page ("OggS", version 0, header type 2, serial 0x42727362,
    // no body), computed independently with the Ogg CRC (poly 0x04c11db7, initial 0).
    std::vector<std::uint8_t> empty = Page(0x42727362, 0);
    std::uint32_t crc = 0;
    for (std::uint8_t byte : empty)
    {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    EXPECT_EQ(ReadLe32(bytes, 31 + 22), crc);
}

TEST(OggStreamSerial, MalformedDataIsLeftAlone)
{
    std::vector<std::uint8_t> truncated = Page(5, 10);
    truncated.pop_back();
    const std::vector<std::uint8_t> before = truncated;
    EXPECT_FALSE(SetOggStreamSerial(truncated, 1));
    EXPECT_EQ(truncated, before);

    std::vector<std::uint8_t> garbage = Page(5, 2);
    garbage.push_back('x'); // trailing bytes that are not a page
    EXPECT_FALSE(SetOggStreamSerial(garbage, 1));
    EXPECT_EQ(ReadLe32(garbage, 14), 5u);

    std::vector<std::uint8_t> nothing;
    EXPECT_FALSE(SetOggStreamSerial(nothing, 1));
}
