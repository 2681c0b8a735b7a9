#pragma once

#include <cstddef>

// Counts heap allocations made while counting is switched on. The executable replaces the
// global operator new family and, outside sanitizer builds, malloc, calloc, realloc and the
// aligned allocators, so allocations from C code and the standard library are seen too.
namespace allocation_counter
{
void Start();
// Stops counting and returns the number of allocations since Start.
std::size_t Stop();
} // namespace allocation_counter
