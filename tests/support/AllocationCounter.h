#pragma once

#include <cstddef>

// Counts heap allocations made while counting is switched on. Linking it replaces the
// executable's global operator new family and, outside sanitizer builds, malloc, calloc, realloc and the
// aligned allocators, so allocations from C code and the standard library are seen too.
namespace allocation_counter
{
void Start();
// Stops counting and returns the number of allocations since Start.
std::size_t Stop();
// False in sanitizer builds, whose runtime owns malloc; operator new is counted in every build.
bool CountsMalloc();
} // namespace allocation_counter
