#pragma once

#include <string>

class Brisbleep;

// Loads a saved instrument state: the 484-byte state (version word and sixty values), optionally
// preceded by the 8-byte chunk header. The file is checked completely before anything is applied.
bool LoadStateFile(Brisbleep& instrument, const std::string& path, std::string& error);

// Writes the current 484-byte state (without chunk header).
bool SaveStateFile(Brisbleep& instrument, const std::string& path, std::string& error);
