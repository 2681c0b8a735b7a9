// The plug-in library's entry point (the older alias `main` is in VST2LegacyEntry.cpp, which only the
// loadable library contains, since an executable has a main of its own).

#include "frame/IMutex.h"
#include "vst2/IBindingVST2.h"

#include <memory>
#include <mutex>

namespace
{
// Serialises instance creation across the process; created on first use so that it exists before any
// host thread can reach it.
IMutex& CreationMutex()
{
    static IMutex mutex;
    return mutex;
}
} // namespace

extern "C" __attribute__((visibility("default"))) vst2::EffectRecord* VSTPluginMain(vst2::HostCallback host)
{
    std::lock_guard<IMutex> lock(CreationMutex());
    try
    {
        // Owned here until the host has it, so that a failure below does not leak it.
        std::unique_ptr<IBindingVST2> instance(CreateVST2Instance(host));
        if (!instance) return nullptr;
        instance->FillPresetsFromState("Empty", instance->NPresets());
        // The engine learns its rate only from a reset; a host that never announces one (keeping the
        // 44100 Hz every instance starts with) would otherwise hear notes at the engine's unprepared
        // rate, three octaves too high.
        instance->OnReset();
        vst2::EffectRecord* effect = instance->Effect();
        if (effect->numPrograms < 1) effect->numPrograms = 1;
        instance.release(); // destroyed by the close opcode
        return effect;
    }
    catch (...)
    {
        return nullptr;
    }
}
