// Feeds arbitrary text to the VST2 plug-in's text-to-parameter opcode, as a host's generic editor
// passes what a user typed. The first byte picks the parameter (indices beyond the table included);
// the parameter must stay inside its range and display as a terminated text.
#include "Vst2FuzzInstance.h"

#include <cstring>
#include <string>

namespace
{
intptr_t FuzzHost(vst2::EffectRecord*, int32_t, int32_t, intptr_t, void*, float)
{
    return 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static vst2::EffectRecord* effect = OpenVst2Instance(&FuzzHost);
    if (size == 0) return 0;
    const int index = data[0] % (effect->numParams + 4) - 2;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    effect->dispatcher(effect, vst2::EffectOp::kString2Parameter, index, 0, text.data(), 0.0f);
    if (index < 0 || index >= effect->numParams) return 0;

    const float after = effect->getParameter(effect, index);
    if (!(after >= 0.0f && after <= 1.0f)) FuzzFail("normalised value outside [0, 1]");
    char display[64];
    std::memset(display, 0x55, sizeof display);
    effect->dispatcher(effect, vst2::EffectOp::kGetParamDisplay, index, 0, display, 0.0f);
    if (std::memchr(display, '\0', kParameterTextSize) == nullptr) FuzzFail("display not terminated");
    return 0;
}
