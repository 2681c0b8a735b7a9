#include "frame/IStateChunk.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

// Values are stored as they lie in memory, which is the little-endian layout saved states use.
static_assert(std::endian::native == std::endian::little);

namespace
{
constexpr int64_t kMaxGrowth = 4194304;
constexpr int64_t kAllocationOverhead = 96; // keeps the block plus allocator bookkeeping page-sized

// The allocation for n bytes: grows by about half the size, at least one granule, at most 4 MiB.
int32_t AllocationFor(int32_t n)
{
    if (n == 0) return 0;
    const int64_t granule = IStateChunk::kGranularity;
    int64_t g = std::max<int64_t>(n / 2, granule) / granule * granule;
    g = std::clamp<int64_t>(g, granule, kMaxGrowth);
    const int64_t allocation = (n + kAllocationOverhead + g) / granule * granule - kAllocationOverhead;
    return static_cast<int32_t>(std::min<int64_t>(allocation, std::numeric_limits<int32_t>::max()));
}

// True when [position, position + width) lies within size bytes.
bool Fits(int32_t position, int64_t width, int32_t size)
{
    return position >= 0 && width >= 0 && position + width <= size;
}
} // namespace

IStateChunk::IStateChunk(const IStateChunk& other)
{
    Append(other.data_, other.size_);
}

IStateChunk& IStateChunk::operator=(const IStateChunk& other)
{
    if (this != &other)
    {
        Clear();
        Append(other.data_, other.size_);
    }
    return *this;
}

IStateChunk::IStateChunk(IStateChunk&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      allocated_(std::exchange(other.allocated_, 0))
{
}

IStateChunk& IStateChunk::operator=(IStateChunk&& other) noexcept
{
    if (this != &other)
    {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        allocated_ = std::exchange(other.allocated_, 0);
    }
    return *this;
}

IStateChunk::~IStateChunk()
{
    std::free(data_);
}

bool IStateChunk::Resize(int32_t n, bool allowShrink)
{
    n = std::max(n, 0);
    if (n == size_) return true;

    int32_t threshold = 0;
    if (allowShrink && n < size_)
        threshold = std::max(1, std::min(allocated_ / 2, allocated_ - 4 * kGranularity));

    if (allocated_ < n || n < threshold)
    {
        const int32_t allocation = AllocationFor(n);
        if (allocation != allocated_)
        {
            if (allocation == 0)
            {
                std::free(data_);
                data_ = nullptr;
            }
            else
            {
                auto* grown = static_cast<uint8_t*>(std::realloc(data_, allocation));
                if (!grown)
                {
                    grown = static_cast<uint8_t*>(std::malloc(allocation));
                    if (!grown) return false;
                    std::memcpy(grown, data_, std::min(size_, allocation));
                    std::free(data_);
                }
                data_ = grown;
            }
            allocated_ = allocation;
        }
    }
    if (n > size_) std::memset(data_ + size_, 0, n - size_);
    size_ = n;
    return true;
}

void IStateChunk::Clear()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    allocated_ = 0;
}

bool IStateChunk::Append(const void* data, int32_t n)
{
    if (n <= 0) return n == 0;
    const int64_t newSize = static_cast<int64_t>(size_) + n;
    if (newSize > std::numeric_limits<int32_t>::max()) return false;
    const int32_t oldSize = size_;
    if (!Resize(static_cast<int32_t>(newSize), false)) return false;
    std::memcpy(data_ + oldSize, data, n);
    return true;
}

int32_t IStateChunk::PutBytes(const void* data, int32_t n)
{
    return Append(data, n) ? size_ : 0;
}

int32_t IStateChunk::PutInt32(int32_t v)
{
    return PutBytes(&v, sizeof v);
}

int32_t IStateChunk::PutDouble(double v)
{
    return PutBytes(&v, sizeof v);
}

int32_t IStateChunk::PutString(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return 0;
    const int32_t n = static_cast<int32_t>(length);
    const int32_t before = size_;
    if (!PutInt32(n) || (n > 0 && !PutBytes(text, n)))
    {
        Resize(before, false); // do not leave a length without its characters
        return 0;
    }
    return size_;
}

int32_t IStateChunk::GetBytes(void* out, int32_t n, int32_t position) const
{
    if (!Fits(position, n, size_)) return -1;
    if (n > 0) std::memcpy(out, data_ + position, n);
    return position + n;
}

int32_t IStateChunk::GetInt32(int32_t& v, int32_t position) const
{
    return GetBytes(&v, sizeof v, position);
}

int32_t IStateChunk::GetDouble(double& v, int32_t position) const
{
    return GetBytes(&v, sizeof v, position);
}

int32_t IStateChunk::GetByte(uint8_t& v, int32_t position) const
{
    return GetBytes(&v, 1, position);
}

int32_t IStateChunk::GetString(std::string& text, int32_t position) const
{
    int32_t length = 0;
    const int32_t start = GetInt32(length, position);
    if (start < 0 || length < 0) return -1;
    const int64_t end = static_cast<int64_t>(start) + length;
    if (end > std::numeric_limits<int32_t>::max()) return -1;
    if (length > 0 && end <= size_)
    {
        const auto* bytes = reinterpret_cast<const char*>(data_ + start);
        text.assign(bytes, strnlen(bytes, length));
    }
    return static_cast<int32_t>(end);
}

void WriteChunkHeader(IStateChunk& chunk)
{
    chunk.Clear();
    chunk.PutInt32(kChunkMagic);
    chunk.PutInt32(kChunkFormatVersion);
}

int32_t ReadChunkHeader(const IStateChunk& chunk, int32_t& position)
{
    int32_t magic = 0;
    const int32_t afterMagic = chunk.GetInt32(magic, position);
    if (afterMagic < 0 || magic != kChunkMagic) return 0;
    int32_t version = 0;
    position = chunk.GetInt32(version, afterMagic);
    return position < 0 ? 0 : version;
}
