#pragma once

#include <cstdint>

// The engine's random source: a linear congruential generator with the classic rand()/srand()
// interface (results 0 to 32767). The state is per thread and starts at 1 on every new thread,
// so a given seed yields the same noise and the same generated sounds on every platform.
// The C library's rand() is never used: its sequence differs between platforms.

inline constexpr int kRandomMax = 32767;

// Next value in 0..kRandomMax from the calling thread's generator.
int RandomInt();

// The value a generator state stands for.
inline int RandomValue(std::uint32_t state)
{
    return static_cast<int>((state >> 16) & 0x7fffu);
}

// One step of the generator on a state of the caller's: a loop drawing many values keeps the
// state in a register (see RandomState) instead of calling RandomInt for each.
inline int NextRandom(std::uint32_t& state)
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state = state * 214013u + 2531011u;
    return RandomValue(state);
}

// The generator's states after 1..kRandomStride steps from any state x are a * x + c with a fixed
// a and c per step count (modulo 2^32): those steps do not wait for each other.
inline constexpr int kRandomStride = 16;
struct RandomJump
{
    std::uint32_t multiplier[kRandomStride];
    std::uint32_t increment[kRandomStride];
};
inline constexpr RandomJump kRandomJump = []
{
    RandomJump jump{};
    std::uint32_t a = 1;
    std::uint32_t c = 0;
    for (int step = 0; step < kRandomStride; ++step)
    {
        a = a * 214013u;
        c = c * 214013u + 2531011u;
        jump.multiplier[step] = a;
        jump.increment[step] = c;
    }
    return jump;
}();

// Writes the generator's next count states to states, which must have room for count rounded up
// to a multiple of kRandomStride, and leaves state at the last of them. RandomValue turns a state
// into the value NextRandom gives with it.
inline void NextRandomStates(std::uint32_t& state, std::uint32_t* states, int count)
{
    for (int first = 0; first < count; first += kRandomStride)
    {
        for (int step = 0; step < kRandomStride; ++step)
            states[first + step] = kRandomJump.multiplier[step] * state + kRandomJump.increment[step];
        state = states[first + kRandomStride - 1];
    }
    if (count > 0) state = states[count - 1];
}

// The calling thread's generator state itself.
std::uint32_t& RandomState();

// Sets the calling thread's generator state.
void RandomSeed(std::uint32_t seed);
