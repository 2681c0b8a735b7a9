// Feeds arbitrary text to brisbleep-render's --set parser ("NAME=VALUE") and note-name parser.
// Whatever is accepted must name a parameter and give it a finite value inside its range, and an
// accepted note must be a MIDI key whose own name reads back as that key.
#include "FuzzChecks.h"

#include "cli/NoteName.h"
#include "cli/ParamSettings.h"
#include "instrument/Brisbleep.h"

#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    static const std::vector<const IParameter*> params = []
    {
        std::vector<const IParameter*> all;
        for (int i = 0; i < instrument->NParams(); ++i)
            all.push_back(instrument->GetParam(i));
        return all;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string error;
    if (const auto assignment = ParseAssignment(text, params, error))
    {
        if (assignment->index < 0 || assignment->index >= static_cast<int>(params.size()))
            FuzzFail("assignment to no parameter");
        const IParameter* p = params[assignment->index];
        if (!(assignment->value >= p->Min() && assignment->value <= p->Max()))
            FuzzFail("value outside range");
    }
    else if (error.empty())
        FuzzFail("rejected without a reason");

    if (const auto note = ParseNote(text))
    {
        if (*note < 0 || *note > 127) FuzzFail("note outside the MIDI range");
        if (ParseNote(NoteName(*note)) != note) FuzzFail("note name does not read back");
    }
    return 0;
}
