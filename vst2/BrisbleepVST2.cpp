// The deliverable's one instance factory: the instrument compiled against the VST2 binding.

#include "instrument/Brisbleep.h"

#include <new>

IBindingVST2* CreateVST2Instance(vst2::HostCallback host)
{
    return new (std::nothrow) Brisbleep(host);
}
