// The two exported entry points of the plug-in library. Everything else in the library is hidden.

#include "vst2/IBindingVST2.h"

#include <mutex>

namespace
{
// Serialises instance creation across the process; created on first use so that it exists before any
// host thread can reach it.
std::mutex& CreationMutex()
{
    static std::mutex mutex;
    return mutex;
}
} // namespace

extern "C" __attribute__((visibility("default"))) vst2::EffectRecord* VSTPluginMain(vst2::HostCallback host)
{
    std::lock_guard<std::mutex> lock(CreationMutex());
    try
    {
        IBindingVST2* instance = CreateVST2Instance(host);
        if (!instance) return nullptr;
        instance->FillPresetsFromState("Empty", instance->NPresets());
        vst2::EffectRecord* effect = instance->Effect();
        if (effect->numPrograms < 1) effect->numPrograms = 1;
        return effect;
    }
    catch (...)
    {
        return nullptr;
    }
}

// Older hosts look for an entry named `main`. It receives the same host callback pointer; the whole
// pointer is kept, since a callback above 4 GiB (the usual case for a 64-bit host) would not survive
// being cut to 32 bits.
extern "C" __attribute__((visibility("default"))) vst2::EffectRecord*
VSTLegacyMain(vst2::HostCallback host) __asm__("main");

extern "C" vst2::EffectRecord* VSTLegacyMain(vst2::HostCallback host)
{
    return VSTPluginMain(host);
}
