#pragma once

#include <cstdint>
#include <string>

// A growable little-endian byte buffer in which all saved state travels. Positions are byte offsets;
// a read that does not fit returns -1, and every read given a negative position fails too, so a
// sequence of reads can be checked once at the end.
//
// All lengths and positions read from a chunk come from project files and are untrusted: no read
// leaves the buffer and no position arithmetic overflows.
class IStateChunk
{
public:
    static constexpr int32_t kGranularity = 4096;

    IStateChunk() = default;
    IStateChunk(const IStateChunk& other);
    IStateChunk& operator=(const IStateChunk& other);
    IStateChunk(IStateChunk&& other) noexcept;
    IStateChunk& operator=(IStateChunk&& other) noexcept;
    ~IStateChunk();

    // Appends and returns the new size, or 0 when the buffer could not grow (nothing is appended then).
    int32_t PutInt32(int32_t v);
    int32_t PutDouble(double v);
    int32_t PutBytes(const void* data, int32_t n);
    // The 32-bit length of the text (without terminator), then its characters.
    int32_t PutString(const char* text);

    // Each returns the position after the value, or -1 (leaving the output untouched) when the value
    // does not lie entirely within the chunk.
    int32_t GetInt32(int32_t& v, int32_t position) const;
    int32_t GetDouble(double& v, int32_t position) const;
    int32_t GetByte(uint8_t& v, int32_t position) const;
    int32_t GetBytes(void* out, int32_t n, int32_t position) const;
    // Reads a length L and returns position + 4 + L; the text becomes the L bytes up to their first
    // NUL when they lie within the chunk and L > 0, otherwise it keeps its value. A result beyond the
    // size makes the next read fail; a negative length or one that overflows gives -1.
    int32_t GetString(std::string& text, int32_t position) const;

    // Sets the size to n (negative counts as 0); new bytes are zero. Returns false when the buffer
    // could not grow, in which case content and size are unchanged.
    bool Resize(int32_t n, bool allowShrink = true);
    // Empties the chunk and frees its storage.
    void Clear();

    int32_t Size() const { return size_; }
    int32_t Allocated() const { return allocated_; }
    uint8_t* Data() { return data_; }
    const uint8_t* Data() const { return data_; }

private:
    bool Append(const void* data, int32_t n);

    uint8_t* data_ = nullptr;
    int32_t size_ = 0;
    int32_t allocated_ = 0;
};

// The header in front of every state or bank handed to a VST2 host.
inline constexpr int32_t kChunkMagic = 0x70666674;
inline constexpr int32_t kChunkFormatVersion = 0x00010000;

// Clears the chunk and writes magic and format version.
void WriteChunkHeader(IStateChunk& chunk);
// Returns the format version and moves position past the header when one is there. Without the magic,
// returns 0 and leaves position alone (the chunk is a bare state). A magic without a version sets
// position to -1 and returns 0.
int32_t ReadChunkHeader(const IStateChunk& chunk, int32_t& position);
