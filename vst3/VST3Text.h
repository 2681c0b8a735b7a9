#pragma once

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/vsttypes.h"

// Fills a host text field (UTF-16, 128 units) from one of our 8-bit texts; none gives the empty text.
inline void ToString128(Steinberg::Vst::String128 out, const char* text)
{
    Steinberg::UString(out, 128).fromAscii(text ? text : "");
}
