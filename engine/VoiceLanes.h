#pragma once

#include <array>

class Voice;

// Renders the four voices side by side, one per lane (engine/Lanes.h): the envelopes, the glide
// and the noise's random draws (one sequence, voice after voice) stay per voice, while the
// oscillators, the noise shapes, the filters and their coefficients run in the lanes. The result is bit for
// bit the sum that the voices' own NextSample calls give, with every voice's state left exactly as those
// calls would leave it.
class VoiceLanes
{
public:
    static constexpr int kVoiceCount = 4;

    enum class InstructionSet
    {
        Scalar, // the voices one after another, no lanes
        Sse2,   // every x86-64 processor
        Avx2,
    };

    // Whether this processor runs the set.
    static bool Supports(InstructionSet set);
    // The fastest set this processor runs.
    static InstructionSet Best();

    // Writes the four voices' sum for count engine samples and returns how many of them began
    // with a voice sounding. Returns -1, having rendered nothing, when the voices cannot share
    // lanes (an oscillator playing noise, or voices whose oscillators play different waveforms)
    // or the set is Scalar or unsupported.
    static int Render(std::array<Voice, kVoiceCount>& voices, double* out, int count, InstructionSet set);

    // The lanes' access to the voices' state; defined where the lanes are.
    template <typename Lanes> class Kernel;
};
