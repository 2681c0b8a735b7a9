#include "engine/PeakMeter.h"

#include <cmath>

namespace
{
// Written as a comparison that is false for NaN, so a NaN sample cannot poison the peak.
void FoldPeak(double& peak, double sample)
{
    const double magnitude = std::fabs(sample);
    if (magnitude > peak) peak = magnitude;
}
} // namespace

void PeakMeter::ResetPeaks()
{
    peakLeft = 0.0;
    peakRight = 0.0;
}

void PeakMeter::AddSamples(double left, double right)
{
    FoldPeak(peakLeft, left);
    FoldPeak(peakRight, right);
}

double PeakMeter::Smooth(double level, double peak) const
{
    const double weight = level > peak ? release : attack;
    return (1.0 - weight) * level + weight * peak;
}

PeakLevels PeakMeter::UpdateLevels()
{
    levelLeft = Smooth(levelLeft, peakLeft);
    levelRight = Smooth(levelRight, peakRight);
    peakLeft = levelLeft;
    peakRight = levelRight;
    return {levelLeft, levelRight};
}
