// The module's one plug-in class: the instrument on the VST3 binding.
#include "instrument/Brisbleep.h"
#include "vst3/VST3Factory.h"

IBindingVST3* CreateVST3Instance()
{
    return new Brisbleep(IBindingVST3::HostContext{});
}
