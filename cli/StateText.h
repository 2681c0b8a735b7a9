#pragma once

// The instrument's state as text: a JSON document with every parameter by name, its value in the
// parameter's own unit (enumerations by their display text) and the unit, in index order, with the
// document format's version and the instrument's version word. The same state always gives the same
// bytes, so a sound can be kept in version control and diffed; reading the text back gives the same
// state, byte for byte.
//
//   {
//     "format": "brisbleep-state",
//     "version": 1,
//     "instrument": "1.0.1",
//     "parameters": {
//       "Output Gain": { "value": -6.0, "unit": "dB" },
//       "Osc1 Type": { "value": "Triangle" },
//       ...

#include "frame/IParameter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kStateTextFormat = "brisbleep-state";
inline constexpr int kStateTextVersion = 1;

// The document for the parameters' current values, ending with a newline.
std::string StateToText(const std::vector<const IParameter*>& params, std::int32_t versionWord);

// Whether the bytes look like a JSON document (their first non-blank character is '{').
bool LooksLikeStateText(std::string_view bytes);

// Reads a document into one value per parameter, starting from `values` (parameters the document
// leaves out keep theirs). On failure returns false and sets `error` to a one-line description of
// what was expected and what was found.
bool StateFromText(std::string_view text, const std::vector<const IParameter*>& params,
                   std::int32_t versionWord, std::vector<double>& values, std::string& error);
