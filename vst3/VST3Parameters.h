#pragma once

#include "frame/IParameter.h"

#include "public.sdk/source/vst/vstparameters.h"

// The SDK parameter object that publishes one frame parameter to the host: a string list for
// switches and enumerations, a range otherwise. Its conversions are the frame parameter's own in both
// directions (the shape curve, and the rounding of non-real types), so the host's defaults, plain
// values and typed-in texts agree with what the parameter does with a normalised value.
Steinberg::Vst::Parameter* MakeVST3Parameter(const IParameter& param, Steinberg::Vst::ParamID id,
                                             Steinberg::Vst::UnitID unit);
