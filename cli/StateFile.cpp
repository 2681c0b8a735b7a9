#include "cli/StateFile.h"

#include "cli/StagedFiles.h"

#include "instrument/Brisbleep.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{

std::string Hex(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

} // namespace

bool LoadStateFile(Brisbleep& instrument, const std::string& path, std::string& error)
{
    const std::string quoted = "\"" + path + "\"";
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = "cannot read state file " + quoted + ": " + std::strerror(errno);
        return false;
    }
    // One byte more than the largest valid file is enough to tell that a file is too long.
    constexpr std::size_t kMaxSize = 8 + Brisbleep::kStateSize;
    std::vector<char> bytes(kMaxSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
    {
        error = "cannot read state file " + quoted + ": " + std::strerror(errno);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return LoadStateBytes(instrument, bytes.data(), bytes.size(), path, error);
}

bool LoadStateBytes(Brisbleep& instrument, const char* data, std::size_t size, const std::string& path,
                    std::string& error)
{
    const std::string quoted = "\"" + path + "\"";
    constexpr std::size_t kMaxSize = 8 + Brisbleep::kStateSize;
    // Only the first byte beyond the largest valid state matters: it makes the input too long.
    const std::vector<char> bytes(data, data + std::min(size, kMaxSize + 1));

    IStateChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    std::int32_t position = 0;
    ReadChunkHeader(chunk, position);
    if (position == 0 && bytes.size() == 8 + Brisbleep::kStateSize)
    {
        // The size of a state with header, but the first eight bytes are not a chunk header.
        error = "state file " + quoted + " is not a Brisbleep state: " + std::to_string(bytes.size()) +
                " bytes, but it does not start with the chunk header";
        return false;
    }
    if (position < 0 || chunk.Size() - position != Brisbleep::kStateSize)
    {
        error = "state file " + quoted + " is not a Brisbleep state: expected " +
                std::to_string(Brisbleep::kStateSize) + " bytes (or " +
                std::to_string(8 + Brisbleep::kStateSize) + " with the chunk header), found " +
                (bytes.size() > kMaxSize ? "more" : std::to_string(bytes.size()));
        return false;
    }
    std::int32_t version = 0;
    chunk.GetInt32(version, position);
    if (version != instrument.GetVersion())
    {
        error = "state file " + quoted + " has version word " + Hex(version) + ", expected " +
                Hex(instrument.GetVersion());
        return false;
    }
    for (int i = 0; i < instrument.NParams(); ++i)
    {
        double value = 0.0;
        chunk.GetDouble(value, position + 4 + 8 * i);
        if (!std::isfinite(value))
        {
            error = "state file " + quoted + " holds an invalid value for \"" +
                    instrument.GetParam(i)->Name() + "\"";
            return false;
        }
    }
    if (instrument.LoadState(chunk, position) < 0)
    {
        error = "state file " + quoted + " could not be loaded";
        return false;
    }
    return true;
}

bool SaveStateFile(Brisbleep& instrument, TemporaryFile& file, std::string& error)
{
    IStateChunk chunk;
    if (!instrument.SaveState(chunk))
    {
        error = "the state could not be saved";
        return false;
    }
    error = WriteBytes(file, chunk.Data(), static_cast<std::size_t>(chunk.Size()));
    if (error.empty()) error = file.Close();
    return error.empty();
}
