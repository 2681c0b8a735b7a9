#include "cli/OggStreamSerial.h"

#include <array>
#include <cstddef>

namespace
{

constexpr std::size_t kHeaderSize = 27;
constexpr std::size_t kSerialOffset = 14;
constexpr std::size_t kChecksumOffset = 22;
constexpr std::size_t kSegmentCountOffset = 26;

// Ogg's page checksum: CRC-32 with polynomial 0x04c11db7, not reflected, initial value 0.
std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i)
    {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : (r << 1);
        table[i] = r;
    }
    return table;
}

std::uint32_t PageChecksum(const std::uint8_t* page, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ page[i]) & 0xff];
    return crc;
}

void PutLittleEndian32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Size of the page starting at `start`, or 0 when no complete page starts there.
std::size_t PageSize(const std::vector<std::uint8_t>& bytes, std::size_t start)
{
    if (bytes.size() - start < kHeaderSize) return 0;
    const std::uint8_t* page = bytes.data() + start;
    if (page[0] != 'O' || page[1] != 'g' || page[2] != 'g' || page[3] != 'S' || page[4] != 0) return 0;
    const std::size_t segments = page[kSegmentCountOffset];
    if (bytes.size() - start < kHeaderSize + segments) return 0;
    std::size_t size = kHeaderSize + segments;
    for (std::size_t i = 0; i < segments; ++i)
        size += page[kHeaderSize + i];
    return bytes.size() - start < size ? 0 : size;
}

} // namespace

bool SetOggStreamSerial(std::vector<std::uint8_t>& bytes, std::uint32_t serial)
{
    // Check the whole file first so a damaged one is left exactly as it was.
    std::size_t pages = 0;
    for (std::size_t start = 0; start < bytes.size(); ++pages)
    {
        const std::size_t size = PageSize(bytes, start);
        if (size == 0) return false;
        start += size;
    }
    if (pages == 0) return false;

    for (std::size_t start = 0; start < bytes.size();)
    {
        const std::size_t size = PageSize(bytes, start);
        std::uint8_t* page = bytes.data() + start;
        PutLittleEndian32(page + kSerialOffset, serial);
        PutLittleEndian32(page + kChecksumOffset, 0);
        PutLittleEndian32(page + kChecksumOffset, PageChecksum(page, size));
        start += size;
    }
    return true;
}
