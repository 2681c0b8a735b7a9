#pragma once

#include <cstdint>

// The engine's random source: a linear congruential generator with the classic rand()/srand()
// interface (results 0 to 32767). The state is per thread and starts at 1 on every new thread,
// so a given seed yields the same noise and the same generated sounds on every platform.
// The C library's rand() is never used: its sequence differs between platforms.

inline constexpr int kRandomMax = 32767;

// Next value in 0..kRandomMax from the calling thread's generator.
int RandomInt();

// One step of the generator on a state of the caller's: a loop drawing many values keeps the
// state in a register (see RandomState) instead of calling RandomInt for each.
inline int NextRandom(std::uint32_t& state)
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

// The calling thread's generator state itself.
std::uint32_t& RandomState();

// Sets the calling thread's generator state.
void RandomSeed(std::uint32_t seed);
