// What a listener hears of a coin: a short sine blip with a higher second note on top.

#include "tests/instrument/InstrumentHarness.h"

#include "engine/NoteFrequency.h"
#include "engine/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{

// Power of x[begin, end) at one frequency.
double Goertzel(const std::vector<double>& x, std::size_t begin, std::size_t end, double frequency,
                double rate)
{
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (std::size_t i = begin; i < end; ++i)
    {
        const double s = x[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / static_cast<double>((end - begin) * (end - begin));
}

// The strongest frequency of x[begin, end) between lo and hi, in 0.5 % steps.
double StrongestFrequency(const std::vector<double>& x, std::size_t begin, std::size_t end, double lo,
                          double hi, double rate)
{
    double best = lo, bestPower = -1.0;
    for (double f = lo; f <= hi; f *= 1.005)
    {
        const double power = Goertzel(x, begin, end, f, rate);
        if (power > bestPower)
        {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

std::size_t LastAbove(const std::vector<double>& x, double level)
{
    for (std::size_t i = x.size(); i-- > 0;)
        if (std::abs(x[i]) >= level) return i;
    return 0;
}

} // namespace

TEST(CoinSound, ShortSineWithARisingJumpNote)
{
    constexpr double kRate = 44100.0;
    constexpr int kNote = 69;
    int checked = 0;
    for (std::uint32_t seed = 1; checked < 3 && seed < 200; ++seed)
    {
        InstrumentHarness h(kRate, 256);
        RandomSeed(seed * 7919u);
        h->CoinRecipe();
        const double delay = h->GetParam(kPitchJumpDelay)->Value();
        const int trigger = h->GetParam(kPitchJumpTrigger)->AsInt();
        const double jumpTime = h->GetParam(kPitchJumpTime)->Value();
        const int transpose = h->GetParam(kPitchJumpTranspose)->AsInt();
        const double attack = h->GetParam(kAmpEnvAttack)->Value();
        // Sounds whose jump starts on the note-on, late enough to hear the first note, soon in its attack.
        if (trigger == 1 || delay < 0.004 || jumpTime < 0.05 || attack > 0.003) continue;
        ++checked;

        h.NoteOn(kNote);
        h.Render(static_cast<long>(0.3 * kRate));
        h.NoteOff(kNote);
        h.Render(static_cast<long>(1.5 * kRate));

        const double base = NoteFrequency(kNote) * FastPow(2.0, 0.0);
        const double jump = NoteFrequency(kNote + transpose) * FastPow(2.0, 0.0);
        const auto at = [&](double seconds) { return static_cast<std::size_t>(seconds * kRate); };

        // Before the jump: the played note alone, a sine ("Osc1 Type" = Sin).
        EXPECT_NEAR(StrongestFrequency(h.left, 0, at(delay), base * 0.5, jump * 1.5, kRate) / base, 1.0, 0.15)
            << "seed " << seed;
        // While the jump note sounds its pitch is transpose semitones higher and carries the sound.
        const std::size_t from = at(delay + 0.002), to = at(delay + std::min(jumpTime, 0.05));
        const double heard = StrongestFrequency(h.left, from, to, base * 1.1, jump * 1.5, kRate);
        EXPECT_NEAR(heard / jump, 1.0, 0.03) << "seed " << seed << " transpose " << transpose;
        EXPECT_GT(Goertzel(h.left, from, to, jump, kRate), Goertzel(h.left, from, to, base, kRate))
            << "seed " << seed;

        // Short: the envelope never sustains, so it is over well before the second half second ends.
        const double audibleSeconds = LastAbove(h.left, 0.001) / kRate;
        EXPECT_LT(audibleSeconds, 1.2) << "seed " << seed;
        EXPECT_GT(PeakMagnitude(h.left, 0, h.left.size()), 0.1);
    }
    EXPECT_EQ(checked, 3);
}
