#pragma once

#include <array>

// Anti-alias low-pass in front of the decimation of the oversampled engine signal: an 8th-order
// all-pole recursion whose poles are those of a Bessel prototype mapped to the z-plane, so the
// response stays free of ringing while it cuts everything above the host's Nyquist frequency.
struct DecimationFilter
{
    static constexpr int kOrder = 8;

    double gain = 0.0;
    // feedback[j] weighs the output j samples back; index 0 is unused.
    std::array<double, kOrder + 1> feedback{};
    // history[0] is the latest output, history[j] the output j samples earlier.
    std::array<double, kOrder + 1> history{};

    double Process(double x);
    void ClearHistory() { history.fill(0.0); }
};

// Designs the filter for a corner at fc cycles per engine sample (0.0625 for eight times
// oversampling); the gain makes the response exactly 1 at 0 Hz. The history is left alone.
void DesignDecimationFilter(DecimationFilter& filter, double fc);
