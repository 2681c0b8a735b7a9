// Feeds arbitrary text to the VST3 controller's getParamValueByString, as a host's generic editor
// passes what a user typed. The first byte picks the parameter (the preset parameter and unknown
// identifiers included); the rest is UTF-16 text, cut to the 128 units a VST3 string holds. An
// accepted text must give a normalised value in [0, 1].
#include "FuzzChecks.h"

#include "instrument/Brisbleep.h"
#include "vst3/VST3Factory.h"

#include <cmath>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

IBindingVST3* CreateVST3Instance()
{
    return new Brisbleep(IBindingVST3::HostContext{});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Brisbleep* plugin = []
    {
        auto* p = static_cast<Brisbleep*>(CreateVST3Instance());
        if (static_cast<IComponent*>(p)->initialize(nullptr) != kResultOk) FuzzFail("not initialised");
        return p;
    }();
    if (size == 0) return 0;
    IEditController* controller = plugin;
    const int pick = data[0];
    ParamID id = static_cast<ParamID>(pick % (plugin->NParams() + 2));
    if (pick % (plugin->NParams() + 2) == plugin->NParams()) id = IBindingVST3::kPresetParamId;
    if (pick % (plugin->NParams() + 2) == plugin->NParams() + 1) id = 0x7FFFFFF0; // no such parameter

    String128 text{};
    const size_t units = std::min<size_t>((size - 1) / 2, 127);
    std::memcpy(text, data + 1, units * 2);
    text[units] = 0;

    ParamValue normalized = -1.0;
    if (controller->getParamValueByString(id, text, normalized) == kResultOk)
        if (!(normalized >= 0.0 && normalized <= 1.0)) FuzzFail("normalised value outside [0, 1]");
    RequireParamsInRange(*plugin);
    return 0;
}
