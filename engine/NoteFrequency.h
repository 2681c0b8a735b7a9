#pragma once

// Approximates a^b by scaling the upper word of a's bit pattern: the exponent and mantissa bits
// are interpolated linearly, which is cheap and gives the engine its characteristic tuning
// (exact for b = 1, about 0.971 for 2^0). The lower 32 bits of the result are always 0.
double FastPow(double a, double b);

// Frequency in hertz of a MIDI note number, with FastPow's tuning: note 81 is exactly 880 Hz,
// note 69 is about 427.24 Hz.
double NoteFrequency(double note);
