#pragma once

// The preset files the plug-ins' hosts save, opened to the instrument's state inside them:
// - the VST3 module's state: the 484-byte state followed by the 4-byte bypass word;
// - a VST3 preset (.vstpreset): "VST3", the class ID, and a chunk list whose component state
//   ("Comp", or the controller's "Cont") holds the VST3 state;
// - a VST2 program (.fxp, "CcnK"/"FPCh") holding the plug-in's program chunk (the 8-byte chunk
//   header and the state);
// - a VST2 bank (.fxb, "CcnK"/"FBCh") holding the plug-in's bank chunk (the chunk header, then each
//   program as its name, an initialised byte and, when initialised, its state).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct PresetIdentity
{
    std::int32_t vst2UniqueId = 0; // the fxID of .fxp and .fxb files
    std::string vst3ClassId;       // 32 hexadecimal digits, as .vstpreset files write it
    std::size_t stateSize = 0;     // the instrument's state
};

struct ExtractedState
{
    std::string kind;  // "VST3 state", ".vstpreset", ".fxp" or ".fxb", for messages
    std::string bytes; // the state, possibly preceded by the chunk header
};

// Recognises a preset container by its first bytes and returns the state inside it; nothing when
// the bytes are none of these containers (they may then be a plain state). `program` picks the
// program of a bank (from 0; -1 when not given). A container that is damaged, belongs to another
// plug-in or lacks the program sets `error` to what was expected and what was found.
std::optional<ExtractedState> ExtractPresetState(const std::string& bytes, const PresetIdentity& identity,
                                                 int program, std::string& error);

// The class ID's 16 bytes in memory order as 32 uppercase hexadecimal digits.
std::string ClassIdText(const unsigned char (&classId)[16]);
