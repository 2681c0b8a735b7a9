// Feeds arbitrary bytes to brisbleep-render's state-file reader (plain states, JSON text states and
// the plug-ins' preset files), as a damaged or foreign --state file would. A file it accepts must
// leave a valid state in the instrument; one it rejects must leave the instrument as it was.
#include "FuzzChecks.h"

#include "cli/StateFile.h"
#include "instrument/Brisbleep.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
std::vector<uint8_t> Saved(Brisbleep& instrument)
{
    IStateChunk chunk;
    if (!instrument.SaveState(chunk)) FuzzFail("state not saved");
    return {chunk.Data(), chunk.Data() + chunk.Size()};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One instance for the whole run, returned to its first state before every input.
    static auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    static const std::vector<uint8_t> pristine = Saved(*instrument);
    IStateChunk reset;
    reset.PutBytes(pristine.data(), static_cast<int32_t>(pristine.size()));
    if (instrument->LoadState(reset, 0) < 0) FuzzFail("pristine state not loaded");

    std::string error;
    const bool loaded =
        LoadStateBytes(*instrument, reinterpret_cast<const char*>(data), size, "fuzz.state", error);
    RequireParamsInRange(*instrument);
    const std::vector<uint8_t> now = Saved(*instrument);
    if (!loaded)
    {
        if (error.empty()) FuzzFail("rejected without a reason");
        if (now != pristine) FuzzFail("a rejected file changed the state");
        return 0;
    }
    // Accepted: a plain state is the state as read, with or without its 8-byte chunk header (values
    // are clamped into their ranges, so only the version word is compared byte for byte). Text
    // states and preset files carry the state in other forms; the instrument's version word stays.
    if (size == now.size() || size == now.size() + 8)
    {
        if (std::memcmp(data + (size - now.size()), now.data(), 4) != 0) FuzzFail("version word changed");
    }
    else if (std::memcmp(pristine.data(), now.data(), 4) != 0)
        FuzzFail("version word changed");
    return 0;
}
