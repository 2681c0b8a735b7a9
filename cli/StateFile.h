#pragma once

#include <cstddef>
#include <string>

class Brisbleep;
class TemporaryFile;

// Loads a saved instrument state: the 484-byte state (version word and sixty values), optionally
// preceded by the 8-byte chunk header; the state as text (cli/StateText.h); or the state inside a
// plug-in preset (cli/PresetFiles.h: the VST3 state, .vstpreset, .fxp, or program `program` of an
// .fxb, counted from 0; -1 when not given). The file is checked completely before anything is
// applied.
bool LoadStateFile(Brisbleep& instrument, const std::string& path, std::string& error, int program = -1);
// The same check and load on bytes already read; `path` only names them in the error.
bool LoadStateBytes(Brisbleep& instrument, const char* data, std::size_t size, const std::string& path,
                    std::string& error, int program = -1);

// The current state as text.
std::string StateText(const Brisbleep& instrument);
// Writes the state as text into a staged output file and closes it.
bool SaveStateTextFile(const Brisbleep& instrument, TemporaryFile& file, std::string& error);

// Writes the current 484-byte state (without chunk header) into a staged output file and closes it.
bool SaveStateFile(Brisbleep& instrument, TemporaryFile& file, std::string& error);
