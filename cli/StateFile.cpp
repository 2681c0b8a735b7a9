#include "cli/StateFile.h"

#include "cli/PresetFiles.h"
#include "cli/StagedFiles.h"
#include "cli/StateText.h"

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

namespace
{

// Presets and text states are small; anything far larger is not one.
constexpr std::size_t kMaxFileSize = 1 << 20;

// The class the VST3 module registers, as .vstpreset files name it.
constexpr unsigned char kVst3ClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                            'Q',  'o',  'r',  'v',  's',  'p',  'g',  'p'};

std::vector<const IParameter*> Parameters(const Brisbleep& instrument)
{
    std::vector<const IParameter*> params;
    for (int i = 0; i < instrument.NParams(); ++i)
        params.push_back(instrument.GetParam(i));
    return params;
}

// The 484-byte state, with or without the chunk header: checked completely, then loaded.
bool LoadPlainState(Brisbleep& instrument, const char* data, std::size_t size, const std::string& quoted,
                    std::string& error)
{
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
                std::to_string(size) + "; nor is it a VST3 state (" +
                std::to_string(Brisbleep::kStateSize + 4) + " bytes), .vstpreset, .fxp, .fxb or JSON state";
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

} // namespace

bool LoadStateFile(Brisbleep& instrument, const std::string& path, std::string& error, int program)
{
    const std::string quoted = "\"" + path + "\"";
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = "cannot read state file " + quoted + ": " + std::strerror(errno);
        return false;
    }
    // One byte more than the largest file read is enough to tell that a file is too long.
    std::vector<char> bytes(kMaxFileSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
    {
        error = "cannot read state file " + quoted + ": " + std::strerror(errno);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return LoadStateBytes(instrument, bytes.data(), bytes.size(), path, error, program);
}

bool LoadStateBytes(Brisbleep& instrument, const char* data, std::size_t size, const std::string& path,
                    std::string& error, int program)
{
    const std::string quoted = "\"" + path + "\"";
    if (size > kMaxFileSize)
    {
        error = "state file " + quoted + " is too large for a state or preset: more than 1 MiB";
        return false;
    }
    const std::string bytes(data, size);
    if (LooksLikeStateText(bytes))
    {
        if (program >= 0)
        {
            error = "state file " + quoted +
                    " is a JSON state, which holds one program: --program applies to .fxb banks";
            return false;
        }
        // Parameters the text leaves out keep the values the instrument has now.
        const std::vector<const IParameter*> params = Parameters(instrument);
        std::vector<double> values;
        for (const IParameter* p : params)
            values.push_back(p->Value());
        if (!StateFromText(bytes, params, instrument.GetVersion(), values, error))
        {
            error = "state file " + quoted + " " + error;
            return false;
        }
        IStateChunk chunk;
        chunk.PutInt32(instrument.GetVersion());
        for (double value : values)
            chunk.PutDouble(value);
        return LoadPlainState(instrument, reinterpret_cast<const char*>(chunk.Data()),
                              static_cast<std::size_t>(chunk.Size()), quoted, error);
    }
    const PresetIdentity identity{instrument.GetUniqueId(), ClassIdText(kVst3ClassId), Brisbleep::kStateSize};
    const std::optional<ExtractedState> preset = ExtractPresetState(bytes, identity, program, error);
    if (!error.empty())
    {
        error = "state file " + quoted + " " + error;
        return false;
    }
    if (!preset && program >= 0)
    {
        error = "state file " + quoted +
                " is a plain state, which holds one program: --program applies to .fxb banks";
        return false;
    }
    const std::string& state = preset ? preset->bytes : bytes;
    if (LoadPlainState(instrument, state.data(), state.size(), quoted, error)) return true;
    if (preset) error += " (inside the " + preset->kind + ")";
    return false;
}

std::string StateText(const Brisbleep& instrument)
{
    return StateToText(Parameters(instrument), instrument.GetVersion());
}

bool SaveStateTextFile(const Brisbleep& instrument, TemporaryFile& file, std::string& error)
{
    const std::string text = StateText(instrument);
    error = WriteBytes(file, text.data(), text.size());
    if (error.empty()) error = file.Close();
    return error.empty();
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
