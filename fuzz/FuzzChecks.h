#pragma once

// Checks every fuzz target makes after feeding an input: a failed one aborts, which libFuzzer
// reports as a crash with the input that caused it.

#include "frame/IFrameBase.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

// AddressSanitizer keeps 256 MB of freed memory out of use by default; the instances here free and
// allocate buffers of tens of kilobytes per input, so every run would then touch fresh pages and
// spend most of its time in page faults. 8 MB still catches a use after free within an input.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=8";
}

// +36 dBFS: louder than anything the instrument makes on purpose, so a sample beyond it is a fault.
inline constexpr double kAbsurdLevel = 63.0957344480193;

[[noreturn]] inline void FuzzFail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void RequireParamsInRange(const IFrameBase& frame)
{
    for (int i = 0; i < frame.NParams(); ++i)
    {
        const IParameter* p = frame.GetParam(i);
        if (!(p->Value() >= p->Min() && p->Value() <= p->Max())) FuzzFail("parameter outside its range");
    }
}

template <typename Sample> void RequireSaneAudio(const Sample* samples, int frames)
{
    for (int s = 0; s < frames; ++s)
        if (!(std::fabs(static_cast<double>(samples[s])) <= kAbsurdLevel))
            FuzzFail("non-finite or absurd sample");
}
