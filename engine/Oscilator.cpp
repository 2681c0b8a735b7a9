#include "engine/Oscilator.h"
#include "engine/EngineMath.h"

#include "engine/Random.h"

#include <cmath>
#include <ctime>
#include <numbers>

namespace
{
std::array<double, kSawTransitionSize> MakeSawTransitionTable()
{
    std::array<double, kSawTransitionSize> table{};
    for (int i = 0; i < kSawTransitionSize; ++i)
    {
        const double d = (i - 500) / 1000.0;
        table[i] = 0.75 * engine_math::SinTwoPi(0.5 * d) + 0.25 * engine_math::SinTwoPi(1.5 * d);
    }
    return table;
}

void SeedFromClock()
{
    RandomSeed(static_cast<std::uint32_t>(std::time(nullptr)));
}
} // namespace

const std::array<double, kSawTransitionSize> SawTransitionTable = MakeSawTransitionTable();

Oscilator::Oscilator()
{
    phase_ = 0.0;
    overtonePhase_ = 0.0;
    // Both reseeds are deliberate: building an oscillator restarts the shared noise sequence from
    // the clock, once before and once after the pink state is cleared. Within one clock second
    // the second changes nothing; dropping either would change the start-up noise when the second
    // turns in between.
    SeedFromClock();
    pinkState_ = {0.0f, 0.0f, 0.0f};
    SeedFromClock();
    output_ = 0.0;
    overtoneOutput_ = 0.0;
    waveform_ = OscilatorWaveform::Sin;
    squareDuty_ = 0.5;
}
