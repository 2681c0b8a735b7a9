// The entry point under the name older hosts look for, exported by the plug-in library only.

#include "vst2/IBindingVST2.h"

// Older hosts look for an entry named `main`. It receives the same host callback pointer; the whole
// pointer is kept, since a callback above 4 GiB (the usual case for a 64-bit host) would not survive
// being cut to 32 bits.
extern "C" __attribute__((visibility("default"))) vst2::EffectRecord*
VSTLegacyMain(vst2::HostCallback host) __asm__("main");

extern "C" vst2::EffectRecord* VSTLegacyMain(vst2::HostCallback host)
{
    return VSTPluginMain(host);
}
