#include "engine/Random.h"

namespace
{
thread_local std::uint32_t randomState = 1;
}

int RandomInt()
{
    return NextRandom(randomState);
}

std::uint32_t& RandomState()
{
    return randomState;
}

void RandomSeed(std::uint32_t seed)
{
    randomState = seed;
}
