#include "engine/Random.h"

namespace
{
thread_local std::uint32_t randomState = 1;
}

int RandomInt()
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7fffu);
}

void RandomSeed(std::uint32_t seed)
{
    randomState = seed;
}
