#include "InstrumentHarness.h"

#include <gtest/gtest.h>

namespace
{

struct Measured
{
    double frequency; // Hz while the note is held
    double end;       // seconds until the release has fallen 40 dB below the held level
};

Measured PlayDefaultNote(double rate)
{
    InstrumentHarness h(rate, 512);
    const long held = static_cast<long>(0.5 * rate);
    h.NoteOn(69);
    h.Render(held);
    h.NoteOff(69);
    h.Render(held);
    const auto at = [rate](double seconds) { return static_cast<std::size_t>(seconds * rate); };
    const double level = PeakMagnitude(h.left, at(0.1), at(0.45));
    std::size_t last = 0;
    for (std::size_t i = 0; i < h.left.size(); ++i)
        if (std::abs(h.left[i]) > 0.01 * level) last = i;
    return {RisingCrossingFrequency(h.left, at(0.1), at(0.45), rate), static_cast<double>(last) / rate};
}

} // namespace

TEST(HostRates, PitchAndLengthDoNotDependOnTheHostRate)
{
    const Measured reference = PlayDefaultNote(44100.0);
    EXPECT_NEAR(reference.frequency, 414.857, 0.05);
    // Held 0.5 s, then the 0.2 s exponential release.
    EXPECT_GT(reference.end, 0.55);
    EXPECT_LT(reference.end, 0.7);
    for (double rate : {22050.0, 48000.0, 96000.0, 192000.0})
    {
        const Measured m = PlayDefaultNote(rate);
        EXPECT_NEAR(m.frequency, reference.frequency, 0.05) << rate;
        EXPECT_NEAR(m.end, reference.end, 0.003) << rate;
    }
}
