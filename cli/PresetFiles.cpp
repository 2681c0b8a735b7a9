#include "cli/PresetFiles.h"

#include <cstdio>
#include <cstring>

namespace
{

constexpr std::size_t kBypassWordSize = 4;
constexpr std::size_t kChunkHeaderSize = 8;

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

std::uint64_t LittleEndian(const std::string& bytes, std::size_t at, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = width; i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

std::string FourCharacters(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<unsigned char>(code >> shift);
        if (c >= 0x20 && c < 0x7F)
            text += static_cast<char>(c);
        else
        {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return "'" + text + "'";
}

// The state inside a VST3 state: the state alone, or followed by the bypass word.
std::optional<std::string> FromVst3State(const std::string& data, const PresetIdentity& identity,
                                         const std::string& where, std::string& error)
{
    if (data.size() == identity.stateSize + kBypassWordSize || data.size() == identity.stateSize)
        return data.substr(0, identity.stateSize);
    error = where + " holds " + std::to_string(data.size()) + " bytes, expected the VST3 state of " +
            std::to_string(identity.stateSize + kBypassWordSize) + " (the state and the bypass word)";
    return std::nullopt;
}

std::optional<ExtractedState> VstPreset(const std::string& bytes, const PresetIdentity& identity,
                                        std::string& error)
{
    constexpr std::size_t kHeaderSize = 48; // "VST3", version, class ID, chunk list offset
    if (bytes.size() < kHeaderSize)
    {
        error =
            "is a cut-off .vstpreset: " + std::to_string(bytes.size()) + " bytes, expected a 48-byte header";
        return std::nullopt;
    }
    const std::string classId = bytes.substr(8, 32);
    if (classId != identity.vst3ClassId)
    {
        error = "is a .vstpreset for class ID " + classId + ", expected " + identity.vst3ClassId;
        return std::nullopt;
    }
    const std::uint64_t list = LittleEndian(bytes, 40, 8);
    if (list > bytes.size() || bytes.size() - list < 8 || bytes.compare(list, 4, "List") != 0)
    {
        error = "is a damaged .vstpreset: no chunk list at offset " + std::to_string(list);
        return std::nullopt;
    }
    const std::uint64_t count = LittleEndian(bytes, list + 4, 4);
    if (count > (bytes.size() - list - 8) / 20)
    {
        error = "is a damaged .vstpreset: its chunk list announces " + std::to_string(count) +
                " entries, more than the file holds";
        return std::nullopt;
    }
    std::optional<std::string> found;
    std::string foundId;
    for (std::uint64_t i = 0; i < count; ++i)
    {
        const std::size_t entry = list + 8 + i * 20;
        const std::string id = bytes.substr(entry, 4);
        const std::uint64_t offset = LittleEndian(bytes, entry + 4, 8);
        const std::uint64_t size = LittleEndian(bytes, entry + 12, 8);
        if (id != "Comp" && id != "Cont") continue;
        if (offset > bytes.size() || size > bytes.size() - offset)
        {
            error = "is a damaged .vstpreset: its \"" + id + "\" chunk lies beyond the end of the file";
            return std::nullopt;
        }
        // The component's state wins over the controller's; they hold the same bytes.
        if (found && foundId == "Comp") continue;
        found = bytes.substr(offset, size);
        foundId = id;
    }
    if (!found)
    {
        error = "is a .vstpreset without a component state (no \"Comp\" or \"Cont\" chunk)";
        return std::nullopt;
    }
    const std::optional<std::string> state =
        FromVst3State(*found, identity, "its \"" + foundId + "\" chunk", error);
    if (!state)
    {
        error = "is a .vstpreset whose " + error;
        return std::nullopt;
    }
    return ExtractedState{".vstpreset", *state};
}

// The program `program` of a bank chunk (after its header): name, initialised byte, state.
std::optional<std::string> BankProgram(const std::string& chunk, std::size_t count, int program,
                                       const PresetIdentity& identity, std::string& error)
{
    std::size_t at = kChunkHeaderSize;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (chunk.size() - at < 5)
        {
            error = "is a cut-off .fxb: program " + std::to_string(i) + " is missing";
            return std::nullopt;
        }
        const std::uint64_t nameLength = LittleEndian(chunk, at, 4);
        if (nameLength > chunk.size() - at - 5)
        {
            error = "is a damaged .fxb: the name of program " + std::to_string(i) + " runs past the end";
            return std::nullopt;
        }
        at += 4 + nameLength;
        const bool initialised = chunk[at] != 0;
        at += 1;
        if (initialised && chunk.size() - at < identity.stateSize)
        {
            error = "is a cut-off .fxb: program " + std::to_string(i) + " holds " +
                    std::to_string(chunk.size() - at) + " bytes of its " +
                    std::to_string(identity.stateSize) + "-byte state";
            return std::nullopt;
        }
        if (static_cast<int>(i) == program)
        {
            if (!initialised)
            {
                error = "is a bank whose program " + std::to_string(i) + " is empty";
                return std::nullopt;
            }
            return chunk.substr(at, identity.stateSize);
        }
        if (initialised) at += identity.stateSize;
    }
    return std::nullopt;
}

std::optional<ExtractedState> VstFx(const std::string& bytes, const PresetIdentity& identity, int program,
                                    std::string& error)
{
    if (bytes.size() < 60)
    {
        error = "is a cut-off VST2 preset: " + std::to_string(bytes.size()) + " bytes";
        return std::nullopt;
    }
    const std::uint32_t magic = BigEndian32(bytes, 8);
    const bool isProgram = magic == 0x46504368; // 'FPCh'
    const bool isBank = magic == 0x46424368;    // 'FBCh'
    if (!isProgram && !isBank)
    {
        error = "is a VST2 preset of kind " + FourCharacters(magic) +
                ", expected a program or bank chunk ('FPCh' or 'FBCh'; the plug-in saves chunks, not "
                "parameter lists)";
        return std::nullopt;
    }
    const auto fxId = static_cast<std::int32_t>(BigEndian32(bytes, 16));
    if (fxId != identity.vst2UniqueId)
    {
        error = "is a VST2 preset for plug-in ID " + FourCharacters(static_cast<std::uint32_t>(fxId)) +
                ", expected " + FourCharacters(static_cast<std::uint32_t>(identity.vst2UniqueId));
        return std::nullopt;
    }
    const std::size_t sizeAt = isProgram ? 56 : 156;
    if (bytes.size() < sizeAt + 4)
    {
        error = "is a cut-off .fxb: " + std::to_string(bytes.size()) + " bytes, expected a 160-byte header";
        return std::nullopt;
    }
    const std::uint32_t chunkSize = BigEndian32(bytes, sizeAt);
    const std::string chunk = bytes.substr(sizeAt + 4);
    if (chunk.size() != chunkSize)
    {
        error = std::string("is a ") + (isProgram ? ".fxp" : ".fxb") + " announcing a " +
                std::to_string(chunkSize) + "-byte chunk, found " + std::to_string(chunk.size());
        return std::nullopt;
    }
    if (isProgram)
    {
        if (program >= 0)
        {
            error = "is an .fxp, which holds one program: --program applies to .fxb banks";
            return std::nullopt;
        }
        return ExtractedState{".fxp", chunk};
    }
    const std::uint32_t count = BigEndian32(bytes, 24);
    const int wanted = program < 0 ? 0 : program;
    if (static_cast<std::uint32_t>(wanted) >= count)
    {
        error = "is a bank of " + std::to_string(count) + " program" + (count == 1 ? "" : "s") +
                ", so --program " + std::to_string(wanted) + " is not in it (use 0" +
                (count > 1 ? " to " + std::to_string(count - 1) : std::string()) + ")";
        return std::nullopt;
    }
    if (chunk.size() < kChunkHeaderSize || chunk.compare(0, 4, "tffp") != 0)
    {
        error = "is an .fxb whose chunk does not start with the plug-in's chunk header";
        return std::nullopt;
    }
    std::optional<std::string> state = BankProgram(chunk, count, wanted, identity, error);
    if (!state)
    {
        if (error.empty()) error = "is an .fxb without program " + std::to_string(wanted);
        return std::nullopt;
    }
    return ExtractedState{".fxb", *state};
}

} // namespace

std::optional<ExtractedState> ExtractPresetState(const std::string& bytes, const PresetIdentity& identity,
                                                 int program, std::string& error)
{
    std::optional<ExtractedState> found;
    if (bytes.compare(0, 4, "VST3") == 0)
        found = VstPreset(bytes, identity, error);
    else if (bytes.compare(0, 4, "CcnK") == 0)
        return VstFx(bytes, identity, program, error);
    else if (bytes.size() == identity.stateSize + kBypassWordSize)
        found = ExtractedState{"VST3 state", bytes.substr(0, identity.stateSize)};
    else
        return std::nullopt;
    if (found && program >= 0)
    {
        error = "is a " + found->kind + ", which holds one program: --program applies to .fxb banks";
        return std::nullopt;
    }
    return found;
}

std::string ClassIdText(const unsigned char (&classId)[16])
{
    std::string text;
    char hex[3];
    for (unsigned char byte : classId)
    {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        text += hex;
    }
    return text;
}
