#pragma once

#include "frame/IParameter.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ParamAssignment
{
    int index = -1;
    double value = 0.0; // in the parameter's own unit, within its range
};

// Parses "NAME=VALUE" against the instrument's parameters (indexed by position). NAME is a
// parameter name (any case) or index; VALUE a number in the parameter's unit (the unit itself may
// follow, "-3 dB"), a note name for the two pitch-envelope notes or, for enumerations, one of its
// display texts. A value that displays as a range end is taken as that end.
// On failure returns nothing and sets `error` to a one-line description (with the closest names
// for an unknown parameter).
std::optional<ParamAssignment>
ParseAssignment(std::string_view text, const std::vector<const IParameter*>& params, std::string& error);

// One line per parameter: index, name, minimum, maximum, default, unit and value texts.
void PrintParameterList(std::ostream& out, const std::vector<const IParameter*>& params);
