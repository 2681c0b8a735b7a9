#pragma once

#include "frame/IStateChunk.h"

inline constexpr int kPresetNameSize = 256;

// One preset slot: a name (at most 255 characters) and, once initialised, a saved state.
struct IPresetEntry
{
    bool initialised = false;
    char name[kPresetNameSize] = "empty";
    IStateChunk chunk;
};
