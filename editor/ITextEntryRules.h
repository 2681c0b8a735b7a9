#pragma once

class IControl;
class IParameter;

// What every platform's single-line text entry accepts and commits.

// The most characters an entry holds, whatever a control allows.
inline constexpr int kTextEntryMaxLength = 31;

// True when the entry of a parameter of this type takes the character: integer kinds take digits and
// the signs, Double also the dot; no parameter (or type None) takes everything.
bool TextEntryAccepts(const IParameter* param, char c);

// The real value typed text commits to: for Bool and Enum the value of the first display text equal to
// it, otherwise (and for every other type) the leading number (0 when none), negated for other types
// where the display is.
double TextEntryValue(const IParameter& param, const char* text);

// Hands committed text to the control: as the value it means for the control's parameter, or as text
// to a control without one. Text beyond kTextEntryMaxLength is not part of the entry.
void CommitTextEntry(IControl& control, IParameter* param, const char* text);
