#pragma once

// What the ear checks in a rendered note, measured from the samples themselves: its pitch and its
// level. Shared by every suite that listens to output (engine, instrument, renderer, plug-ins).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// Frequency from the rising zero crossings of x[begin, end) (clipped to the signal), each crossing
// placed by linear interpolation between its two samples. 0 when fewer than two crossings are found.
template <typename Sample>
double RisingCrossingFrequency(const std::vector<Sample>& x, std::size_t begin, std::size_t end, double rate)
{
    double first = -1.0, last = -1.0;
    int intervals = -1;
    for (std::size_t i = begin + 1; i < end && i < x.size(); ++i)
        if (x[i - 1] < 0 && x[i] >= 0)
        {
            const double t =
                static_cast<double>(i - 1) + double(x[i - 1]) / (double(x[i - 1]) - double(x[i]));
            if (first < 0.0) first = t;
            last = t;
            ++intervals;
        }
    return intervals > 0 ? intervals * rate / (last - first) : 0.0;
}

// Largest magnitude in x[begin, end), clipped to the signal.
template <typename Sample>
Sample PeakMagnitude(const std::vector<Sample>& x, std::size_t begin = 0,
                     std::size_t end = static_cast<std::size_t>(-1))
{
    Sample peak = 0;
    for (std::size_t i = begin; i < end && i < x.size(); ++i)
        peak = std::max<Sample>(peak, std::abs(x[i]));
    return peak;
}
