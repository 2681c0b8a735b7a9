#pragma once

// Opens the one VST2 instance a fuzz target keeps for its whole run, as a host would: created through
// the entry point with the target's callback, opened, and (for targets that render) given a block size
// and switched on.

#include "FuzzChecks.h"

#include "vst2/IBindingVST2.h"

inline vst2::EffectRecord* OpenVst2Instance(vst2::HostCallback host, int blockSize = 0)
{
    vst2::EffectRecord* effect = VSTPluginMain(host);
    if (!effect) FuzzFail("no instance");
    effect->dispatcher(effect, vst2::EffectOp::kOpen, 0, 0, nullptr, 0.0f);
    if (blockSize > 0)
    {
        effect->dispatcher(effect, vst2::EffectOp::kSetBlockSize, 0, blockSize, nullptr, 0.0f);
        effect->dispatcher(effect, vst2::EffectOp::kMainsChanged, 0, 1, nullptr, 0.0f);
    }
    return effect;
}
