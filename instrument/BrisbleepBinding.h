#pragma once

// The instrument derives from the binding of the deliverable it is compiled into. Each deliverable
// builds the instrument sources once with its own definition (see brisbleep_add_instrument).

#if defined(BRISBLEEP_BINDING_VST2) && defined(BRISBLEEP_BINDING_VST3)
#error "Define at most one of BRISBLEEP_BINDING_VST2 and BRISBLEEP_BINDING_VST3"
#endif

#if defined(BRISBLEEP_BINDING_VST2)
#include "vst2/IBindingVST2.h"
using BrisbleepBinding = IBindingVST2;
#elif defined(BRISBLEEP_BINDING_VST3)
#include "vst3/IBindingVST3.h"
using BrisbleepBinding = IBindingVST3;
#else
#include "offline/IBindingOffline.h"
using BrisbleepBinding = IBindingOffline;
#endif
