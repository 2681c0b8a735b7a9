#pragma once

#include <optional>
#include <string>
#include <string_view>

// MIDI note numbers as the command line accepts them: a number 0 to 127, or a name such as
// "C4", "F#2", "Bb-1" with middle C (note 60) in octave 4; a space may stand before the octave
// ("C# 4"), as the editor writes note names.
std::optional<int> ParseNote(std::string_view text);

std::string NoteName(int note);
